#pragma once
// The process-wide locale: character set (ANSI or OEM), collating sequence,
// case mapping, month names and abbreviations, AM/PM designators, digraphs,
// standard button texts, message overrides and the locale-built pictures
// (dates 17 and 18, times 7 and 8).
//
// It is filled once, at the first use, under the locale lock: the built-in
// defaults, then the "intl" settings of the system profile, then the
// environment file beside the program (the program's file name with the
// extension ".ENV"), whose lines are ZOR... keys:
//
//   ZORMONTH=Januar,Februar        ZORAMPM=vm,nm        ZORMSG545=Wrong thread
//   ZORCOLSEQ=AaBbCc...            ZORCASE="ÀÉ","àé"    ZORDIGRAPH=ßss,Æae

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/picture.h"

namespace zor {

inline constexpr size_t kMaxLocalePictureWidth = 32;
inline constexpr int kMaxDigraphs = 16;
inline constexpr int kButtonMessageBase = 0x7F00;
inline constexpr int kButtonCount = 16;

// The display positions of a locale-built picture.
struct LocalePicture {
  uint8_t width = 0;
  PicturePosition positions[kMaxLocalePictureWidth];
};

// --- Set-up -------------------------------------------------------------

// The program's own path; the environment file is this path with its
// extension replaced by ".ENV" (added when there is none).
void setProgramPath(const std::string& path);
// Points the locale at another environment file ("" restores the one beside
// the program). Takes effect at the next initialisation.
void setEnvironmentFilePath(const std::string& path);
std::string environmentFilePath();

// Fills the locale once per process; later calls return at once.
void initialiseLocale();
// Back to the built-in defaults; the next use initialises again. For tests
// and for the console, which loads a file of its choice.
void resetLocale();

// Applies every KEY=value line of an environment file; "WINDOWS" instead of
// a file name applies the system-derived collating sequence, case mapping and
// designators. False when the file cannot be read (nothing changes then).
bool loadLocaleEnvironment(const std::string& fileOrWindows);
// Applies one setting as written in the file (value syntax included). False
// for a key the locale does not know.
bool applyLocaleSetting(std::string_view key, std::string_view value);

// The value syntax of the environment file: <n> codes, trailing blanks,
// items separated by commas (unless `commasSeparate` is false) or a quoted
// list with doubled quotes inside. Exposed for tests and tools.
std::vector<std::string> parseLocaleValue(std::string_view value, bool commasSeparate = true);

// --- Queries (each initialises the locale at first use) -----------------

std::string_view monthName(int month);          // 1..12; "" otherwise
std::string_view monthAbbreviation(int month);  // 1..12; "" otherwise
std::string_view amDesignator();
std::string_view pmDesignator();
const LocalePicture& localeDatePicture(int number);  // 17 or 18; width 0 otherwise
const LocalePicture& localeTimePicture(int number);  // 7 or 8; width 0 otherwise

bool oemCharacterSet();
bool longFileNames();
bool rightToLeftLayout();
std::string systemCharacterSet();
// Runtime message 0x7F00 + n: the standard button texts ("" beyond them).
std::string buttonText(int n);
// Incremented at each change of month names, abbreviations or designators.
uint32_t localeChangeCount();

// Collation: the weight of one character in the current collating sequence
// (the OEM twin in OEM mode), and a comparison of two texts in which each
// digraph sorts as its two-character expansion. Returns <0, 0 or >0.
uint8_t collationWeight(unsigned char c);
// The weights of `length` characters of `text` into `out`, each upper-cased
// first when `upper`, followed by the weight of character 0 up to `size`:
// the locale is looked up once for the whole text (key encoding calls this
// for every key of every record).
void collationWeights(const uint8_t* text, size_t length, size_t size, bool upper, uint8_t* out);
int collationCompare(std::string_view a, std::string_view b);

// Case mapping and character kinds of the locale.
char toUpperLocale(char c);
char toLowerLocale(char c);
bool isUpperLocale(char c);
bool isLowerLocale(char c);
bool isDigitLocale(char c);
bool isAlphaLocale(char c);

// OEM (code page 437) <-> ANSI (Windows-1252) character conversion.
char oemToAnsi(char c);
char ansiToOem(char c);

}  // namespace zor
