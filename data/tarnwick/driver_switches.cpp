#include "data/tarnwick/driver_switches.h"

#include <charconv>
#include <memory>
#include <mutex>

#include "data/driver_string.h"
#include "platform/ascii_case.h"
#include "platform/message_box.h"

namespace zor::tarnwick {

namespace {

std::mutex controlFileMutex;
std::string controlFileName;

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

// Whether `text` is the switch `name`, and its value (empty when none).
bool matchSwitch(std::string_view text, std::string_view name, std::string_view& value) {
  if (!platform::startsWithIgnoringCase(text, name)) return false;
  std::string_view rest = text.substr(name.size());
  if (!rest.empty() && rest.front() != '=' && !isBlank(rest.front())) return false;
  while (!rest.empty() && isBlank(rest.front())) rest.remove_prefix(1);
  if (!rest.empty() && rest.front() == '=') rest.remove_prefix(1);
  while (!rest.empty() && isBlank(rest.front())) rest.remove_prefix(1);
  while (!rest.empty() && isBlank(rest.back())) rest.remove_suffix(1);
  value = rest;
  return true;
}

bool parseNumber(std::string_view text, uint32_t& number) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  return error == std::errc() && end == text.data() + text.size();
}

const char* onOff(bool on) {
  return on ? "ON" : "OFF";
}

std::string sendD(std::string_view text, TableSwitches& switches) {
  std::string_view value;
  if (!matchSwitch(text, "DecimalCheck", value)) return {};
  const std::string answer = onOff(switches.decimalCheck);
  if (!value.empty()) switches.decimalCheck = !platform::startsWithIgnoringCase(value, "OFF");
  return answer;
}

std::string sendF(std::string_view text, TableSwitches& switches, SwitchTable& table) {
  std::string_view value;
  if (matchSwitch(text, "FULLBUILD", value)) {
    const std::string answer = onOff(switches.fullBuild);
    if (!value.empty()) switches.fullBuild = platform::startsWithIgnoringCase(value, "ON");
    return answer;
  }
  if (!matchSwitch(text, "FLAGS", value) || !table.isOpen()) return {};
  uint32_t flags = 0;
  if (!table.readFlags(flags)) return {};
  uint32_t wanted = 0;
  if (!value.empty() && parseNumber(value, wanted)) table.storeFlags(wanted);
  return std::to_string(flags);
}

std::string sendP(std::string_view text, SwitchTable& table) {
  std::string_view value;
  if (matchSwitch(text, "PNMQ", value)) {
    uint32_t number = 0;
    if (!table.isOpen() || !parseNumber(value, number)) return {};
    return table.tableNameByNumber(number);
  }
  if (!matchSwitch(text, "PNM", value) || !table.isOpen()) return {};
  return table.tableNameFrom(value);
}

std::string sendT(std::string_view text) {
  std::string_view value;
  if (!matchSwitch(text, "TCF", value)) return {};
  std::lock_guard<std::mutex> guard(controlFileMutex);
  std::string answer = controlFileName;
  if (!value.empty()) controlFileName = std::string(value);
  return answer;
}

}  // namespace

bool isDriverSwitch(std::string_view text) {
  if (platform::equalsIgnoringCase(text, "REGISTER") ||
      platform::equalsIgnoringCase(text, "IMPORTFILE"))
    return true;
  std::string_view value;
  for (std::string_view name : {"DecimalCheck", "FULLBUILD", "FLAGS", "TCF", "PNMQ", "PNM"}) {
    if (matchSwitch(text, name, value)) return true;
  }
  return false;
}

std::string handleSend(std::string_view text, TableSwitches& switches, SwitchTable& table) {
  if (platform::equalsIgnoringCase(text, "REGISTER")) return kRegisterAnswer;
  if (platform::equalsIgnoringCase(text, "IMPORTFILE")) {
    if (!table.isOpen())
      platform::messageBox(kImportText, kImportCaption, platform::MB_ICONEXCLAMATION);
    return {};
  }
  if (text.empty()) return {};
  switch (platform::asciiUpper(text.front())) {
    case 'D':
      return sendD(text, switches);
    case 'F':
      return sendF(text, switches, table);
    case 'P':
      return sendP(text, table);
    case 'T':
      return sendT(text);
    default:
      return {};
  }
}

std::string explicitControlFile() {
  std::lock_guard<std::mutex> guard(controlFileMutex);
  return controlFileName;
}

void setExplicitControlFile(std::string name) {
  std::lock_guard<std::mutex> guard(controlFileMutex);
  controlFileName = std::move(name);
}

std::vector<std::string> applyDriverString(std::string_view text, TableSwitches& switches) {
  const auto check = data::checkDriverString(text, data::tarnwickDriverStringSwitches());
  for (const auto& setting : check.settings) {
    if (platform::equalsIgnoringCase(setting.name, "DecimalCheck"))
      switches.decimalCheck = !platform::equalsIgnoringCase(setting.value, "OFF");
    else if (platform::equalsIgnoringCase(setting.name, "TCF") && setting.given &&
             !setting.value.empty())
      setExplicitControlFile(setting.value);
  }
  return check.messages;
}

namespace {

struct KeptSwitches : data::DriverFileObject {
  TableSwitches switches;
  std::vector<std::string> messages;
};

}  // namespace

TableSwitches& tableSwitchesOf(data::FileControlBlock& fcb, std::vector<std::string>* messages) {
  auto* kept = dynamic_cast<KeptSwitches*>(fcb.driverSettings.get());
  if (kept == nullptr) {
    auto made = std::make_unique<KeptSwitches>();
    made->messages = applyDriverString(fcb.driverString, made->switches);
    kept = made.get();
    fcb.driverSettings = std::move(made);
  }
  if (messages != nullptr) *messages = kept->messages;
  return kept->switches;
}

}  // namespace zor::tarnwick
