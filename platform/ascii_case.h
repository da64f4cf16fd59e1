#pragma once
// The one place that folds and compares names without regard to case, for
// every layer above: profile sections and keys, resource names, labels,
// driver names and switches, keywords. ASCII letters only, so that the
// result never depends on the process locale (the runtime's own locale
// tables handle national letters where a value, not a name, is compared).

#include <string>
#include <string_view>

namespace zor::platform {

constexpr char asciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char asciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The byte forms, for code that reads texts as unsigned bytes.
constexpr unsigned char asciiUpper(unsigned char c) {
  return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

inline std::string asciiLowerCased(std::string text) {
  for (char& c : text) c = asciiLower(c);
  return text;
}

inline std::string asciiUpperCased(std::string text) {
  for (char& c : text) c = asciiUpper(c);
  return text;
}

constexpr bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (asciiUpper(a[i]) != asciiUpper(b[i])) return false;
  }
  return true;
}

constexpr bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace zor::platform
