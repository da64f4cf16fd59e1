#pragma once
// The texts of the driver's table picker: a file is chosen first, then one
// of its tables by name. The dialog itself belongs to the window system;
// this is what it shows.

#include <string>
#include <vector>

namespace zor::tarnwick {

inline constexpr const char* kPickFileTitle = "Open Tarnwick File";
inline constexpr const char* kPickFileFilter = "Tarnwick Files (*.twk)|*.TWK|All Files (*.*)|*.*";
inline constexpr const char* kPickTableTitle = "Select Tarnwick Table";
inline constexpr const char* kPickTablePrompt = "Table &Name";

// The names the picker lists for a file (a table without a name as
// "UNNAMED"); empty when the file cannot be read.
std::vector<std::string> pickerTableNames(const std::string& path);

}  // namespace zor::tarnwick
