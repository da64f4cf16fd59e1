#include "data/tarnwick/record_csv.h"

#include <cstdio>
#include <sstream>

namespace zor::tarnwick {

namespace {

bool needsQuotes(const std::string& cell) {
  return cell.find_first_of(",\"\r\n") != std::string::npos ||
         (!cell.empty() && (cell.front() == ' ' || cell.back() == ' '));
}

}  // namespace

std::string csvLine(const std::vector<std::string>& cells) {
  std::string line;
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i != 0) line += ',';
    const std::string& cell = cells[i];
    if (!needsQuotes(cell)) {
      line += cell;
      continue;
    }
    line += '"';
    for (char c : cell) {
      if (c == '"') line += '"';
      line += c;
    }
    line += '"';
  }
  return line;
}

bool CsvReader::readRecord(CsvRow& row, std::string& error) {
  constexpr int kEnd = std::char_traits<char>::eof();
  row.line = line_;
  row.cells.clear();
  std::string cell;
  for (;;) {
    if (peek() == '"') {
      take();
      for (;;) {
        const int c = take();
        if (c == kEnd) {
          error = "line " + std::to_string(row.line) + ": a quote is not closed";
          return false;
        }
        if (c == '"') {
          if (peek() != '"') break;
          take();
        } else if (c == '\n') {
          ++line_;
        }
        cell += static_cast<char>(c);
      }
      if (peek() == '\r') take();
      if (peek() != kEnd && peek() != ',' && peek() != '\n') {
        error = "line " + std::to_string(line_) + ": text after a closing quote";
        return false;
      }
    } else {
      for (int c = peek(); c != kEnd && c != ',' && c != '\n'; c = peek())
        cell += static_cast<char>(take());
      if (!cell.empty() && cell.back() == '\r') cell.pop_back();
    }
    row.cells.push_back(std::move(cell));
    cell.clear();
    const int ended = take();
    if (ended != ',') {
      if (ended == '\n') ++line_;
      return true;
    }
  }
}

bool CsvReader::next(CsvRow& row, std::string& error) {
  error.clear();
  while (peek() != std::char_traits<char>::eof()) {
    if (!readRecord(row, error)) return false;
    if (!(row.cells.size() == 1 && row.cells[0].empty())) return true;
  }
  return false;
}

bool parseCsv(const std::string& text, std::vector<CsvRow>& rows, std::string& error) {
  rows.clear();
  std::istringstream in(text);
  CsvReader reader(in);
  CsvRow row;
  while (reader.next(row, error)) rows.push_back(std::move(row));
  return error.empty();
}

std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

}  // namespace zor::tarnwick
