// Pictures over many values: numeric pictures against an independent
// formatter, date and time pictures round-tripping over their whole range,
// and random picture texts that must never crash or overrun.
// ZOR_LONG_TESTS=1 sweeps every day and every second and fuzzes much longer.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "platform/profile.h"
#include "runtime/date_time.h"
#include "runtime/decimal.h"
#include "runtime/locale.h"
#include "runtime/picture.h"

namespace zor {
namespace {

bool longRun() {
  return std::getenv("ZOR_LONG_TESTS") != nullptr;
}

class PicturePropertyTest : public ::testing::Test {
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
  std::mt19937_64 random_{20261207};
};

// A value as exact decimal text: mantissa / 10^scale.
struct DecimalText {
  bool negative = false;
  std::string digits;  // the mantissa, no sign
  int scale = 0;

  std::string text() const {
    std::string d = digits;
    if (static_cast<int>(d.size()) <= scale) d.insert(0, scale - d.size() + 1, '0');
    std::string result = negative ? "-" : "";
    result += d.substr(0, d.size() - scale);
    if (scale > 0) result += "." + d.substr(d.size() - scale);
    return result;
  }
};

// Rounds half away from zero to `places`; returns integer and fraction digits.
void roundDecimalText(const DecimalText& value, int places, std::string& integer,
                      std::string& fraction) {
  std::string d = value.digits;
  int scale = value.scale;
  while (scale < places) {
    d += '0';
    ++scale;
  }
  bool up = false;
  if (scale > places) {
    up = d[d.size() - (scale - places)] >= '5';
    d.resize(d.size() - (scale - places));
  }
  if (up) {
    int i = static_cast<int>(d.size()) - 1;
    while (i >= 0 && d[i] == '9') d[i--] = '0';
    if (i < 0) {
      d.insert(0, "1");
    } else {
      ++d[i];
    }
  }
  if (static_cast<int>(d.size()) <= places) d.insert(0, places - d.size() + 1, '0');
  integer = d.substr(0, d.size() - places);
  fraction = d.substr(d.size() - places);
  integer.erase(0, std::min(integer.find_first_not_of('0'), integer.size()));
}

enum class Fill { None, Blank, Zero };

// The expected text of "@N[-][fill]W[.P]" by direct construction.
std::string expectedNumeric(const DecimalText& value, bool sign, Fill fill, int width, int places) {
  std::string integer, fraction;
  roundDecimalText(value, places, integer, fraction);
  bool zero = integer.empty() && fraction.find_first_not_of('0') == std::string::npos;
  bool negative = value.negative && !zero;
  int area = width - (sign ? 1 : 0) - (places > 0 ? places + 1 : 0);
  bool grouped = fill == Fill::None;
  int separators = 0;
  for (int k = 1; k <= area; ++k) separators += (grouped && k % 4 == 0 && k != area) ? 1 : 0;
  int capacity = area - separators;
  std::string tail = places > 0 ? "." + fraction : "";
  if (static_cast<int>(integer.size()) > capacity) {  // "#" in every digit position
    std::string out = sign ? (negative ? "-" : " ") : "";
    for (int k = area; k >= 1; --k) out += (grouped && k % 4 == 0 && k != area) ? ',' : '#';
    return out + (places > 0 ? "." + std::string(places, '#') : "");
  }
  if (integer.empty()) integer = "0";
  if (fill == Fill::Zero) {
    std::string out = sign ? (negative ? "-" : " ") : "";
    return out + std::string(area - integer.size(), '0') + integer + tail;
  }
  std::string shown;
  for (size_t i = 0; i < integer.size(); ++i) {
    if (grouped && i > 0 && (integer.size() - i) % 3 == 0) shown += ',';
    shown += integer[i];
  }
  // A separator that would take the leftmost position is left out.
  if (static_cast<int>(shown.size()) == area + 1 && shown.size() > 1 && shown[1] == ',') {
    shown.erase(1, 1);
  }
  if (sign && negative) shown.insert(0, "-");  // the sign floats to the first digit
  int total = area + (sign ? 1 : 0);
  return std::string(total - shown.size(), ' ') + shown + tail;
}

TEST_F(PicturePropertyTest, NumericAgreesWithAnIndependentFormatter) {
  std::uniform_int_distribution<int> digitCount(1, 20), digit(0, 9), coin(0, 1), fillKind(0, 2);
  for (int round = 0; round < 4000; ++round) {
    DecimalText value;
    int count = digitCount(random_);
    for (int i = 0; i < count; ++i) value.digits += static_cast<char>('0' + digit(random_));
    value.scale = std::uniform_int_distribution<int>(0, count)(random_);
    value.negative = coin(random_);
    int places = std::uniform_int_distribution<int>(0, 6)(random_);
    bool sign = coin(random_);
    Fill fill = static_cast<Fill>(fillKind(random_));
    int fixed = (sign ? 1 : 0) + (places > 0 ? places + 1 : 0);
    int width = std::uniform_int_distribution<int>(fixed + 1, fixed + 24)(random_);
    std::string picture = std::string("@N") + (sign ? "-" : "") +
                          (fill == Fill::Blank  ? "_"
                           : fill == Fill::Zero ? "0"
                                                : "") +
                          std::to_string(width) + (places > 0 ? "." + std::to_string(places) : "");
    CompiledPicture compiled = compilePicture(picture);
    ASSERT_EQ(compiled.width, width) << picture;
    std::string text = value.text();
    std::string expected = expectedNumeric(value, sign, fill, width, places);
    SCOPED_TRACE(picture + " of " + text);
    EXPECT_EQ(formatPicture(compiled, PictureValue::ofText(text)), expected);
    if (count <= 15) {  // exactly representable in fifteen significant digits
      EXPECT_EQ(formatPicture(compiled, PictureValue::ofReal(std::stod(text))), expected);
    }
    DecimalAccumulator acc;
    if (value.digits.size() - value.scale <= 31 && value.scale <= 31 &&
        decimalFromText(text, acc)) {
      EXPECT_EQ(formatPicture(compiled, PictureValue::ofDecimal(acc)), expected);
    }
    if (value.scale == 0 && count <= 18) {
      int64_t n = std::stoll(text);
      EXPECT_EQ(formatPicture(compiled, PictureValue::ofInteger(n)), expected);
    }
    // What was shown reads back as the rounded value.
    if (sign && expected.find('#') == std::string::npos) {
      std::string integer, fraction;
      roundDecimalText(value, places, integer, fraction);
      bool zero = integer.empty() && fraction.find_first_not_of('0') == std::string::npos;
      std::string back = (value.negative && !zero ? "-" : "") + (integer.empty() ? "0" : integer) +
                         (places > 0 ? "." + fraction : "");
      EXPECT_EQ(deformatPicture(compiled, expected), back);
    }
  }
}

// A REAL shows its fifteen significant digits, rounded the way "%.14e"
// rounds them, whatever its magnitude.
TEST_F(PicturePropertyTest, RealsShowTheirFifteenDigits) {
  std::uniform_real_distribution<double> mantissa(1.0, 10.0);
  std::uniform_int_distribution<int> exponent(-9, 16), places(0, 9);
  for (int round = 0; round < 4000; ++round) {
    double value = mantissa(random_) * std::pow(10.0, exponent(random_)) * (round % 2 ? -1 : 1);
    if (round % 5 == 0) value = std::round(value * 1000) / 1000 + 0.0005;  // near a tie
    char text[40];
    std::snprintf(text, sizeof text, "%.14e", value);
    std::string picture = "@N-40." + std::to_string(places(random_));
    EXPECT_EQ(formatPicture(picture, PictureValue::ofReal(value)),
              formatPicture(picture, PictureValue::ofText(text)))
        << picture << " of " << text;
  }
}

TEST_F(PicturePropertyTest, DatePicturesRoundTripOverTheValidRange) {
  int currentYear = yearOf(today());
  for (int number = 1; number <= 18; ++number) {
    std::string picture = "@D" + std::to_string(number);
    CompiledPicture compiled = compilePicture(picture);
    ASSERT_GT(compiled.width, 0) << picture;
    bool fourDigitYear = false, hasDay = false;
    size_t yearRun = 0;
    for (size_t i = 0; i < compiled.width; ++i) {
      yearRun += compiled.positions[i].kind == PositionKind::YearDigit ? 1 : 0;
      hasDay = hasDay || compiled.positions[i].kind == PositionKind::DayDigit;
    }
    fourDigitYear = yearRun >= 4;
    // Two-digit years read back within the century window only.
    int32_t first =
        fourDigitYear ? kFirstStandardDate : dateFromMonthDayYear(1, 1, currentYear - 80);
    int32_t last =
        fourDigitYear ? kLastStandardDate : dateFromMonthDayYear(12, 31, currentYear + 19);
    char shown[kMaxPictureWidth], back[kDeformatCapacity];
    int checked = 0;
    for (int32_t date = first; date <= last; date += longRun() ? 1 : fourDigitYear ? 499 : 23) {
      int year = 0, month = 0, day = 0;
      ASSERT_TRUE(standardDateToYmd(date, year, month, day));
      int32_t expected = hasDay ? date : dateFromMonthDayYear(month, 1, year);
      size_t width = formatPicture(compiled, PictureValue::ofDate(date), shown);
      size_t length = deformatPicture(compiled, std::string_view(shown, width), back);
      ASSERT_EQ(std::string(back, length), std::to_string(expected))
          << picture << " of " << date << " shown as \"" << std::string(shown, width) << "\"";
      ++checked;
    }
    EXPECT_GT(checked, 1000) << picture;
  }
}

TEST_F(PicturePropertyTest, TimePicturesRoundTripOverTheDay) {
  for (int number = 1; number <= 8; ++number) {
    std::string picture = "@T" + std::to_string(number);
    CompiledPicture compiled = compilePicture(picture);
    ASSERT_GT(compiled.width, 0) << picture;
    bool seconds = false;
    for (size_t i = 0; i < compiled.width; ++i) {
      seconds = seconds || compiled.positions[i].kind == PositionKind::SecondDigit;
    }
    char shown[kMaxPictureWidth], back[kDeformatCapacity];
    for (int32_t time = 1; time <= kLastStandardTime;
         time += longRun() ? (seconds ? 100 : 6000) : (seconds ? 701 : 6000)) {
      int32_t expected = (time - 1) / (seconds ? 100 : 6000) * (seconds ? 100 : 6000) + 1;
      size_t width = formatPicture(compiled, PictureValue::ofTime(time), shown);
      size_t length = deformatPicture(compiled, std::string_view(shown, width), back);
      ASSERT_EQ(std::string(back, length), std::to_string(expected))
          << picture << " of " << time << " shown as \"" << std::string(shown, width) << "\"";
    }
  }
}

// Random texts, some built from the characters pictures are made of, must
// compile, format and deformat without crashing or writing past the width.
TEST_F(PicturePropertyTest, RandomPicturesNeverCrash) {
  const std::string alphabet = "@NDTSPEKndtspek0123456789.-_`vV$~()<>#B*^?|\\ ,/:";
  std::uniform_int_distribution<int> length(0, 300), byte(0, 255), pick(0, alphabet.size() - 1);
  const PictureValue values[] = {PictureValue::ofInteger(0),
                                 PictureValue::ofInteger(-1234567890123LL),
                                 PictureValue::ofReal(-1.5e300),
                                 PictureValue::ofReal(0.000123),
                                 PictureValue::ofDate(kLastStandardDate),
                                 PictureValue::ofTime(kLastStandardTime),
                                 PictureValue::ofText("12-ab.5e9"),
                                 PictureValue::ofText(std::string_view())};
  char out[kMaxPictureWidth + 16], back[kDeformatCapacity + 16];
  for (int round = 0, rounds = longRun() ? 600000 : 6000; round < rounds; ++round) {
    std::string text;
    int n = length(random_);
    bool structured = round % 2 == 0;
    if (structured) text = std::string("@") + "NDTSPEK"[round / 2 % 7];
    for (int i = 0; i < n; ++i) {
      text += structured ? alphabet[pick(random_)] : static_cast<char>(byte(random_));
    }
    if (round % 3 == 0 && n > 4) text.resize(4 + round % 8);
    CompiledPicture picture = compilePicture(text);
    ASSERT_LE(picture.width, kMaxPictureWidth);
    std::memset(out, 'Z', sizeof out);
    size_t width = formatPicture(picture, values[round % 8], out);
    ASSERT_EQ(width, picture.width);
    for (size_t i = width; i < sizeof out; ++i) ASSERT_EQ(out[i], 'Z') << text;
    size_t length2 = deformatPicture(picture, std::string_view(out, width), back);
    ASSERT_LE(length2, kDeformatCapacity);
    length2 = deformatPicture(picture, text, back);
    ASSERT_LE(length2, kDeformatCapacity);
  }
}

}  // namespace
}  // namespace zor
