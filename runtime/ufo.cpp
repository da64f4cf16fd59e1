#include "runtime/ufo.h"

#include "runtime/fatal_error.h"
#include "runtime/type_codes.h"
#include "runtime/ufo_any.h"
#include "runtime/ufo_numeric.h"
#include "runtime/ufo_string.h"

namespace zor {

namespace {

constexpr int kMakeUfoError = 501;

int sign(int value) {
  return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

std::string withoutTrailingBlanks(std::string text) {
  size_t end = text.find_last_not_of(' ');
  text.erase(end == std::string::npos ? 0 : end + 1);
  return text;
}

}  // namespace

int Ufo::compare(const Ufo& other) const {
  if (isNumeric() || other.isNumeric()) {
    if (isFloating() || other.isFloating()) {
      double a = toReal();
      double b = other.toReal();
      return a < b ? -1 : (a > b ? 1 : 0);
    }
    DecimalAccumulator a, b;
    toDecimal(a);
    other.toDecimal(b);
    return compareDecimal(a, b);
  }
  // Byte order of the texts, as unsigned characters.
  return sign(withoutTrailingBlanks(text()).compare(withoutTrailingBlanks(other.text())));
}

std::unique_ptr<Ufo> makeUfo(uint8_t type, void* address, size_t size, unsigned places) {
  uint8_t* bytes = static_cast<uint8_t*>(address);
  switch (type) {
    case kByte:
      return std::make_unique<UfoByte>(bytes);
    case kShort:
      return std::make_unique<UfoShort>(bytes);
    case kUShort:
      return std::make_unique<UfoUShort>(bytes);
    case kDate:
      return std::make_unique<UfoDate>(bytes);
    case kTime:
      return std::make_unique<UfoTime>(bytes);
    case kLong:
      return std::make_unique<UfoLong>(bytes);
    case kULong:
      return std::make_unique<UfoULong>(bytes);
    case kSReal:
      return std::make_unique<UfoSReal>(bytes);
    case kReal:
      return std::make_unique<UfoReal>(bytes);
    case kDecimal:
      return std::make_unique<UfoDecimal>(bytes, size, places);
    case kPDecimal:
      return std::make_unique<UfoPDecimal>(bytes, size, places);
    case kBFloat4:
      return std::make_unique<UfoBFloat4>(bytes);
    case kBFloat8:
      return std::make_unique<UfoBFloat8>(bytes);
    case kAny:
      return std::make_unique<UfoAny>(bytes, size);
    case kString:
    case kGroup:
      return std::make_unique<UfoString>(type, bytes, size);
    case kCString:
      return std::make_unique<UfoCString>(bytes, size);
    case kPString:
      return std::make_unique<UfoPString>(bytes, size);
    default:
      fatalRuntimeError(kMakeUfoError, "Make UFO Error");
  }
}

}  // namespace zor
