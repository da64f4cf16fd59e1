#include "data/tarnwick/table_name.h"

#include "platform/file.h"

namespace zor::tarnwick {

std::string withDefaultExtension(const std::string& fileName) {
  const size_t lastSeparator = fileName.find_last_of("/\\");
  const size_t base = lastSeparator == std::string::npos ? 0 : lastSeparator + 1;
  if (fileName.find('.', base) != std::string::npos) return fileName;
  return fileName + kDefaultExtension;
}

TableLocation locateTable(const std::string& nameText) {
  static constexpr const char* kSplit = "\\!";
  size_t from = 0;
  for (;;) {
    const size_t at = nameText.find(kSplit, from);
    if (at == std::string::npos) break;
    const std::string before = nameText.substr(0, at);
    if (!platform::isFolder(before)) {
      std::string table = nameText.substr(at + 2);
      if (table.empty()) table = kUnnamedTable;
      return {withDefaultExtension(before), table};
    }
    from = at + 2;
  }
  return {withDefaultExtension(nameText), kUnnamedTable};
}

}  // namespace zor::tarnwick
