#pragma once
// Bytes as upper-case hexadecimal text, for positions kept as text and for
// messages that quote bytes which are not printable.

#include <cstddef>
#include <cstdint>
#include <string>

namespace zor::platform {

// Appends the two digits of `byte` to `text`.
inline void appendHex(std::string& text, uint8_t byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  text += kDigits[byte >> 4];
  text += kDigits[byte & 15];
}

inline std::string hexText(const uint8_t* bytes, size_t size) {
  std::string text;
  text.reserve(size * 2);
  for (size_t i = 0; i < size; ++i) appendHex(text, bytes[i]);
  return text;
}

}  // namespace zor::platform
