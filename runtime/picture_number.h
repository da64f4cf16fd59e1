#pragma once
// The decimal digits of a value being formatted through a picture: a fixed
// buffer, so formatting never allocates. Used by the picture formatter only.

#include <cstddef>
#include <cstdint>

#include "runtime/picture.h"

namespace zor::picture_detail {

struct NumberDigits {
  static constexpr int kMaxIntegerDigits = 400;   // beyond: too large for any picture
  static constexpr int kMaxFractionDigits = 300;  // enough for 255 places and the rounding digit

  char digits[kMaxIntegerDigits + kMaxFractionDigits + 2];  // integer digits, then the fraction
  int integerCount = 0;   // digits before the point, no leading zeros
  int fractionCount = 0;  // digits after the point
  bool negative = false;
  bool tooLarge = false;  // not finite, or more integer digits than any picture shows

  bool isZero() const;
  const char* fraction() const { return digits + integerCount; }
};

// The value's digits: text is read as a number (its leading numeric part),
// dates and times as their numbers.
void numberFromValue(const PictureValue& value, NumberDigits& number);
// Rounds half away from zero to exactly `places` fraction digits.
void roundToPlaces(NumberDigits& number, int places);
// The value as a whole number (dates and times; reals and decimals truncated).
int64_t integerFromValue(const PictureValue& value);
// Writes the value as plain text ("-12.5", "0") into out; returns the length.
// `out` must hold kTextCapacity characters.
inline constexpr size_t kTextCapacity =
    NumberDigits::kMaxIntegerDigits + NumberDigits::kMaxFractionDigits + 4;
size_t numberToText(const NumberDigits& number, char* out);

}  // namespace zor::picture_detail
