// twk tables FILE: the names of the file's tables, one a line.
// twk schema FILE[\!TABLE]: the table's record length, fields, memos and
// keys, in the text `twk load` reads back.

#include <iostream>

#include "data/tarnwick/definition_text.h"
#include "data/tarnwick/table.h"
#include "tools/twk/command.h"
#include "tools/twk/opened_file.h"
#include "tools/twk/table_argument.h"

namespace zor::twk {
namespace {

int runTables(const Arguments& arguments) {
  if (arguments.size() != 1) return usageError("tables", "tables takes one file");
  return withOpenFile(arguments[0], [](tarnwick::TarnwickFile& file) {
    for (const std::string& name : tarnwick::tableNames(file)) std::cout << name << '\n';
    return kExitOk;
  });
}

int runSchema(const Arguments& arguments) {
  if (arguments.size() != 1) return usageError("schema", "schema takes one FILE[\\!TABLE]");
  const TableArgument argument = splitTableArgument(arguments[0]);
  return withOpenFile(argument.file, [&](tarnwick::TarnwickFile& file) {
    FoundTable found;
    if (!findTableIn(file, argument, found)) return kExitFailure;
    std::cout << tarnwick::definitionText(found.definition);
    return kExitOk;
  });
}

CommandRegistrar tablesCommand{"tables", "FILE", "the names of the file's tables", runTables};
CommandRegistrar schemaCommand{"schema", "FILE[\\!TABLE]",
                               "record length, fields, memos and keys of a table", runSchema};

}  // namespace
}  // namespace zor::twk
