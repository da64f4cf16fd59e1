#include "runtime/record_builder.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "runtime/decimal.h"
#include "runtime/picture.h"
#include "runtime/type_codes.h"

namespace zor {

namespace {

constexpr const char* kRecordTooBig =
    "The record structure is greater than 4,194,304 bytes in size";
constexpr const char* kGroupTooBig = "The Group is greater than 4,194,304 bytes in size";
constexpr const char* kFieldTooBig = "The Field is greater than 4,190,208 bytes in size";
constexpr const char* kSizeRequired = "Type requires a size and no size specified";
constexpr const char* kTooManyPlaces = "More Decimal Places than specified size";
constexpr const char* kSizeTooBig = "Size is too big";
constexpr const char* kNoGroupCount = "Field Count not specified for a GROUP field";
constexpr const char* kGroupOverrun = "The Group has more fields than has been defined";
constexpr const char* kOverUnknown = "Field must be over a field defined before the field";
constexpr const char* kOverTooBig = "Field is larger than the field that it is over";
constexpr const char* kOverOtherGroup = "Field cannot be over a field inside another GROUP";
constexpr const char* kBadPicture = "Invalid Picture";
constexpr const char* kNoType = "No Type Specified";
constexpr const char* kBadLabel = "Not a Valid Zorvane Label";
constexpr const char* kDuplicateLabel = "Duplicate Label";
constexpr const char* kMemoSize = "No Size Specified for a MEMO";

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

bool sameLabel(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::toupper(static_cast<unsigned char>(x)) ==
           std::toupper(static_cast<unsigned char>(y));
  });
}

// A declared picture starts with "@" and must compile.
bool isValidPicture(const std::string& picture) {
  return picture.size() >= 2 && picture[0] == '@' && compilePicture(picture).valid();
}

// Bytes one element of a non-GROUP field takes in the record, or an error.
// `storedSize` receives the descriptor's size (DECIMAL: the byte count).
const char* elementSize(const FieldDeclaration& field, uint64_t& bytes, uint32_t& storedSize) {
  bytes = fixedTypeSize(field.type);
  switch (field.type) {
    case kDecimal:
    case kPDecimal:
      if (field.size == 0) return kSizeRequired;
      if (field.size > kMostDecimalDigits) return kSizeTooBig;
      if (field.places > field.size) return kTooManyPlaces;
      bytes = decimalByteSize(field.size);
      break;
    case kString:
    case kCString:
    case kPString:
      if (field.size == 0) return kSizeRequired;
      if (field.type == kPString && field.size > kMostPStringBytes) return kSizeTooBig;
      if (field.size > kMostFieldBytes) return kFieldTooBig;
      bytes = field.size;
      break;
    case kMemo:
      if (field.size == 0) return kMemoSize;
      storedSize = field.size;
      bytes = 0;  // kept beside the record
      return nullptr;
    case kBlob:
      bytes = 0;
      break;
    default:
      if (bytes == 0) return kNoType;
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

  const char* run(size_t& at) {
    parents_.assign(fields_.size(), kNone);
    totals_.assign(fields_.size(), 0);
    for (at = 0; at < fields_.size(); ++at) {
      if (const char* error = add(at)) return error;
      if (const char* error = closeGroupsEndingAt(at)) return error;
    }
    if (cursor_ > kMostRecordBytes) return kRecordTooBig;
    return nullptr;
  }

  uint64_t size() const { return cursor_; }
  RecordLayout& layout() { return layout_; }
  std::deque<std::string>& texts() { return texts_; }

 private:
  static constexpr size_t kNone = static_cast<size_t>(-1);

  uint64_t& cursor() { return groups_.empty() ? cursor_ : groups_.back().cursor; }

  const char* add(size_t i) {
    const FieldDeclaration& field = fields_[i];
    if (field.type == 0) return kNoType;
    if (!isValidLabel(field.label)) return kBadLabel;
    for (size_t j = 0; j < i; ++j) {
      if (sameLabel(fields_[j].label, field.label)) return kDuplicateLabel;
    }
    if (!field.picture.empty() &&
        (!(field.type == kString || field.type == kCString || field.type == kPString) ||
         !isValidPicture(field.picture))) {
      return kBadPicture;
    }
    parents_[i] = groups_.empty() ? kNone : groups_.back().index;

    size_t target = kNone;
    if (!field.over.empty()) {
      for (size_t j = 0; j < i && target == kNone; ++j) {
        if (sameLabel(fields_[j].label, field.over)) target = j;
      }
      if (target == kNone) return kOverUnknown;
      if (parents_[target] != parents_[i]) return kOverOtherGroup;
      if (fields_[target].type == kMemo || fields_[target].type == kBlob) return kOverUnknown;
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
      if (field.groupCount == 0) return kNoGroupCount;
      size_t last = i + field.groupCount;
      if (last >= fields_.size() || (!groups_.empty() && last > groups_.back().last)) {
        return kGroupOverrun;
      }
      layout_.push_back(descriptor);
      groups_.push_back(
          {i, last, offset, offset, target != kNone, target == kNone ? 0 : totals_[target]});
      return nullptr;
    }

    uint64_t bytes = 0;
    uint32_t storedSize = 0;
    if (const char* error = elementSize(field, bytes, storedSize)) return error;
    std::optional<uint64_t> total = dimensioned(bytes, field.dimensions);
    if (!total) return kSizeRequired;
    if (*total > kMostFieldBytes) return kFieldTooBig;
    if (target != kNone && *total > totals_[target]) return kOverTooBig;
    descriptor.size = storedSize;
    layout_.push_back(descriptor);
    totals_[i] = *total;
    if (target == kNone) cursor() += *total;
    return nullptr;
  }

  const char* closeGroupsEndingAt(size_t i) {
    while (!groups_.empty() && groups_.back().last == i) {
      OpenGroup group = groups_.back();
      groups_.pop_back();
      uint64_t bytes = group.cursor - group.start;
      if (bytes > kMostRecordBytes) return kGroupTooBig;
      std::optional<uint64_t> total = dimensioned(bytes, fields_[group.index].dimensions);
      if (!total) return kSizeRequired;
      if (*total > kMostRecordBytes) return kGroupTooBig;
      if (group.isOver && *total > group.overSize) return kOverTooBig;
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
  if (const char* text = layout.run(at)) {
    error.text = text;
    error.field = std::min(at, fields.empty() ? size_t{0} : fields.size() - 1);
    return false;
  }
  record.texts_ = std::move(layout.texts());
  record.layout_ = std::move(layout.layout());
  record.size_ = static_cast<uint32_t>(layout.size());
  return true;
}

}  // namespace zor
