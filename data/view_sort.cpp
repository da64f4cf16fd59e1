#include "data/view_sort.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "runtime/field_compare.h"
#include "runtime/string_functions.h"

namespace zor::data {

namespace {

std::string_view textOf(const FieldDescriptor& field, const uint8_t* value) {
  const TextSpan text = fieldText(FieldShape{field.type, field.size, field.places}, value);
  return {reinterpret_cast<const char*>(text.data), text.length};
}

}  // namespace

void SortedRows::setFields(std::vector<SortField> fields) {
  clear();
  fields_ = std::move(fields);
  width_ = 0;
  for (const SortField& sort : fields_) width_ += sort.field.size;
}

void SortedRows::clear() {
  values_.clear();
  pointers_.clear();
  rows_.clear();
}

void SortedRows::appendValues(std::span<const uint8_t* const> sources,
                              std::vector<uint8_t>& values) const {
  for (size_t i = 0; i < fields_.size() && i < sources.size(); ++i) {
    const uint8_t* at = sources[i] + fields_[i].field.offset;
    values.insert(values.end(), at, at + fields_[i].field.size);
  }
}

void SortedRows::add(uint32_t pointer, const std::vector<uint8_t>& values) {
  rows_.push_back(static_cast<uint32_t>(pointers_.size()));
  pointers_.push_back(pointer);
  values_.insert(values_.end(), values.begin(), values.begin() + static_cast<long>(width_));
}

int SortedRows::compare(const uint8_t* a, const uint8_t* b, size_t count) const {
  for (size_t i = 0; i < count && i < fields_.size(); ++i) {
    const SortField& sort = fields_[i];
    const FieldDescriptor& field = sort.field;
    const int order = sort.upper ? compareTextNoCase(textOf(field, a), textOf(field, b))
                                 : compareFieldValues({field.type, field.size, field.places}, a, b);
    if (order != 0) return sort.descending ? -order : order;
    a += field.size;
    b += field.size;
  }
  return 0;
}

void SortedRows::sort() {
  std::sort(rows_.begin(), rows_.end(), [this](uint32_t x, uint32_t y) {
    const int order = compare(valuesOf(x), valuesOf(y), fields_.size());
    return order != 0 ? order < 0 : pointers_[x] < pointers_[y];
  });
}

size_t SortedRows::lowerBound(const std::vector<uint8_t>& values, size_t count,
                              uint32_t pointer) const {
  const bool exact = count >= fields_.size();
  auto before = [&](uint32_t row, int) {
    const int order = compare(valuesOf(row), values.data(), count);
    return order != 0 ? order < 0 : exact && pointers_[row] < pointer;
  };
  return static_cast<size_t>(std::lower_bound(rows_.begin(), rows_.end(), 0, before) -
                             rows_.begin());
}

size_t SortedRows::upperBound(const std::vector<uint8_t>& values, size_t count) const {
  auto after = [&](int, uint32_t row) { return compare(values.data(), valuesOf(row), count) < 0; };
  return static_cast<size_t>(std::upper_bound(rows_.begin(), rows_.end(), 0, after) -
                             rows_.begin());
}

size_t SortedRows::find(uint32_t pointer) const {
  for (size_t row = 0; row < rows_.size(); ++row) {
    if (pointers_[rows_[row]] == pointer) return row;
  }
  return rows_.size();
}

}  // namespace zor::data
