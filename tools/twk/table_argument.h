#pragma once
// The FILE[\!TABLE] argument of twk's table commands, and finding that
// table with its definition in an open file: without a table name, the
// table "UNNAMED", or the file's only table.

#include <functional>
#include <string>

#include "data/tarnwick/definition_stream.h"
#include "data/tarnwick/shared_access.h"
#include "data/tarnwick/table_items.h"
#include "data/tarnwick/tarnwick_file.h"

namespace zor::twk {

struct TableArgument {
  std::string file;
  std::string table;  // empty: not named
};

TableArgument splitTableArgument(const std::string& argument);

struct FoundTable {
  std::string name;
  tarnwick::TableId id{};
  tarnwick::TableDefinition definition;
};

// Prints "twk: FILE: REASON" and answers false when the table is missing or
// its definition does not read back.
bool findTableIn(tarnwick::TarnwickFile& file, const TableArgument& argument, FoundTable& found);

// Opens the file shared for writing (creating it when missing) and runs
// `body` inside one change, which waits its turn behind other writers and
// ends with `access.commit()` (an uncommitted change is dropped); a damaged
// file ends in a message and exit 1, as in withOpenFile.
int withWritableFile(
    const std::string& path,
    const std::function<int(tarnwick::TarnwickFile&, tarnwick::SharedAccess& access)>& body);

}  // namespace zor::twk
