#include "framework/view_manager.h"

#include <algorithm>

#include "data/file_errors.h"
#include "data/view_order.h"
#include "framework/file_manager.h"
#include "framework/relation_manager.h"
#include "platform/ascii_case.h"
#include "runtime/error_state.h"
#include "runtime/type_codes.h"

namespace zor::fw {

namespace {

// Terms are built in 500-character strings. The whole text is not cut: cut
// after a whole term it would still compile and silently drop the rest.
constexpr size_t kTermLength = 500;
constexpr size_t kLiteralLength = 2000;
constexpr size_t kFilterIdLength = 30;

std::string trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The components of an order text, without their signs.
std::vector<std::string> orderComponents(const std::string& orderText) {
  std::vector<std::string> components;
  size_t start = 0;
  while (start <= orderText.size()) {
    size_t end = orderText.find(',', start);
    if (end == std::string::npos) end = orderText.size();
    std::string component = trimmed(orderText.substr(start, end - start));
    if (!component.empty() && (component[0] == '+' || component[0] == '-')) {
      component = trimmed(component.substr(1));
    }
    if (!component.empty()) components.push_back(component);
    start = end + 1;
  }
  return components;
}

}  // namespace

std::string orderComponentFor(const std::string& orderText, const std::string& field) {
  for (const std::string& component : orderComponents(orderText)) {
    std::string inner = component;
    for (const char* function : {"UPPER(", "LOWER("}) {
      if (platform::startsWithIgnoringCase(component, function) && component.back() == ')') {
        inner = trimmed(component.substr(6, component.size() - 7));
      }
    }
    if (platform::equalsIgnoringCase(inner, field)) return component;
  }
  return "";
}

std::string componentWrap(const std::string& component) {
  if (platform::startsWithIgnoringCase(component, "UPPER(")) return "UPPER";
  if (platform::startsWithIgnoringCase(component, "LOWER(")) return "LOWER";
  return "";
}

bool orderHasField(const std::string& orderText, const std::string& field) {
  return !orderComponentFor(orderText, field).empty();
}

std::string literalFor(const FieldRef& field, const std::string& value, const std::string& wrap) {
  std::string literal;
  if (field.valid() && isNumericType(field.descriptor().type)) {
    literal = trimmed(value).empty() ? "0" : trimmed(value);
  } else {
    literal = "'";
    for (char c : value.substr(0, kLiteralLength)) {
      literal += c;
      if (c == '\'') literal += '\'';
    }
    literal += "'";
  }
  return wrap.empty() ? literal : wrap + "(" + literal + ")";
}

ViewManager::ViewManager() = default;
ViewManager::~ViewManager() = default;

ErrorReporter& ViewManager::Errors() {
  if (Primary != nullptr && Primary->Me != nullptr && Primary->Me->Errors != nullptr) {
    return *Primary->Me->Errors;
  }
  return ErrorReporter::Global();
}

void ViewManager::Bind(data::View& view, RelationManager& primary) {
  View = &view;
  Primary = &primary;
  Order.clear();
  current_ = 0;
  Inited = 1;
  Killed = 0;
}

void ViewManager::Release() {
  if (Killed != 0) return;
  Close();
  if (DisposeOrder != 0) Order.clear();
  SavedBuffers.clear();
  Killed = 1;
}

int ViewManager::AddOrder(data::KeyBlock* key) {
  SortOrder order;
  order.MainKey = key;
  if (key != nullptr && Primary != nullptr && Primary->Me != nullptr && Primary->Me->File) {
    order.Order = data::orderTextOf(*Primary->Me->File, *key);
  }
  Order.push_back(std::move(order));
  current_ = static_cast<int>(Order.size());
  return current_;
}

SortOrder& ViewManager::Current() {
  if (Order.empty()) AddOrder(nullptr);
  if (current_ < 1 || current_ > static_cast<int>(Order.size())) current_ = 1;
  return Order[current_ - 1];
}

void ViewManager::AddOrderText(const std::string& text) {
  SortOrder& order = Current();
  for (const std::string& component : orderComponents(text)) {
    std::string field = component;
    if (componentWrap(component) != "" && component.back() == ')') {
      field = trimmed(component.substr(6, component.size() - 7));
    }
    if (orderHasField(order.Order, field)) continue;
    // Keep the sign the text gave the component.
    std::string signed_ = component;
    const size_t at = text.find(component);
    if (at != std::string::npos && at > 0) {
      const size_t sign = text.find_last_not_of(' ', at - 1);
      if (sign != std::string::npos && (text[sign] == '+' || text[sign] == '-')) {
        signed_ = std::string(1, text[sign]) + component;
      }
    }
    if (signed_[0] != '+' && signed_[0] != '-') signed_ = "+" + signed_;
    if (!order.Order.empty()) order.Order += ",";
    order.Order += signed_;
  }
}

void ViewManager::AddRangeLimit(FieldRef field, ValueSource value, uint8_t type) {
  SortOrder& order = Current();
  order.LimitType = type;
  // A change of the variable the value comes from calls for a reload.
  if (value.isField()) order.Resets.push_back(value.field());
  order.RangeList.push_back(RangeField{field, std::move(value), ValueSource()});
}

void ViewManager::AddRangeLimit(FieldRef field, ValueSource low, ValueSource high) {
  SortOrder& order = Current();
  order.LimitType = LimitType::Pair;
  order.RangeList.push_back(RangeField{field, std::move(low), std::move(high)});
}

void ViewManager::SetOrderFilter(const std::string& expression, const std::string& id) {
  SortOrder& order = Current();
  const std::string key = id.substr(0, kFilterIdLength);
  auto found = std::find_if(order.Filter.begin(), order.Filter.end(),
                            [&](const OrderFilter& filter) { return filter.ID == key; });
  if (expression.empty()) {
    if (found != order.Filter.end()) order.Filter.erase(found);
    return;
  }
  if (found != order.Filter.end()) {
    found->Filter = expression;
    return;
  }
  order.Filter.push_back(OrderFilter{key, expression});
  std::stable_sort(order.Filter.begin(), order.Filter.end(),
                   [](const OrderFilter& a, const OrderFilter& b) { return a.ID < b.ID; });
}

bool ViewManager::ApplyFilter(const std::string& expression, const std::string& id) {
  const int current = CurrentOrder();
  auto setEverywhere = [&](const std::string& text) {
    if (Order.empty()) SetOrderFilter(text, id);
    for (int order = 1; order <= static_cast<int>(Order.size()); ++order) {
      SelectOrder(order);
      SetOrderFilter(text, id);
    }
    if (current >= 1) SelectOrder(current);
  };
  setEverywhere(expression);
  if (View == nullptr) return true;
  ApplyLimits();
  if (expression.empty() || View->filter() == LimitText()) return true;
  // Refused and reported. When the rest of the limits stand without it,
  // they apply; else something else was refused, and the filter stays.
  setEverywhere("");
  if (View->setFilter(LimitText()) == data::kNoError) return false;
  setEverywhere(expression);
  View->setFilter("");
  return true;
}

bool ViewManager::SelectOrder(int order) {
  if (order < 1 || order > static_cast<int>(Order.size()) || order == current_) return false;
  current_ = order;
  return true;
}

uint8_t ViewManager::Open() {
  if (View == nullptr) return Level::Fatal;
  if (Opened != 0) return Level::Benign;
  const int code = View->open();
  if (code != data::kNoError && code != data::kErrFileAlreadyOpen) {
    if (Primary != nullptr && Primary->Me != nullptr) {
      Primary->Me->RecordError(1);
      return Primary->Me->ShowError();
    }
    return Level::Fatal;
  }
  Opened = 1;
  Used = 1;
  if (Primary != nullptr && Primary->Me != nullptr) Primary->Me->InView = 1;
  return Level::Benign;
}

void ViewManager::Close() {
  if (Opened == 0 || View == nullptr) return;
  View->close();
  Opened = 0;
  if (Primary != nullptr && Primary->Me != nullptr) Primary->Me->InView = 0;
}

std::string ViewManager::RangeTerm(const SortOrder& order, size_t index, bool last) {
  const RangeField& range = order.RangeList[index];
  const std::string name = range.Field.label();
  std::string side = orderComponentFor(order.Order, name);
  if (side.empty()) side = name;
  const std::string wrap = componentWrap(side);
  std::string term;
  if (order.LimitType == LimitType::Pair && last) {
    // The last field lies between its low and high value, both included.
    term = side + " >= " + literalFor(range.Field, range.Low.value(), wrap) + " AND (" + side +
           " <= (" + literalFor(range.Field, range.High.value(), wrap) + "))";
  } else {
    const std::string value =
        order.LimitType == LimitType::Current ? range.Field.text() : range.Low.value();
    term = side + " = " + literalFor(range.Field, value, wrap);
  }
  return term.substr(0, kTermLength);
}

std::string ViewManager::LimitText() {
  SortOrder& order = Current();
  std::string text;
  auto join = [&text](const std::string& term) {
    if (term.empty()) return;
    if (!text.empty()) text += " AND ";
    text += term;
  };
  if (order.LimitType != LimitType::None) {
    for (size_t i = 0; i < order.RangeList.size(); ++i) {
      join(RangeTerm(order, i, i + 1 == order.RangeList.size()));
    }
  }
  join(ExtraRangeText());
  for (const OrderFilter& filter : order.Filter) join("(" + filter.Filter + ")");
  return text;
}

void ViewManager::ApplyLimits() {
  if (View == nullptr) return;
  SortOrder& order = Current();
  View->setOrder(order.Order);
  const std::string text = LimitText();
  if (View->setFilter(text) != data::kNoError) {
    if (Primary != nullptr && Primary->Me != nullptr) {
      Primary->Me->RecordError(43);
      Primary->Me->ShowError();
    }
    View->setFilter("");
  }
}

void ViewManager::SetToStart() {
  if (View != nullptr) View->set();
}

void ViewManager::SetToEnd() {
  if (View != nullptr) View->setEnd();
}

uint8_t ViewManager::CheckRecord() {
  return 0;
}

uint8_t ViewManager::Read(bool forward) {
  if (View == nullptr) return Level::Fatal;
  for (;;) {
    const int code = forward ? View->next() : View->previous();
    if (code == data::kErrRecordNotAvailable) return Level::Notify;
    if (code != data::kNoError) {
      if (Primary != nullptr && Primary->Me != nullptr) {
        Primary->Me->RecordError(1);
        Primary->Me->ShowError();
      }
      return Level::Fatal;
    }
    const uint8_t check = CheckRecord();
    if (check == 0) return Level::Benign;
    if (check != 1) return Level::Notify;
  }
}

uint8_t ViewManager::ReadNext() {
  return Read(true);
}

uint8_t ViewManager::ReadPrevious() {
  return Read(false);
}

void ViewManager::PushBuffers() {
  if (Primary != nullptr && Primary->Me != nullptr && Primary->Me->Buffer != nullptr) {
    SavedBuffers.push_back(*Primary->Me->Buffer);
  }
}

void ViewManager::PopBuffers() {
  if (SavedBuffers.empty()) return;
  if (Primary != nullptr && Primary->Me != nullptr && Primary->Me->Buffer != nullptr) {
    *Primary->Me->Buffer = SavedBuffers.back();
  }
  SavedBuffers.pop_back();
}

}  // namespace zor::fw
