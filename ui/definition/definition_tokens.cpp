#include "ui/definition/definition_tokens.h"

#include <cstdio>

namespace zor::ui {
namespace {

class Lexer {
 public:
  explicit Lexer(std::string_view source) : source_(source) {}

  std::vector<Token> run() {
    std::vector<Token> tokens;
    for (;;) {
      skipSpaceAndComments();
      Token token;
      token.line = line_;
      token.column = column_;
      if (at_ >= source_.size()) {
        tokens.push_back(token);
        return tokens;
      }
      char c = source_[at_];
      if (c == '{' || c == '}') {
        token.type = c == '{' ? TokenType::Open : TokenType::Close;
        advance();
      } else if (c == '"') {
        token.type = TokenType::Text;
        token.value = quoted();
      } else {
        token.type = TokenType::Word;
        while (at_ < source_.size() && isWordChar(source_[at_])) token.value += advance();
      }
      tokens.push_back(std::move(token));
    }
  }

 private:
  static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
  static bool isWordChar(char c) {
    return !isSpace(c) && c != '{' && c != '}' && c != '"' && !isControl(c);
  }
  static bool isControl(char c) { return static_cast<unsigned char>(c) < 0x20 && !isSpace(c); }

  char advance() {
    char c = source_[at_++];
    if (c == '\n') {
      ++line_;
      column_ = 1;
    } else {
      ++column_;
    }
    return c;
  }

  [[noreturn]] void fail(const std::string& message) const {
    throw SourceError{line_, column_, message};
  }

  void skipSpaceAndComments() {
    while (at_ < source_.size()) {
      char c = source_[at_];
      if (isSpace(c)) {
        advance();
      } else if (c == '#') {
        while (at_ < source_.size() && source_[at_] != '\n') advance();
      } else if (isControl(c)) {
        char text[48];
        std::snprintf(text, sizeof text, "unexpected control character 0x%02X",
                      static_cast<unsigned char>(c));
        fail(text);
      } else {
        return;
      }
    }
  }

  std::string quoted() {
    const int line = line_, column = column_;
    advance();  // the opening quote
    std::string value;
    for (;;) {
      if (at_ >= source_.size() || source_[at_] == '\n') {
        throw SourceError{line, column, "text has no closing quote on its line"};
      }
      char c = advance();
      if (c == '"') return value;
      if (isControl(c)) fail("control character inside a text (write \\t or \\n)");
      if (c != '\\') {
        value += c;
        continue;
      }
      if (at_ >= source_.size()) fail("text ends in a lone backslash");
      char escaped = advance();
      switch (escaped) {
        case '"':
          value += '"';
          break;
        case '\\':
          value += '\\';
          break;
        case 'n':
          value += '\n';
          break;
        case 't':
          value += '\t';
          break;
        default:
          fail(std::string("unknown escape \\") + escaped + " (use \\\", \\\\, \\n or \\t)");
      }
    }
  }

  std::string_view source_;
  size_t at_ = 0;
  int line_ = 1;
  int column_ = 1;
};

}  // namespace

std::vector<Token> tokenizeDeclarations(std::string_view source) {
  return Lexer(source).run();
}

}  // namespace zor::ui
