#pragma once
// Comparison of names without regard to case, as profile sections and keys
// and resource names and types compare: ASCII letters only, so that the
// result never depends on the process locale.

#include <algorithm>
#include <string_view>

namespace zor::platform {

inline char asciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

inline bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return asciiLower(x) == asciiLower(y);
         });
}

}  // namespace zor::platform
