#pragma once
// Comma-separated records: a cell is quoted when it holds a comma, a quote,
// a line break or blanks at either end, with quotes inside doubled. Reading
// keeps the line on which each record starts, for messages.

#include <istream>
#include <string>
#include <vector>

namespace zor::tarnwick {

struct CsvRow {
  int line = 0;
  std::vector<std::string> cells;
};

std::string csvLine(const std::vector<std::string>& cells);

// Reads records one at a time, so that a large file is never held whole.
class CsvReader {
 public:
  explicit CsvReader(std::istream& in) : in_(*in.rdbuf()) {}
  // The next record (lines holding nothing are passed over); false at the
  // end, or with `error` set to "line N: reason" for an unterminated quote
  // or text after a closing quote.
  bool next(CsvRow& row, std::string& error);

 private:
  int peek() { return in_.sgetc(); }
  int take() { return in_.sbumpc(); }
  bool readRecord(CsvRow& row, std::string& error);

  std::streambuf& in_;
  int line_ = 1;
};

// The same over a whole text.
bool parseCsv(const std::string& text, std::vector<CsvRow>& rows, std::string& error);

// A text as a JSON string, quotes included.
std::string jsonString(const std::string& text);

}  // namespace zor::tarnwick
