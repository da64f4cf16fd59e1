#include "framework/text_rows.h"

#include "runtime/type_codes.h"
#include "runtime/ufo.h"

namespace zor::fw {

RecordLayout TextRows::layoutOf(const std::vector<std::pair<const char*, uint32_t>>& columns) {
  RecordLayout layout;
  uint32_t offset = 0;
  for (const auto& [label, size] : columns) {
    layout.push_back(makeField(label, kCString, offset, size));
    offset += size;
  }
  return layout;
}

size_t TextRows::lengthOf(const std::vector<std::pair<const char*, uint32_t>>& columns) {
  size_t length = 0;
  for (const auto& column : columns) length += column.second;
  return length;
}

TextRows::TextRows(const std::vector<std::pair<const char*, uint32_t>>& columns)
    : queue_(layoutOf(columns), lengthOf(columns)) {}

void TextRows::Add(const std::vector<std::string>& texts) {
  std::vector<uint8_t> record(queue_.recordLength(), 0);
  const RecordLayout& layout = queue_.layout();
  for (size_t i = 0; i < layout.size() && i < texts.size(); ++i) {
    makeUfo(kCString, record.data() + layout[i].offset, layout[i].size)->assignText(texts[i]);
  }
  queue_.add(record.data());
}

void TextRows::Set(size_t row, size_t column, const std::string& text) {
  const RecordLayout& layout = queue_.layout();
  if (column < 1 || column > layout.size() || row < 1 || row > Rows()) return;
  std::vector<uint8_t> record(queue_.recordLength(), 0);
  if (queue_.get(row, record.data()) != 0) return;
  const FieldDescriptor& field = layout[column - 1];
  makeUfo(kCString, record.data() + field.offset, field.size)->assignText(text);
  queue_.put(record.data());
}

std::string TextRows::Text(size_t row, size_t column) const {
  const RecordLayout& layout = queue_.layout();
  const uint8_t* stored = queue_.row(row);
  if (stored == nullptr || column < 1 || column > layout.size()) return {};
  const FieldDescriptor& field = layout[column - 1];
  std::vector<uint8_t> copy(stored + field.offset, stored + field.offset + field.size);
  return makeUfo(kCString, copy.data(), field.size)->text();
}

std::vector<std::string> TextRows::Labels() const {
  std::vector<std::string> labels;
  for (const FieldDescriptor& field : queue_.layout()) labels.push_back(field.name);
  return labels;
}

}  // namespace zor::fw
