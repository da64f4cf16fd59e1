#pragma once
// Tokens of the window declaration format (see ui/definition/definition_source.h):
// words, quoted texts and braces, each with its line and column. A "#"
// that starts a token comments out the rest of the line.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zor::ui {

enum class TokenType : uint8_t { Word, Text, Open, Close, End };

struct Token {
  TokenType type = TokenType::End;
  std::string value;  // a word as written; a text without quotes, escapes resolved
  int line = 1;
  int column = 1;
};

// Thrown inside the declaration reader only; the parser turns it into an
// error text with the file name.
struct SourceError {
  int line;
  int column;
  std::string message;
};

// The tokens of `source`, ending with an End token. Throws SourceError on
// an unterminated text, an unknown escape or a control character.
std::vector<Token> tokenizeDeclarations(std::string_view source);

}  // namespace zor::ui
