#include "data/tarnwick/definition_text.h"

#include <algorithm>
#include <charconv>
#include <sstream>
#include <utility>
#include <vector>

#include "data/file_control_block.h"
#include "platform/hex_text.h"
#include "runtime/type_codes.h"

namespace zor::tarnwick {

namespace {

struct Flag {
  uint16_t bit;
  const char* word;
};

constexpr Flag kKeyFlags[] = {{data::kKeyDup, "DUP"},       {data::kKeyOpt, "OPT"},
                              {data::kKeyNoCase, "NOCASE"}, {data::kKeyPrimary, "PRIMARY"},
                              {data::kKeyIndex, "INDEX"},   {data::kKeyOwnTree, "OWNTREE"}};
constexpr Flag kMemoFlags[] = {{data::kMemoBinary, "BINARY"}, {data::kMemoBlob, "BLOB"}};

template <size_t N>
std::string flagWords(uint16_t value, const Flag (&flags)[N]) {
  std::string words;
  for (const Flag& flag : flags) {
    if ((value & flag.bit) == 0) continue;
    if (!words.empty()) words += ',';
    words += flag.word;
    value = static_cast<uint16_t>(value & ~flag.bit);
  }
  if (value != 0) words += (words.empty() ? "" : ",") + std::to_string(value);
  return words.empty() ? "none" : words;
}

template <size_t N>
bool parseFlags(const std::string& text, const Flag (&flags)[N], uint16_t& value) {
  value = 0;
  if (text == "none") return true;
  std::stringstream words(text);
  std::string word;
  while (std::getline(words, word, ',')) {
    bool known = false;
    for (const Flag& flag : flags) {
      if (word == flag.word) {
        value = static_cast<uint16_t>(value | flag.bit);
        known = true;
      }
    }
    unsigned number = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), number);
    if (!known && error == std::errc() && end == word.data() + word.size() && number <= 0xFFFF) {
      value = static_cast<uint16_t>(value | number);
      known = true;
    }
    if (!known) return false;
  }
  return true;
}

uint8_t typeCodeOf(const std::string& name) {
  for (int code = 1; code < 32; ++code) {
    if (name == typeName(static_cast<uint8_t>(code))) return static_cast<uint8_t>(code);
  }
  return 0;
}

bool toNumber(const std::string& text, uint16_t& value) {
  unsigned number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || number > 0xFFFF) return false;
  value = static_cast<uint16_t>(number);
  return true;
}

// The value of "name=value" among the words, or nothing.
bool namedValue(const std::vector<std::string>& words, const std::string& name,
                std::string& value) {
  for (const std::string& word : words) {
    if (word.size() > name.size() && word.compare(0, name.size() + 1, name + "=") == 0) {
      value = word.substr(name.size() + 1);
      return true;
    }
  }
  return false;
}

bool namedNumber(const std::vector<std::string>& words, const std::string& name, uint16_t& value) {
  std::string text;
  return namedValue(words, name, text) && toNumber(text, value);
}

class Reader {
 public:
  explicit Reader(TableDefinition& definition) : d_(definition) {}

  // Empty when the line is good, else the reason.
  std::string line(const std::vector<std::string>& words) {
    const std::string& kind = words[0];
    if (kind == "record") {
      if (words.size() != 2 || !toNumber(words[1], d_.recordLength)) return "record LENGTH";
      haveRecord_ = true;
      return {};
    }
    if (kind != "field" && kind != "memo" && kind != "blob" && kind != "key") {
      return "a line starts with record, field, memo, blob or key, not \"" + shown(kind) + "\"";
    }
    uint16_t number = 0;
    if (words.size() < 3 || !toNumber(words[1], number)) return kind + " NUMBER NAME ...";
    if (kind == "field") return field(words, number);
    if (kind == "key") return key(words, number);
    return memo(words, number, kind == "blob");
  }

  // A word of the text as a message may quote it: at most 24 characters,
  // bytes outside printable ASCII as \xNN.
  static std::string shown(const std::string& word) {
    std::string text;
    for (size_t i = 0; i < word.size() && i < 24; ++i) {
      const auto byte = static_cast<unsigned char>(word[i]);
      if (byte >= 0x20 && byte < 0x7F) {
        text += word[i];
      } else {
        text += "\\x";
        platform::appendHex(text, byte);
      }
    }
    return word.size() > 24 ? text + "..." : text;
  }

  std::string finish() {
    if (!haveRecord_) return "no record line";
    for (MemoDefinition& m : d_.memos) {
      if (m.attributes & data::kMemoBlob) d_.version = kDefinitionVersionWithBlobs;
    }
    return {};
  }

 private:
  std::string field(const std::vector<std::string>& words, uint16_t number) {
    if (number != d_.fields.size() + 1)
      return "field " + std::to_string(d_.fields.size() + 1) + " expected";
    FieldDefinition f;
    f.name = words[2];
    f.type = words.size() > 3 ? typeCodeOf(words[3]) : 0;
    if (f.type == 0) return "unknown type";
    uint16_t places = 0;
    if (!namedNumber(words, "offset", f.offset) || !namedNumber(words, "size", f.size) ||
        !namedNumber(words, "places", places) || !namedNumber(words, "dim", f.elements))
      return "field needs offset=, size=, places= and dim=";
    if (static_cast<uint32_t>(f.offset) + f.size > d_.recordLength)
      return "field beyond the record";
    f.dimensions = f.elements != 0 ? 1 : 0;
    f.places = static_cast<uint8_t>(places);
    if (f.type == kDecimal) f.digits = static_cast<uint8_t>(f.size * 2 - 1);
    d_.fields.push_back(std::move(f));
    return {};
  }

  std::string memo(const std::vector<std::string>& words, uint16_t number, bool blob) {
    if (number != d_.memos.size() + 1)
      return "memo " + std::to_string(d_.memos.size() + 1) + " expected";
    MemoDefinition m;
    m.label = words[2];
    std::string flags;
    if (!namedNumber(words, "size", m.size) || !namedValue(words, "attributes", flags) ||
        !parseFlags(flags, kMemoFlags, m.attributes))
      return "memo needs size= and attributes=";
    if (blob) m.attributes = static_cast<uint16_t>(m.attributes | data::kMemoBlob);
    d_.memos.push_back(std::move(m));
    return {};
  }

  std::string key(const std::vector<std::string>& words, uint16_t number) {
    if (number != d_.keys.size() + 1)
      return "key " + std::to_string(d_.keys.size() + 1) + " expected";
    KeyDefinition k;
    k.label = words[2];
    std::string flags;
    std::string components;
    uint16_t attributes = 0;
    if (!namedValue(words, "attributes", flags) || !parseFlags(flags, kKeyFlags, attributes) ||
        !namedValue(words, "components", components))
      return "key needs attributes= and components=";
    k.attributes = static_cast<uint8_t>(attributes);
    std::stringstream list(components);
    std::string item;
    while (std::getline(list, item, ',')) {
      if (item.size() < 2 || (item[0] != '+' && item[0] != '-'))
        return "component \"" + item + "\" needs + or -";
      ComponentDefinition c;
      c.order = static_cast<uint16_t>(item[0] == '-' ? data::ComponentOrder::Descending
                                                     : data::ComponentOrder::Ascending);
      for (size_t i = 0; i < d_.fields.size(); ++i) {
        if (d_.fields[i].name == item.substr(1)) c.field = static_cast<uint16_t>(i + 1);
      }
      if (c.field == 0) return "no field " + item.substr(1);
      k.components.push_back(c);
    }
    if (k.components.empty()) return "key without components";
    d_.keys.push_back(std::move(k));
    return {};
  }

  TableDefinition& d_;
  bool haveRecord_ = false;
};

}  // namespace

std::string definitionText(const TableDefinition& d) {
  std::ostringstream out;
  out << "record " << d.recordLength << '\n';
  for (size_t i = 0; i < d.fields.size(); ++i) {
    const FieldDefinition& f = d.fields[i];
    out << "field " << i + 1 << ' ' << f.name << ' ' << typeName(f.type) << " offset=" << f.offset
        << " size=" << f.size << " places=" << unsigned(f.places) << " dim=" << f.elements << '\n';
  }
  for (size_t i = 0; i < d.memos.size(); ++i) {
    const MemoDefinition& m = d.memos[i];
    const bool blob = (m.attributes & data::kMemoBlob) != 0;
    out << (blob ? "blob " : "memo ") << i + 1 << ' ' << m.label << " size=" << m.size
        << " attributes="
        << flagWords(static_cast<uint16_t>(m.attributes & ~data::kMemoBlob), kMemoFlags) << '\n';
  }
  for (size_t i = 0; i < d.keys.size(); ++i) {
    const KeyDefinition& k = d.keys[i];
    out << "key " << i + 1 << ' ' << k.label << " attributes=" << flagWords(k.attributes, kKeyFlags)
        << " components=";
    for (size_t c = 0; c < k.components.size(); ++c) {
      const ComponentDefinition& component = k.components[c];
      const bool descending =
          component.order == static_cast<uint16_t>(data::ComponentOrder::Descending);
      out << (c ? "," : "") << (descending ? '-' : '+')
          << (component.field >= 1 && component.field <= d.fields.size()
                  ? d.fields[component.field - 1u].name
                  : "#" + std::to_string(component.field));
    }
    out << '\n';
  }
  return out.str();
}

bool parseDefinitionText(const std::string& text, TableDefinition& definition, std::string& error) {
  definition = TableDefinition{};
  Reader reader(definition);
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream split(line);
    std::vector<std::string> words;
    for (std::string word; split >> word;) words.push_back(word);
    if (words.empty() || words[0][0] == '#') continue;
    if (std::string reason = reader.line(words); !reason.empty()) {
      error = "line " + std::to_string(number) + ": " + reason;
      return false;
    }
  }
  if (std::string reason = reader.finish(); !reason.empty()) {
    error =
        "line " + std::to_string(std::count(text.begin(), text.end(), '\n') + 1) + ": " + reason;
    return false;
  }
  return true;
}

}  // namespace zor::tarnwick
