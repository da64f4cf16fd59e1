#include "runtime/ufo_string.h"

#include <algorithm>
#include <cstring>

namespace zor {

std::string UfoString::text() const {
  return std::string(reinterpret_cast<const char*>(address_) + textOffset(), length());
}

int64_t UfoString::toInt() const {
  DecimalAccumulator acc;
  toDecimal(acc);
  return decimalToInt(acc);
}

double UfoString::toReal() const {
  DecimalAccumulator acc;
  toDecimal(acc);
  return decimalToReal(acc);
}

void UfoString::toDecimal(DecimalAccumulator& acc) const {
  decimalFromNumberText(text(), acc);  // no number: zero
}

void UfoString::assignText(const std::string& value) {
  store(value.data(), std::min(value.size(), capacity()));
}

void UfoString::assignInt(int64_t value) {
  assignText(std::to_string(value));
}

void UfoString::assignReal(double value) {
  DecimalAccumulator acc;
  decimalFromReal(value, acc);
  assignText(decimalToText(acc));
}

void UfoString::assignDecimal(const DecimalAccumulator& acc) {
  assignText(decimalToText(acc));
}

void UfoString::clear() {
  // A STRING is blank when it holds spaces; a GROUP's bytes belong to the
  // fields inside it, whose empty value is zero.
  std::memset(address_, type() == kGroup ? 0 : ' ', size_);
}

void UfoString::store(const char* characters, size_t count) {
  std::memcpy(address_, characters, count);
  std::memset(address_ + count, ' ', size_ - count);
}

size_t UfoCString::length() const {
  const void* end = std::memchr(address_, 0, size_);
  return end == nullptr ? size_ : static_cast<size_t>(static_cast<const uint8_t*>(end) - address_);
}

void UfoCString::clear() {
  std::memset(address_, 0, size_);
}

void UfoCString::store(const char* characters, size_t count) {
  std::memcpy(address_, characters, count);
  std::memset(address_ + count, 0, size_ - count);
}

size_t UfoPString::capacity() const {
  return size_ == 0 ? 0 : std::min<size_t>(size_ - 1, 255);
}

size_t UfoPString::length() const {
  // A length byte beyond the field (a damaged record) reads only what is there.
  return size_ == 0 ? 0 : std::min<size_t>(address_[0], size_ - 1);
}

void UfoPString::clear() {
  std::memset(address_, 0, size_);
}

void UfoPString::store(const char* characters, size_t count) {
  if (size_ == 0) return;
  address_[0] = static_cast<uint8_t>(count);
  std::memcpy(address_ + 1, characters, count);
  std::memset(address_ + 1 + count, 0, size_ - 1 - count);
}

}  // namespace zor
