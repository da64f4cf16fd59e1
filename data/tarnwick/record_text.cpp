#include "data/tarnwick/record_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/hex_text.h"
#include "runtime/date_time.h"
#include "runtime/decimal.h"
#include "runtime/picture.h"
#include "runtime/type_codes.h"

namespace zor::tarnwick {

namespace {

constexpr const char* kDatePicture = "@D10-";
constexpr const char* kTimePicture = "@T4";

template <class T>
T load(const uint8_t* p) {
  T value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

template <class T>
void store(uint8_t* p, T value) {
  std::memcpy(p, &value, sizeof value);
}

bool parseInteger(const std::string& text, int64_t low, int64_t high, int64_t& value) {
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && at == end && value >= low && value <= high;
}

bool parseReal(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && std::isfinite(value);
}

std::string trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Reads a date or time through its picture; a date the picture would not
// show as it stands (a 30th of February) is no value.
bool parseThroughPicture(const char* picture, bool date, const std::string& text,
                         int32_t& standard) {
  int64_t value = 0;
  if (!parseInteger(deformatPicture(picture, text), 1, 0x7FFFFFFF, value)) return false;
  standard = static_cast<int32_t>(value);
  if (!date) return standard <= 8640000;
  return trimmed(formatPicture(picture, PictureValue::ofDate(standard))) == trimmed(text);
}

std::string realText(double value, int digits) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
  return buffer;
}

bool storeText(const FieldDescriptor& field, const std::string& text, uint8_t* at,
               std::string& reason) {
  const size_t room =
      field.type == kCString || field.type == kPString ? field.size - 1 : field.size;
  if (field.size == 0 || text.size() > room) {
    reason = "text longer than the field's " + std::to_string(room) + " characters";
    return false;
  }
  if (field.type == kCString) {
    std::memset(at, 0, field.size);
    std::memcpy(at, text.data(), text.size());
  } else if (field.type == kPString) {
    std::memset(at, 0, field.size);
    at[0] = static_cast<uint8_t>(text.size());
    std::memcpy(at + 1, text.data(), text.size());
  } else {
    std::memset(at, ' ', field.size);
    std::memcpy(at, text.data(), text.size());
  }
  return true;
}

}  // namespace

std::string fieldText(const FieldDescriptor& field, const uint8_t* record) {
  const uint8_t* at = record + field.offset;
  if (!field.dimensions.empty()) return platform::hexText(at, field.size);
  switch (field.type) {
    case kString:
    case kGroup: {
      size_t length = field.size;
      while (length > 0 && (at[length - 1] == ' ' || at[length - 1] == 0)) --length;
      return std::string(reinterpret_cast<const char*>(at), length);
    }
    case kCString:
      return std::string(reinterpret_cast<const char*>(at),
                         strnlen(reinterpret_cast<const char*>(at), field.size));
    case kPString:
      return field.size == 0 ? std::string()
                             : std::string(reinterpret_cast<const char*>(at + 1),
                                           std::min<size_t>(at[0], field.size - 1));
    case kByte:
      return std::to_string(at[0]);
    case kShort:
      return std::to_string(load<int16_t>(at));
    case kUShort:
      return std::to_string(load<uint16_t>(at));
    case kLong:
      return std::to_string(load<int32_t>(at));
    case kULong:
      return std::to_string(load<uint32_t>(at));
    case kSReal:
      return realText(load<float>(at), 7);
    case kReal:
      return realText(load<double>(at), 15);
    case kDecimal: {
      DecimalAccumulator value;
      unpackDecimal(at, field.size, field.places, value);
      return decimalToFixedText(value, field.places);
    }
    case kDate: {
      const int32_t standard = packedToStandardDate(readPackedDate(at));
      return standard == 0 ? std::string()
                           : formatPicture(kDatePicture, PictureValue::ofDate(standard));
    }
    case kTime: {
      const int32_t standard = packedToStandardTime(readPackedTime(at));
      return standard <= 0 ? std::string()
                           : formatPicture(kTimePicture, PictureValue::ofTime(standard));
    }
    default:
      return platform::hexText(at, field.size);
  }
}

bool storeFieldText(const FieldDescriptor& field, const std::string& text, uint8_t* record,
                    std::string& reason) {
  uint8_t* at = record + field.offset;
  int64_t integer = 0;
  double real = 0;
  const bool plain = field.dimensions.empty();
  switch (plain ? field.type : uint8_t{0}) {
    case kString:
    case kGroup:
    case kCString:
    case kPString:
      return storeText(field, text, at, reason);
    case kByte:
      if (!parseInteger(text, 0, 255, integer)) break;
      at[0] = static_cast<uint8_t>(integer);
      return true;
    case kShort:
      if (!parseInteger(text, -32768, 32767, integer)) break;
      store(at, static_cast<int16_t>(integer));
      return true;
    case kUShort:
      if (!parseInteger(text, 0, 65535, integer)) break;
      store(at, static_cast<uint16_t>(integer));
      return true;
    case kLong:
      if (!parseInteger(text, std::numeric_limits<int32_t>::min(),
                        std::numeric_limits<int32_t>::max(), integer))
        break;
      store(at, static_cast<int32_t>(integer));
      return true;
    case kULong:
      if (!parseInteger(text, 0, std::numeric_limits<uint32_t>::max(), integer)) break;
      store(at, static_cast<uint32_t>(integer));
      return true;
    case kSReal:
      if (!parseReal(text, real)) break;
      store(at, static_cast<float>(real));
      return true;
    case kReal:
      if (!parseReal(text, real)) break;
      store(at, real);
      return true;
    case kDecimal: {
      DecimalAccumulator value;
      if (!decimalFromText(text, value)) break;
      packDecimal(value, at, field.size, field.places);
      DecimalAccumulator back;
      unpackDecimal(at, field.size, field.places, back);
      roundDecimal(value, field.places);
      if (compareDecimal(value, back) != 0) {
        reason = "number does not fit the field";
        return false;
      }
      return true;
    }
    case kDate: {
      PackedDate date;
      if (text.empty()) {
        writePackedDate(at, date);
        return true;
      }
      int32_t standard = 0;
      if (!parseThroughPicture(kDatePicture, true, text, standard) ||
          !standardToPackedDate(standard, date))
        break;
      writePackedDate(at, date);
      return true;
    }
    case kTime: {
      PackedTime time;
      if (text.empty()) {
        writePackedTime(at, time);
        return true;
      }
      int32_t standard = 0;
      if (!parseThroughPicture(kTimePicture, false, text, standard) ||
          !standardToPackedTime(standard, time))
        break;
      writePackedTime(at, time);
      return true;
    }
    default: {
      if (text.size() != 2 * field.size) break;
      for (size_t i = 0; i < field.size; ++i) {
        int64_t byte = 0;
        const auto [end, error] =
            std::from_chars(text.data() + 2 * i, text.data() + 2 * i + 2, byte, 16);
        if (error != std::errc() || end != text.data() + 2 * i + 2) {
          reason = "not " + std::to_string(field.size) + " bytes in hexadecimal";
          return false;
        }
        at[i] = static_cast<uint8_t>(byte);
      }
      return true;
    }
  }
  reason = "\"" + text + "\" is no " + (plain ? typeName(field.type) : "hexadecimal") + " value";
  return false;
}

}  // namespace zor::tarnwick
