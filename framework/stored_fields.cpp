#include "framework/stored_fields.h"

namespace zor::fw {
namespace {

bool needsQuotes(std::string_view field) {
  if (field.find_first_of(",\"") != field.npos) return true;
  return !field.empty() && (field.front() == ' ' || field.back() == ' ');
}

}  // namespace

std::string joinStoredFields(const std::vector<std::string>& fields) {
  std::string value;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) value += ',';
    if (!needsQuotes(fields[i])) {
      value += fields[i];
      continue;
    }
    value += '"';
    for (char c : fields[i]) {
      if (c == '"') value += '"';
      value += c;
    }
    value += '"';
  }
  return value;
}

std::vector<std::string> splitStoredFields(std::string_view value) {
  std::vector<std::string> fields;
  size_t at = 0;
  for (;;) {
    std::string field;
    bool whole = false;
    if (at < value.size() && value[at] == '"') {
      // A quoted field: up to the lone quote that closes it.
      size_t i = at + 1;
      for (; i < value.size(); ++i) {
        if (value[i] != '"') {
          field += value[i];
        } else if (i + 1 < value.size() && value[i + 1] == '"') {
          field += '"';
          ++i;
        } else {
          break;
        }
      }
      if (i < value.size() && (i + 1 == value.size() || value[i + 1] == ',')) {
        at = i + 1;
        whole = true;
      } else {
        field.clear();  // not closed where a field ends: read as written
      }
    }
    if (!whole) {
      const size_t comma = value.find(',', at);
      field = std::string(value.substr(at, comma - at));
      at = comma == value.npos ? value.size() : comma;
    }
    fields.push_back(std::move(field));
    if (at >= value.size()) break;
    ++at;  // the ","
  }
  return fields;
}

}  // namespace zor::fw
