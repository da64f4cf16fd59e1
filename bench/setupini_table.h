#pragma once
// The table the benchmarks measure: shaped like the application's SetupINI
// table (a LONG unique key, a CSTRING(50) NOCASE key with duplicates,
// 6255-byte records), declared for the native driver, and the SQLite schema
// and statements that hold the same data.

#include <sqlite3.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "data/file_control_block.h"
#include "data/file_declaration.h"
#include "data/tarnwick/tarnwick_driver.h"
#include "runtime/field_descriptor.h"
#include "runtime/type_codes.h"

namespace zor::bench {

inline constexpr uint32_t kRecordSize = 6255;
inline constexpr uint32_t kSectionOffset = 4;
inline constexpr uint32_t kNameOffset = 54;
inline constexpr uint32_t kDefaultOffset = 154;
inline constexpr uint32_t kHelpOffset = 204;
inline constexpr int kSections = 50;

// Key numbers of the declaration.
inline constexpr size_t kIdKey = 0;
inline constexpr size_t kSectionKey = 1;

struct Setting {
  int32_t id;
  std::string section, name, help;
};

// One setting with made-up text (help of 200 to 1000 bytes) drawn from
// `random`.
inline Setting makeSetting(int32_t id, std::mt19937& random) {
  Setting s;
  s.id = id;
  s.section = "Section " + std::to_string(random() % kSections);
  s.name = "Setting" + std::to_string(random());
  s.help = "Help for " + s.name + ": " + std::string(200 + random() % 800, 'x');
  return s;
}

// Settings numbered first, first + 1, ... drawn from one seeded sequence.
inline std::vector<Setting> makeSettings(size_t count, int32_t first, uint32_t seed) {
  std::vector<Setting> out;
  out.reserve(count);
  std::mt19937 random(seed);
  for (size_t i = 0; i < count; ++i)
    out.push_back(makeSetting(first + static_cast<int32_t>(i), random));
  return out;
}

// Declares the SetupINI-shaped table stored in `path` on a fresh `fcb`.
inline void declareSetupIni(data::FileControlBlock& fcb, const std::string& path) {
  tarnwick::registerTarnwickDriver();
  data::FileDeclaration d;
  d.label = "SetupINI";
  d.prefix = "SIN";
  d.driver = "TARNWICK";
  d.name = path;
  d.recordSize = kRecordSize;
  d.fields = {makeField("SIN:ID", kLong, 0, 4),
              makeField("SIN:INISECTION", kCString, kSectionOffset, 50),
              makeField("SIN:SECTIONDESCRIPTION", kCString, kNameOffset, 100),
              makeField("SIN:DEFAULTVALUE", kCString, kDefaultOffset, 50),
              makeField("SIN:HELPDESCRIPTION", kCString, kHelpOffset, 6000),
              makeField("SIN:VALUES", kCString, 6204, 50),
              makeField("SIN:STATUS", kByte, 6254, 1)};
  d.keys = {
      {"SIN:p_ID", {"SIN:ID"}, data::kKeyPrimary | data::kKeyNoCase, ""},
      {"SIN:P_Section", {"SIN:INISECTION"}, data::kKeyDup | data::kKeyNoCase | data::kKeyOpt, ""}};
  data::declareFile(fcb, d);
}

inline void putText(std::vector<uint8_t>& record, uint32_t offset, const std::string& text) {
  std::memcpy(record.data() + offset, text.c_str(), text.size() + 1);
}

inline void setId(data::FileControlBlock& fcb, int32_t id) {
  std::memcpy(fcb.record.data(), &id, 4);
}

// Puts `s` into the record buffer, every other field cleared.
inline void fillRecord(data::FileControlBlock& fcb, const Setting& s) {
  std::fill(fcb.record.begin(), fcb.record.end(), 0);
  setId(fcb, s.id);
  putText(fcb.record, kSectionOffset, s.section);
  putText(fcb.record, kNameOffset, s.name);
  putText(fcb.record, kHelpOffset, s.help);
}

// The same table in SQLite: the id is the row id, the section has its
// NOCASE index.
inline constexpr const char* kSqliteSchema =
    "CREATE TABLE setupini(id INTEGER PRIMARY KEY, inisection TEXT COLLATE NOCASE,"
    " sectiondescription TEXT, defaultvalue TEXT, helpdescription TEXT,"
    " vals TEXT, status INTEGER);"
    "CREATE INDEX p_section ON setupini(inisection COLLATE NOCASE);";
inline constexpr const char* kSqliteInsert =
    "INSERT INTO setupini VALUES(?1, ?2, ?3, '', ?4, '', 0)";

// Binds `s` to a statement prepared from kSqliteInsert.
inline void bindSetting(sqlite3_stmt* insert, const Setting& s) {
  sqlite3_bind_int(insert, 1, s.id);
  sqlite3_bind_text(insert, 2, s.section.c_str(), -1, SQLITE_STATIC);
  sqlite3_bind_text(insert, 3, s.name.c_str(), -1, SQLITE_STATIC);
  sqlite3_bind_text(insert, 4, s.help.c_str(), -1, SQLITE_STATIC);
}

}  // namespace zor::bench
