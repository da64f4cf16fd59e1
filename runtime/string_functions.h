#pragma once
// The language's string functions as plain C++: the expression evaluator
// calls them, and so may framework code that builds or tests filter texts.
// Positions are 1-based as in the language. Functions that build text write
// into a caller's string so that a reused buffer costs no allocation.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ascii_case.h"

namespace zor {

// Texts the functions build (ALL, LEFT, RIGHT, CENTER) never exceed this.
inline constexpr size_t kMaxBuiltText = 1 << 20;

// Compares as if the shorter text were padded with blanks: trailing blanks
// never matter. Bytes compare unsigned. Returns -1, 0 or 1. Inline, as
// filters compare texts once per record and term.
int compareText(std::string_view a, std::string_view b);
int compareTextNoCase(std::string_view a, std::string_view b);  // ASCII letters

namespace detail {

// The rest of the longer text (from `common` on) against blanks: -1, 0 or 1
// from a's side.
inline int compareTail(std::string_view a, std::string_view b, size_t common) {
  const int longer = a.size() > common ? 1 : -1;
  std::string_view tail = (longer > 0 ? a : b).substr(common);
  constexpr uint64_t kBlanks = 0x2020202020202020;
  size_t at = 0;
  for (uint64_t word; at + 8 <= tail.size(); at += 8) {  // fixed-length fields: mostly blanks
    std::memcpy(&word, tail.data() + at, 8);
    if (word != kBlanks) break;
  }
  for (; at < tail.size(); ++at) {
    char c = tail[at];
    if (c != ' ') return static_cast<unsigned char>(c) < ' ' ? -longer : longer;
  }
  return 0;
}
}  // namespace detail

inline int compareText(std::string_view a, std::string_view b) {
  size_t common = a.size() < b.size() ? a.size() : b.size();
  if (common >= 32) {
    int order = std::memcmp(a.data(), b.data(), common);
    if (order != 0) return order < 0 ? -1 : 1;
  } else {  // short keys: cheaper than the library call
    for (size_t i = 0; i < common; ++i) {
      auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
      if (x != y) return x < y ? -1 : 1;
    }
  }
  return detail::compareTail(a, b, common);
}

inline int compareTextNoCase(std::string_view a, std::string_view b) {
  size_t common = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < common; ++i) {
    unsigned char x = platform::asciiUpper(static_cast<unsigned char>(a[i]));
    unsigned char y = platform::asciiUpper(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return detail::compareTail(a, b, common);
}

// CLIP: the text without trailing blanks.
std::string_view clipText(std::string_view text);
// SUB(text, start, length): a negative start counts from the end (-1 is the
// last character); the part outside the text is dropped.
std::string_view subText(std::string_view text, int64_t start, int64_t length);

// LEFT / RIGHT / CENTER: the text without leading and trailing blanks, placed
// left, right or in the middle of `length` positions (cut when longer).
void leftText(std::string_view text, size_t length, std::string& out);
void rightText(std::string_view text, size_t length, std::string& out);
void centerText(std::string_view text, size_t length, std::string& out);
// ALL: the text repeated up to `length` characters.
void repeatText(std::string_view text, size_t length, std::string& out);

void upperText(std::string_view text, std::string& out);
void lowerText(std::string_view text, std::string& out);

// INSTRING(sub, text, step, start): looks for `sub` at start, start + step,
// ... (a negative step walks backwards) and returns the step number of the
// first place where it stands, counted from the start of the text in steps
// of |step| (so with step 1 the character position); 0 when not found.
int64_t inString(std::string_view sub, std::string_view text, int64_t step, int64_t start);

// QUOTE doubles every single quote; with `enclose` the result is also put
// between single quotes, which makes it an expression literal. UNQUOTE
// reverses both.
void quoteText(std::string_view text, bool enclose, std::string& out);
void unquoteText(std::string_view text, std::string& out);

// NUMERIC: blanks around an optional sign, digits with at most one "." and
// at least one digit.
bool isNumericText(std::string_view text);

// Wildcard match of the whole text: "*" any run, "?" any one character.
bool matchWildcard(std::string_view text, std::string_view pattern, bool noCase);
// Soundex code (letter and three digits, "" for a text without letters).
std::array<char, 5> soundexCode(std::string_view text);

// Text patterns for STRPOS and MATCH: "." any character, "[...]" a class
// ("a-z" ranges, "^" first negates), "*", "+" and "?" after an element,
// "{...}" grouping, "|" alternatives, "^" and "$" the start and end of the
// text, "\" takes the next character literally. Everything else, "(" and
// ")" included, stands for itself. Matching runs in time proportional to
// text length times pattern length, without recursion, and reuses its
// buffers across calls.
class TextPattern {
 public:
  // False for a malformed pattern (then nothing matches).
  bool compile(std::string_view pattern, bool noCase);
  // Start position (1-based) of the leftmost match in `text`, 0 when none.
  int64_t find(std::string_view text);
  // Whether the whole text matches.
  bool matchesWhole(std::string_view text);
  bool compiledFrom(std::string_view pattern, bool noCase) const {
    return valid_ && noCase == noCase_ && pattern == source_;
  }

  enum class Op : uint8_t { kChar, kAny, kClass, kSplit, kJump, kMatch, kStart, kEnd };
  struct Instruction {
    Op op;
    uint8_t ch;
    uint32_t x;  // jump target, first branch, or class number
    uint32_t y;  // second branch of a split
  };

 private:
  struct Thread {
    uint32_t pc;
    size_t start;
  };
  int64_t run(std::string_view text, bool whole);
  void addThread(std::vector<Thread>& list, uint32_t pc, size_t start, size_t pos, size_t length,
                 uint32_t generation);

  std::string source_;
  bool noCase_ = false;
  bool valid_ = false;
  std::vector<Instruction> program_;
  std::vector<std::array<uint64_t, 4>> classes_;
  std::vector<Thread> current_, next_;
  std::vector<uint32_t> stack_;
  std::vector<uint32_t> seen_;  // generation mark per instruction
  uint32_t generation_ = 0;
};

// STRPOS(text, pattern, noCase): the start of the leftmost match, 0 if none.
int64_t strPos(std::string_view text, std::string_view pattern, bool noCase = false);

}  // namespace zor
