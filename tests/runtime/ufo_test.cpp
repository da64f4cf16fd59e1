#include "runtime/ufo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <stdexcept>

#include "runtime/date_time.h"
#include "runtime/fatal_error.h"
#include "runtime/type_codes.h"
#include "runtime/ufo_numeric.h"

namespace zor {
namespace {

TEST(TypeCodes, NamesFromTheTable) {
  EXPECT_STREQ(typeName(kEnd), "END");
  EXPECT_STREQ(typeName(kPDecimal), "PDECIMAL");
  EXPECT_STREQ(typeName(17), "(17)");
  EXPECT_STREQ(typeName(kCString), "CSTRING");
  EXPECT_STREQ(typeName(kStdNum), "STDNUM");
  EXPECT_STREQ(typeName(31), "UNKNOWN");
  EXPECT_STREQ(typeName(255), "UNKNOWN");
  EXPECT_TRUE(isStringType(kGroup));
  EXPECT_FALSE(isStringType(kMemo));
  EXPECT_TRUE(isNumericType(kBFloat8));
  EXPECT_FALSE(isNumericType(kDum1));
}

TEST(Ufo, IntegersAreLittleEndianAndWrapLikeTheirType) {
  uint8_t bytes[4] = {};
  auto shortField = makeUfo(kShort, bytes, 2);
  shortField->assignInt(-2);
  EXPECT_EQ(bytes[0], 0xFE);
  EXPECT_EQ(bytes[1], 0xFF);
  EXPECT_EQ(shortField->toInt(), -2);
  shortField->assignInt(70000);  // keeps the low 16 bits
  EXPECT_EQ(shortField->toInt(), 70000 - 65536);
  auto byteField = makeUfo(kByte, bytes, 1);
  byteField->assignReal(-1.9);  // truncated to -1, stored as 255
  EXPECT_EQ(byteField->toInt(), 255);
  auto ulong = makeUfo(kULong, bytes, 4);
  ulong->assignText(" 4294967295 ");
  EXPECT_EQ(ulong->toInt(), 4294967295);
  EXPECT_EQ(ulong->text(), "4294967295");
  auto longField = makeUfo(kLong, bytes, 4);
  EXPECT_EQ(longField->toInt(), -1);
  longField->assignReal(1e300);  // saturates before wrapping: no undefined conversion
  longField->assignText("12.9");
  EXPECT_EQ(longField->toInt(), 12);
  longField->assignText("rubbish");
  EXPECT_EQ(longField->toInt(), 0);
}

TEST(Ufo, DatesAndTimesReadAsStandardNumbers) {
  uint8_t bytes[4] = {1, 1, 0x09, 0x07};  // 1 January 1801
  auto date = makeUfo(kDate, bytes, 4);
  EXPECT_EQ(date->toInt(), 4);
  date->assignInt(kLastStandardDate);
  EXPECT_EQ(readPackedDate(bytes).year, 9999);
  date->assignInt(kLastStandardDate + 1);  // invalid: no date
  EXPECT_EQ(bytes[0] + bytes[1] + bytes[2] + bytes[3], 0);
  date->assignInt(int64_t{1} << 40);
  EXPECT_EQ(date->toInt(), 0);
  auto time = makeUfo(kTime, bytes, 4);
  time->assignInt(8640000);
  EXPECT_EQ(bytes[0], 23);
  EXPECT_EQ(bytes[3], 99);
  EXPECT_EQ(time->text(), "8640000");
}

TEST(Ufo, FloatingForms) {
  uint8_t bytes[8] = {};
  auto sreal = makeUfo(kSReal, bytes, 4);
  sreal->assignText("0.1");
  EXPECT_EQ(sreal->text(), "0.1");
  sreal->assignReal(1e300);  // beyond the float range: the largest float
  EXPECT_TRUE(std::isfinite(sreal->toReal()));
  auto real = makeUfo(kReal, bytes, 8);
  real->assignText("1.5e3");
  EXPECT_DOUBLE_EQ(real->toReal(), 1500);
  EXPECT_EQ(real->toInt(), 1500);
  EXPECT_TRUE(real->isFloating());
}

TEST(Ufo, BFloatsRoundTripThroughReal) {
  uint8_t bytes[8] = {};
  for (double value : {1.0, -1.0, 0.5, 3.14159, -1234.5678, 1e30, -1e-30, 0.0}) {
    realToBFloat(value, bytes, 8);
    EXPECT_EQ(bfloatToReal(bytes, 8), value);  // 55 mantissa bits hold a double exactly
    realToBFloat(value, bytes, 4);
    EXPECT_NEAR(bfloatToReal(bytes, 4), value, std::fabs(value) * 1e-7);
  }
  realToBFloat(1.0, bytes, 4);
  EXPECT_EQ(bytes[3], 129);  // exponent byte last, bias 129
  EXPECT_EQ(bytes[0] + bytes[1] + bytes[2], 0);
  realToBFloat(-1.0, bytes, 4);
  EXPECT_EQ(bytes[2], 0x80);
  realToBFloat(1e300, bytes, 4);  // too large: the largest magnitude
  EXPECT_EQ(bytes[3], 255);
  realToBFloat(1e-300, bytes, 4);  // too small: zero
  EXPECT_EQ(bytes[3], 0);
  auto field = makeUfo(kBFloat8, bytes, 8);
  field->assignInt(-42);
  EXPECT_EQ(field->toInt(), -42);
  EXPECT_EQ(field->text(), "-42");
}

TEST(Ufo, PackedDecimalsRoundOnWrite) {
  uint8_t bytes[3] = {};
  auto decimal = makeUfo(kDecimal, bytes, 3, 2);
  decimal->assignText("-12.345");
  EXPECT_EQ(bytes[0], 0xF0);
  EXPECT_EQ(decimal->text(), "-12.35");
  EXPECT_EQ(decimal->toInt(), -12);
  decimal->assignReal(0.125);
  EXPECT_EQ(decimal->text(), "0.13");
  auto pdecimal = makeUfo(kPDecimal, bytes, 3, 1);
  pdecimal->assignInt(-42);
  EXPECT_EQ(bytes[2], 0x0D);
  EXPECT_EQ(pdecimal->text(), "-42");
}

TEST(Ufo, StringKinds) {
  char text[10];
  std::memset(text, 'x', sizeof text);
  auto string = makeUfo(kString, text, 6);
  string->assignText("abc");
  EXPECT_EQ(string->text(), "abc   ");
  string->assignText("abcdefgh");
  EXPECT_EQ(string->text(), "abcdef");
  EXPECT_EQ(text[6], 'x');  // nothing written beyond the field
  string->assignInt(-15);
  EXPECT_EQ(string->toInt(), -15);
  string->clear();
  EXPECT_EQ(string->text(), "      ");

  auto cstring = makeUfo(kCString, text, 6);
  cstring->assignText("abcdefgh");
  EXPECT_EQ(cstring->text(), "abcde");  // the NUL takes the last byte
  EXPECT_EQ(text[5], '\0');
  std::memset(text, 'y', 6);  // no NUL at all: the whole field
  EXPECT_EQ(cstring->text(), "yyyyyy");

  std::memcpy(text,
              "\x03"
              "abcdefghi",
              10);
  auto pstring = makeUfo(kPString, text, 10);
  EXPECT_EQ(pstring->text(), "abc");
  text[0] = static_cast<char>(200);  // a length beyond the field reads what is there
  EXPECT_EQ(pstring->text().size(), 9u);
  pstring->assignText(std::string(20, 'z'));
  EXPECT_EQ(static_cast<uint8_t>(text[0]), 9);

  uint8_t group[4] = {1, 2, 3, 4};
  auto groupField = makeUfo(kGroup, group, 4);
  EXPECT_EQ(groupField->type(), kGroup);
  EXPECT_EQ(groupField->text(), std::string("\x01\x02\x03\x04", 4));
  groupField->clear();
  EXPECT_EQ(group[0] + group[3], 0);
}

TEST(Ufo, CompareByValueOrByText) {
  uint8_t a[8] = {}, b[8] = {};
  char s1[8], s2[8];
  auto longField = makeUfo(kLong, a, 4);
  auto decimal = makeUfo(kDecimal, b, 3, 2);
  longField->assignInt(12);
  decimal->assignText("12.01");
  EXPECT_EQ(longField->compare(*decimal), -1);
  EXPECT_EQ(decimal->compare(*longField), 1);
  auto string = makeUfo(kString, s1, 8);
  auto cstring = makeUfo(kCString, s2, 8);
  string->assignText("abc");
  cstring->assignText("abc");
  EXPECT_EQ(string->compare(*cstring), 0);  // trailing blanks do not count
  cstring->assignText("abd");
  EXPECT_EQ(string->compare(*cstring), -1);
  string->assignText("9");
  EXPECT_EQ(string->compare(*longField), -1);  // a number on one side: by value
  auto real = makeUfo(kReal, b, 8);
  real->assignReal(12.5);
  EXPECT_EQ(longField->compare(*real), -1);
}

TEST(Ufo, AnyRemembersWhatItWasGiven) {
  uint8_t slot[4] = {};
  auto any = makeUfo(kAny, slot, 4);
  any->assignText("hello");
  EXPECT_FALSE(any->isNumeric());
  EXPECT_EQ(any->text(), "hello");
  any->assignReal(2.5);
  EXPECT_TRUE(any->isNumeric());
  EXPECT_EQ(any->text(), "2.5");
  EXPECT_EQ(any->toInt(), 2);
}

struct FatalError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

TEST(Ufo, UnsupportedTypeIsFatalError501) {
  FatalErrorHook previous = setFatalErrorHook([](int code, const std::string& message) {
    throw FatalError(std::to_string(code) + message);
  });
  uint8_t bytes[4] = {};
  for (int code : {0, 12, 16, 21, 27, 26, 200}) {  // END, DUM1, TEMPUFO, MEMO, BLOB, QUEUE
    try {
      makeUfo(static_cast<uint8_t>(code), bytes, 4);
      ADD_FAILURE() << "no fatal error for " << code;
    } catch (const FatalError& error) {
      EXPECT_STREQ(error.what(), "501Internal error 01 : Make UFO Error\nDo you want to GPF?");
    }
  }
  setFatalErrorHook(previous);
}

}  // namespace
}  // namespace zor
