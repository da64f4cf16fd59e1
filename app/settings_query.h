#pragma once
// The query of the main window's settings list: a person finds settings by
// their name, default value, values, words of their help text or status.
// The text columns ignore case ("Contains shadow" finds "Shadow"). The
// query applies within the highlighted section, as the list does; it is
// shown with Ctrl+F on the list or "&Query" of the list's popup
// (Shift+F10), and saved queries are kept in the program's INI file.

#include "framework/browse.h"
#include "framework/ini_manager.h"
#include "framework/query_by_example.h"

namespace qv {

// The name of the settings browse among the saved queries.
inline constexpr const char* kSettingsQueryName = "Settings";

// Gives the settings browse its query, with the queryable columns in the
// order of the list; saved in `ini` (none: nothing is saved).
void bindSettingsQuery(zor::fw::QueryByExample& query, zor::fw::Browse& settings,
                       zor::fw::INIManager* ini);

}  // namespace qv
