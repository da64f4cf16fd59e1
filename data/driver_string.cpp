#include "data/driver_string.h"

#include <utility>

#include "platform/ascii_case.h"

namespace zor::data {

namespace {

constexpr DriverSwitch kTarnwickSwitches[] = {
    {"TCF", SwitchValueKind::Text, "", nullptr, nullptr, nullptr},
    {"DecimalCheck", SwitchValueKind::Boolean, "ON", "ON", "ON", "OFF"},
};

struct RawSwitch {
  std::string name;
  std::string value;
  bool hasEquals = false;
};

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Splits the text at "/" outside quotes. Text before the first "/" that is
// not blank becomes a switch of its own, so that it is reported.
std::vector<RawSwitch> splitSwitches(std::string_view text) {
  std::vector<RawSwitch> switches;
  std::vector<std::string> pieces(1);
  char quote = 0;
  for (char c : text) {
    if (quote != 0) {
      if (c == quote) {
        quote = 0;
      } else {
        pieces.back() += c;
      }
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == '/') {
      pieces.emplace_back();
    } else {
      pieces.back() += c;
    }
  }
  for (const std::string& pieceText : pieces) {
    const std::string_view piece = trimmed(pieceText);
    if (piece.empty()) continue;
    RawSwitch raw;
    const size_t equals = piece.find('=');
    raw.hasEquals = equals != std::string_view::npos;
    raw.name = trimmed(piece.substr(0, equals));
    if (raw.hasEquals) raw.value = trimmed(piece.substr(equals + 1));
    switches.push_back(std::move(raw));
  }
  return switches;
}

bool isNumber(std::string_view value) {
  if (!value.empty() && (value.front() == '-' || value.front() == '+')) value.remove_prefix(1);
  if (value.empty()) return false;
  for (char c : value) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// The value as the switch's kind reads it, or nullptr when it is wrong.
const char* acceptedBoolean(const DriverSwitch& entry, std::string_view value) {
  if (platform::equalsIgnoringCase(value, entry.trueText)) return entry.trueText;
  if (platform::equalsIgnoringCase(value, entry.falseText)) return entry.falseText;
  return nullptr;
}

std::string poorlyFormed(const std::string& name, const char* fault) {
  return kPoorlyFormed + name + fault;
}

std::string incorrectValue(const std::string& name, const std::string& value) {
  return name + " has an incorrect value of " + value + ".  Value ignored,";
}

}  // namespace

std::string DriverStringCheck::valueOf(std::string_view name) const {
  for (const DriverStringSetting& setting : settings) {
    if (platform::equalsIgnoringCase(setting.name, name)) return setting.value;
  }
  return {};
}

DriverStringCheck checkDriverString(std::string_view text, std::span<const DriverSwitch> table) {
  DriverStringCheck check;
  for (const DriverSwitch& entry : table)
    check.settings.push_back({entry.name, entry.defaultValue, false});

  for (const RawSwitch& raw : splitSwitches(text)) {
    size_t found = table.size();
    for (size_t i = 0; i < table.size(); ++i) {
      if (platform::equalsIgnoringCase(raw.name, table[i].name)) found = i;
    }
    if (found == table.size()) {
      check.messages.push_back(poorlyFormed(raw.name, " is not a valid switch"));
      continue;
    }
    const DriverSwitch& entry = table[found];
    DriverStringSetting& setting = check.settings[found];
    if (entry.kind == SwitchValueKind::Flag) {
      if (raw.hasEquals) {
        check.messages.push_back(incorrectValue(raw.name, raw.value));
      } else {
        setting.value = entry.emptyValue == nullptr ? "1" : entry.emptyValue;
        setting.given = true;
      }
      continue;
    }
    if (!raw.hasEquals && entry.emptyValue == nullptr) {
      check.messages.push_back(poorlyFormed(raw.name, " has no value"));
      continue;
    }
    if (raw.hasEquals && raw.value.empty()) {
      check.messages.push_back(poorlyFormed(raw.name, " has missing value"));
      continue;
    }
    std::string value = raw.hasEquals ? raw.value : entry.emptyValue;
    if (entry.kind == SwitchValueKind::Boolean) {
      const char* accepted = acceptedBoolean(entry, value);
      if (accepted == nullptr) {
        check.messages.push_back(incorrectValue(raw.name, value));
        continue;
      }
      value = accepted;
    } else if (entry.kind == SwitchValueKind::Number && !isNumber(value)) {
      check.messages.push_back(incorrectValue(raw.name, value));
      continue;
    }
    setting.value = std::move(value);
    setting.given = true;
  }
  return check;
}

std::span<const DriverSwitch> tarnwickDriverStringSwitches() {
  return kTarnwickSwitches;
}

}  // namespace zor::data
