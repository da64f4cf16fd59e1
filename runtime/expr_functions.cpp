#include "runtime/expr_functions.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <limits>
#include <random>

#include "platform/profile.h"
#include "platform/system_memory.h"
#include "runtime/date_time.h"
#include "runtime/picture.h"

namespace zor {

int64_t FunctionCall::intArg(uint32_t i, int64_t fallback) const {
  return has(i) ? toInt(args[i]) : fallback;
}

double FunctionCall::realArg(uint32_t i) const {
  return i < count ? toReal(args[i]) : 0.0;
}

std::string_view FunctionCall::textArg(uint32_t i, NumberText& scratch) const {
  return i < count ? toText(args[i], scratch) : std::string_view{};
}

namespace {

using Call = FunctionCall;

constexpr size_t kDefaultAllLength = 255;

int32_t clampToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

size_t lengthArg(const Call& call, uint32_t i, size_t fallback) {
  if (!call.has(i)) return fallback;
  int64_t length = call.intArg(i);
  return length <= 0 ? 0 : static_cast<size_t>(std::min<int64_t>(length, kMaxBuiltText));
}

// The text of an argument, made to outlive the call: numbers are written
// into the node's buffer, texts are already stable views.
std::string_view stableText(Call& call, uint32_t i) {
  if (i < call.count && call.args[i].kind == ValueKind::kString) return call.args[i].text;
  NumberText scratch;
  call.buffer.assign(call.textArg(i, scratch));
  return call.buffer;
}

void textResult(Call& call) {
  call.out.setText(call.buffer);
}

void truth(Call& call, bool value) {
  call.out.setInt(value ? 1 : 0);
}

template <double (*F)(double)>
void realFunction(Call& call) {
  return call.out.setReal(F(call.realArg(0)));
}

double absolute(double x) {
  return std::fabs(x);
}
double arcCosine(double x) {
  return std::acos(x);
}
double arcSine(double x) {
  return std::asin(x);
}
double arcTangent(double x) {
  return std::atan(x);
}
double cosine(double x) {
  return std::cos(x);
}
double sine(double x) {
  return std::sin(x);
}
double tangent(double x) {
  return std::tan(x);
}
double squareRoot(double x) {
  return std::sqrt(x);
}
double logarithm10(double x) {
  return std::log10(x);
}
double logarithmE(double x) {
  return std::log(x);
}

// --- dates and times ------------------------------------------------------

void fnAge(Call& call) {
  int32_t start = clampToInt32(call.intArg(0));
  call.buffer = call.has(1) ? ageText(start, clampToInt32(call.intArg(1))) : ageText(start);
  return textResult(call);
}

void fnClock(Call& call) {
  return call.out.setInt(clockNow());
}
void fnToday(Call& call) {
  return call.out.setInt(today());
}

int64_t floorDivide(int64_t a, int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

void fnDate(Call& call) {
  constexpr int64_t kBound = 1'000'000'000;
  int64_t month = std::clamp<int64_t>(call.intArg(0), -kBound, kBound);
  int64_t day = call.intArg(1);
  int64_t year = std::clamp<int64_t>(call.intArg(2), -kBound, kBound);
  if (year >= 0 && year < 100) year = expandTwoDigitYear(static_cast<int>(year));
  // Months past December (or before January) roll into the years.
  year += floorDivide(month - 1, 12);
  month = month - 1 - floorDivide(month - 1, 12) * 12 + 1;
  if (year < 100 || year > 9999 || day < -4'000'000 || day > 4'000'000) return call.out.setInt(-1);
  return call.out.setInt(
      dateFromMonthDayYear(static_cast<int>(month), static_cast<int>(day), static_cast<int>(year)));
}

void fnDay(Call& call) {
  return call.out.setInt(dayOf(clampToInt32(call.intArg(0))));
}
void fnMonth(Call& call) {
  return call.out.setInt(monthOf(clampToInt32(call.intArg(0))));
}
void fnYear(Call& call) {
  return call.out.setInt(yearOf(clampToInt32(call.intArg(0))));
}

// --- pictures -------------------------------------------------------------

void fnFormat(Call& call) {
  NumberText scratch;
  CompiledPicture picture;
  compilePicture(call.textArg(1, scratch), picture);
  const Value& value = call.args[0];
  PictureValue shown;
  DecimalAccumulator decimal;
  switch (picture.valueKind) {
    case PictureValueKind::Text:
      shown = PictureValue::ofText(toText(value, scratch));
      break;
    case PictureValueKind::DateTime:
      shown = picture.pictureClass == PictureClass::Time
                  ? PictureValue::ofTime(clampToInt32(toInt(value)))
                  : PictureValue::ofDate(clampToInt32(toInt(value)));
      break;
    default: {
      Value number = toNumber(value);
      if (value.kind == ValueKind::kString &&
          decimalFromText(std::string(clipText(value.text)), decimal)) {
        shown = PictureValue::ofDecimal(decimal);  // keeps every digit of a decimal text
      } else if (number.kind == ValueKind::kInt) {
        shown = PictureValue::ofInteger(number.integer);
      } else {
        shown = PictureValue::ofReal(number.real);
      }
    }
  }
  char out[kMaxPictureWidth];
  size_t length = formatPicture(picture, shown, out);
  call.buffer.assign(out, length);
  return textResult(call);
}

void fnDeformat(Call& call) {
  NumberText scratch;
  CompiledPicture picture;
  NumberText pictureScratch;
  compilePicture(call.has(1) ? call.textArg(1, pictureScratch) : std::string_view{}, picture);
  char out[kDeformatCapacity];
  size_t length = deformatPicture(picture, call.textArg(0, scratch), out);
  call.buffer.assign(out, length);
  return textResult(call);
}

// --- texts ----------------------------------------------------------------

void fnAll(Call& call) {
  NumberText scratch;
  repeatText(call.textArg(0, scratch), lengthArg(call, 1, kDefaultAllLength), call.buffer);
  return textResult(call);
}

template <void (*Place)(std::string_view, size_t, std::string&)>
void placeText(Call& call) {
  NumberText scratch;
  std::string_view text = call.textArg(0, scratch);
  Place(text, lengthArg(call, 1, text.size()), call.buffer);
  return textResult(call);
}

void fnChr(Call& call) {
  int64_t code = call.intArg(0);
  call.buffer.clear();
  if (code >= 0 && code <= 255) call.buffer.push_back(static_cast<char>(code));
  return textResult(call);
}

void fnClip(Call& call) {
  return call.out.setText(clipText(stableText(call, 0)));
}

void fnSub(Call& call) {
  std::string_view text = stableText(call, 0);
  return call.out.setText(subText(text, call.intArg(1), call.intArg(2)));
}

void fnLen(Call& call) {
  NumberText scratch;
  return call.out.setInt(static_cast<int64_t>(call.textArg(0, scratch).size()));
}

void fnUpper(Call& call) {
  NumberText scratch;
  upperText(call.textArg(0, scratch), call.buffer);
  return textResult(call);
}

void fnLower(Call& call) {
  NumberText scratch;
  lowerText(call.textArg(0, scratch), call.buffer);
  return textResult(call);
}

void fnVal(Call& call) {
  NumberText scratch;
  std::string_view text = call.textArg(0, scratch);
  return call.out.setInt(text.empty() ? 0 : static_cast<unsigned char>(text.front()));
}

void fnQuote(Call& call) {
  NumberText scratch;
  std::string_view text = call.textArg(0, scratch);
  quoteText(text, call.intArg(1) != 0, call.buffer);
  return textResult(call);
}

void fnUnquote(Call& call) {
  NumberText scratch;
  unquoteText(call.textArg(0, scratch), call.buffer);
  return textResult(call);
}

void fnNumeric(Call& call) {
  if (call.has(0) && call.args[0].isNumber()) return truth(call, true);
  NumberText scratch;
  return truth(call, isNumericText(call.textArg(0, scratch)));
}

void fnInstring(Call& call) {
  NumberText subScratch, textScratch;
  std::string_view sub = call.textArg(0, subScratch);
  std::string_view text = call.textArg(1, textScratch);
  int64_t step = call.intArg(2, 1);
  int64_t lastStart = static_cast<int64_t>(text.size()) - static_cast<int64_t>(sub.size()) + 1;
  int64_t start = call.intArg(3, step < 0 ? lastStart : 1);
  return call.out.setInt(inString(sub, text, step, start));
}

TextPattern& patternFor(Call& call, std::string_view pattern, bool noCase) {
  if (!call.pattern) call.pattern = std::make_unique<TextPattern>();
  if (!call.pattern->compiledFrom(pattern, noCase)) call.pattern->compile(pattern, noCase);
  return *call.pattern;
}

void fnStrpos(Call& call) {
  NumberText textScratch, patternScratch;
  std::string_view text = call.textArg(0, textScratch);
  std::string_view pattern = call.textArg(1, patternScratch);
  return call.out.setInt(patternFor(call, pattern, call.intArg(2) != 0).find(text));
}

constexpr int64_t kMatchWildcard = 0;
constexpr int64_t kMatchRegular = 1;
constexpr int64_t kMatchSoundex = 2;
constexpr int64_t kMatchPlain = 3;
constexpr int64_t kMatchNoCase = 0x10;

void fnMatch(Call& call) {
  NumberText textScratch, patternScratch;
  std::string_view text = clipText(call.textArg(0, textScratch));
  std::string_view pattern = clipText(call.textArg(1, patternScratch));
  int64_t mode = call.intArg(2, kMatchWildcard);
  bool noCase = (mode & kMatchNoCase) != 0;
  switch (mode & ~kMatchNoCase) {
    case kMatchWildcard:
      return truth(call, matchWildcard(text, pattern, noCase));
    case kMatchRegular:
      return truth(call, patternFor(call, pattern, noCase).matchesWhole(text));
    case kMatchSoundex:
      return truth(call, soundexCode(text) == soundexCode(pattern));
    case kMatchPlain:
      return truth(call,
                   (noCase ? compareTextNoCase(text, pattern) : compareText(text, pattern)) == 0);
    default:
      return truth(call, false);
  }
}

// --- choices and lists ----------------------------------------------------

void fnChoose(Call& call) {
  uint32_t chosen;
  if (call.count == 1) {  // CHOOSE(condition): "1" or "0"
    call.buffer.assign(isTrue(call.args[0]) ? "1" : "0");
    return textResult(call);
  }
  if (call.count == 3 && call.firstIsCondition) {
    chosen = isTrue(call.args[0]) ? 1 : 2;
  } else {
    int64_t index = call.intArg(0);
    // Out of range: the last value.
    chosen = (index >= 1 && index < call.count) ? static_cast<uint32_t>(index) : call.count - 1;
  }
  return call.out.setText(stableText(call, chosen));
}

void fnInlist(Call& call) {
  for (uint32_t i = 1; i < call.count; ++i) {
    if (compareValues(call.args[0], call.args[i]) == 0) return call.out.setInt(i);
  }
  return call.out.setInt(0);
}

void fnInrange(Call& call) {
  return truth(call, compareValues(call.args[0], call.args[1]) >= 0 &&
                         compareValues(call.args[0], call.args[2]) <= 0);
}

void fnNull(Call& call) {
  return truth(call, !call.has(0));
}

void fnSql(Call& call) {
  return call.out.setNone();
}

// --- numbers --------------------------------------------------------------

void fnInt(Call& call) {
  return call.out.setInt(call.intArg(0));
}

void fnRound(Call& call) {
  double value = call.realArg(0);
  double step = std::fabs(call.realArg(1));
  if (step == 0) return call.out.setReal(value);
  double steps = roundToSignificant(value / step);
  if (!(std::fabs(steps) < 1e15))
    return call.out.setReal(value);  // already finer than a real holds
  return call.out.setReal(roundToSignificant(std::round(steps) * step));  // halves away from zero
}

void fnRandom(Call& call) {
  thread_local std::mt19937_64 generator{std::random_device{}()};
  int64_t low = call.intArg(0), high = call.intArg(1);
  if (low > high) std::swap(low, high);
  return call.out.setInt(std::uniform_int_distribution<int64_t>(low, high)(generator));
}

void fnBand(Call& call) {
  return call.out.setInt(call.intArg(0) & call.intArg(1));
}
void fnBor(Call& call) {
  return call.out.setInt(call.intArg(0) | call.intArg(1));
}
void fnBxor(Call& call) {
  return call.out.setInt(call.intArg(0) ^ call.intArg(1));
}

void fnBshift(Call& call) {
  int64_t value = call.intArg(0), count = call.intArg(1);
  if (count >= 64) return call.out.setInt(0);
  if (count <= -64) return call.out.setInt(value < 0 ? -1 : 0);
  if (count >= 0)
    return call.out.setInt(static_cast<int64_t>(static_cast<uint64_t>(value) << count));
  return call.out.setInt(value >> -count);
}

// --- the environment ------------------------------------------------------

void fnGetini(Call& call) {
  NumberText s1, s2, s3, s4;
  std::string section(call.textArg(0, s1)), entry(call.textArg(1, s2));
  std::string fallback(call.has(2) ? call.textArg(2, s3) : std::string_view{});
  call.buffer = call.has(3) ? platform::getPrivateProfileString(section, entry, fallback,
                                                                std::string(call.textArg(3, s4)))
                            : platform::getProfileString(section, entry, fallback);
  return textResult(call);
}

// PATH: the folder of the named file (or the current folder); LONGPATH and
// SHORTPATH: the full path of the named file (or of the current folder).
// This platform has no short names, so SHORTPATH answers the long path.
template <bool FolderOnly>
void pathOf(Call& call) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::path path = fs::current_path(error);
  if (call.has(0)) {
    NumberText scratch;
    std::string_view name = call.textArg(0, scratch);
    path = fs::absolute(fs::path(name), error).lexically_normal();
    if (FolderOnly) path = path.parent_path();
  }
  call.buffer = error ? std::string() : path.string();
  return textResult(call);
}

// MEMORY(0): physical memory in kilobytes; MEMORY(1): the part of it free.
void fnMemory(Call& call) {
  const int64_t kind = call.intArg(0);
  const uint64_t bytes = kind == 0   ? platform::physicalMemory()
                         : kind == 1 ? platform::freePhysicalMemory()
                                     : 0;
  return call.out.setInt(static_cast<int64_t>(bytes / 1024));
}

constexpr ValueKind I = ValueKind::kInt;
constexpr ValueKind R = ValueKind::kReal;
constexpr ValueKind S = ValueKind::kString;
constexpr ValueKind N = ValueKind::kNone;

// The built-in functions, sorted by name. Arguments in [] may be left out
// (also by an empty place: INSTRING('a', text, , 3)).
constexpr BuiltinFunction kFunctions[] = {
    {"ABS", 1, 1, R, realFunction<absolute>, "ABS(x): the magnitude of x"},
    {"ACOS", 1, 1, R, realFunction<arcCosine>, "ACOS(x): arc cosine in radians; 0 outside -1..1"},
    {"AGE", 1, 2, S, fnAge,
     "AGE(start [, base]): \"n DAYS\", \"n MOS\" or \"n YRS\" from the standard date start to "
     "base (default today)"},
    {"ALL", 1, 2, S, fnAll, "ALL(text [, length]): text repeated to length characters (255)"},
    {"ASIN", 1, 1, R, realFunction<arcSine>, "ASIN(x): arc sine in radians; 0 outside -1..1"},
    {"ATAN", 1, 1, R, realFunction<arcTangent>, "ATAN(x): arc tangent in radians"},
    {"BAND", 2, 2, I, fnBand, "BAND(a, b): bitwise and"},
    {"BOR", 2, 2, I, fnBor, "BOR(a, b): bitwise or"},
    {"BSHIFT", 2, 2, I, fnBshift,
     "BSHIFT(value, count): shifted left by count bits, right when count is negative"},
    {"BXOR", 2, 2, I, fnBxor, "BXOR(a, b): bitwise exclusive or"},
    {"CENTER", 1, 2, S, placeText<centerText>,
     "CENTER(text [, length]): text without surrounding blanks centred in length (its own)"},
    {"CHOOSE", 1, 25, S, fnChoose,
     "CHOOSE(n, v1, ...): the n-th value, the last when n is out of range; CHOOSE(condition, "
     "then, else); CHOOSE(condition): \"1\" or \"0\""},
    {"CHR", 1, 1, S, fnChr, "CHR(code): the character with that code (0..255), else empty"},
    {"CLIP", 1, 1, S, fnClip, "CLIP(text): text without trailing blanks"},
    {"CLOCK", 0, 0, I, fnClock, "CLOCK(): the standard time now"},
    {"COS", 1, 1, R, realFunction<cosine>, "COS(x): cosine of x radians"},
    {"DATE", 3, 3, I, fnDate,
     "DATE(month, day, year): standard date; months and days roll over; -1 out of range"},
    {"DAY", 1, 1, I, fnDay, "DAY(date): day of month of a standard date"},
    {"DEFORMAT", 1, 2, S, fnDeformat,
     "DEFORMAT(text [, picture]): the value typed through the picture, as text; without "
     "picture the characters that form a number"},
    {"FORMAT", 2, 2, S, fnFormat, "FORMAT(value, picture): value shown through the picture"},
    {"GETINI", 2, 4, S, fnGetini,
     "GETINI(section, entry [, default [, file]]): an INI entry; without file the user profile"},
    {"INLIST", 3, 26, I, fnInlist,
     "INLIST(x, v1, v2, ...): position of the first value equal to x, 0 if none"},
    {"INRANGE", 3, 3, I, fnInrange, "INRANGE(x, low, high): 1 when low <= x <= high"},
    {"INSTRING", 2, 4, I, fnInstring,
     "INSTRING(sub, text [, step [, start]]): step number (position for step 1) where sub "
     "stands in text, searching from start by step (backwards when negative); 0 if none"},
    {"INT", 1, 1, I, fnInt, "INT(x): x truncated toward zero"},
    {"LEFT", 1, 2, S, placeText<leftText>,
     "LEFT(text [, length]): text without leading blanks, left in length (its own)"},
    {"LEN", 1, 1, I, fnLen, "LEN(text): length of text (a STRING field: its size)"},
    {"LOG10", 1, 1, R, realFunction<logarithm10>, "LOG10(x): common logarithm; 0 for x <= 0"},
    {"LOGE", 1, 1, R, realFunction<logarithmE>, "LOGE(x): natural logarithm; 0 for x <= 0"},
    {"LONGPATH", 0, 1, S, pathOf<false>,
     "LONGPATH([name]): full path of name (of the current folder)"},
    {"LOWER", 1, 1, S, fnLower, "LOWER(text): text in lower case"},
    {"MATCH", 2, 3, I, fnMatch,
     "MATCH(text, pattern [, mode]): 1 when the clipped text matches; mode 0 wildcards * ?, "
     "1 text pattern (as STRPOS, whole text), 2 soundex, 3 equal text; +16 ignores case"},
    {"MEMORY", 1, 1, I, fnMemory, "MEMORY(kind): physical memory in KB: 0 total, 1 free"},
    {"MONTH", 1, 1, I, fnMonth, "MONTH(date): month of a standard date"},
    {"NULL", 1, 1, I, fnNull, "NULL(x): 1 when x has no value (left out, or SQL())"},
    {"NUMERIC", 1, 1, I, fnNumeric, "NUMERIC(text): 1 when text is a number"},
    {"PATH", 0, 1, S, pathOf<true>, "PATH([name]): folder of name (the current folder)"},
    {"QUOTE", 2, 2, S, fnQuote,
     "QUOTE(text, enclose): quotes doubled; enclose <> 0 also puts it between quotes"},
    {"RANDOM", 2, 2, I, fnRandom, "RANDOM(low, high): a random whole number in low..high"},
    {"RIGHT", 1, 2, S, placeText<rightText>,
     "RIGHT(text [, length]): text without trailing blanks, right in length (its own)"},
    {"ROUND", 2, 2, R, fnRound,
     "ROUND(x, step): x rounded to a multiple of step, halves away from zero"},
    {"SHORTPATH", 0, 1, S, pathOf<false>, "SHORTPATH([name]): as LONGPATH (no short names here)"},
    {"SIN", 1, 1, R, realFunction<sine>, "SIN(x): sine of x radians"},
    {"SQL", 0, 0, N, fnSql, "SQL(): no value; a filter calling it is left to the driver"},
    {"SQRT", 1, 1, R, realFunction<squareRoot>, "SQRT(x): square root; 0 for x < 0"},
    {"STRPOS", 2, 3, I, fnStrpos,
     "STRPOS(text, pattern [, nocase]): position of the first match of the text pattern"},
    {"SUB", 3, 3, S, fnSub,
     "SUB(text, start, length): length characters from start (negative: from the end)"},
    {"TAN", 1, 1, R, realFunction<tangent>, "TAN(x): tangent of x radians"},
    {"TODAY", 0, 0, I, fnToday, "TODAY(): the standard date today"},
    {"UNQUOTE", 1, 1, S, fnUnquote, "UNQUOTE(text): enclosing quotes removed, doubled ones halved"},
    {"UPPER", 1, 1, S, fnUpper, "UPPER(text): text in upper case"},
    {"VAL", 1, 1, I, fnVal, "VAL(text): character code of the first character, 0 if empty"},
    {"YEAR", 1, 1, I, fnYear, "YEAR(date): year of a standard date"},
};

}  // namespace

std::span<const BuiltinFunction> builtinFunctions() {
  return kFunctions;
}

int findBuiltinFunction(std::string_view name) {
  auto less = [](const BuiltinFunction& function, std::string_view key) {
    return compareTextNoCase(function.name, key) < 0;
  };
  const BuiltinFunction* found =
      std::lower_bound(std::begin(kFunctions), std::end(kFunctions), name, less);
  if (found == std::end(kFunctions) || compareTextNoCase(found->name, name) != 0) return -1;
  // compareTextNoCase ignores trailing blanks; names have none, keys neither.
  if (std::string_view(found->name).size() != name.size()) return -1;
  return static_cast<int>(found - std::begin(kFunctions));
}

}  // namespace zor
