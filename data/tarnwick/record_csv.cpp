#include "data/tarnwick/record_csv.h"

#include <cstdio>

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

bool parseCsv(const std::string& text, std::vector<CsvRow>& rows, std::string& error) {
  rows.clear();
  int line = 1;
  size_t i = 0;
  while (i < text.size()) {
    CsvRow row;
    row.line = line;
    std::string cell;
    bool ended = false;
    while (!ended) {
      if (i < text.size() && text[i] == '"') {
        ++i;
        for (;;) {
          if (i >= text.size()) {
            error = "line " + std::to_string(row.line) + ": a quote is not closed";
            return false;
          }
          if (text[i] == '"') {
            if (i + 1 < text.size() && text[i + 1] == '"') {
              cell += '"';
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          if (text[i] == '\n') ++line;
          cell += text[i++];
        }
        if (i < text.size() && text[i] == '\r') ++i;
        if (i < text.size() && text[i] != ',' && text[i] != '\n') {
          error = "line " + std::to_string(line) + ": text after a closing quote";
          return false;
        }
      } else {
        while (i < text.size() && text[i] != ',' && text[i] != '\n') cell += text[i++];
        if (!cell.empty() && cell.back() == '\r') cell.pop_back();
      }
      row.cells.push_back(std::move(cell));
      cell.clear();
      if (i < text.size() && text[i] == ',') {
        ++i;
      } else {
        ended = true;
        if (i < text.size()) {
          ++i;
          ++line;
        }
      }
    }
    if (!(row.cells.size() == 1 && row.cells[0].empty())) rows.push_back(std::move(row));
  }
  return true;
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
