#include "runtime/ufo_any.h"

namespace zor {

std::string UfoAny::text() const {
  return holdsNumber_ ? decimalToText(number_) : text_;
}

int64_t UfoAny::toInt() const {
  DecimalAccumulator acc;
  toDecimal(acc);
  return decimalToInt(acc);
}

double UfoAny::toReal() const {
  DecimalAccumulator acc;
  toDecimal(acc);
  return decimalToReal(acc);
}

void UfoAny::toDecimal(DecimalAccumulator& acc) const {
  if (holdsNumber_) {
    acc = number_;
  } else {
    decimalFromNumberText(text_, acc);
  }
}

void UfoAny::assignText(const std::string& value) {
  holdsNumber_ = false;
  text_ = value;
}

void UfoAny::assignInt(int64_t value) {
  DecimalAccumulator acc;
  decimalFromInt(value, acc);
  assignDecimal(acc);
}

void UfoAny::assignReal(double value) {
  DecimalAccumulator acc;
  decimalFromReal(value, acc);
  assignDecimal(acc);
}

void UfoAny::assignDecimal(const DecimalAccumulator& acc) {
  holdsNumber_ = true;
  number_ = acc;
  text_.clear();
}

void UfoAny::clear() {
  holdsNumber_ = false;
  text_.clear();
  number_.clear();
}

}  // namespace zor
