#pragma once
// The run-time declaration builder: lays out a record, QUEUE or GROUP declared
// while the program runs, checking each field against the limits of the
// record format, and produces its field descriptors.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "runtime/field_descriptor.h"

namespace zor {

inline constexpr uint64_t kMostRecordBytes = 4194304;
inline constexpr uint64_t kMostFieldBytes = 4190208;
inline constexpr uint32_t kMostDecimalDigits = 31;
inline constexpr uint32_t kMostPStringBytes = 256;

struct FieldDeclaration {
  std::string label;        // "PRE:NAME" or "NAME"
  uint8_t type = 0;         // type code
  uint32_t size = 0;        // characters or bytes; DECIMAL/PDECIMAL: digits; MEMO: its size
  uint32_t places = 0;      // DECIMAL/PDECIMAL
  std::string picture;      // string fields: "@s20", "" for none
  uint32_t groupCount = 0;  // GROUP: every following declaration inside it, nested ones included
  std::string over;         // label of an earlier field this one shares bytes with, "" for none
  std::vector<uint32_t> dimensions;
};

// The layout of a built record. It owns the label and picture texts its field
// descriptors point at, so it moves but does not copy.
class BuiltRecord {
 public:
  BuiltRecord() = default;
  BuiltRecord(BuiltRecord&&) = default;
  BuiltRecord& operator=(BuiltRecord&&) = default;
  BuiltRecord(const BuiltRecord&) = delete;
  BuiltRecord& operator=(const BuiltRecord&) = delete;

  const RecordLayout& layout() const { return layout_; }
  uint32_t size() const { return size_; }

 private:
  friend class RecordBuilder;
  std::deque<std::string> texts_;  // a deque never moves its elements
  RecordLayout layout_;
  uint32_t size_ = 0;
};

struct RecordBuildError {
  std::string text;  // one of the builder's messages, "" when the build succeeded
  size_t field = 0;  // index of the declaration at fault
  // The message's place in the declaration message lists (declaration
  // faults, runtime/declaration_messages.h): its category and index.
  int category = 0;
  int index = 0;
};

class RecordBuilder {
 public:
  // Lays out the declarations in order. On failure `record` is left empty and
  // `error` names the first fault.
  static bool build(const std::vector<FieldDeclaration>& fields, BuiltRecord& record,
                    RecordBuildError& error);
};

// A label is a letter or underscore followed by letters, digits and
// underscores, with at most one prefix before a colon ("SEC:DESCRIPTION").
bool isValidLabel(const std::string& label);

}  // namespace zor
