#pragma once
// The rows of a view whose order no key serves, sorted in memory. A row is
// the record pointer of the primary table and a copy of the values of the
// order's fields, compared as the order says: numbers by value, texts
// without their trailing blanks (under UPPER() without regard to the case
// of ASCII letters), each ascending or descending; rows that tie come in
// record order.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "runtime/field_descriptor.h"

namespace zor::data {

struct SortField {
  FieldDescriptor field;  // type, size and places; the offset is where it lies in its buffer
  bool descending = false;
  bool upper = false;
};

class SortedRows {
 public:
  void setFields(std::vector<SortField> fields);
  void clear();

  // The order fields' bytes, one pointer per field, appended to `values`.
  void appendValues(std::span<const uint8_t* const> sources, std::vector<uint8_t>& values) const;
  void add(uint32_t pointer, const std::vector<uint8_t>& values);
  void sort();

  size_t size() const { return rows_.size(); }
  uint32_t pointer(size_t row) const { return pointers_[rows_[row]]; }

  // The first row whose first `count` fields come at or after `values`
  // (with count = all fields and a pointer: at or after that record), and
  // the row after the last that comes at or before them.
  size_t lowerBound(const std::vector<uint8_t>& values, size_t count, uint32_t pointer = 0) const;
  size_t upperBound(const std::vector<uint8_t>& values, size_t count) const;
  // The row of a record, or size().
  size_t find(uint32_t pointer) const;

 private:
  int compare(const uint8_t* a, const uint8_t* b, size_t count) const;
  const uint8_t* valuesOf(uint32_t stored) const { return values_.data() + stored * width_; }

  std::vector<SortField> fields_;
  size_t width_ = 0;                // bytes of one row's values
  std::vector<uint8_t> values_;     // rows' values, in the order added
  std::vector<uint32_t> pointers_;  // rows' record pointers, in the order added
  std::vector<uint32_t> rows_;      // the rows in sorted order (indexes of the above)
};

}  // namespace zor::data
