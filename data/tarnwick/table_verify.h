#pragma once
// The logical check of the tables of a file, beside the structural one of
// verify.h: every table's definition reads back; every record has exactly
// one entry in each of its keys (none in an OPT key whose components are
// all blank or zero); every key entry leads to an existing record whose
// encoded value it holds; the counters equal what is stored.

#include <cstdint>
#include <string>
#include <vector>

namespace zor::tarnwick {

class TarnwickFile;

struct TableCheck {
  std::vector<std::string> problems;
  uint64_t tables = 0;
  uint64_t records = 0;
  uint64_t keyEntries = 0;
  bool ok() const { return problems.empty(); }
};

TableCheck checkTables(TarnwickFile& file);
// Opens the file read-only for the check; a file that cannot be opened is
// one problem.
TableCheck checkTables(const std::string& path);

}  // namespace zor::tarnwick
