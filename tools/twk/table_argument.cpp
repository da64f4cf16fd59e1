#include "tools/twk/table_argument.h"

#include <filesystem>
#include <iostream>
#include <system_error>

#include "data/system_error.h"
#include "data/tarnwick/table.h"
#include "data/tarnwick/table_name.h"
#include "data/tarnwick/transaction_settle.h"
#include "platform/file.h"
#include "tools/twk/command.h"
#include "tools/twk/opened_file.h"

namespace zor::twk {

TableArgument splitTableArgument(const std::string& argument) {
  std::error_code error;
  size_t split = argument.rfind("\\!");
  size_t width = 2;
  // A shell makes the backslash a chore: FILE!TABLE is taken as well, unless
  // a file of that very name exists.
  if (split == std::string::npos && !std::filesystem::exists(argument, error)) {
    split = argument.rfind('!');
    width = 1;
  }
  if (split == std::string::npos ||
      std::filesystem::is_directory(argument.substr(0, split), error)) {
    return {argument, ""};
  }
  return {argument.substr(0, split), argument.substr(split + width)};
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
              << (fault ? ": " + data::declarationMessage(*fault) + " (" +
                              data::identifyingText(*fault) + ")"
                        : " is damaged: it does not read back")
              << '\n';
    return false;
  }
  return true;
}

int withWritableFile(
    const std::string& path,
    const std::function<int(tarnwick::TarnwickFile&, tarnwick::SharedAccess& access)>& body) {
  return withFailuresReported(path, [&] {
    // A missing file is made empty without replacing one that another
    // process makes at the same moment; an empty file opens as a new one.
    platform::File maker;
    int error =
        data::driverErrorOf(maker.open(path, platform::Access::ReadWrite, platform::Share::DenyNone,
                                       platform::Disposition::OpenAlways));
    maker.close();
    tarnwick::TarnwickFile file;
    tarnwick::OpenMode mode;
    mode.share = platform::Share::DenyNone;
    if (error == 0)
      error = file.open(path, mode, tarnwick::settleByControlFile(path),
                        tarnwick::TarnwickFile::Settle::Later);
    if (error != 0) {
      std::cerr << "twk: " << path << ": cannot be opened for writing: " << openProblem(path, error)
                << '\n';
      return kExitFailure;
    }
    tarnwick::SharedAccess access(file, mode);
    if (error = access.beginChange(); error != 0) {
      std::cerr << "twk: " << path << ": cannot be changed: " << openProblem(path, error) << '\n';
      return kExitFailure;
    }
    return body(file, access);
  });
}

}  // namespace zor::twk
