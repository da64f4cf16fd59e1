#include "data/key_order.h"

#include <algorithm>
#include <cstring>

#include "runtime/locale.h"
#include "runtime/type_codes.h"

namespace zor::data {

namespace {

void reversed(const uint8_t* bytes, size_t size, uint8_t* out) {
  for (size_t i = 0; i < size; ++i) out[i] = bytes[size - 1 - i];
}

void invert(uint8_t* bytes, size_t size) {
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(255 - bytes[i]);
}

void encodeComponent(const FieldDescriptor& field, bool noCase, const uint8_t* record,
                     uint8_t* out) {
  const uint8_t* value = record + field.offset;
  const size_t size = field.size;
  if (size == 0) return;
  switch (field.type) {
    case kString:
    case kGroup:
      collationWeights(value, size, size, noCase, out);
      break;
    case kCString: {
      const void* end = std::memchr(value, 0, size);
      const size_t length =
          end == nullptr ? size : static_cast<size_t>(static_cast<const uint8_t*>(end) - value);
      collationWeights(value, length, size, noCase, out);
      break;
    }
    case kPString: {
      const size_t length = std::min<size_t>(value[0], size - 1);
      collationWeights(value + 1, length, size, noCase, out);
      break;
    }
    case kUShort:
    case kULong:
    case kDate:
      reversed(value, size, out);
      break;
    case kTime:
      // A packed time holds hours, minutes, seconds and hundredths in that
      // order: its bytes already sort as they stand. Reversing them, as
      // for the little-endian numbers, would sort by hundredths first.
      std::memcpy(out, value, size);
      break;
    case kShort:
    case kLong:
      reversed(value, size, out);
      out[0] ^= 0x80;
      break;
    case kSReal:
    case kReal:
      reversed(value, size, out);
      if ((out[0] & 0x80) != 0) {
        invert(out, size);
      } else {
        out[0] |= 0x80;
      }
      break;
    case kDecimal: {
      std::memcpy(out, value, size);
      const bool negative = (out[0] & 0xF0) != 0;
      out[0] &= 0x0F;
      out[0] ^= 0x80;
      if (negative) invert(out, size);
      break;
    }
    default:
      std::memcpy(out, value, size);
      break;
  }
}

bool componentIsBlank(const FieldDescriptor& field, const uint8_t* record) {
  const uint8_t* value = record + field.offset;
  const size_t size = field.size;
  auto allOf = [&](size_t from, size_t to, auto blank) {
    for (size_t i = from; i < to; ++i) {
      if (!blank(value[i])) return false;
    }
    return true;
  };
  const auto spaceOrZero = [](uint8_t c) { return c == ' ' || c == 0; };
  switch (field.type) {
    case kString:
    case kGroup:
      return allOf(0, size, spaceOrZero);
    case kCString: {
      for (size_t i = 0; i < size && value[i] != 0; ++i) {
        if (value[i] != ' ') return false;
      }
      return true;
    }
    case kPString:
      return size == 0 || allOf(1, 1 + std::min<size_t>(value[0], size - 1), spaceOrZero);
    case kSReal:
    case kReal:
      // Negative zero counts as zero: only the sign bit may be set.
      return allOf(0, size - 1, [](uint8_t c) { return c == 0; }) && (value[size - 1] & 0x7F) == 0;
    case kDecimal:
      return (value[0] & 0x0F) == 0 && allOf(1, size, [](uint8_t c) { return c == 0; });
    default:
      return allOf(0, size, [](uint8_t c) { return c == 0; });
  }
}

}  // namespace

uint32_t keyValueLength(const RecordLayout& fields, const KeyBlock& key) {
  uint32_t length = 0;
  for (const KeyComponent& component : key.components) {
    if (component.field >= 1 && component.field <= fields.size())
      length += fields[component.field - 1u].size;
  }
  return length;
}

void encodeKeyValue(const RecordLayout& fields, const KeyBlock& key, const uint8_t* record,
                    std::vector<uint8_t>& out, size_t components) {
  for (const KeyComponent& component : key.components) {
    if (components-- == 0) break;
    if (component.field < 1 || component.field > fields.size()) continue;
    const FieldDescriptor& field = fields[component.field - 1u];
    const size_t at = out.size();
    out.resize(at + field.size);
    encodeComponent(field, key.ignoresCase(), record, out.data() + at);
    if (component.order == ComponentOrder::Descending) invert(out.data() + at, field.size);
  }
}

bool keyValueIsBlank(const RecordLayout& fields, const KeyBlock& key, const uint8_t* record) {
  for (const KeyComponent& component : key.components) {
    if (component.field < 1 || component.field > fields.size()) continue;
    if (!componentIsBlank(fields[component.field - 1u], record)) return false;
  }
  return true;
}

bool recordHasEntry(const RecordLayout& fields, const KeyBlock& key, const uint8_t* record) {
  return (key.attributes & kKeyOpt) == 0 || !keyValueIsBlank(fields, key, record);
}

uint8_t keyTextWeight(uint8_t c, bool noCase) {
  uint8_t weight = 0;
  collationWeights(&c, 1, 1, noCase, &weight);
  return weight;
}

void fillKeyExtreme(const FieldDescriptor& field, bool noCase, bool highest, uint8_t* record) {
  uint8_t* value = record + field.offset;
  const size_t size = field.size;
  if (size == 0) return;
  const uint8_t low = highest ? 0xFF : 0x00;  // the extreme where the bytes sort as they stand
  switch (field.type) {
    case kString:
    case kGroup:
    case kCString:
    case kPString: {
      unsigned best = 0;
      uint8_t bestWeight = keyTextWeight(0, noCase);
      for (unsigned c = 1; c < 256; ++c) {
        const uint8_t weight = keyTextWeight(static_cast<uint8_t>(c), noCase);
        if (highest ? weight > bestWeight : weight < bestWeight) {
          best = c;
          bestWeight = weight;
        }
      }
      std::memset(value, static_cast<int>(best), size);
      if (field.type == kPString) value[0] = static_cast<uint8_t>(std::min<size_t>(size - 1, 255));
      break;
    }
    case kShort:
    case kLong:
      std::memset(value, low, size);
      value[size - 1] = highest ? 0x7F : 0x80;
      break;
    case kSReal:
    case kReal:
      // All bits set is the negative NaN that encodes lowest; the positive
      // one encodes highest.
      std::memset(value, 0xFF, size);
      if (highest) value[size - 1] = 0x7F;
      break;
    case kDecimal:
      std::memset(value, 0xFF, size);
      if (highest) value[0] = 0x0F;
      break;
    default:
      std::memset(value, low, size);
      break;
  }
}

void fillKeyComponents(const RecordLayout& fields, const KeyBlock& key, size_t from, bool highest,
                       uint8_t* record) {
  for (size_t i = from; i < key.components.size(); ++i) {
    const KeyComponent& component = key.components[i];
    if (component.field < 1 || component.field > fields.size()) continue;
    const bool descending = component.order == ComponentOrder::Descending;
    fillKeyExtreme(fields[component.field - 1u], key.ignoresCase(), highest != descending, record);
  }
}

}  // namespace zor::data
