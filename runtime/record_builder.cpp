#include "runtime/record_builder.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "platform/ascii_case.h"
#include "runtime/decimal.h"
#include "runtime/declaration_messages.h"
#include "runtime/picture.h"
#include "runtime/type_codes.h"

namespace zor {

namespace {

// The builder's faults, by their place in the declaration message lists.
using Fault = const DeclarationMessageId*;
constexpr DeclarationMessageId kRecordTooBigId{DeclarationCategory::File, 5};
constexpr DeclarationMessageId kGroupTooBigId{DeclarationCategory::Field, 10};
constexpr DeclarationMessageId kFieldTooBigId{DeclarationCategory::Field, 11};
constexpr DeclarationMessageId kSizeRequiredId{DeclarationCategory::Field, 4};
constexpr DeclarationMessageId kTooManyPlacesId{DeclarationCategory::Field, 6};
constexpr DeclarationMessageId kSizeTooBigId{DeclarationCategory::Field, 7};
constexpr DeclarationMessageId kNoGroupCountId{DeclarationCategory::Field, 8};
constexpr DeclarationMessageId kGroupOverrunId{DeclarationCategory::Field, 5};
constexpr DeclarationMessageId kOverUnknownId{DeclarationCategory::Field, 9};
constexpr DeclarationMessageId kOverTooBigId{DeclarationCategory::Field, 12};
constexpr DeclarationMessageId kOverOtherGroupId{DeclarationCategory::Field, 14};
constexpr DeclarationMessageId kBadPictureId{DeclarationCategory::Field, 13};
constexpr DeclarationMessageId kNoTypeId{DeclarationCategory::Field, 3};
constexpr DeclarationMessageId kBadLabelId{DeclarationCategory::Field, 1};
constexpr DeclarationMessageId kDuplicateLabelId{DeclarationCategory::Field, 2};
constexpr DeclarationMessageId kMemoSizeId{DeclarationCategory::MemoBlob, 3};

bool isLabelStart(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool isLabelChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

bool isValidName(const std::string& name) {
  return !name.empty() && isLabelStart(name[0]) &&
         std::all_of(name.begin(), name.end(), isLabelChar);
}

// A declared picture starts with "@" and must compile.
bool isValidPicture(const std::string& picture) {
  return picture.size() >= 2 && picture[0] == '@' && compilePicture(picture).valid();
}

// Bytes one element of a non-GROUP field takes in the record, or an error.
// `storedSize` receives the descriptor's size (DECIMAL: the byte count).
Fault elementSize(const FieldDeclaration& field, uint64_t& bytes, uint32_t& storedSize) {
  bytes = fixedTypeSize(field.type);
  switch (field.type) {
    case kDecimal:
    case kPDecimal:
      if (field.size == 0) return &kSizeRequiredId;
      if (field.size > kMostDecimalDigits) return &kSizeTooBigId;
      if (field.places > field.size) return &kTooManyPlacesId;
      bytes = decimalByteSize(field.size);
      break;
    case kString:
    case kCString:
    case kPString:
      if (field.size == 0) return &kSizeRequiredId;
      if (field.type == kPString && field.size > kMostPStringBytes) return &kSizeTooBigId;
      if (field.size > kMostFieldBytes) return &kFieldTooBigId;
      bytes = field.size;
      break;
    case kMemo:
      if (field.size == 0) return &kMemoSizeId;
      storedSize = field.size;
      bytes = 0;  // kept beside the record
      return nullptr;
    case kBlob:
      bytes = 0;
      break;
    default:
      if (bytes == 0) return &kNoTypeId;
      break;
  }
  storedSize = static_cast<uint32_t>(bytes);
  return nullptr;
}

// Multiplies by the extents; nullopt when an extent is 0.
std::optional<uint64_t> dimensioned(uint64_t bytes, const std::vector<uint32_t>& dimensions) {
  for (uint32_t extent : dimensions) {
    if (extent == 0) return std::nullopt;
    bytes *= extent;
    if (bytes > kMostRecordBytes) bytes = kMostRecordBytes + 1;  // enough to fail; no overflow
  }
  return bytes;
}

struct OpenGroup {
  size_t index;       // the GROUP's declaration
  size_t last;        // its last member
  uint64_t start;     // its offset
  uint64_t cursor;    // where its next member goes
  bool isOver;        // shares the bytes of an earlier field
  uint64_t overSize;  // bytes of that field
};

class Layout {
 public:
  explicit Layout(const std::vector<FieldDeclaration>& fields) : fields_(fields) {}

  Fault run(size_t& at) {
    parents_.assign(fields_.size(), kNone);
    totals_.assign(fields_.size(), 0);
    for (at = 0; at < fields_.size(); ++at) {
      if (Fault error = add(at)) return error;
      if (Fault error = closeGroupsEndingAt(at)) return error;
    }
    if (cursor_ > kMostRecordBytes) return &kRecordTooBigId;
    return nullptr;
  }

  uint64_t size() const { return cursor_; }
  RecordLayout& layout() { return layout_; }
  std::deque<std::string>& texts() { return texts_; }

 private:
  static constexpr size_t kNone = static_cast<size_t>(-1);

  uint64_t& cursor() { return groups_.empty() ? cursor_ : groups_.back().cursor; }

  Fault add(size_t i) {
    const FieldDeclaration& field = fields_[i];
    if (field.type == 0) return &kNoTypeId;
    if (!isValidLabel(field.label)) return &kBadLabelId;
    for (size_t j = 0; j < i; ++j) {
      if (platform::equalsIgnoringCase(fields_[j].label, field.label)) return &kDuplicateLabelId;
    }
    if (!field.picture.empty() &&
        (!(field.type == kString || field.type == kCString || field.type == kPString) ||
         !isValidPicture(field.picture))) {
      return &kBadPictureId;
    }
    parents_[i] = groups_.empty() ? kNone : groups_.back().index;

    size_t target = kNone;
    if (!field.over.empty()) {
      for (size_t j = 0; j < i && target == kNone; ++j) {
        if (platform::equalsIgnoringCase(fields_[j].label, field.over)) target = j;
      }
      if (target == kNone) return &kOverUnknownId;
      if (parents_[target] != parents_[i]) return &kOverOtherGroupId;
      if (fields_[target].type == kMemo || fields_[target].type == kBlob) return &kOverUnknownId;
    }
    uint64_t offset = target == kNone ? cursor() : layout_[target].offset;

    FieldDescriptor descriptor;
    descriptor.offset = static_cast<uint32_t>(offset);
    descriptor.places = field.places;
    descriptor.groupCount = field.groupCount;
    descriptor.dimensions = field.dimensions;
    descriptor.type = field.type;
    descriptor.name = keep(field.label);
    descriptor.picture = keep(field.picture);

    if (field.type == kGroup) {
      if (field.groupCount == 0) return &kNoGroupCountId;
      size_t last = i + field.groupCount;
      if (last >= fields_.size() || (!groups_.empty() && last > groups_.back().last)) {
        return &kGroupOverrunId;
      }
      layout_.push_back(descriptor);
      groups_.push_back(
          {i, last, offset, offset, target != kNone, target == kNone ? 0 : totals_[target]});
      return nullptr;
    }

    uint64_t bytes = 0;
    uint32_t storedSize = 0;
    if (Fault error = elementSize(field, bytes, storedSize)) return error;
    std::optional<uint64_t> total = dimensioned(bytes, field.dimensions);
    if (!total) return &kSizeRequiredId;
    if (*total > kMostFieldBytes) return &kFieldTooBigId;
    if (target != kNone && *total > totals_[target]) return &kOverTooBigId;
    descriptor.size = storedSize;
    layout_.push_back(descriptor);
    totals_[i] = *total;
    if (target == kNone) cursor() += *total;
    return nullptr;
  }

  Fault closeGroupsEndingAt(size_t i) {
    while (!groups_.empty() && groups_.back().last == i) {
      OpenGroup group = groups_.back();
      groups_.pop_back();
      uint64_t bytes = group.cursor - group.start;
      if (bytes > kMostRecordBytes) return &kGroupTooBigId;
      std::optional<uint64_t> total = dimensioned(bytes, fields_[group.index].dimensions);
      if (!total) return &kSizeRequiredId;
      if (*total > kMostRecordBytes) return &kGroupTooBigId;
      if (group.isOver && *total > group.overSize) return &kOverTooBigId;
      layout_[group.index].size = static_cast<uint32_t>(bytes);
      totals_[group.index] = *total;
      if (!group.isOver) cursor() += *total;
    }
    return nullptr;
  }

  const char* keep(const std::string& text) {
    texts_.push_back(text);
    return texts_.back().c_str();
  }

  const std::vector<FieldDeclaration>& fields_;
  std::deque<std::string> texts_;  // a deque never moves its elements
  RecordLayout layout_;
  std::vector<OpenGroup> groups_;
  std::vector<size_t> parents_;
  std::vector<uint64_t> totals_;  // bytes of each field, dimensions included
  uint64_t cursor_ = 0;
};

}  // namespace

bool isValidLabel(const std::string& label) {
  size_t colon = label.find(':');
  if (colon == std::string::npos) return isValidName(label);
  return isValidName(label.substr(0, colon)) && isValidName(label.substr(colon + 1));
}

bool RecordBuilder::build(const std::vector<FieldDeclaration>& fields, BuiltRecord& record,
                          RecordBuildError& error) {
  record = BuiltRecord{};
  error = RecordBuildError{};
  Layout layout(fields);
  size_t at = 0;
  if (Fault fault = layout.run(at)) {
    error.category = static_cast<int>(fault->category);
    error.index = fault->index;
    error.text =
        builtInDeclarationMessage(error.category, DeclarationFaultKind::Declaration, fault->index);
    error.field = std::min(at, fields.empty() ? size_t{0} : fields.size() - 1);
    return false;
  }
  record.texts_ = std::move(layout.texts());
  record.layout_ = std::move(layout.layout());
  record.size_ = static_cast<uint32_t>(layout.size());
  return true;
}

}  // namespace zor
