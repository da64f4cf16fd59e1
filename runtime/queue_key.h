#pragma once
// A key of a queue: up to 16 fields of the queue's record, each ascending or
// descending. Given as a text ("+SEC:ID,-NAME", commas or blanks between the
// names) or as a list of field indexes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "runtime/field_compare.h"
#include "runtime/field_descriptor.h"

namespace zor {

// One field of a key given by its index in the record layout.
struct KeyField {
  size_t field = 0;
  bool descending = false;
};

class QueueKey {
 public:
  static constexpr size_t kMaxFields = 16;

  struct Part {
    uint32_t offset = 0;
    FieldShape shape;
    bool descending = false;

    bool operator==(const Part& other) const {
      return offset == other.offset && shape.type == other.shape.type &&
             shape.size == other.shape.size && shape.places == other.shape.places &&
             descending == other.descending;
    }
  };

  // Names are matched without case against the full label ("SEC:ID") and,
  // when only one field fits, against the label without its prefix ("ID").
  // A name may be led by "+" (ascending, the default) or "-" (descending);
  // blanks before it and empty items are skipped. Empty when the text names
  // no field, names a field the queue lacks or one that cannot be ordered
  // (MEMO, BLOB, a dimensioned field, ...), or names more than 16 fields.
  static std::optional<QueueKey> parse(const RecordLayout& layout, std::string_view text);
  // The list form; empty for an index outside the layout, a field that
  // cannot be ordered, no fields or more than 16.
  static std::optional<QueueKey> fromFields(const RecordLayout& layout,
                                            std::span<const KeyField> fields);

  size_t size() const { return count_; }
  const Part& part(size_t index) const { return parts_[index]; }

  // True when every field lies inside a record of `recordLength` bytes.
  bool fitsIn(size_t recordLength) const;

  // -1, 0 or 1: the records' key fields compared in key order.
  int compare(const uint8_t* recordA, const uint8_t* recordB) const {
    for (size_t i = 0; i < count_; ++i) {
      const Part& p = parts_[i];
      int c = compareFieldValues(p.shape, recordA + p.offset, recordB + p.offset);
      if (c != 0) return p.descending ? -c : c;
    }
    return 0;
  }

  // A number whose order agrees with compare() on the first field (see
  // fieldOrderPrefix): sorting compares these before the records.
  uint64_t prefix(const uint8_t* record) const {
    const Part& p = parts_[0];
    uint64_t value = fieldOrderPrefix(p.shape, record + p.offset);
    return p.descending ? ~value : value;
  }

  bool operator==(const QueueKey& other) const;

 private:
  bool addField(const FieldDescriptor& field, bool descending);

  std::array<Part, kMaxFields> parts_{};
  size_t count_ = 0;
};

}  // namespace zor
