#pragma once
// Which file and which table of it a FILE's name text means. The text may
// carry a table name after the two characters "\!"; since a folder name may
// itself contain them, each "\!" from the left splits the text only when
// what stands before it is not an existing folder. Without a split the table
// is "UNNAMED"; a file name without an extension gets ".TWK".

#include <string>

namespace zor::tarnwick {

inline constexpr const char* kUnnamedTable = "UNNAMED";
inline constexpr const char* kDefaultExtension = ".TWK";

struct TableLocation {
  std::string filePath;
  std::string tableName;
};

TableLocation locateTable(const std::string& nameText);

// The file name with ".TWK" added when its last component has no extension.
std::string withDefaultExtension(const std::string& fileName);

}  // namespace zor::tarnwick
