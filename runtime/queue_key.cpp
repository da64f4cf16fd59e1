#include "runtime/queue_key.h"

#include <algorithm>

#include "platform/ascii_case.h"

namespace zor {

namespace {

bool isSeparator(char c) {
  return c == ',' || c == ' ' || c == '\t';
}

std::string_view withoutPrefix(std::string_view label) {
  size_t colon = label.find(':');
  return colon == std::string_view::npos ? std::string_view() : label.substr(colon + 1);
}

// The field a key name stands for: the full label first, then the label
// without its prefix when exactly one field has it.
std::optional<size_t> findField(const RecordLayout& layout, std::string_view name) {
  for (size_t i = 0; i < layout.size(); ++i) {
    if (platform::equalsIgnoringCase(layout[i].name ? layout[i].name : "", name)) return i;
  }
  std::optional<size_t> found;
  for (size_t i = 0; i < layout.size(); ++i) {
    std::string_view label = layout[i].name ? layout[i].name : "";
    std::string_view bare = withoutPrefix(label);
    if (!bare.empty() && platform::equalsIgnoringCase(bare, name)) {
      if (found) return std::nullopt;  // ambiguous
      found = i;
    }
  }
  return found;
}

}  // namespace

bool QueueKey::addField(const FieldDescriptor& field, bool descending) {
  if (count_ == kMaxFields || !isComparableType(field.type) || !field.dimensions.empty()) {
    return false;
  }
  parts_[count_++] =
      Part{field.offset, FieldShape{field.type, field.size, field.places}, descending};
  return true;
}

std::optional<QueueKey> QueueKey::parse(const RecordLayout& layout, std::string_view text) {
  QueueKey key;
  size_t i = 0;
  while (i < text.size()) {
    if (isSeparator(text[i])) {
      ++i;
      continue;
    }
    bool descending = false;
    if (text[i] == '+' || text[i] == '-') {
      descending = text[i] == '-';
      ++i;
      while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    }
    size_t start = i;
    while (i < text.size() && !isSeparator(text[i])) ++i;
    std::string_view name = text.substr(start, i - start);
    if (name.empty()) return std::nullopt;  // a sign without a name
    std::optional<size_t> field = findField(layout, name);
    if (!field || !key.addField(layout[*field], descending)) return std::nullopt;
  }
  if (key.count_ == 0) return std::nullopt;
  return key;
}

std::optional<QueueKey> QueueKey::fromFields(const RecordLayout& layout,
                                             std::span<const KeyField> fields) {
  QueueKey key;
  for (const KeyField& field : fields) {
    if (field.field >= layout.size() || !key.addField(layout[field.field], field.descending)) {
      return std::nullopt;
    }
  }
  if (key.count_ == 0) return std::nullopt;
  return key;
}

bool QueueKey::fitsIn(size_t recordLength) const {
  for (size_t i = 0; i < count_; ++i) {
    const Part& p = parts_[i];
    if (p.offset > recordLength || p.shape.size > recordLength - p.offset) return false;
  }
  return true;
}

bool QueueKey::operator==(const QueueKey& other) const {
  return count_ == other.count_ &&
         std::equal(parts_.begin(), parts_.begin() + count_, other.parts_.begin());
}

}  // namespace zor
