#include "tools/twk/table_argument.h"

#include <filesystem>
#include <iostream>
#include <system_error>

#include "data/tarnwick/table.h"
#include "data/tarnwick/table_name.h"
#include "tools/twk/command.h"
#include "tools/twk/opened_file.h"

namespace zor::twk {

TableArgument splitTableArgument(const std::string& argument) {
  const size_t split = argument.rfind("\\!");
  std::error_code error;
  if (split == std::string::npos ||
      std::filesystem::is_directory(argument.substr(0, split), error)) {
    return {argument, ""};
  }
  return {argument.substr(0, split), argument.substr(split + 2)};
}

bool findTableIn(tarnwick::TarnwickFile& file, const TableArgument& argument, FoundTable& found) {
  found.name = argument.table;
  if (found.name.empty()) {
    const std::vector<std::string> names = tarnwick::tableNames(file);
    found.name = names.size() == 1 ? names.front() : tarnwick::kUnnamedTable;
  }
  std::vector<uint8_t> stream;
  if (!tarnwick::findTable(file, found.name, found.id)) {
    std::cerr << "twk: " << argument.file << ": no table " << found.name << '\n';
    return false;
  }
  std::optional<data::DeclarationFault> fault;
  if (!tarnwick::readDefinitionStream(file, found.id, stream) ||
      !tarnwick::readDefinition(stream, found.definition, &fault)) {
    std::cerr << "twk: " << argument.file << ": the definition of table " << found.name
              << (fault ? " is of a newer format" : " is damaged") << '\n';
    return false;
  }
  return true;
}

int withWritableFile(const std::string& path,
                     const std::function<int(tarnwick::TarnwickFile&)>& body) {
  return withFailuresReported(path, [&] {
    tarnwick::TarnwickFile file;
    tarnwick::OpenMode mode;
    mode.share = platform::Share::DenyWrite;
    int error = file.open(path, mode);
    if (error == 2) error = file.create(path, platform::Share::DenyWrite);
    if (error != 0) {
      std::cerr << "twk: " << path << ": cannot be opened for writing (" << error << ")\n";
      return kExitFailure;
    }
    return body(file);
  });
}

}  // namespace zor::twk
