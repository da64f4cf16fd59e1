// The syntax of the locale environment file: KEY=value lines, <n> character
// codes and quoted item lists.

#include "runtime/locale.h"
#include "runtime/locale_detail.h"

namespace zor {

namespace {

constexpr size_t kMaxKeyLength = 31;
constexpr size_t kMaxValueLength = 1024;

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// "<n>" with a decimal n of 1..255 becomes the character with that code.
std::string substituteCodes(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '<') {
      size_t j = i + 1;
      int code = 0;
      while (j < value.size() && j - i <= 3 && value[j] >= '0' && value[j] <= '9') {
        code = code * 10 + (value[j++] - '0');
      }
      if (j > i + 1 && j < value.size() && value[j] == '>' && code >= 1 && code <= 255) {
        out += static_cast<char>(code);
        i = j;
        continue;
      }
    }
    out += value[i];
  }
  return out;
}

// A list of "quoted" items separated by commas; a doubled quote inside an
// item stands for one quote. Unquoted items are taken as they stand.
std::vector<std::string> parseQuotedList(std::string_view text) {
  std::vector<std::string> items;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    std::string item;
    if (i < text.size() && text[i] == '"') {
      ++i;
      while (i < text.size()) {
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            item += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item += text[i++];
      }
      while (i < text.size() && text[i] != ',') ++i;  // anything up to the next comma
    } else {
      while (i < text.size() && text[i] != ',') item += text[i++];
    }
    items.push_back(std::move(item));
    if (i < text.size() && text[i] == ',') {
      ++i;
      if (i == text.size()) items.emplace_back();  // a trailing comma ends with an empty item
    }
  }
  return items;
}

}  // namespace

std::vector<std::string> parseLocaleValue(std::string_view value, bool commasSeparate) {
  if (value.size() > kMaxValueLength) value = value.substr(0, kMaxValueLength);
  while (!value.empty() && isBlank(value.back())) value.remove_suffix(1);
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  std::string text = substituteCodes(value);
  if (!text.empty() && text[0] == '"') return parseQuotedList(text);
  if (!commasSeparate) return {text};
  std::vector<std::string> items;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == ',') {
      items.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return items;
}

namespace locale_detail {

bool splitEnvironmentLine(std::string_view line, std::string& key, std::string_view& value) {
  size_t equals = line.find('=');
  if (equals == std::string_view::npos) return false;
  key.clear();
  for (size_t i = 0; i < equals; ++i) {
    unsigned char c = static_cast<unsigned char>(line[i]);
    if (c < 32 || c == 127) break;
    if (c == ' ') continue;
    if (key.size() < kMaxKeyLength) key += static_cast<char>(c);
  }
  value = line.substr(equals + 1);
  return true;
}

}  // namespace locale_detail

}  // namespace zor
