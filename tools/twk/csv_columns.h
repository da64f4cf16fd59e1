#pragma once
// Which field each column of a CSV file fills. A first line whose every cell
// names a field is a header: a name with or without the table prefix
// ("T:NAME" or "NAME"), in any letter case, the columns in any order, each
// field at most once (the fields it leaves out stay empty). Without one the
// columns are the fields in the table's order.

#include <optional>
#include <string>
#include <vector>

#include "data/file_control_block.h"
#include "data/tarnwick/record_csv.h"

namespace zor::twk {

struct CsvColumns {
  size_t headerRows = 0;              // 1 when the first row is a header
  std::vector<size_t> fieldOfColumn;  // index of the field each column fills
};

// From the CSV's first row (nullptr for a CSV without any). Nothing, with
// the reason in `problem`, for a header that names a field no field of the
// table has or names one twice.
std::optional<CsvColumns> csvColumns(const tarnwick::CsvRow* first,
                                     const data::FileControlBlock& table, std::string& problem);

}  // namespace zor::twk
