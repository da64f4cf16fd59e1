#include "data/tarnwick/record_csv.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
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

bool CsvReader::refill() {
  const std::streamsize got = in_.sgetn(block_.data(), static_cast<std::streamsize>(kBlockSize));
  next_ = block_.data();
  end_ = next_ + std::max<std::streamsize>(got, 0);
  return next_ != end_;
}

void CsvReader::takePlain(std::string& cell) {
  while (peek() != kEnd) {
    const char* stop = next_;
    while (stop != end_ && *stop != ',' && *stop != '\n') ++stop;
    cell.append(next_, stop);
    next_ = stop;
    if (stop != end_) return;
  }
}

bool CsvReader::takeQuoted(std::string& cell) {
  for (;;) {
    if (peek() == kEnd) return false;
    const auto* quote = static_cast<const char*>(std::memchr(next_, '"', size_t(end_ - next_)));
    const char* stop = quote != nullptr ? quote : end_;
    line_ += static_cast<int>(std::count(next_, stop, '\n'));
    cell.append(next_, stop);
    next_ = stop;
    if (quote == nullptr) continue;
    ++next_;
    if (peek() != '"') return true;
    cell += static_cast<char>(take());
  }
}

bool CsvReader::readRecord(CsvRow& row, size_t& cells, std::string& error) {
  row.line = line_;
  cells = 0;
  for (;;) {
    if (cells == row.cells.size()) row.cells.emplace_back();
    std::string& cell = row.cells[cells++];
    cell.clear();
    if (peek() == '"') {
      take();
      if (!takeQuoted(cell)) {
        error = "line " + std::to_string(row.line) + ": a quote is not closed";
        return false;
      }
      if (peek() == '\r') take();
      if (peek() != kEnd && peek() != ',' && peek() != '\n') {
        error = "line " + std::to_string(line_) + ": text after a closing quote";
        return false;
      }
    } else {
      takePlain(cell);
      if (!cell.empty() && cell.back() == '\r') cell.pop_back();
    }
    const int ended = take();
    if (ended != ',') {
      if (ended == '\n') ++line_;
      return true;
    }
  }
}

bool CsvReader::next(CsvRow& row, std::string& error) {
  error.clear();
  while (peek() != kEnd) {
    size_t cells = 0;
    const bool read = readRecord(row, cells, error);
    row.cells.resize(cells);
    if (!read) return false;
    if (!(cells == 1 && row.cells[0].empty())) return true;
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
