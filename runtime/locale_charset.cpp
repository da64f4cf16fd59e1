// Character sets: OEM (code page 437) <-> ANSI (Windows-1252) conversion, and
// the system's character order and case pairs of Windows-1252.

#include <algorithm>
#include <tuple>

#include "runtime/locale.h"
#include "runtime/locale_detail.h"

namespace zor {

namespace {

// The ANSI character for each OEM character 128..255. Characters ANSI lacks
// (box drawing, most Greek letters, mathematical signs) get the nearest
// plain character, the way a best-fit conversion does.
constexpr unsigned char kOemToAnsiHigh[128] = {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5,
    0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0xA2, 0xA3, 0xA5, 'P',  0x83,
    0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1, 0xAA, 0xBA, 0xBF, '-',  0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,
    '#',  '#',  '#',  '|',  '+',  '+',  '+',  '+',  '+',  '+',  '|',  '+',  '+',  '+',  '+',  '+',
    '+',  '+',  '+',  '+',  '-',  '+',  '+',  '+',  '+',  '+',  '+',  '+',  '+',  '=',  '+',  '+',
    '+',  '+',  '+',  '+',  '+',  '+',  '+',  '+',  '+',  '+',  '+',  '#',  '#',  '#',  '#',  '#',
    'a',  0xDF, 'G',  'p',  'S',  's',  0xB5, 't',  'F',  'T',  'O',  'd',  '8',  'f',  'e',  'n',
    '=',  0xB1, '>',  '<',  '(',  ')',  0xF7, '~',  0xB0, 0xB7, 0xB7, 'v',  'n',  0xB2, '#',  0xA0};

struct AnsiToOemTable {
  unsigned char map[256];
  AnsiToOemTable() {
    for (int c = 0; c < 256; ++c) map[c] = c < 128 ? static_cast<unsigned char>(c) : '?';
    for (int oem = 255; oem >= 128; --oem) {  // the lowest OEM code wins
      unsigned char ansi = kOemToAnsiHigh[oem - 128];
      if (ansi >= 128) map[ansi] = static_cast<unsigned char>(oem);
    }
  }
};

unsigned char byte(char c) {
  return static_cast<unsigned char>(c);
}

}  // namespace

char oemToAnsi(char c) {
  unsigned char b = byte(c);
  return b < 128 ? c : static_cast<char>(kOemToAnsiHigh[b - 128]);
}

char ansiToOem(char c) {
  static const AnsiToOemTable table;
  return static_cast<char>(table.map[byte(c)]);
}

namespace locale_detail {

namespace {

bool isAsciiLetter(int c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The base letter (lower case) of a Windows-1252 letter, or 0.
char baseLetter(int c) {
  if (isAsciiLetter(c)) return static_cast<char>(c | 0x20);
  static constexpr char kHigh[64] = {
      // 0xC0..0xFF
      'a', 'a', 'a', 'a', 'a', 'a', 'a', 'c', 'e', 'e', 'e', 'e', 'i', 'i', 'i', 'i',
      'd', 'n', 'o', 'o', 'o', 'o', 'o', 0,   'o', 'u', 'u', 'u', 'u', 'y', 't', 's',
      'a', 'a', 'a', 'a', 'a', 'a', 'a', 'c', 'e', 'e', 'e', 'e', 'i', 'i', 'i', 'i',
      'd', 'n', 'o', 'o', 'o', 'o', 'o', 0,   'o', 'u', 'u', 'u', 'u', 'y', 't', 'y'};
  if (c >= 0xC0) return kHigh[c - 0xC0];
  switch (c) {
    case 0x83:
      return 'f';
    case 0x8A:
    case 0x9A:
      return 's';
    case 0x8C:
    case 0x9C:
      return 'o';
    case 0x8E:
    case 0x9E:
      return 'z';
    case 0x9F:
      return 'y';
    case 0xAA:
      return 'a';
    case 0xBA:
      return 'o';
    default:
      return 0;
  }
}

int digitValue(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c == 0xB9) return 1;
  if (c == 0xB2) return 2;
  if (c == 0xB3) return 3;
  return -1;
}

}  // namespace

uint8_t systemLowerPartner(uint8_t upper) {
  if (upper >= 'A' && upper <= 'Z') return static_cast<uint8_t>(upper + 32);
  if (upper >= 0xC0 && upper <= 0xDE && upper != 0xD7) return static_cast<uint8_t>(upper + 0x20);
  switch (upper) {
    case 0x8A:
      return 0x9A;
    case 0x8C:
      return 0x9C;
    case 0x8E:
      return 0x9E;
    case 0x9F:
      return 0xFF;
    default:
      return 0;
  }
}

void systemCollationWeights(uint8_t weights[256]) {
  // Symbols first (in code order), then digits, then letters by base letter,
  // the plain letter before its accented forms, lower case before upper.
  auto key = [](int c) {
    int digit = digitValue(c);
    char base = baseLetter(c);
    bool upper = systemLowerPartner(static_cast<uint8_t>(c)) != 0;
    int lowerForm = upper ? systemLowerPartner(static_cast<uint8_t>(c)) : c;
    if (digit >= 0) return std::make_tuple(1, digit, c < 128 ? 0 : 1, 0, c);
    if (base)
      return std::make_tuple(2, int(base), isAsciiLetter(c) ? 0 : lowerForm, upper ? 1 : 0, c);
    return std::make_tuple(0, 0, 0, 0, c);
  };
  int codes[253];
  for (int i = 0; i < 253; ++i) codes[i] = i + 2;
  std::sort(codes, codes + 253, [&](int a, int b) { return key(a) < key(b); });
  weights[0] = 0;
  weights[1] = 1;
  weights[255] = 255;
  for (int rank = 0; rank < 253; ++rank) weights[codes[rank]] = static_cast<uint8_t>(rank + 2);
}

}  // namespace locale_detail

}  // namespace zor
