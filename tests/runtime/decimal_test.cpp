#include "runtime/decimal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace zor {
namespace {

std::string hexOf(const std::vector<uint8_t>& bytes) {
  std::string text;
  const char* digits = "0123456789ABCDEF";
  for (uint8_t b : bytes) {
    if (!text.empty()) text += ' ';
    text += digits[b >> 4];
    text += digits[b & 15];
  }
  return text;
}

std::vector<uint8_t> packed(const std::string& value, unsigned digits, unsigned places,
                            bool trailing) {
  DecimalAccumulator acc;
  EXPECT_TRUE(decimalFromText(value, acc)) << value;
  std::vector<uint8_t> bytes(decimalByteSize(digits), 0xAA);
  if (trailing) {
    packPDecimal(acc, bytes.data(), bytes.size(), places);
  } else {
    packDecimal(acc, bytes.data(), bytes.size(), places);
  }
  return bytes;
}

std::string unpacked(const std::vector<uint8_t>& bytes, unsigned places, bool trailing) {
  DecimalAccumulator acc;
  if (trailing) {
    unpackPDecimal(bytes.data(), bytes.size(), places, acc);
  } else {
    unpackDecimal(bytes.data(), bytes.size(), places, acc);
  }
  return decimalToText(acc);
}

// The exact text of sign * magnitude / 10^scale, rounded half away from zero
// to `places` decimals, with exactly `places` decimals.
std::string exactRounded(bool negative, uint64_t magnitude, int scale, int places) {
  uint64_t power = 1;
  for (int i = places; i < scale; ++i) power *= 10;
  uint64_t kept = magnitude / power;
  if (scale > places && (magnitude % power) * 2 >= power) ++kept;
  int shownPlaces = places;
  std::string digits = std::to_string(kept);
  if (scale < places) {
    digits += std::string(static_cast<size_t>(places - scale), '0');
  }
  while (digits.size() <= static_cast<size_t>(shownPlaces)) digits.insert(digits.begin(), '0');
  std::string text = digits.substr(0, digits.size() - shownPlaces);
  if (shownPlaces > 0) text += "." + digits.substr(digits.size() - shownPlaces);
  bool zero = kept == 0;
  return (negative && !zero ? "-" : "") + text;
}

TEST(Decimal, StorageFormsOfTheTwoPackings) {
  EXPECT_EQ(decimalByteSize(5), 3u);
  EXPECT_EQ(hexOf(packed("-12.345", 5, 2, false)), "F0 12 35");
  EXPECT_EQ(hexOf(packed("12.344", 5, 2, false)), "00 12 34");
  EXPECT_EQ(hexOf(packed("0", 5, 2, false)), "00 00 00");
  EXPECT_EQ(hexOf(packed("-0.004", 5, 2, false)), "00 00 00");  // rounds to zero: no sign
  EXPECT_EQ(hexOf(packed("-12.345", 5, 2, true)), "01 23 5D");
  EXPECT_EQ(hexOf(packed("12.345", 4, 2, true)), "01 23 5F");
  EXPECT_EQ(hexOf(packed("0", 4, 2, true)), "00 00 00");
}

TEST(Decimal, IntegerDigitsThatDoNotFitAreDroppedAtTheHighEnd) {
  EXPECT_EQ(hexOf(packed("123456", 3, 0, false)), "04 56");
  EXPECT_EQ(hexOf(packed("-1000", 3, 0, false)), "00 00");  // nothing left: a plain zero
  EXPECT_EQ(hexOf(packed("-1000", 3, 0, true)), "00 00");
  EXPECT_EQ(hexOf(packed("99.999", 5, 2, false)), "01 00 00");  // carry into the next digit
}

TEST(Decimal, ReadingSignNibbles) {
  // DECIMAL: any non-zero high nibble is negative; PDECIMAL: only 0xD.
  EXPECT_EQ(unpacked({0x10, 0x12, 0x35}, 2, false), "-12.35");
  EXPECT_EQ(unpacked({0x01, 0x23, 0x5C}, 2, true), "12.35");
  EXPECT_EQ(unpacked({0x01, 0x23, 0x5B}, 2, true), "12.35");
  EXPECT_EQ(unpacked({0x01, 0x23, 0x5D}, 2, true), "-12.35");
  EXPECT_EQ(unpacked({0xF0, 0x00, 0x00}, 2, false), "0");  // negative zero reads as zero
  EXPECT_EQ(unpacked({0x0A, 0xBC}, 0, false), "999");      // damaged digits stay digits
}

TEST(Decimal, RoundingAgreesWithExactArithmetic) {
  std::mt19937_64 random(20261207);
  for (int trial = 0; trial < 20000; ++trial) {
    int scale = static_cast<int>(random() % 19);  // decimals of the source value
    int totalDigits = 1 + static_cast<int>(random() % 18);
    uint64_t limit = 1;
    for (int i = 0; i < totalDigits; ++i) limit *= 10;
    uint64_t magnitude = random() % limit;
    // Bias towards halves, where rounding errors hide.
    if (trial % 3 == 0 && scale > 0) magnitude = magnitude / 10 * 10 + 5;
    bool negative = random() % 2 == 0;
    // Keep the integer digits inside DECIMAL(31, places).
    int integerDigits = std::max(0, static_cast<int>(std::to_string(magnitude).size()) - scale);
    int places =
        static_cast<int>(random() % static_cast<uint64_t>(std::min(19, 32 - integerDigits)));

    std::string source = exactRounded(negative, magnitude, scale, scale);
    std::string expected = exactRounded(negative, magnitude, scale, places);
    DecimalAccumulator acc;
    ASSERT_TRUE(decimalFromText(source, acc)) << source;
    // Through DECIMAL(31, places) and PDECIMAL(31, places).
    for (bool trailing : {false, true}) {
      std::vector<uint8_t> bytes(decimalByteSize(31));
      DecimalAccumulator back;
      if (trailing) {
        packPDecimal(acc, bytes.data(), bytes.size(), static_cast<unsigned>(places));
        unpackPDecimal(bytes.data(), bytes.size(), static_cast<unsigned>(places), back);
      } else {
        packDecimal(acc, bytes.data(), bytes.size(), static_cast<unsigned>(places));
        unpackDecimal(bytes.data(), bytes.size(), static_cast<unsigned>(places), back);
      }
      ASSERT_EQ(decimalToFixedText(back, static_cast<unsigned>(places)), expected)
          << source << " to " << places << " places";
    }
    DecimalAccumulator rounded = acc;
    roundDecimal(rounded, static_cast<unsigned>(places));
    ASSERT_EQ(decimalToFixedText(rounded, static_cast<unsigned>(places)), expected) << source;
  }
}

TEST(Decimal, TextConversions) {
  DecimalAccumulator acc;
  for (const char* text : {"0", "-12.35", "0.5", "123456789012345678901234567890.5", "-0.001"}) {
    ASSERT_TRUE(decimalFromText(text, acc)) << text;
    EXPECT_EQ(decimalToText(acc), text);
  }
  ASSERT_TRUE(decimalFromText("+007.50", acc));
  EXPECT_EQ(decimalToText(acc), "7.5");
  ASSERT_TRUE(decimalFromText(".25", acc));
  EXPECT_EQ(decimalToText(acc), "0.25");
  ASSERT_TRUE(decimalFromText("-0.000", acc));
  EXPECT_EQ(decimalToText(acc), "0");
  EXPECT_EQ(acc.sign, 1);
  for (const char* bad : {"", "-", ".", "1.2.3", "12a", " 1", "1e5",
                          "123456789012345678901234567890123"}) {  // 33 integer digits
    EXPECT_FALSE(decimalFromText(bad, acc)) << bad;
    EXPECT_TRUE(acc.isZero());
  }
  // The 32nd decimal rounds the 31st.
  ASSERT_TRUE(decimalFromText("0.00000000000000000000000000000015", acc));
  EXPECT_EQ(decimalToText(acc), "0.0000000000000000000000000000002");
  EXPECT_TRUE(decimalFromNumberText("  1.5e3 ", acc));
  EXPECT_EQ(decimalToText(acc), "1500");
  EXPECT_FALSE(decimalFromNumberText("abc", acc));
  EXPECT_FALSE(decimalFromNumberText("   ", acc));
  EXPECT_EQ(decimalToFixedText(acc, 2), "0.00");
}

TEST(Decimal, IntegerAndRealConversions) {
  DecimalAccumulator acc;
  decimalFromInt(INT64_MIN, acc);
  EXPECT_EQ(decimalToText(acc), "-9223372036854775808");
  EXPECT_EQ(decimalToInt(acc), INT64_MIN);
  decimalFromText("99999999999999999999.9", acc);
  EXPECT_EQ(decimalToInt(acc), INT64_MAX);  // saturates
  decimalFromText("-12.99", acc);
  EXPECT_EQ(decimalToInt(acc), -12);  // truncates
  decimalFromReal(0.1, acc);
  EXPECT_EQ(decimalToText(acc), "0.1");
  decimalFromReal(-1234.5678, acc);
  EXPECT_EQ(decimalToText(acc), "-1234.5678");
  EXPECT_DOUBLE_EQ(decimalToReal(acc), -1234.5678);
  decimalFromReal(0.1f, acc, 7);
  EXPECT_EQ(decimalToText(acc), "0.1");
  decimalFromReal(1e40, acc);
  EXPECT_EQ(decimalToText(acc), std::string(32, '9') + "." + std::string(31, '9'));
  decimalFromReal(std::numeric_limits<double>::quiet_NaN(), acc);
  EXPECT_TRUE(acc.isZero());
}

TEST(Decimal, CompareOrdersLikeIntegers) {
  std::mt19937 random(7);
  for (int trial = 0; trial < 2000; ++trial) {
    int64_t a = static_cast<int64_t>(random() % 2001) - 1000;
    int64_t b = static_cast<int64_t>(random() % 2001) - 1000;
    DecimalAccumulator x, y;
    decimalFromInt(a, x);
    decimalFromInt(b, y);
    ASSERT_EQ(compareDecimal(x, y), (a > b) - (a < b)) << a << " " << b;
  }
}

}  // namespace
}  // namespace zor
