#pragma once
// Exchanging the database with a real Setup.ini.
//
// Import reads every section and every key of an INI file: a section not
// yet in the database is added; a key becomes a setting of its section
// with its value as the default value, and the comment lines directly
// above it become its help text. A key already documented keeps its help
// text and status (its default value follows the file); nothing is
// deleted. The file is read whole and checked before anything is written,
// and the import is one transaction, so a malformed file (a line that is no section, key or
// comment, a key before any section, a text too long for its field) changes nothing and is refused
// with its line number.
//
// Export writes a Setup.ini of the active settings, section by section in
// the order of their names and key by key in the order they were added,
// each preceded by its help text as comment lines; obsolete settings and
// settings without a section are left out. The file is written beside its
// target and moved into place, so a failed export leaves the old file.
//
// Both work on the calling thread's tables (dictionary.h), which must be
// set up.

#include <string>

namespace qv {

struct ExchangeReport {
  int sectionsAdded = 0;
  int sectionsKept = 0;
  int settingsAdded = 0;
  int settingsUpdated = 0;
  int settingsKept = 0;
  int settingsSkipped = 0;  // repeated keys; on export, settings left out
  std::string problem;      // empty when it worked
  int problemLine = 0;      // the file's line at fault, 0 for none
  std::string file;         // the file read, named with the line at fault

  bool ok() const { return problem.empty(); }
  // One line saying what was done, or what went wrong.
  std::string summary(bool exported) const;
};

ExchangeReport importSetupIni(const std::string& path);
ExchangeReport exportSetupIni(const std::string& path);

}  // namespace qv
