#pragma once
// The text of an INI file as a list of lines, edited one entry at a time so
// that every other line stays byte for byte as it was: comments, blank
// lines, the order of sections and keys, line endings, and lines that are
// not understood at all (they are kept, never dropped).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zor::platform {

class IniDocument {
 public:
  explicit IniDocument(std::string_view text = {});

  // The value of the first `key` in a section named `section` (names
  // compare without case), blanks around it removed; nullopt when missing.
  std::optional<std::string> value(std::string_view section, std::string_view key) const;
  // Sets the first such key, or adds it to the section (at the end of its
  // keys), or appends the section with the key at the end of the document.
  // Answers false (and changes nothing) for names or values that cannot be
  // written back unchanged: line breaks anywhere, "=" in a key, a key that
  // would read as a section or a comment, an empty name.
  bool set(std::string_view section, std::string_view key, std::string_view value);
  // Remove every matching key / every matching section with its lines.
  // Answer whether anything was removed.
  bool removeKey(std::string_view section, std::string_view key);
  bool removeSection(std::string_view section);

  std::vector<std::string> sectionNames() const;
  std::vector<std::string> keys(std::string_view section) const;

  std::string text() const;

  static bool validSectionName(std::string_view section);
  static bool validKey(std::string_view key);
  static bool validValue(std::string_view value);

 private:
  enum class Kind { Blank, Comment, Section, Key, Other };
  struct Line {
    std::string content;  // without its line break
    std::string ending;   // "\n", "\r\n", or "" for a last line without one
    Kind kind = Kind::Other;
    std::string name;       // section name or key, blanks removed
    size_t valueStart = 0;  // Key: where the value starts in `content`
  };

  static Line parse(std::string content, std::string ending);
  // Index ranges [header, end) of the sections called `section`.
  std::vector<std::pair<size_t, size_t>> sections(std::string_view section) const;
  void insert(size_t index, const std::string& content);

  std::vector<Line> lines_;
  std::string byteOrderMark_;   // a leading UTF-8 mark, kept but not parsed
  std::string newline_ = "\n";  // the document's own line break, for new lines
};

}  // namespace zor::platform
