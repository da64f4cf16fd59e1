#include "runtime/field_compare.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "runtime/decimal.h"
#include "runtime/type_codes.h"
#include "runtime/ufo_numeric.h"

namespace zor {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes le(uint64_t value, size_t size) {
  Bytes out(size);
  for (size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
  return out;
}

Bytes text(const std::string& s, size_t size, uint8_t pad = ' ') {
  Bytes out(size, pad);
  std::memcpy(out.data(), s.data(), std::min(s.size(), size));
  return out;
}

Bytes decimalBytes(const std::string& value, uint32_t size, uint32_t places, bool trailingSign) {
  DecimalAccumulator acc;
  EXPECT_TRUE(decimalFromText(value, acc));
  Bytes out(size);
  if (trailingSign) {
    packPDecimal(acc, out.data(), size, places);
  } else {
    packDecimal(acc, out.data(), size, places);
  }
  return out;
}

int cmp(const FieldShape& shape, const Bytes& a, const Bytes& b) {
  return compareFieldValues(shape, a.data(), b.data());
}

// Every pair of an ascending list of values (equal neighbours allowed when
// marked) compares as its places say, and the prefixes never contradict it.
void expectAscending(const FieldShape& shape, const std::vector<Bytes>& values) {
  for (size_t i = 0; i < values.size(); ++i) {
    for (size_t j = 0; j < values.size(); ++j) {
      int expected = i < j ? -1 : (i > j ? 1 : 0);
      EXPECT_EQ(cmp(shape, values[i], values[j]), expected)
          << "type " << int(shape.type) << " " << i << "," << j;
      uint64_t pi = fieldOrderPrefix(shape, values[i].data());
      uint64_t pj = fieldOrderPrefix(shape, values[j].data());
      if (i < j) {
        EXPECT_LE(pi, pj) << "type " << int(shape.type) << " " << i << "," << j;
      }
    }
  }
}

TEST(FieldCompare, IntegersCompareByValueNotByBytes) {
  expectAscending({kLong, 4, 0}, {le(static_cast<uint32_t>(INT32_MIN), 4), le(0xFFFFFFFF, 4),
                                  le(0, 4), le(1, 4), le(256, 4), le(INT32_MAX, 4)});
  expectAscending({kULong, 4, 0}, {le(0, 4), le(255, 4), le(256, 4), le(0xFFFFFFFF, 4)});
  expectAscending({kShort, 2, 0}, {le(0x8000, 2), le(0xFFFF, 2), le(0, 2), le(0x7FFF, 2)});
  expectAscending({kUShort, 2, 0}, {le(0, 2), le(0x00FF, 2), le(0x0100, 2), le(0xFFFF, 2)});
  expectAscending({kByte, 1, 0}, {le(0, 1), le(127, 1), le(128, 1), le(255, 1)});
}

TEST(FieldCompare, FloatingValuesFormATotalOrder) {
  auto real = [](double v) { return le(std::bit_cast<uint64_t>(v), 8); };
  auto sreal = [](float v) { return le(std::bit_cast<uint32_t>(v), 4); };
  double inf = std::numeric_limits<double>::infinity();
  expectAscending({kReal, 8, 0}, {real(-inf), real(-1e300), real(-1.5), real(0), real(1e-300),
                                  real(2.5), real(inf), real(std::nan(""))});
  expectAscending({kSReal, 4, 0}, {sreal(-3.0f), sreal(0.0f), sreal(0.5f), sreal(std::nanf(""))});
  auto bfloat = [](double v) {
    Bytes out(8);
    UfoBFloat8(out.data()).assignReal(v);
    return out;
  };
  expectAscending({kBFloat8, 8, 0}, {bfloat(-1e10), bfloat(-2), bfloat(0), bfloat(0.5), bfloat(3)});
  FieldShape shape{kReal, 8, 0};
  EXPECT_EQ(cmp(shape, real(-0.0), real(0.0)), 0);
  EXPECT_EQ(fieldOrderPrefix(shape, real(-0.0).data()), fieldOrderPrefix(shape, real(0.0).data()));
  EXPECT_EQ(cmp(shape, real(std::nan("1")), real(-std::nan("2"))), 0);
}

TEST(FieldCompare, DatesAndTimesCompareAsCalendarValues) {
  auto date = [](int day, int month, int year) {
    return Bytes{static_cast<uint8_t>(day), static_cast<uint8_t>(month),
                 static_cast<uint8_t>(year & 0xFF), static_cast<uint8_t>(year >> 8)};
  };
  // Byte order alone would put 31 Jan 1999 after 1 Feb 2000.
  expectAscending({kDate, 4, 0}, {date(0, 0, 0), date(31, 12, 1801), date(31, 1, 1999),
                                  date(1, 2, 1999), date(1, 2, 2000), date(2, 2, 2000)});
  auto time = [](int h, int m, int s, int cs) {
    return Bytes{static_cast<uint8_t>(h), static_cast<uint8_t>(m), static_cast<uint8_t>(s),
                 static_cast<uint8_t>(cs)};
  };
  expectAscending({kTime, 4, 0}, {time(0, 0, 0, 0), time(0, 0, 0, 99), time(0, 0, 1, 0),
                                  time(0, 59, 59, 99), time(23, 0, 0, 0)});
}

TEST(FieldCompare, PackedDecimalsCompareByValue) {
  FieldShape decimal{kDecimal, 3, 2};
  expectAscending(decimal,
                  {decimalBytes("-999.99", 3, 2, false), decimalBytes("-12.35", 3, 2, false),
                   decimalBytes("-0.01", 3, 2, false), decimalBytes("0", 3, 2, false),
                   decimalBytes("0.25", 3, 2, false), decimalBytes("100", 3, 2, false)});
  FieldShape pdecimal{kPDecimal, 3, 1};
  expectAscending(pdecimal, {decimalBytes("-5", 3, 1, true), decimalBytes("-0.5", 3, 1, true),
                             decimalBytes("4.5", 3, 1, true)});
  // A sign nibble of 0xC reads as positive, so it equals the 0xF form.
  Bytes positive = decimalBytes("12.3", 3, 1, true);
  Bytes signC = positive;
  signC[2] = static_cast<uint8_t>((signC[2] & 0xF0) | 0x0C);
  EXPECT_EQ(cmp(pdecimal, positive, signC), 0);
  // A negative zero equals zero, a damaged digit reads as 9; the prefixes
  // agree, or sorting would order values that compare equal.
  for (auto [a, b] : {std::pair{Bytes{0xF0, 0, 0}, Bytes{0, 0, 0}},
                      std::pair{Bytes{0x0A, 0xBC, 0x12}, Bytes{0x09, 0x99, 0x12}}}) {
    EXPECT_EQ(cmp(decimal, a, b), 0);
    EXPECT_EQ(fieldOrderPrefix(decimal, a.data()), fieldOrderPrefix(decimal, b.data()));
  }
}

TEST(FieldCompare, TextsIgnoreTrailingBlanksAndCompareUnsigned) {
  FieldShape string{kString, 6, 0};
  expectAscending(string, {text("", 6), text("A", 6), text("AB", 6), text("ABC", 6), text("B", 6),
                           text("a", 6), text("\xE9", 6)});
  EXPECT_EQ(cmp(string, text("AB    ", 6), text("AB", 6)), 0);
  // A control character after the common text sorts after the shorter text.
  EXPECT_EQ(cmp(string, text("AB", 6), text("AB\t", 6)), -1);
  EXPECT_LT(fieldOrderPrefix(string, text("AB", 6).data()),
            fieldOrderPrefix(string, text("AB\t", 6).data()));
  // Texts that agree in their first eight bytes tie on the prefix only.
  FieldShape wide{kString, 12, 0};
  EXPECT_EQ(cmp(wide, text("ABCDEFGHIJ", 12), text("ABCDEFGHIK", 12)), -1);
  EXPECT_EQ(fieldOrderPrefix(wide, text("ABCDEFGHIJ", 12).data()),
            fieldOrderPrefix(wide, text("ABCDEFGHIK", 12).data()));
}

TEST(FieldCompare, CStringAndPStringReadOnlyTheirText) {
  FieldShape cstring{kCString, 6, 0};
  Bytes a = text("AB", 6, 0);
  a[4] = 'Z';  // garbage behind the NUL
  EXPECT_EQ(cmp(cstring, a, text("AB", 6, 0)), 0);
  Bytes full(6, 'Q');  // no NUL at all: the whole field is the text
  EXPECT_EQ(cmp(cstring, full, text("QQQQQ", 6, 0)), 1);

  FieldShape pstring{kPString, 5, 0};
  Bytes three{3, 'A', 'B', 'C', 'X'};
  Bytes two{2, 'A', 'B', 'X', 'X'};
  EXPECT_EQ(cmp(pstring, three, two), 1);
  Bytes overlong{200, 'A', 'B', 'C', 'D'};  // length byte beyond the field
  Bytes four{4, 'A', 'B', 'C', 'D'};
  EXPECT_EQ(cmp(pstring, overlong, four), 0);
}

TEST(FieldCompare, DescriptorFormReadsAtTheFieldOffset) {
  FieldDescriptor field;
  field.offset = 2;
  field.size = 2;
  field.type = kShort;
  Bytes a{9, 9, 0xFF, 0xFF};  // -1
  Bytes b{0, 0, 1, 0};        // 1
  EXPECT_EQ(compareFields(field, a.data(), b.data()), -1);
  EXPECT_TRUE(isComparableType(kGroup));
  EXPECT_FALSE(isComparableType(kMemo));
  EXPECT_FALSE(isComparableType(kAny));
}

}  // namespace
}  // namespace zor
