#include "data/tarnwick/table_picker.h"

#include "data/tarnwick/table.h"
#include "data/tarnwick/table_name.h"

namespace zor::tarnwick {

std::vector<std::string> pickerTableNames(const std::string& path) {
  TarnwickFile file;
  if (file.open(path, 0x40) != 0) return {};
  std::vector<std::string> names = tableNames(file);
  for (std::string& name : names) {
    if (name.empty()) name = kUnnamedTable;
  }
  return names;
}

}  // namespace zor::tarnwick
