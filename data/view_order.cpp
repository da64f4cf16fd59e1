#include "data/view_order.h"

#include "platform/ascii_case.h"
#include "runtime/type_codes.h"

namespace zor::data {

namespace {

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

bool parseComponent(std::string_view text, std::span<const FileControlBlock* const> tables,
                    OrderComponent& component) {
  text = trimmed(text);
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    component.descending = text.front() == '-';
    text = trimmed(text.substr(1));
  }
  constexpr std::string_view kUpper = "UPPER(";
  if (text.size() > kUpper.size() &&
      platform::equalsIgnoringCase(text.substr(0, kUpper.size()), kUpper)) {
    if (text.back() != ')') return false;
    component.upper = true;
    text = trimmed(text.substr(kUpper.size(), text.size() - kUpper.size() - 1));
  }
  if (text.empty()) return false;
  for (size_t t = 0; t < tables.size(); ++t) {
    if (uint16_t field = findField(*tables[t], text); field != 0) {
      component.table = t;
      component.field = field;
      return true;
    }
  }
  return false;
}

}  // namespace

uint16_t findField(const FileControlBlock& table, std::string_view label) {
  for (size_t i = 0; i < table.fields.size(); ++i) {
    const char* name = table.fields[i].name;
    if (name != nullptr && platform::equalsIgnoringCase(name, label))
      return static_cast<uint16_t>(i + 1);
  }
  return 0;
}

bool parseOrder(std::string_view text, std::span<const FileControlBlock* const> tables,
                std::vector<OrderComponent>& order) {
  order.clear();
  if (trimmed(text).empty()) return true;
  for (;;) {
    const size_t comma = text.find(',');
    OrderComponent component;
    if (!parseComponent(text.substr(0, comma), tables, component)) {
      order.clear();
      return false;
    }
    order.push_back(component);
    if (comma == std::string_view::npos) return true;
    text.remove_prefix(comma + 1);
  }
}

std::string orderTextOf(const FileControlBlock& table, const KeyBlock& key) {
  std::string text;
  for (const KeyComponent& component : key.components) {
    if (component.field < 1 || component.field > table.fields.size()) continue;
    const FieldDescriptor& field = table.fields[component.field - 1u];
    if (!text.empty()) text += ',';
    text += component.order == ComponentOrder::Descending ? '-' : '+';
    const bool upper = key.ignoresCase() && isStringType(field.type);
    text += upper ? "UPPER(" + std::string(field.name) + ")" : std::string(field.name);
  }
  return text;
}

KeyService keyServes(const FileControlBlock& primary, const KeyBlock& key,
                     std::span<const OrderComponent> order) {
  if (order.empty() || order.size() > key.components.size()) return KeyService::kNone;
  bool forward = true, backward = true;
  for (size_t i = 0; i < order.size(); ++i) {
    const OrderComponent& wanted = order[i];
    const KeyComponent& component = key.components[i];
    if (wanted.table != 0 || wanted.field != component.field) return KeyService::kNone;
    const bool text = isStringType(primary.fields[wanted.field - 1u].type);
    if (wanted.upper != (text && key.ignoresCase())) return KeyService::kNone;
    const bool descending = component.order == ComponentOrder::Descending;
    forward = forward && wanted.descending == descending;
    backward = backward && wanted.descending != descending;
  }
  return forward ? KeyService::kForward : backward ? KeyService::kBackward : KeyService::kNone;
}

}  // namespace zor::data
