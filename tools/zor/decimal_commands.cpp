// zor decimal, zor pdecimal: a value packed into DECIMAL(D,P) or
// PDECIMAL(D,P), shown as its bytes and as read back from them.

#include <cstdio>
#include <iostream>
#include <vector>

#include "runtime/decimal.h"
#include "tools/zor/command.h"

namespace zor::tool {

namespace {

constexpr int64_t kMostDigits = 31;

int runPacked(const char* name, bool trailingSign, const Arguments& arguments) {
  if (arguments.size() != 3) return usageError(name, "expected digits, places and a value");
  int64_t digits = 0, places = 0;
  if (!parseInteger(arguments[0], 1, kMostDigits, digits)) {
    return usageError(name, "digits must be a number from 1 to 31: \"" + arguments[0] + "\"");
  }
  if (!parseInteger(arguments[1], 0, digits, places)) {
    return usageError(name,
                      "places must be a number from 0 to the digits: \"" + arguments[1] + "\"");
  }
  DecimalAccumulator value;
  if (!decimalFromText(arguments[2], value)) {
    return usageError(name, "not a decimal number: \"" + arguments[2] + "\"");
  }
  std::vector<uint8_t> bytes(decimalByteSize(static_cast<unsigned>(digits)));
  unsigned p = static_cast<unsigned>(places);
  DecimalAccumulator readBack;
  if (trailingSign) {
    packPDecimal(value, bytes.data(), bytes.size(), p);
    unpackPDecimal(bytes.data(), bytes.size(), p, readBack);
  } else {
    packDecimal(value, bytes.data(), bytes.size(), p);
    unpackDecimal(bytes.data(), bytes.size(), p, readBack);
  }
  std::string line;
  for (uint8_t byte : bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", byte);
    if (!line.empty()) line += ' ';
    line += hex;
  }
  std::cout << line << " = " << decimalToFixedText(readBack, p) << '\n';
  return kExitOk;
}

int runDecimal(const Arguments& arguments) {
  return runPacked("decimal", false, arguments);
}
int runPDecimal(const Arguments& arguments) {
  return runPacked("pdecimal", true, arguments);
}

CommandRegistrar decimalCommand{"decimal", "D P VALUE",
                                "VALUE packed into DECIMAL(D,P): its bytes and the value read back",
                                runDecimal};
CommandRegistrar pdecimalCommand{
    "pdecimal", "D P VALUE", "VALUE packed into PDECIMAL(D,P): its bytes and the value read back",
    runPDecimal};

}  // namespace

}  // namespace zor::tool
