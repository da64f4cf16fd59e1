#include "tools/twk/csv_columns.h"

#include <algorithm>

#include "platform/ascii_case.h"

namespace zor::twk {

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

// The field a header cell names, or kNone.
size_t fieldNamed(const data::FileControlBlock& table, const std::string& cell) {
  for (size_t i = 0; i < table.fields.size(); ++i) {
    const std::string_view name = table.fields[i].name;
    const size_t colon = name.find(':');
    const std::string_view bare = colon == std::string_view::npos ? name : name.substr(colon + 1);
    if (platform::equalsIgnoringCase(cell, name) || platform::equalsIgnoringCase(cell, bare))
      return i;
  }
  return kNone;
}

std::string fieldList(const data::FileControlBlock& table) {
  std::string list;
  for (const FieldDescriptor& field : table.fields)
    list += (list.empty() ? "" : ", ") + std::string(field.name);
  return list;
}

}  // namespace

std::optional<CsvColumns> csvColumns(const tarnwick::CsvRow* firstRow,
                                     const data::FileControlBlock& table, std::string& problem) {
  CsvColumns columns;
  for (size_t i = 0; i < table.fields.size(); ++i) columns.fieldOfColumn.push_back(i);
  if (firstRow == nullptr) return columns;
  const tarnwick::CsvRow& first = *firstRow;
  std::vector<size_t> named;
  std::string unknown;
  for (const std::string& cell : first.cells) {
    named.push_back(fieldNamed(table, cell));
    if (named.back() == kNone && unknown.empty()) unknown = cell;
  }
  const size_t matches =
      named.size() - static_cast<size_t>(std::count(named.begin(), named.end(), kNone));
  if (matches == 0) return columns;  // data from the first line on
  if (!unknown.empty()) {
    problem = "line " + std::to_string(first.line) + " is a header, but \"" + unknown +
              "\" names no field of the table (" + fieldList(table) + ")";
    return std::nullopt;
  }
  for (size_t i = 0; i < named.size(); ++i) {
    for (size_t j = 0; j < i; ++j) {
      if (named[i] == named[j]) {
        problem = "line " + std::to_string(first.line) + ": the header names field " +
                  table.fields[named[i]].name + " twice";
        return std::nullopt;
      }
    }
  }
  columns.headerRows = 1;
  columns.fieldOfColumn = std::move(named);
  return columns;
}

}  // namespace zor::twk
