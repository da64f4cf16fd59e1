// Compiling, formatting and deformatting pictures: the classes, their
// positions and the documented cases.

#include <gtest/gtest.h>

#include "platform/profile.h"
#include "runtime/date_time.h"
#include "runtime/locale.h"
#include "runtime/picture.h"

namespace zor {
namespace {

std::string fmt(std::string_view picture, double value) {
  return formatPicture(picture, PictureValue::ofReal(value));
}
std::string fmtInt(std::string_view picture, int64_t value) {
  return formatPicture(picture, PictureValue::ofInteger(value));
}
std::string fmtText(std::string_view picture, std::string_view value) {
  return formatPicture(picture, PictureValue::ofText(value));
}
std::string fmtDate(std::string_view picture, int y, int m, int d) {
  return formatPicture(picture, PictureValue::ofDate(dateFromMonthDayYear(m, d, y)));
}

class PictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setUserProfilePath("/nonexistent/profile.ini");
    setEnvironmentFilePath("/nonexistent/pictures.ENV");
    resetLocale();
  }
  void TearDown() override {
    setEnvironmentFilePath("");
    platform::setUserProfilePath("");
    resetLocale();
  }
};

TEST_F(PictureTest, NumericPositionsOfN9_2) {
  CompiledPicture p = compilePicture("@N9.2");
  ASSERT_EQ(p.width, 9);
  EXPECT_EQ(p.pictureClass, PictureClass::Numeric);
  EXPECT_EQ(p.valueKind, PictureValueKind::Numeric);
  EXPECT_EQ(p.places, 2);
  EXPECT_EQ(p.integerDigits, 5);
  const PositionKind expected[9] = {
      PositionKind::BlankLeadDigit, PositionKind::BlankLeadDigit, PositionKind::Grouping,
      PositionKind::BlankLeadDigit, PositionKind::BlankLeadDigit, PositionKind::Digit,
      PositionKind::DecimalPoint,   PositionKind::Digit,          PositionKind::Digit};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(p.positions[i].kind, expected[i]) << i;
  EXPECT_EQ(fmt("@N9.2", 1234.5), " 1,234.50");
  EXPECT_EQ(fmt("@N9.2", 0), "     0.00");
  EXPECT_EQ(fmt("@n9.2", -1234.5), " 1,234.50");  // no sign position, no sign
}

TEST_F(PictureTest, NumericOverflowRoundingAndBlank) {
  EXPECT_EQ(fmtInt("@N5", 123456), "#,###");
  EXPECT_EQ(fmtInt("@N4", 1234), "1234");  // the leftmost position is never a separator
  EXPECT_EQ(fmtInt("@N5", 1234), "1,234");
  EXPECT_EQ(fmt("@N_9.2B", 0), "         ");
  EXPECT_EQ(fmt("@N9.2B", 0.001), "         ");  // zero once rounded
  EXPECT_EQ(fmt("@N9.2", 0.125), "     0.13");
  EXPECT_EQ(fmt("@N-9.2", -0.125), "    -0.13");
  EXPECT_EQ(fmt("@N-9.2", -0.001), "     0.00");  // no negative zero
  EXPECT_EQ(fmt("@N6.2", 999.995), "###.##");
  EXPECT_EQ(fmt("@N8.2", 999.995), "1,000.00");
  EXPECT_EQ(fmtText("@N9.2", "12.345"), "    12.35");
  EXPECT_EQ(fmtText("@N9.2", "abc"), "     0.00");
}

TEST_F(PictureTest, NumericFillsSignsAndCurrency) {
  EXPECT_EQ(fmt("@N09.2", 12.5), "000012.50");
  EXPECT_EQ(fmt("@N*9.2", 12.5), "****12.50");
  EXPECT_EQ(fmt("@N*9.2", 1234.5), "*1,234.50");
  EXPECT_EQ(fmt("@N-9.2", -5), "    -5.00");
  EXPECT_EQ(fmt("@N9.2-", -5), "    5.00-");
  EXPECT_EQ(fmt("@N9.2-", 5), "    5.00 ");
  EXPECT_EQ(fmt("@N(10.2)", -1234.5), "(1,234.50)");
  EXPECT_EQ(fmt("@N(10.2)", -4.5), "    (4.50)");
  EXPECT_EQ(fmt("@N(10.2)", 4.5), "     4.50 ");
  EXPECT_EQ(fmt("@N$10.2", 4.5), "     $4.50");
  EXPECT_EQ(fmt("@N$-10.2", -4.5), "    $-4.50");
  EXPECT_EQ(fmt("@N10.2~ EUR~", 4.5), "  4.50 EUR");
  EXPECT_EQ(fmt("@N~EUR ~12.2", 1234.5), "EUR 1,234.50");
  EXPECT_EQ(fmt("@N12`2", 1234.5), "    1.234,50");
  EXPECT_EQ(fmt("@N12_.2", 1234567.5), "1 234 567.50");
  EXPECT_EQ(fmt("@N9_2", 1234.5), " 1,234 50");   // "_" as decimal character
  EXPECT_EQ(fmt("@N_9.2", 1234.5), "  1234.50");  // "_" fill: no grouping
  EXPECT_EQ(fmt("@N6v2", 12.345), "  1235");
  EXPECT_EQ(deformatPicture("@N6v2", "  1235"), "12.35");
}

TEST_F(PictureTest, InvalidPicturesCompileToWidthZero) {
  for (const char* text :
       {"@",     "@X5", "@N",    "@N0",   "@N-9.2-", "@N(9.2", "@N9.2)", "@N$9.2$",
        "@N2.2", "@S",  "@S0",   "@S256", "@S12x",   "@D19",   "@D0",    "@D6x",
        "@T9",   "@T0", "@P###", "@PP",   "@KK",     "@E6",    "@E8.2",  "@N~EUR9"}) {
    CompiledPicture p = compilePicture(text);
    EXPECT_EQ(p.width, 0) << text;
    EXPECT_EQ(formatPicture(p, PictureValue::ofInteger(5)), "") << text;
    EXPECT_EQ(deformatPicture(p, "123"), "") << text;
  }
  EXPECT_EQ(compilePicture("@S" + std::string(254, '0') + "9").width, 0);  // 256 characters
  CompiledPicture none = compilePicture("");
  EXPECT_EQ(none.pictureClass, PictureClass::String);
  EXPECT_EQ(none.width, 255);
}

TEST_F(PictureTest, StringPictures) {
  EXPECT_EQ(fmtText("@S5", "abcdefg"), "abcde");
  EXPECT_EQ(fmtText("@s5", "ab"), "ab   ");
  EXPECT_EQ(fmtInt("@S6", -42), "-42   ");
  EXPECT_EQ(formatPicture("@S8", PictureValue::ofReal(2.5)), "2.5     ");
  EXPECT_EQ(deformatPicture("@S20", "x-1.5e+3.2-e"), "-1.5e+32");
  EXPECT_EQ(deformatPicture("@S3", "12345"), "123");
  EXPECT_EQ(deformatPicture("", "12345"), "");
}

TEST_F(PictureTest, PatternAndKeyIn) {
  EXPECT_EQ(fmtInt("@P###-##P", 12345), "123-45");
  EXPECT_EQ(fmtInt("@P###-##P", 123), "001-23");
  EXPECT_EQ(fmtInt("@P<<#-##P", 123), "  1-23");
  EXPECT_EQ(fmtInt("@P###-##P", 1234567), "###-##");
  EXPECT_EQ(fmtInt("@P(abc)P", 0), "(abc)");
  EXPECT_EQ(fmtInt("@P(abc)P", 12), "     ");  // no digit positions: blank, not "#"
  EXPECT_EQ(deformatPicture("@P###-##P", "123-45"), "12345");
  EXPECT_EQ(deformatPicture("@P###-##P", "12345"), "12345");
  EXPECT_EQ(deformatPicture("@P<<#-##P", "  1-23"), "00123");

  CompiledPicture k = compilePicture("@K@@-##\\#^K");
  ASSERT_EQ(k.width, 7);
  EXPECT_EQ(k.pictureClass, PictureClass::KeyIn);
  EXPECT_EQ(k.positions[0].kind, PositionKind::KeyAt);
  EXPECT_EQ(k.positions[2].kind, PositionKind::Literal);
  EXPECT_EQ(k.positions[5].fill, '#');
  EXPECT_EQ(k.positions[5].kind, PositionKind::Literal);
  EXPECT_EQ(k.positions[6].kind, PositionKind::KeyCaret);
  EXPECT_EQ(formatPicture(k, PictureValue::ofText("AB12C")), "AB-12#C");
  EXPECT_EQ(deformatPicture(k, "AB-12#C"), "AB12C");
}

TEST_F(PictureTest, Scientific) {
  CompiledPicture p = compilePicture("@E12.1");
  ASSERT_EQ(p.width, 12);
  EXPECT_EQ(p.positions[0].kind, PositionKind::Sign);
  EXPECT_EQ(p.positions[2].kind, PositionKind::DecimalPoint);
  EXPECT_EQ(p.positions[7].fill, 'E');
  EXPECT_EQ(p.positions[8].kind, PositionKind::ExponentSign);
  EXPECT_EQ(formatPicture(p, PictureValue::ofReal(1234.5)), " 1.2345E+003");
  EXPECT_EQ(formatPicture(p, PictureValue::ofReal(-0.000123456)), "-1.2346E-004");
  EXPECT_EQ(formatPicture(p, PictureValue::ofReal(9.99999)), " 1.0000E+001");
  EXPECT_EQ(formatPicture(p, PictureValue::ofInteger(0)), " 0.0000E+000");
  EXPECT_EQ(deformatPicture(p, "-1.2346E-004"), "-1.2346e-004");
  EXPECT_EQ(fmt("@E9", 0.5), " .50E+000");
}

TEST_F(PictureTest, DatesOfTheDocumentedCases) {
  EXPECT_EQ(formatPicture("@D6", PictureValue::ofDate(4)), " 1/01/1801");
  EXPECT_EQ(formatPicture("@D1", PictureValue::ofDate(0)), "  /  /  ");
  EXPECT_EQ(formatPicture("@D1B", PictureValue::ofDate(0)), "        ");
  EXPECT_EQ(fmtDate("@D1", 2026, 3, 4), " 3/04/26");
  EXPECT_EQ(fmtDate("@D3", 2026, 3, 4), "MAR  4,2026");
  EXPECT_EQ(fmtDate("@D4", 2026, 3, 4), "March  4, 2026       ");
  EXPECT_EQ(fmtDate("@D4", 2026, 9, 14), "September 14, 2026   ");
  EXPECT_EQ(fmtDate("@D8", 2026, 12, 25), "25 DEC 2026");
  EXPECT_EQ(fmtDate("@D10-", 2026, 3, 4), "2026-03-04");
  EXPECT_EQ(fmtDate("@D012", 2005, 1, 1), "20050101");
  EXPECT_EQ(fmtDate("@D*1", 2005, 1, 1), "*1/*1/*5");
  EXPECT_EQ(fmtDate("@D_6.", 2005, 1, 2), " 2. 1.2005");
  EXPECT_EQ(fmtDate("@D14", 2026, 3, 4), "03/2026");
}

TEST_F(PictureTest, DateDeformatting) {
  int32_t march4 = dateFromMonthDayYear(3, 4, 2026);
  EXPECT_EQ(deformatPicture("@D2", "3/4/26"), std::to_string(march4));
  EXPECT_EQ(deformatPicture("@D1", "1/2/26"), std::to_string(dateFromMonthDayYear(1, 2, 2026)));
  EXPECT_EQ(deformatPicture("@D2", "03042026"), std::to_string(march4));
  EXPECT_EQ(deformatPicture("@D3", "mar 4,2026"), std::to_string(march4));
  EXPECT_EQ(deformatPicture("@D4", "March 4, 2026"), std::to_string(march4));
  EXPECT_EQ(deformatPicture("@D14", "03/2026"), std::to_string(dateFromMonthDayYear(3, 1, 2026)));
  EXPECT_EQ(deformatPicture("@D2", ""), "0");
  EXPECT_EQ(deformatPicture("@D2", "xx"), "0");
  // The century window follows the picture.
  int year = yearOf(today());
  EXPECT_EQ(deformatPicture("@D2<10", "1/1/" + std::to_string((year - 10) % 100)),
            std::to_string(dateFromMonthDayYear(1, 1, year - 10)));
  EXPECT_EQ(deformatPicture("@D2<10", "1/1/" + std::to_string((year - 11) % 100)),
            std::to_string(dateFromMonthDayYear(1, 1, year + 89)));
  EXPECT_EQ(deformatPicture("@D2>19", "1/1/" + std::to_string((year - 80) % 100)),
            std::to_string(dateFromMonthDayYear(1, 1, year - 80)));
  EXPECT_EQ(compilePicture("@D2>").centuryWindow, 19);
  EXPECT_EQ(compilePicture("@D2<").centuryWindow, 80);
  EXPECT_EQ(compilePicture("@D2").centuryWindow, 80);
}

TEST_F(PictureTest, Times) {
  EXPECT_EQ(formatPicture("@T3", PictureValue::ofTime(1)), "12:00AM");
  EXPECT_EQ(formatPicture("@T3", PictureValue::ofTime(4320001)), "12:00PM");
  EXPECT_EQ(formatPicture("@T6", PictureValue::ofTime(13 * 360000 + 5 * 6000 + 9 * 100 + 1)),
            " 1:05:09PM");
  EXPECT_EQ(formatPicture("@T4", PictureValue::ofTime(13 * 360000 + 5 * 6000 + 9 * 100 + 1)),
            "13:05:09");
  EXPECT_EQ(formatPicture("@T1", PictureValue::ofTime(0)), "  :  ");
  EXPECT_EQ(formatPicture("@T01.", PictureValue::ofTime(9 * 360000 + 1)), "09.00");
  EXPECT_EQ(deformatPicture("@T3", "12:00AM"), "1");
  EXPECT_EQ(deformatPicture("@T3", "12:00PM"), "4320001");
  EXPECT_EQ(deformatPicture("@T3", "1:30pm"), std::to_string(13 * 360000 + 30 * 6000 + 1));
  EXPECT_EQ(deformatPicture("@T4", "25:00:00"), "-1");
  EXPECT_EQ(deformatPicture("@T4", "10:61:00"), "-1");
  EXPECT_EQ(deformatPicture("@T1", ""), "0");
}

TEST_F(PictureTest, NumericDeformatting) {
  EXPECT_EQ(deformatPicture("@N9.2", " 1,234.50"), "1234.50");
  EXPECT_EQ(deformatPicture("@N9.2", "-1,234.50"), "-1234.50");
  EXPECT_EQ(deformatPicture("@N(10.2)", "(1,234.50)"), "-1234.50");
  EXPECT_EQ(deformatPicture("@N9.2-", "    5.00-"), "-5.00");
  EXPECT_EQ(deformatPicture("@N12`2", "    1.234,50"), "1234.50");
  EXPECT_EQ(deformatPicture("@N$10.2", "     $4.50"), "4.50");
  EXPECT_EQ(deformatPicture("@N9.2", "1234.5"), "1234.5");
  EXPECT_EQ(deformatPicture("@N9.2", "         "), "0");
  EXPECT_EQ(deformatPicture("@N9", "-0"), "0");
}

}  // namespace
}  // namespace zor
