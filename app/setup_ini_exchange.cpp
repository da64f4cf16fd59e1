#include "app/setup_ini_exchange.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <string_view>
#include <vector>

#include "app/dictionary.h"
#include "app/record_layouts.h"
#include "app/tables.h"
#include "data/file_statements.h"
#include "data/system_error.h"
#include "framework/error_reporter.h"
#include "framework/field_ref.h"
#include "platform/ascii_case.h"
#include "platform/whole_file.h"
#include "runtime/error_state.h"

namespace qv {

namespace {

bool isFolder(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::is_directory(path, ignored);
}

namespace Level = zor::fw::Level;
using zor::fw::fieldByLabel;
using zor::fw::FieldRef;
using zor::platform::asciiUpperCased;

// The most characters each field holds (its CSTRING size less the end).
constexpr size_t kSectionLength = sections::kDescriptionSize - 1;
constexpr size_t kNameLength = setup_ini::kSectionDescriptionSize - 1;
constexpr size_t kValueLength = setup_ini::kDefaultValueSize - 1;
constexpr size_t kHelpLength = setup_ini::kHelpDescriptionSize - 1;
// How long an import waits for another station's change to end.
constexpr int32_t kImportTimeoutSeconds = 10;

struct ParsedKey {
  std::string name;
  std::string value;
  std::string help;
};

struct ParsedSection {
  std::string name;
  std::vector<ParsedKey> keys;
};

std::string trimmed(std::string_view text) {
  size_t first = 0;
  while (first < text.size() && (text[first] == ' ' || text[first] == '\t')) ++first;
  size_t last = text.size();
  while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t')) --last;
  return std::string(text.substr(first, last - first));
}

bool isComment(const std::string& line) {
  return !line.empty() && (line[0] == ';' || line[0] == '#');
}

// Reads the whole file into sections; false with the report's problem
// and line filled in when it is malformed.
bool parse(const std::string& text, std::vector<ParsedSection>& sections, ExchangeReport& report) {
  std::vector<std::string> comments;
  int lineNumber = 0;
  size_t start = 0;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;  // a UTF-8 byte order mark
  auto fail = [&](const std::string& why) {
    report.problem = why;
    report.problemLine = lineNumber;
    return false;
  };
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string raw = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    if (raw.find('\0') != std::string::npos) return fail("the line holds a NUL byte");
    const std::string line = trimmed(raw);
    if (line.empty()) {
      comments.clear();
      continue;
    }
    if (isComment(line)) {
      comments.push_back(trimmed(std::string_view(line).substr(1)));
      continue;
    }
    if (line[0] == '[') {
      const size_t close = line.find(']');
      if (close == std::string::npos) return fail("a section name without its closing ']'");
      if (!trimmed(std::string_view(line).substr(close + 1)).empty() &&
          !isComment(trimmed(std::string_view(line).substr(close + 1)))) {
        return fail("text after the section name");
      }
      const std::string name = trimmed(std::string_view(line).substr(1, close - 1));
      if (name.empty()) return fail("an empty section name");
      if (name.size() > kSectionLength) {
        return fail("a section name longer than " + std::to_string(kSectionLength) + " characters");
      }
      sections.push_back(ParsedSection{name, {}});
      comments.clear();
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string::npos) return fail("a line that is no section, key or comment");
    if (sections.empty()) return fail("a key before any section");
    ParsedKey key;
    key.name = trimmed(std::string_view(line).substr(0, equals));
    key.value = trimmed(std::string_view(line).substr(equals + 1));
    if (key.name.empty()) return fail("a key without a name");
    if (key.name.size() > kNameLength) {
      return fail("a key name longer than " + std::to_string(kNameLength) + " characters");
    }
    if (key.value.size() > kValueLength) {
      return fail("a value longer than " + std::to_string(kValueLength) + " characters");
    }
    for (size_t i = 0; i < comments.size(); ++i) key.help += (i == 0 ? "" : "\n") + comments[i];
    if (key.help.size() > kHelpLength) {
      return fail("comments longer than " + std::to_string(kHelpLength) + " characters");
    }
    comments.clear();
    sections.back().keys.push_back(std::move(key));
  }
  return true;
}

void putText(std::vector<uint8_t>& record, uint32_t offset, uint32_t size,
             const std::string& text) {
  std::memset(record.data() + offset, 0, size);
  std::memcpy(record.data() + offset, text.data(), std::min<size_t>(text.size(), size - 1));
}

std::string textAt(const std::vector<uint8_t>& record, uint32_t offset, uint32_t size) {
  const auto* start = reinterpret_cast<const char*>(record.data() + offset);
  return std::string(start, strnlen(start, size));
}

// The driver's error as the report's problem.
bool failed(ExchangeReport& report, const std::string& what) {
  report.problem = what + ": " + zor::errorText();
  return false;
}

// The sections and settings already stored, by upper-cased name.
struct Stored {
  std::map<std::string, std::string> sections;  // upper -> as stored
  std::map<std::string, uint32_t> settings;     // "SECTION\nNAME" -> pointer
};

bool readStored(Stored& stored, ExchangeReport& report) {
  zor::fw::FileManager& sectionFiles = *threadDictionary().sections.access;
  zor::fw::FileManager& settingFiles = *threadDictionary().setupIni.access;
  if (sectionFiles.SetOrder(sectionsDescriptionKey()) != Level::Benign) {
    return failed(report, "the sections cannot be read");
  }
  for (uint8_t level; (level = sectionFiles.ReadNext(0)) == Level::Benign;) {
    const std::string name =
        textAt(sectionsTable().record, sections::kDescription, sections::kDescriptionSize);
    stored.sections[asciiUpperCased(name)] = name;
  }
  if (settingFiles.SetOrder(setupIniIdKey()) != Level::Benign) {
    return failed(report, "the settings cannot be read");
  }
  for (uint8_t level; (level = settingFiles.ReadNext(0)) == Level::Benign;) {
    const std::vector<uint8_t>& record = setupIniTable().record;
    const std::string key =
        asciiUpperCased(textAt(record, setup_ini::kIniSection, setup_ini::kIniSectionSize)) + "\n" +
        asciiUpperCased(
            textAt(record, setup_ini::kSectionDescription, setup_ini::kSectionDescriptionSize));
    stored.settings.emplace(key, settingFiles.CurrentPointer());
  }
  return true;
}

// The two tables, opened through the Sections relation manager for as long
// as it lives.
class OpenedTables {
 public:
  ~OpenedTables() { close(); }
  bool open(ExchangeReport& report) {
    if (threadDictionary().sections.relate->Open() != Level::Benign) {
      report.problem = "the database cannot be opened: " + zor::errorText();
      return false;
    }
    opened_ = true;
    return true;
  }
  void close() {
    if (opened_) threadDictionary().sections.relate->Close();
    opened_ = false;
  }
  zor::fw::FileManager& sections() { return *threadDictionary().sections.access; }
  zor::fw::FileManager& settings() { return *threadDictionary().setupIni.access; }

 private:
  bool opened_ = false;
};

}  // namespace

std::string ExchangeReport::summary(bool exported) const {
  if (!ok()) {
    const std::string where = file.empty() ? "line " : file + ", line ";
    return (problemLine != 0 ? where + std::to_string(problemLine) + ": " : std::string()) +
           problem;
  }
  if (exported) {
    return std::to_string(sectionsKept) + " sections and " + std::to_string(settingsKept) +
           " settings written; " + std::to_string(settingsSkipped) +
           " obsolete, unsectioned or unnamed settings left out";
  }
  return "sections: " + std::to_string(sectionsAdded) + " added, " + std::to_string(sectionsKept) +
         " kept; settings: " + std::to_string(settingsAdded) + " added, " +
         std::to_string(settingsUpdated) + " updated, " + std::to_string(settingsKept) + " kept, " +
         std::to_string(settingsSkipped) + " repeated keys skipped";
}

ExchangeReport importSetupIni(const std::string& path) {
  ExchangeReport report;
  report.file = path;
  std::string text;
  if (isFolder(path)) {
    report.problem = path + " cannot be read: it is a folder, not a file";
    return report;
  }
  if (const int error = zor::platform::readWholeFile(path, text); error != 0) {
    report.problem = path + " cannot be read: " + zor::errorTextOf(zor::data::driverErrorOf(error));
    return report;
  }
  std::vector<ParsedSection> parsed;
  if (!parse(text, parsed, report)) return report;

  OpenedTables tables;
  if (!tables.open(report)) return report;
  zor::fw::FileManager& sectionFiles = tables.sections();
  zor::fw::FileManager& settingFiles = tables.settings();
  // The whole import is one transaction: it is done entirely or not at all,
  // and its records reach the disk together.
  zor::data::FileControlBlock* files[] = {&sectionsTable(), &setupIniTable()};
  const bool framed = zor::data::statement::logout(kImportTimeoutSeconds, files) == 0;
  Stored stored;
  if (readStored(stored, report)) {
    for (const ParsedSection& section : parsed) {
      auto found = stored.sections.find(asciiUpperCased(section.name));
      std::string sectionName = section.name;
      if (found != stored.sections.end()) {
        sectionName = found->second;
        ++report.sectionsKept;
      } else {
        sectionFiles.PrimeRecord();
        putText(sectionsTable().record, sections::kDescription, sections::kDescriptionSize,
                section.name);
        if (sectionFiles.Insert(0) != Level::Benign) {
          failed(report, "section " + section.name + " cannot be added");
          break;
        }
        stored.sections[asciiUpperCased(section.name)] = section.name;
        ++report.sectionsAdded;
      }
      for (const ParsedKey& key : section.keys) {
        const std::string id = asciiUpperCased(sectionName) + "\n" + asciiUpperCased(key.name);
        auto existing = stored.settings.find(id);
        std::vector<uint8_t>& record = setupIniTable().record;
        if (existing != stored.settings.end()) {
          if (existing->second == 0) {  // a key repeated in the file
            ++report.settingsSkipped;
            continue;
          }
          if (settingFiles.FetchByPointer(existing->second, 0) != Level::Benign) {
            failed(report, "setting " + key.name + " cannot be read");
            break;
          }
          if (textAt(record, setup_ini::kDefaultValue, setup_ini::kDefaultValueSize) == key.value) {
            ++report.settingsKept;
          } else {
            putText(record, setup_ini::kDefaultValue, setup_ini::kDefaultValueSize, key.value);
            if (settingFiles.Update(0) != Level::Benign) {
              failed(report, "setting " + key.name + " cannot be changed");
              break;
            }
            ++report.settingsUpdated;
          }
          existing->second = 0;
          continue;
        }
        settingFiles.PrimeRecord();
        putText(record, setup_ini::kIniSection, setup_ini::kIniSectionSize, sectionName);
        putText(record, setup_ini::kSectionDescription, setup_ini::kSectionDescriptionSize,
                key.name);
        putText(record, setup_ini::kDefaultValue, setup_ini::kDefaultValueSize, key.value);
        putText(record, setup_ini::kHelpDescription, setup_ini::kHelpDescriptionSize, key.help);
        record[setup_ini::kStatus] = 1;
        if (settingFiles.Insert(0) != Level::Benign) {
          failed(report, "setting " + key.name + " cannot be added");
          break;
        }
        stored.settings[id] = 0;  // a repeat of it in the file is skipped
        ++report.settingsAdded;
      }
      if (!report.ok()) break;
    }
  }
  if (framed) {
    if (!report.ok()) {
      zor::data::statement::rollback(sectionsTable());
    } else if (zor::data::statement::commit(sectionsTable()) != 0) {
      failed(report, "the import could not be committed");
    }
  }
  return report;
}

ExchangeReport exportSetupIni(const std::string& path) {
  ExchangeReport report;
  OpenedTables tables;
  if (!tables.open(report)) return report;
  zor::fw::FileManager& sectionFiles = tables.sections();
  zor::fw::FileManager& settingFiles = tables.settings();
  // The active settings of each section, in the order they were added.
  std::map<std::string, std::vector<ParsedKey>> bySection;
  std::string text;
  if (settingFiles.SetOrder(setupIniIdKey()) != Level::Benign) {
    failed(report, "the settings cannot be read");
  } else {
    while (settingFiles.ReadNext(0) == Level::Benign) {
      const std::vector<uint8_t>& record = setupIniTable().record;
      const std::string section =
          textAt(record, setup_ini::kIniSection, setup_ini::kIniSectionSize);
      const std::string name =
          textAt(record, setup_ini::kSectionDescription, setup_ini::kSectionDescriptionSize);
      // A setting without a name would be written as a bare "=VALUE" line,
      // which no reader of the file can use.
      if (record[setup_ini::kStatus] != 1 || section.empty() ||
          name.find_first_not_of(' ') == std::string::npos) {
        ++report.settingsSkipped;
        continue;
      }
      bySection[asciiUpperCased(section)].push_back(
          ParsedKey{name, textAt(record, setup_ini::kDefaultValue, setup_ini::kDefaultValueSize),
                    textAt(record, setup_ini::kHelpDescription, setup_ini::kHelpDescriptionSize)});
    }
    if (sectionFiles.SetOrder(sectionsDescriptionKey()) != Level::Benign) {
      failed(report, "the sections cannot be read");
    }
  }
  while (report.ok() && sectionFiles.ReadNext(0) == Level::Benign) {
    const std::string name =
        textAt(sectionsTable().record, sections::kDescription, sections::kDescriptionSize);
    if (report.sectionsKept > 0) text += "\n";
    text += "[" + name + "]\n";
    ++report.sectionsKept;
    const auto written = bySection.extract(asciiUpperCased(name));
    if (written.empty()) continue;
    for (const ParsedKey& key : written.mapped()) {
      size_t start = 0;
      while (!key.help.empty() && start <= key.help.size()) {
        size_t end = key.help.find('\n', start);
        if (end == std::string::npos) end = key.help.size();
        text += "; " + key.help.substr(start, end - start) + "\n";
        start = end + 1;
      }
      text += key.name + "=" + key.value + "\n";
      ++report.settingsKept;
    }
  }
  tables.close();
  if (!report.ok()) return report;
  // Settings whose section is not in the sections table have nowhere to go.
  for (const auto& [section, keys] : bySection) {
    report.settingsSkipped += static_cast<int>(keys.size());
  }
  if (isFolder(path)) {
    report.problem = path + " cannot be written: it is a folder, not a file";
  } else if (const int error = zor::platform::replaceWholeFile(path, text); error != 0) {
    report.problem =
        path + " cannot be written: " + zor::errorTextOf(zor::data::driverErrorOf(error));
  }
  return report;
}

}  // namespace qv
