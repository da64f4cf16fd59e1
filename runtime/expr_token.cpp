#include "runtime/expr_token.h"

#include "platform/ascii_case.h"

namespace zor {
namespace {

bool isLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isNameChar(char c) {
  return isLetter(c) || isDigit(c) || c == '_';
}
bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
using platform::asciiUpper;

// A name: letters, digits and "_" after the first character; ":" and "."
// join the parts of "PRE:LABEL" and "GROUP.FIELD" when a letter or "_"
// follows them directly.
size_t scanName(std::string_view text, size_t at) {
  size_t end = at + 1;
  for (;;) {
    while (end < text.size() && isNameChar(text[end])) ++end;
    if (end + 1 < text.size() && (text[end] == ':' || text[end] == '.') &&
        (isLetter(text[end + 1]) || text[end + 1] == '_')) {
      end += 2;
      continue;
    }
    return end;
  }
}

// A picture runs up to a blank, ",", "]", an operator character that no
// picture uses, or a ")" that closes no "(" of the picture itself; a
// currency text between "~" is read whole. "@P...P" and "@K...K" end at
// their closing letter (and an optional blank-when-zero "B").
size_t scanPicture(std::string_view text, size_t at) {
  size_t end = at + 1;
  if (end < text.size() && (asciiUpper(text[end]) == 'P' || asciiUpper(text[end]) == 'K')) {
    char letter = asciiUpper(text[end]);
    for (size_t i = end + 2; i < text.size(); ++i) {
      if (asciiUpper(text[i]) == letter) {
        size_t close = i + 1;
        if (close < text.size() && asciiUpper(text[close]) == 'B' &&
            (close + 1 == text.size() || !isNameChar(text[close + 1]))) {
          ++close;
        }
        return close;
      }
    }
    return std::string_view::npos;
  }
  int depth = 0;
  while (end < text.size()) {
    char c = text[end];
    if (c == '~') {
      size_t close = text.find('~', end + 1);
      if (close == std::string_view::npos) return std::string_view::npos;
      end = close + 1;
      continue;
    }
    if (isBlank(c) || c == ',' || c == ']' || c == '&' || c == '+' || c == '=' || c == '^' ||
        c == '\'' || c == '%') {
      break;
    }
    if (c == '(') ++depth;
    if (c == ')' && depth-- == 0) break;
    ++end;
  }
  return end > at + 1 ? end : std::string_view::npos;
}

size_t scanNumber(std::string_view text, size_t at) {
  size_t end = at;
  while (end < text.size() && (isNameChar(text[end]) || text[end] == '.')) ++end;
  return end;
}

uint8_t relationalCode(char first, char second, size_t& length) {
  length = 2;
  switch (first) {
    case '<':
      if (second == '>') return op::kNotEqual;
      if (second == '=') return op::kLessEqual;
      break;
    case '>':
      if (second == '=') return op::kGreaterEqual;
      break;
    case '=':
      if (second == '<') return op::kLessEqual;
      if (second == '>') return op::kGreaterEqual;
      break;
    case '~':
      if (second == '=') return op::kNotEqual;
      if (second == '>') return op::kLessEqual;
      if (second == '<') return op::kGreaterEqual;
      break;
  }
  length = 1;
  switch (first) {
    case '<':
      return op::kLess;
    case '>':
      return op::kGreater;
    case '=':
      return op::kEqual;
    default:
      return op::kNot;
  }
}

}  // namespace

void tokenize(std::string_view text, std::vector<Token>& tokens) {
  tokens.clear();
  size_t at = 0;
  for (;;) {
    while (at < text.size() && isBlank(text[at])) ++at;
    Token token;
    token.pos = at;
    if (at >= text.size()) {
      token.kind = TokenKind::kEnd;
      tokens.push_back(token);
      return;
    }
    const char c = text[at];
    size_t end = at + 1;
    switch (c) {
      case '^':
      case '*':
      case '/':
      case '+':
      case '-':
      case '&': {
        static constexpr std::string_view kChars = "^*/+-&";
        static constexpr uint8_t kCodes[] = {op::kPower, op::kMultiply, op::kDivide,
                                             op::kAdd,   op::kSubtract, op::kConcat};
        token.kind = TokenKind::kOperator;
        token.op = kCodes[kChars.find(c)];
        break;
      }
      case '=':
      case '<':
      case '>':
      case '~': {
        size_t length = 1;
        token.kind = TokenKind::kOperator;
        token.op = relationalCode(c, at + 1 < text.size() ? text[at + 1] : '\0', length);
        end = at + length;
        break;
      }
      case ',':
      case ':':
        token.kind = TokenKind::kSeparator;
        token.op = c == ',' ? op::kComma : op::kColon;
        break;
      case '(':
        token.kind = TokenKind::kOpen;
        break;
      case ')':
        token.kind = TokenKind::kClose;
        break;
      case '[':
        token.kind = TokenKind::kOpenBracket;
        break;
      case ']':
        token.kind = TokenKind::kCloseBracket;
        break;
      case '%':
        token.kind = TokenKind::kPercent;
        break;
      case '\'': {
        token.kind = TokenKind::kError;
        for (size_t i = at + 1; i < text.size(); ++i) {
          if (text[i] != '\'') continue;
          if (i + 1 < text.size() && text[i + 1] == '\'') {
            ++i;
            continue;
          }
          token.kind = TokenKind::kString;
          end = i + 1;
          break;
        }
        break;
      }
      case '@':
        end = scanPicture(text, at);
        token.kind = end == std::string_view::npos ? TokenKind::kError : TokenKind::kPicture;
        break;
      default:
        if (isLetter(c) || c == '_' || c == '?') {
          end = scanName(text, at);
          token.kind = TokenKind::kName;
          std::string_view word = text.substr(at, end - at);
          static constexpr std::string_view kWords[] = {"AND", "OR", "XOR", "NOT"};
          static constexpr uint8_t kCodes[] = {op::kAnd, op::kOr, op::kXor, op::kNot};
          for (size_t i = 0; i < 4; ++i) {
            if (platform::equalsIgnoringCase(word, kWords[i])) {
              token.kind = TokenKind::kOperator;
              token.op = kCodes[i];
            }
          }
        } else if (isDigit(c) || c == '.') {
          end = scanNumber(text, at);
          token.kind = TokenKind::kNumber;
        } else {
          token.kind = TokenKind::kError;
        }
    }
    if (token.kind == TokenKind::kError) {
      tokens.push_back(token);
      return;
    }
    token.text = text.substr(at, end - at);
    tokens.push_back(token);
    at = end;
  }
}

}  // namespace zor
