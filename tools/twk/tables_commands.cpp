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
    if (saidEmpty(file)) return kExitOk;
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

const char* const kSchemaHelp =
    "Prints the table's stored definition as text, one line per item, in the\n"
    "form twk load reads (twk help load describes it):\n"
    "\n"
    "  record 44\n"
    "  field 1 T:ID LONG offset=0 size=4 places=0 dim=0\n"
    "  key 1 T:BYID attributes=none components=+T:ID\n"
    "\n"
    "schema, dump and load together back a table up and restore it.\n";

CommandRegistrar tablesCommand{"tables", "FILE", "the names of the file's tables", runTables,
                               "One name a line; a table without a name is UNNAMED.\n"};
CommandRegistrar schemaCommand{"schema", "FILE[\\!TABLE]",
                               "record length, fields, memos and keys of a table", runSchema,
                               kSchemaHelp};

}  // namespace
}  // namespace zor::twk
