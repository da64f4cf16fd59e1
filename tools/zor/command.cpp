#include "tools/zor/command.h"

#include <charconv>

namespace zor::tool {

CommandTable& zorCommands() {
  static CommandTable commands{"zor"};
  return commands;
}

bool parseInteger(const std::string& text, int64_t& value) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (begin != end && *begin == '+') ++begin;
  if (begin == end) return false;
  auto [stop, error] = std::from_chars(begin, end, value);
  return error == std::errc{} && stop == end;
}

bool parseInteger(const std::string& text, int64_t low, int64_t high, int64_t& value) {
  return parseInteger(text, value) && value >= low && value <= high;
}

}  // namespace zor::tool
