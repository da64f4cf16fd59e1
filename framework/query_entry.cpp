#include "framework/query_entry.h"

#include <utility>

#include "platform/ascii_case.h"

namespace zor::fw {
namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A word at the start of the text, followed by a blank or the end.
bool takeWord(std::string_view& text, std::string_view word) {
  if (!platform::startsWithIgnoringCase(text, word)) return false;
  if (text.size() > word.size() && !isBlank(text[word.size()])) return false;
  text.remove_prefix(word.size());
  return true;
}

// "NOT", blanks, "=".
bool takeNotEqual(std::string_view& text) {
  if (!platform::startsWithIgnoringCase(text, "NOT")) return false;
  std::string_view rest = text.substr(3);
  if (rest.empty() || (!isBlank(rest.front()) && rest.front() != '=')) return false;
  rest = trimmed(rest);
  if (rest.empty() || rest.front() != '=') return false;
  text = rest.substr(1);
  return true;
}

}  // namespace

bool queryEntryEmpty(std::string_view text) {
  return trimmed(text).empty();
}

QueryCondition readQueryEntry(std::string_view text) {
  QueryCondition condition;
  text = trimmed(text);
  while (!text.empty() && text.front() == '~') {
    condition.NoCase = true;
    text.remove_prefix(1);
  }
  // Longest first, so that "<>" is not read as "<" and a value ">".
  static constexpr std::pair<std::string_view, const char*> kOperators[] = {
      {"<>", "<>"}, {"<=", "<="}, {">=", ">="}, {"=<", "<="},
      {"=>", ">="}, {"=", "="},   {"<", "<"},   {">", ">"}};
  for (const auto& [typed, meant] : kOperators) {
    if (text.starts_with(typed)) {
      condition.Operator = meant;
      condition.Typed = true;
      text.remove_prefix(typed.size());
      break;
    }
  }
  if (!condition.Typed) {
    if (takeNotEqual(text)) {
      condition.Operator = "<>";
      condition.Typed = true;
    } else if (takeWord(text, QueryOperator::Contains)) {
      condition.Operator = QueryOperator::Contains;
      condition.Typed = true;
    } else if (takeWord(text, QueryOperator::Begins)) {
      condition.Operator = QueryOperator::Begins;
      condition.Typed = true;
    }
  }
  condition.Value = std::string(trimmed(text));
  std::string& value = condition.Value;
  if (!condition.Typed && value.size() >= 2 && value.back() == '*') {
    if (value.front() == '*' && value.size() >= 3) {
      condition.Operator = QueryOperator::Contains;
      condition.Typed = true;
      value = value.substr(1, value.size() - 2);
    } else if (value.front() != '*') {
      condition.Operator = QueryOperator::Begins;
      condition.Typed = true;
      value.pop_back();
    }
  }
  return condition;
}

}  // namespace zor::fw
