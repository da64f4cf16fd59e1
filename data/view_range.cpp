#include "data/view_range.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "data/key_order.h"
#include "platform/ascii_case.h"
#include "runtime/string_functions.h"
#include "runtime/type_codes.h"
#include "runtime/ufo.h"

namespace zor::data {

namespace {

// Which text bytes compare alike in the evaluator (bytes as they stand, or
// with ASCII letters upper-cased for an UPPER term) and in the key (weights
// after the locale's case mapping and collation). A byte agrees on
// equality when every byte the evaluator takes for equal to it has its
// weight, and on order when, besides, every byte the evaluator places
// below or above it weighs less or more.
class TextAgreement {
 public:
  TextAgreement(bool upper, bool noCase) {
    std::array<int, 256> lowest, highest;
    lowest.fill(256);
    highest.fill(-1);
    for (unsigned b = 0; b < 256; ++b) {
      const unsigned seen = seenAs(static_cast<uint8_t>(b), upper);
      const int weight = keyTextWeight(static_cast<uint8_t>(b), noCase);
      lowest[seen] = std::min(lowest[seen], weight);
      highest[seen] = std::max(highest[seen], weight);
    }
    std::array<int, 256> below, above;  // highest weight seen below, lowest above
    int running = -1;
    for (unsigned v = 0; v < 256; ++v) {
      below[v] = running;
      running = std::max(running, highest[v]);
    }
    running = 256;
    for (unsigned v = 256; v-- > 0;) {
      above[v] = running;
      running = std::min(running, lowest[v]);
    }
    for (unsigned b = 0; b < 256; ++b) {
      const unsigned v = seenAs(static_cast<uint8_t>(b), upper);
      equal_[b] = lowest[v] == highest[v];
      ordered_[b] = equal_[b] && below[v] < lowest[v] && above[v] > highest[v];
    }
  }
  bool equal(char c) const { return equal_[static_cast<uint8_t>(c)]; }
  bool ordered(char c) const { return ordered_[static_cast<uint8_t>(c)]; }

 private:
  static unsigned seenAs(uint8_t b, bool upper) { return upper ? platform::asciiUpper(b) : b; }

  std::array<bool, 256> equal_{};
  std::array<bool, 256> ordered_{};
};

bool isIntegerType(uint8_t type) {
  return type == kByte || type == kShort || type == kUShort || type == kLong || type == kULong;
}

bool isRealType(uint8_t type) {
  return type == kSReal || type == kReal || type == kDecimal;
}

void integerLimits(uint8_t type, int64_t& low, int64_t& high) {
  switch (type) {
    case kByte:
      low = 0, high = 255;
      break;
    case kShort:
      low = INT16_MIN, high = INT16_MAX;
      break;
    case kUShort:
      low = 0, high = UINT16_MAX;
      break;
    case kLong:
      low = INT32_MIN, high = INT32_MAX;
      break;
    default:
      low = 0, high = UINT32_MAX;
      break;
  }
}

// Reals compare equal within one part in 10^13; bounds keep a wider margin.
double tolerance(double value) {
  return std::abs(value) * 1e-12;
}

// The bounds of one key component, kept as field values in the ascending
// encoding (a descending component swaps them at the end).
class ComponentBounds {
 public:
  ComponentBounds(const FileControlBlock& table, uint16_t field, bool noCase)
      : fields_(table.fields),
        field_(table.fields[field - 1u]),
        noCase_(noCase),
        scratch_(table.record.size(), 0) {
    single_.attributes = noCase ? kKeyNoCase : 0;
    single_.components = {KeyComponent{field, ComponentOrder::Ascending}};
    fillKeyExtreme(field_, noCase_, false, scratch_.data());
    take(low_);
    fillKeyExtreme(field_, noCase_, true, scratch_.data());
    take(high_);
  }

  void offer(const FieldTerm& term) {
    const bool equal = term.relation == TermRelation::kEqual;
    const bool lowSide = equal || term.relation == TermRelation::kGreater ||
                         term.relation == TermRelation::kGreaterEqual;
    const bool highSide =
        equal || term.relation == TermRelation::kLess || term.relation == TermRelation::kLessEqual;
    if (isStringType(field_.type)) {
      offerText(term, equal, lowSide, highSide);
    } else if (isIntegerType(field_.type) || isRealType(field_.type)) {
      offerNumber(term, lowSide, highSide);
    }
  }

  bool bounded() const { return bounded_; }
  const std::vector<uint8_t>& low() const { return low_.value; }
  const std::vector<uint8_t>& high() const { return high_.value; }

 private:
  struct Side {
    std::vector<uint8_t> value;  // the field's bytes
    std::vector<uint8_t> code;   // their encoding
  };

  // The field's value in the scratch record becomes `side`.
  void take(Side& side) {
    const uint8_t* at = scratch_.data() + field_.offset;
    side.value.assign(at, at + field_.size);
    side.code.clear();
    encodeKeyValue(fields_, single_, scratch_.data(), side.code);
  }

  void offerLow() {
    Side candidate;
    take(candidate);
    if (candidate.code > low_.code) low_ = std::move(candidate);
    bounded_ = true;
  }
  void offerHigh() {
    Side candidate;
    take(candidate);
    if (candidate.code < high_.code) high_ = std::move(candidate);
    bounded_ = true;
  }

  const TextAgreement& agreement(bool upper) {
    auto& slot = upper ? upperAgreement_ : plainAgreement_;
    if (!slot) slot.emplace(upper, noCase_);
    return *slot;
  }

  size_t textCapacity() const {
    return field_.type == kPString ? std::min<size_t>(field_.size - 1, 255) : field_.size;
  }

  // `text` at the start of the field, the rest of it filled with blanks or
  // with the bytes that encode lowest or highest.
  enum class Fill { kBlanks, kLowest, kHighest };
  void putText(std::string_view text, Fill fill) {
    uint8_t* at = scratch_.data() + field_.offset;
    if (fill == Fill::kBlanks) {
      std::memset(at, ' ', field_.size);
      if (field_.type == kPString) at[0] = static_cast<uint8_t>(textCapacity());
    } else {
      fillKeyExtreme(field_, noCase_, fill == Fill::kHighest, scratch_.data());
    }
    std::copy(text.begin(), text.end(), at + (field_.type == kPString ? 1 : 0));
  }

  void offerText(const FieldTerm& term, bool equal, bool lowSide, bool highSide) {
    if (term.kind != ValueKind::kString) return;
    if (field_.size == 0 || (field_.type == kPString && field_.size < 2)) return;
    const TextAgreement& agree = agreement(term.upper);
    const std::string_view constant = clipText(term.text);
    // The longest start of the constant on which the evaluator and the key
    // agree; past it the bounds open up to anything.
    size_t length = 0;
    while (length < constant.size() && length < textCapacity()) {
      const char c = constant[length];
      if (equal ? !agree.equal(c) : (static_cast<uint8_t>(c) < ' ' || !agree.ordered(c))) break;
      ++length;
    }
    std::string_view start = constant.substr(0, length);
    if (!equal) start = clipText(start);
    const bool whole = start.size() == constant.size();
    if (lowSide && !start.empty()) {
      putText(start, Fill::kLowest);
      offerLow();
    }
    if (highSide) {
      // A matching text ends in blanks, or (below a bound) in bytes the
      // evaluator places below a blank.
      const bool blanksHighest =
          keyTextWeight(' ', noCase_) >= keyTextWeight(0, noCase_) && (equal || agree.ordered(' '));
      if (whole && blanksHighest) {
        putText(start, Fill::kBlanks);
        offerHigh();
      } else if (!start.empty()) {
        putText(start, Fill::kHighest);
        offerHigh();
      }
    }
  }

  void offerNumber(const FieldTerm& term, bool lowSide, bool highSide) {
    if (term.upper || (term.kind != ValueKind::kInt && term.kind != ValueKind::kReal)) return;
    const bool exact = term.kind == ValueKind::kInt;
    const double real = exact ? static_cast<double>(term.integer) : term.real;
    if (!std::isfinite(real)) return;
    std::unique_ptr<Ufo> value =
        makeUfo(field_.type, scratch_.data() + field_.offset, field_.size, field_.places);
    if (isIntegerType(field_.type)) {
      int64_t lowest = 0, highest = 0;
      integerLimits(field_.type, lowest, highest);
      auto clamp = [&](double bound) {
        return static_cast<int64_t>(
            std::clamp(bound, static_cast<double>(lowest), static_cast<double>(highest)));
      };
      const int64_t low = exact ? std::clamp(term.integer, lowest, highest)
                                : clamp(std::floor(real - tolerance(real)));
      const int64_t high = exact ? std::clamp(term.integer, lowest, highest)
                                 : clamp(std::ceil(real + tolerance(real)));
      if (lowSide) {
        value->assignInt(low);
        offerLow();
      }
      if (highSide) {
        value->assignInt(high);
        offerHigh();
      }
      return;
    }
    const double margin = tolerance(real);
    if (field_.type == kSReal && std::abs(real) + margin >= std::numeric_limits<float>::max())
      return;
    if (field_.type == kDecimal) {
      const int digits = static_cast<int>(field_.size) * 2 - 1 - static_cast<int>(field_.places);
      if (std::abs(real) + margin >= std::pow(10.0, digits)) return;
    }
    if (lowSide) {
      value->assignReal(real - margin);
      offerLow();
    }
    if (highSide) {
      value->assignReal(real + margin);
      offerHigh();
    }
  }

  const RecordLayout& fields_;
  const FieldDescriptor& field_;
  bool noCase_;
  KeyBlock single_;  // the field alone as an ascending key
  std::vector<uint8_t> scratch_;
  Side low_, high_;
  bool bounded_ = false;
  std::optional<TextAgreement> plainAgreement_, upperAgreement_;
};

bool isFieldOf(const FieldTerm& term, const FileControlBlock& table, const FieldDescriptor& field) {
  return term.field != nullptr && term.field->address() == table.record.data() + field.offset &&
         term.field->size() == field.size && term.field->type() == field.type;
}

}  // namespace

int KeyRange::place(const RecordLayout& fields, const KeyBlock& key, const uint8_t* record,
                    std::vector<uint8_t>& scratch) const {
  if (!bounded()) return 0;
  scratch.clear();
  encodeKeyValue(fields, key, record, scratch, components);
  return scratch < low ? -1 : scratch > high ? 1 : 0;
}

KeyRange findKeyRange(const FileControlBlock& table, const KeyBlock& key,
                      std::span<const FieldTerm> terms) {
  KeyRange range;
  range.lowSeek.assign(table.record.size(), 0);
  range.highSeek = range.lowSeek;
  for (const KeyComponent& component : key.components) {
    if (component.field < 1 || component.field > table.fields.size()) break;
    const FieldDescriptor& field = table.fields[component.field - 1u];
    if (field.offset + field.size > table.record.size()) break;
    ComponentBounds bounds(table, component.field, key.ignoresCase());
    for (const FieldTerm& term : terms) {
      if (isFieldOf(term, table, field)) bounds.offer(term);
    }
    if (!bounds.bounded()) break;
    const bool descending = component.order == ComponentOrder::Descending;
    const std::vector<uint8_t>& low = descending ? bounds.high() : bounds.low();
    const std::vector<uint8_t>& high = descending ? bounds.low() : bounds.high();
    std::copy(low.begin(), low.end(), range.lowSeek.begin() + field.offset);
    std::copy(high.begin(), high.end(), range.highSeek.begin() + field.offset);
    ++range.components;
  }
  if (range.bounded()) {
    fillKeyComponents(table.fields, key, range.components, false, range.lowSeek.data());
    fillKeyComponents(table.fields, key, range.components, true, range.highSeek.data());
    encodeKeyValue(table.fields, key, range.lowSeek.data(), range.low, range.components);
    encodeKeyValue(table.fields, key, range.highSeek.data(), range.high, range.components);
  }
  return range;
}

}  // namespace zor::data
