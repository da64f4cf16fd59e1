#pragma once
// Comma-separated records: a cell is quoted when it holds a comma, a quote,
// a line break or blanks at either end, with quotes inside doubled. Reading
// keeps the line on which each record starts, for messages.

#include <string>
#include <vector>

namespace zor::tarnwick {

struct CsvRow {
  int line = 0;
  std::vector<std::string> cells;
};

std::string csvLine(const std::vector<std::string>& cells);

// False with "line N: reason" for an unterminated quote or text after a
// closing quote.
bool parseCsv(const std::string& text, std::vector<CsvRow>& rows, std::string& error);

// A text as a JSON string, quotes included.
std::string jsonString(const std::string& text);

}  // namespace zor::tarnwick
