#include "platform/ini_document.h"

#include "platform/ascii_case.h"

namespace zor::platform {
namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool hasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != text.npos;
}

void addOnce(std::vector<std::string>& names, const std::string& name) {
  for (const std::string& known : names) {
    if (equalsIgnoringCase(known, name)) return;
  }
  names.push_back(name);
}

}  // namespace

IniDocument::IniDocument(std::string_view text) {
  constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  if (text.starts_with(kUtf8Mark)) {
    byteOrderMark_ = kUtf8Mark;
    text.remove_prefix(kUtf8Mark.size());
  }
  bool sawEnding = false;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view content = text.substr(0, end);
    std::string_view ending;
    if (end == text.npos) {
      text = {};
    } else {
      text.remove_prefix(end + 1);
      ending = "\n";
      if (!content.empty() && content.back() == '\r') {
        content.remove_suffix(1);
        ending = "\r\n";
      }
      if (!sawEnding) newline_ = std::string(ending);  // the first line break sets the style
      sawEnding = true;
    }
    lines_.push_back(parse(std::string(content), std::string(ending)));
  }
}

IniDocument::Line IniDocument::parse(std::string content, std::string ending) {
  Line line;
  const std::string_view trimmed = trim(content);
  if (trimmed.empty()) {
    line.kind = Kind::Blank;
  } else if (trimmed.front() == ';') {
    line.kind = Kind::Comment;
  } else if (trimmed.front() == '[') {
    // The last "]" closes the name, so a name may itself contain "]"; a
    // header without one is kept as a line that is not understood.
    const size_t close = trimmed.rfind(']');
    if (close != trimmed.npos && close > 0) {
      line.kind = Kind::Section;
      line.name = std::string(trim(trimmed.substr(1, close - 1)));
    }
  } else if (const size_t equals = content.find('='); equals != content.npos) {
    const std::string_view key = trim(std::string_view(content).substr(0, equals));
    if (!key.empty()) {
      line.kind = Kind::Key;
      line.name = std::string(key);
      line.valueStart = equals + 1;
      while (line.valueStart < content.size() && isBlank(content[line.valueStart])) {
        ++line.valueStart;
      }
    }
  }
  line.content = std::move(content);
  line.ending = std::move(ending);
  return line;
}

std::vector<std::pair<size_t, size_t>> IniDocument::sections(std::string_view section) const {
  std::vector<std::pair<size_t, size_t>> found;
  const std::string_view wanted = trim(section);
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind != Kind::Section || !equalsIgnoringCase(lines_[i].name, wanted)) continue;
    size_t end = i + 1;
    while (end < lines_.size() && lines_[end].kind != Kind::Section) ++end;
    found.emplace_back(i, end);
    i = end - 1;
  }
  return found;
}

std::optional<std::string> IniDocument::value(std::string_view section,
                                              std::string_view key) const {
  const std::string_view wanted = trim(key);
  for (const auto& [header, end] : sections(section)) {
    for (size_t i = header + 1; i < end; ++i) {
      const Line& line = lines_[i];
      if (line.kind == Kind::Key && equalsIgnoringCase(line.name, wanted)) {
        return std::string(trim(std::string_view(line.content).substr(line.valueStart)));
      }
    }
  }
  return std::nullopt;
}

bool IniDocument::validSectionName(std::string_view section) {
  return !trim(section).empty() && !hasLineBreak(section);
}

bool IniDocument::validKey(std::string_view key) {
  const std::string_view trimmed = trim(key);
  return !trimmed.empty() && !hasLineBreak(key) && key.find('=') == key.npos &&
         trimmed.front() != '[' && trimmed.front() != ';';
}

bool IniDocument::validValue(std::string_view value) {
  return !hasLineBreak(value);
}

void IniDocument::insert(size_t index, const std::string& content) {
  // The line before may be a last line without a break: give it one.
  if (index > 0 && lines_[index - 1].ending.empty()) lines_[index - 1].ending = newline_;
  lines_.insert(lines_.begin() + ptrdiff_t(index), parse(content, newline_));
}

bool IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
  if (!validSectionName(section) || !validKey(key) || !validValue(value)) return false;
  const std::string_view wanted = trim(key);
  const auto found = sections(section);
  for (const auto& [header, end] : found) {
    for (size_t i = header + 1; i < end; ++i) {
      Line& line = lines_[i];
      if (line.kind == Kind::Key && equalsIgnoringCase(line.name, wanted)) {
        // Keep the key as written and the blanks around "=".
        line.content = line.content.substr(0, line.valueStart) + std::string(value);
        return true;
      }
    }
  }
  const std::string entry = std::string(wanted) + "=" + std::string(value);
  if (!found.empty()) {
    const auto [header, end] = found.front();
    size_t after = header + 1;
    for (size_t i = header + 1; i < end; ++i) {
      if (lines_[i].kind == Kind::Key || lines_[i].kind == Kind::Other) after = i + 1;
    }
    insert(after, entry);
    return true;
  }
  if (!lines_.empty() && lines_.back().kind != Kind::Blank) insert(lines_.size(), "");
  // Built by appending: GCC 12 warns falsely on "[" + string at -O3.
  std::string header(1, '[');
  header.append(trim(section)).push_back(']');
  insert(lines_.size(), header);
  insert(lines_.size(), entry);
  return true;
}

bool IniDocument::removeKey(std::string_view section, std::string_view key) {
  const std::string_view wanted = trim(key);
  bool removed = false;
  const auto found = sections(section);
  // Back to front, so that the indexes of earlier sections stay valid.
  for (auto range = found.rbegin(); range != found.rend(); ++range) {
    for (size_t i = range->second; i-- > range->first + 1;) {
      if (lines_[i].kind == Kind::Key && equalsIgnoringCase(lines_[i].name, wanted)) {
        lines_.erase(lines_.begin() + ptrdiff_t(i));
        removed = true;
      }
    }
  }
  return removed;
}

bool IniDocument::removeSection(std::string_view section) {
  const auto found = sections(section);
  for (auto range = found.rbegin(); range != found.rend(); ++range) {
    size_t end = range->second;
    // Comments and blank lines just before the next section header belong
    // to that section: they stay.
    if (end < lines_.size()) {
      while (end > range->first + 1 &&
             (lines_[end - 1].kind == Kind::Comment || lines_[end - 1].kind == Kind::Blank)) {
        --end;
      }
    }
    lines_.erase(lines_.begin() + ptrdiff_t(range->first), lines_.begin() + ptrdiff_t(end));
  }
  return !found.empty();
}

std::vector<std::string> IniDocument::sectionNames() const {
  std::vector<std::string> names;
  for (const Line& line : lines_) {
    if (line.kind == Kind::Section) addOnce(names, line.name);
  }
  return names;
}

std::vector<std::string> IniDocument::keys(std::string_view section) const {
  std::vector<std::string> names;
  for (const auto& [header, end] : sections(section)) {
    for (size_t i = header + 1; i < end; ++i) {
      if (lines_[i].kind == Kind::Key) addOnce(names, lines_[i].name);
    }
  }
  return names;
}

std::string IniDocument::text() const {
  std::string text = byteOrderMark_;
  for (const Line& line : lines_) {
    text += line.content;
    text += line.ending;
  }
  return text;
}

}  // namespace zor::platform
