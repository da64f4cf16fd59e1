// The process-wide locale: its tables, the one-time initialisation under the
// locale lock, and the settings of the environment file.

#include "runtime/locale.h"

#include <atomic>
#include <cstring>
#include <fstream>
#include <mutex>

#include "platform/ascii_case.h"
#include "platform/profile.h"
#include "platform/sync.h"
#include "runtime/error_state.h"
#include "runtime/locale_detail.h"

namespace zor {

namespace {

constexpr uint8_t kUpper = 1, kLower = 2, kDigit = 4;

const char* const kDefaultMonths[12] = {"January",   "February", "March",    "April",
                                        "May",       "June",     "July",     "August",
                                        "September", "October",  "November", "December"};
const char* const kDefaultButtons[8] = {"&OK",     "&Cancel", "&Abort", "&Retry",
                                        "&Ignore", "&Yes",    "&No",    "&Help"};

struct Digraph {
  char text[4] = {};  // the digraph character and its two-character expansion
};

struct LocaleState {
  bool oem = false;
  uint8_t collate[256] = {};
  uint8_t collateOem[256] = {};
  uint8_t casePartner[256] = {};
  uint8_t charKind[256] = {};
  char months[12][13] = {};
  char abbreviations[12][4] = {};
  char am[3] = {};
  char pm[3] = {};
  char systemAm[3] = {};  // the designators of the system settings
  char systemPm[3] = {};
  Digraph digraphs[kMaxDigraphs];
  Digraph digraphsOem[kMaxDigraphs];
  int digraphCount = 0;
  std::string buttons[kButtonCount];
  bool longFileNames = false;
  bool rightToLeft = false;
  std::string systemCharset = "0";
  LocalePicture date17, date18, time7, time8;
};

platform::CriticalSection gLock;
std::atomic<bool> gInitialised{false};
std::atomic<uint32_t> gChangeCount{0};
LocaleState gState;
std::string gProgramPath;
std::string gEnvironmentOverride;

void copyText(char* slot, size_t capacity, std::string_view text) {
  size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
  std::memcpy(slot, text.data(), n);
  slot[n] = '\0';
}

void setCodeOrder(LocaleState& s) {
  for (int c = 0; c < 256; ++c) s.collate[c] = static_cast<uint8_t>(c);
}

// The OEM twin gives an OEM character the weight of its ANSI equivalent.
void buildOemCollation(LocaleState& s) {
  for (int c = 0; c < 256; ++c) {
    s.collateOem[c] = s.collate[static_cast<unsigned char>(oemToAnsi(static_cast<char>(c)))];
  }
}

void setCasePair(LocaleState& s, uint8_t upper, uint8_t lower) {
  s.casePartner[upper] = lower;
  s.casePartner[lower] = upper;
  s.charKind[upper] = kUpper;
  s.charKind[lower] = kLower;
}

void setDefaults(LocaleState& s) {
  s = LocaleState{};
  setCodeOrder(s);
  buildOemCollation(s);
  for (int c = 0; c < 256; ++c) s.casePartner[c] = static_cast<uint8_t>(c);
  for (int c = 'A'; c <= 'Z'; ++c)
    setCasePair(s, static_cast<uint8_t>(c), static_cast<uint8_t>(c + 32));
  for (int c = '0'; c <= '9'; ++c) s.charKind[c] = kDigit;
  for (int m = 0; m < 12; ++m) {
    copyText(s.months[m], sizeof s.months[m], kDefaultMonths[m]);
    copyText(s.abbreviations[m], sizeof s.abbreviations[m], kDefaultMonths[m]);
  }
  copyText(s.am, sizeof s.am, "AM");
  copyText(s.pm, sizeof s.pm, "PM");
  copyText(s.systemAm, sizeof s.systemAm, "AM");
  copyText(s.systemPm, sizeof s.systemPm, "PM");
  for (int i = 0; i < 8; ++i) s.buttons[i] = kDefaultButtons[i];
}

// The "intl" settings of the system profile: designators and the pictures
// built from the time, short date and long date formats.
void loadSystemSettings(LocaleState& s) {
  auto intl = [](const char* key, const char* fallback) {
    return platform::getProfileString("intl", key, fallback);
  };
  bool twelveHour = intl("iTime", "0") == "0";
  bool leadingZero = intl("iTLzero", "1") == "1";
  std::string separator = intl("sTime", ":");
  char sep = separator.empty() ? ':' : separator[0];
  copyText(s.systemAm, sizeof s.systemAm, intl("s1159", "AM"));
  copyText(s.systemPm, sizeof s.systemPm, intl("s2359", "PM"));
  s.time7 = locale_detail::buildTimePicture(false, twelveHour, leadingZero, sep);
  s.time8 = locale_detail::buildTimePicture(true, twelveHour, leadingZero, sep);
  s.date17 = locale_detail::buildShortDatePicture(intl("sShortDate", "MM/dd/yy"));
  s.date18 = locale_detail::buildLongDatePicture(intl("sLongDate", "ddd', 'MMMM' 'dd', 'yyyy"));
}

void applySystemCollation(LocaleState& s) {
  locale_detail::systemCollationWeights(s.collate);
  buildOemCollation(s);
}

void applySystemCase(LocaleState& s) {
  for (int c = 128; c < 256; ++c) {
    uint8_t lower = locale_detail::systemLowerPartner(static_cast<uint8_t>(c));
    if (lower >= 128) setCasePair(s, static_cast<uint8_t>(c), lower);
  }
}

void applySystemDesignators(LocaleState& s) {
  std::memcpy(s.am, s.systemAm, sizeof s.am);
  std::memcpy(s.pm, s.systemPm, sizeof s.pm);
  gChangeCount.fetch_add(1);
}

// A listed sequence reorders the listed characters among the places they
// hold in code order; characters not listed keep their own places.
void applyCollatingSequence(LocaleState& s, std::string_view sequence) {
  setCodeOrder(s);
  bool listed[256] = {};
  unsigned char order[256];
  size_t count = 0;
  for (char ch : sequence) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (listed[c]) continue;
    listed[c] = true;
    order[count++] = c;
  }
  size_t next = 0;
  for (int slot = 0; slot < 256; ++slot) {  // slots in code order, taken by the list in its order
    if (listed[slot]) s.collate[order[next++]] = static_cast<uint8_t>(slot);
  }
  buildOemCollation(s);
}

std::string joinItems(const std::vector<std::string>& items) {
  std::string text;
  for (size_t i = 0; i < items.size(); ++i) text += (i ? "," : "") + items[i];
  return text;
}

bool isNumber(std::string_view text) {
  return !text.empty() && text.size() <= 9 &&
         text.find_first_not_of("0123456789") == std::string_view::npos;
}

void setMessage(LocaleState& s, int number, const std::string& text) {
  if (number >= kButtonMessageBase && number < kButtonMessageBase + kButtonCount) {
    s.buttons[number - kButtonMessageBase] = text;
  } else {
    setErrorTextOverride(number, text);
  }
}

bool applySettingLocked(LocaleState& s, std::string_view key, std::string_view rawValue) {
  using platform::equalsIgnoringCase;
  bool collating = equalsIgnoringCase(key, "ZORCOLSEQ");
  std::vector<std::string> items = parseLocaleValue(rawValue, !collating);
  if (s.oem && !collating) {
    for (std::string& item : items) {
      for (char& c : item) c = oemToAnsi(c);
    }
  }
  const std::string first = items.empty() ? std::string() : items[0];
  bool windows = equalsIgnoringCase(first, "WINDOWS") && items.size() == 1;

  if (equalsIgnoringCase(key, "ZORCHARSET")) {
    s.oem = equalsIgnoringCase(first, "OEM");
  } else if (collating) {
    std::string sequence = joinItems(items);
    if (equalsIgnoringCase(sequence, "WINDOWS")) {
      applySystemCollation(s);
    } else {
      applyCollatingSequence(s, sequence);
    }
  } else if (equalsIgnoringCase(key, "ZORCASE")) {
    if (windows) {
      applySystemCase(s);
    } else if (items.size() >= 2) {
      const std::string& upper = items[0];
      const std::string& lower = items[1];
      for (size_t i = 0; i < upper.size() && i < lower.size(); ++i) {
        uint8_t u = static_cast<uint8_t>(upper[i]), l = static_cast<uint8_t>(lower[i]);
        if (u >= 128 && l >= 128 && u != l) setCasePair(s, u, l);
      }
    }
  } else if (equalsIgnoringCase(key, "ZORMONTH") || equalsIgnoringCase(key, "ZORMON")) {
    bool names = equalsIgnoringCase(key, "ZORMONTH");
    for (size_t m = 0; m < items.size() && m < 12; ++m) {
      if (names) {
        copyText(s.months[m], sizeof s.months[m], items[m]);
      } else {
        copyText(s.abbreviations[m], sizeof s.abbreviations[m], items[m]);
      }
    }
    gChangeCount.fetch_add(1);
  } else if (equalsIgnoringCase(key, "ZORAMPM")) {
    if (windows) {
      applySystemDesignators(s);
    } else {
      copyText(s.am, sizeof s.am, first);
      if (items.size() > 1) copyText(s.pm, sizeof s.pm, items[1]);
      gChangeCount.fetch_add(1);
    }
  } else if (equalsIgnoringCase(key, "ZORDIGRAPH")) {
    s.digraphCount = 0;
    for (const std::string& item : items) {
      for (size_t i = 0; i + 3 <= item.size() && s.digraphCount < kMaxDigraphs; i += 3) {
        Digraph& d = s.digraphs[s.digraphCount];
        Digraph& oem = s.digraphsOem[s.digraphCount];
        for (int k = 0; k < 3; ++k) {
          d.text[k] = item[i + k];
          oem.text[k] = ansiToOem(item[i + k]);
        }
        ++s.digraphCount;
      }
    }
  } else if (equalsIgnoringCase(key, "ZORBUTTON")) {
    for (size_t n = 0; n < items.size() && n < static_cast<size_t>(kButtonCount); ++n) {
      s.buttons[n] = items[n];
    }
  } else if (equalsIgnoringCase(key, "ZORLFN")) {
    s.longFileNames = equalsIgnoringCase(first, "on");
  } else if (equalsIgnoringCase(key, "ZORSYSTEMCHARSET")) {
    s.systemCharset = first;
  } else if (equalsIgnoringCase(key, "ZORLAYOUT")) {
    s.rightToLeft = equalsIgnoringCase(first, "RTL");
  } else if (key.size() > 6 && equalsIgnoringCase(key.substr(0, 6), "ZORMSG") &&
             isNumber(key.substr(6))) {
    // A message keeps its commas: the items are put back together.
    setMessage(s, std::stoi(std::string(key.substr(6))), joinItems(items));
  } else {
    return false;
  }
  return true;
}

bool loadFileLocked(LocaleState& s, const std::string& path) {
  if (platform::equalsIgnoringCase(path, "WINDOWS")) {
    applySystemCollation(s);
    applySystemCase(s);
    applySystemDesignators(s);
    return true;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line, key;
  std::string_view value;
  while (std::getline(in, line)) {
    if (locale_detail::splitEnvironmentLine(line, key, value)) applySettingLocked(s, key, value);
  }
  return true;
}

std::string environmentPathLocked() {
  if (!gEnvironmentOverride.empty()) return gEnvironmentOverride;
  if (gProgramPath.empty()) return {};
  size_t slash = gProgramPath.find_last_of('/');
  size_t dot = gProgramPath.find_last_of('.');
  bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExtension ? gProgramPath.substr(0, dot) : gProgramPath) + ".ENV";
}

const LocaleState& state() {
  initialiseLocale();
  return gState;
}

unsigned char byte(char c) {
  return static_cast<unsigned char>(c);
}

// The collation weights of a text, a digraph giving those of its expansion.
class WeightStream {
 public:
  WeightStream(const LocaleState& s, std::string_view text)
      : s_(s),
        text_(text),
        table_(s.oem ? s.collateOem : s.collate),
        digraphs_(s.oem ? s.digraphsOem : s.digraphs) {}
  bool next(uint8_t& weight) {
    if (pendingCount_ > 0) {
      weight = table_[byte(pending_[2 - pendingCount_--])];
      return true;
    }
    if (at_ >= text_.size()) return false;
    char c = text_[at_++];
    for (int i = 0; i < s_.digraphCount; ++i) {
      if (digraphs_[i].text[0] == c) {
        pending_[0] = digraphs_[i].text[1];
        pending_[1] = digraphs_[i].text[2];
        pendingCount_ = 1;
        weight = table_[byte(pending_[0])];
        return true;
      }
    }
    weight = table_[byte(c)];
    return true;
  }

 private:
  const LocaleState& s_;
  std::string_view text_;
  const uint8_t* table_;
  const Digraph* digraphs_;
  size_t at_ = 0;
  char pending_[2] = {};
  int pendingCount_ = 0;
};

}  // namespace

void setProgramPath(const std::string& path) {
  std::lock_guard<platform::CriticalSection> guard(gLock);
  gProgramPath = path;
}

void setEnvironmentFilePath(const std::string& path) {
  std::lock_guard<platform::CriticalSection> guard(gLock);
  gEnvironmentOverride = path;
}

std::string environmentFilePath() {
  std::lock_guard<platform::CriticalSection> guard(gLock);
  return environmentPathLocked();
}

void initialiseLocale() {
  if (gInitialised.load(std::memory_order_acquire)) return;
  std::lock_guard<platform::CriticalSection> guard(gLock);
  if (gInitialised.load(std::memory_order_relaxed)) return;
  setDefaults(gState);
  loadSystemSettings(gState);
  std::string path = environmentPathLocked();
  if (!path.empty()) loadFileLocked(gState, path);
  gInitialised.store(true, std::memory_order_release);
}

void resetLocale() {
  std::lock_guard<platform::CriticalSection> guard(gLock);
  setDefaults(gState);
  gChangeCount.fetch_add(1);
  gInitialised.store(false, std::memory_order_release);
}

bool loadLocaleEnvironment(const std::string& fileOrWindows) {
  initialiseLocale();
  std::lock_guard<platform::CriticalSection> guard(gLock);
  return loadFileLocked(gState, fileOrWindows);
}

bool applyLocaleSetting(std::string_view key, std::string_view value) {
  initialiseLocale();
  std::lock_guard<platform::CriticalSection> guard(gLock);
  return applySettingLocked(gState, key, value);
}

std::string_view monthName(int month) {
  if (month < 1 || month > 12) return {};
  return state().months[month - 1];
}

std::string_view monthAbbreviation(int month) {
  if (month < 1 || month > 12) return {};
  return state().abbreviations[month - 1];
}

std::string_view amDesignator() {
  return state().am;
}
std::string_view pmDesignator() {
  return state().pm;
}

const LocalePicture& localeDatePicture(int number) {
  static const LocalePicture none;
  const LocaleState& s = state();
  return number == 17 ? s.date17 : number == 18 ? s.date18 : none;
}

const LocalePicture& localeTimePicture(int number) {
  static const LocalePicture none;
  const LocaleState& s = state();
  return number == 7 ? s.time7 : number == 8 ? s.time8 : none;
}

bool oemCharacterSet() {
  return state().oem;
}
bool longFileNames() {
  return state().longFileNames;
}
bool rightToLeftLayout() {
  return state().rightToLeft;
}

std::string systemCharacterSet() {
  const LocaleState& s = state();
  std::lock_guard<platform::CriticalSection> guard(gLock);
  return s.systemCharset;
}

std::string buttonText(int n) {
  const LocaleState& s = state();
  if (n < 0 || n >= kButtonCount) return {};
  std::lock_guard<platform::CriticalSection> guard(gLock);
  return s.buttons[n];
}

uint32_t localeChangeCount() {
  return gChangeCount.load();
}

uint8_t collationWeight(unsigned char c) {
  const LocaleState& s = state();
  return s.oem ? s.collateOem[c] : s.collate[c];
}

void collationWeights(const uint8_t* text, size_t length, size_t size, bool upper, uint8_t* out) {
  const LocaleState& s = state();
  const auto& table = s.oem ? s.collateOem : s.collate;
  for (size_t i = 0; i < size; ++i) {
    uint8_t c = i < length ? text[i] : 0;
    if (upper && (s.charKind[c] & kLower)) c = static_cast<uint8_t>(s.casePartner[c]);
    out[i] = table[c];
  }
}

int collationCompare(std::string_view a, std::string_view b) {
  const LocaleState& s = state();
  WeightStream left(s, a), right(s, b);
  for (;;) {
    uint8_t x = 0, y = 0;
    bool hasX = left.next(x), hasY = right.next(y);
    if (!hasX || !hasY) return hasX ? 1 : hasY ? -1 : 0;
    if (x != y) return x < y ? -1 : 1;
  }
}

char toUpperLocale(char c) {
  const LocaleState& s = state();
  return (s.charKind[byte(c)] & kLower) ? static_cast<char>(s.casePartner[byte(c)]) : c;
}

char toLowerLocale(char c) {
  const LocaleState& s = state();
  return (s.charKind[byte(c)] & kUpper) ? static_cast<char>(s.casePartner[byte(c)]) : c;
}

bool isUpperLocale(char c) {
  return state().charKind[byte(c)] & kUpper;
}
bool isLowerLocale(char c) {
  return state().charKind[byte(c)] & kLower;
}
bool isDigitLocale(char c) {
  return state().charKind[byte(c)] & kDigit;
}
bool isAlphaLocale(char c) {
  return state().charKind[byte(c)] & (kUpper | kLower);
}

}  // namespace zor
