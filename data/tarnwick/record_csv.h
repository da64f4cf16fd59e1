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
// The stream is read ahead in blocks (its position runs up to one block
// past the record returned), and cells are taken from a block a run of
// characters at a time rather than character by character.
class CsvReader {
 public:
  explicit CsvReader(std::istream& in) : in_(*in.rdbuf()), block_(kBlockSize) {}
  // The next record (lines holding nothing are passed over); false at the
  // end, or with `error` set to "line N: reason" for an unterminated quote
  // or text after a closing quote. The row's cells are reused from call to
  // call.
  bool next(CsvRow& row, std::string& error);

 private:
  static constexpr size_t kBlockSize = 64 * 1024;
  static constexpr int kEnd = std::char_traits<char>::eof();

  int peek() { return next_ != end_ || refill() ? static_cast<unsigned char>(*next_) : kEnd; }
  int take() {
    const int c = peek();
    if (c != kEnd) ++next_;
    return c;
  }
  bool refill();
  bool readRecord(CsvRow& row, size_t& cells, std::string& error);
  // Appends the characters of an unquoted cell up to its comma or line end.
  void takePlain(std::string& cell);
  // Appends the characters of a quoted cell up to its closing quote; false
  // when the input ends first.
  bool takeQuoted(std::string& cell);

  std::streambuf& in_;
  std::vector<char> block_;
  const char* next_ = nullptr;
  const char* end_ = nullptr;
  int line_ = 1;
};

// The same over a whole text.
bool parseCsv(const std::string& text, std::vector<CsvRow>& rows, std::string& error);

// A text as a JSON string, quotes included.
std::string jsonString(const std::string& text);

}  // namespace zor::tarnwick
