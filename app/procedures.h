#pragma once
// The application's window procedures. Each runs its window until the user
// closes it; a procedure called with a request (the thread's global
// request) leaves its outcome in the thread's global response.

namespace qv {

// The main window: sections, the settings of the highlighted section and
// its help text.
void Main();
// The form for one section (requests insert, change, view).
void update_Sections();
// The form for one setting, with the lookup of its section.
void update_Settings();
// The list of sections to pick one from (request select): the chosen
// section is left in the Sections record buffer.
void select_sections();

// The numbers by which the main window runs the other procedures.
inline constexpr int kUpdateSectionsProcedure = 1;
inline constexpr int kUpdateSettingsProcedure = 2;

}  // namespace qv
