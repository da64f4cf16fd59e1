#pragma once
// Reads one VIEW through its sort orders. Each order has a key (or an order
// text), range limits that fix the leading key fields to values read from
// variables when the limits are applied, and filters by id; the view
// manager turns them into the view's order and filter texts and reads the
// view record by record, passing every record through CheckRecord.
//
//   ViewManager settings;
//   settings.Bind(view, settingsRelations);
//   settings.AddOrder(&sectionKey);
//   settings.AddRangeLimit(sectionField, ValueSource(sectionNameField));  // type 1
//   settings.SetOrderFilter("SIN:STATUS = 1");                            // id "5 Standard"
//   settings.Open();
//   settings.ApplyLimits();
//   while (settings.ReadNext() == Level::Benign) ...

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/file_control_block.h"
#include "data/view_engine.h"
#include "framework/error_reporter.h"
#include "framework/field_ref.h"

namespace zor::fw {

class RelationManager;
class BrowseLocator;
class ThumbPositioner;

// Kinds of range limit (LimitType).
namespace LimitType {
inline constexpr uint8_t None = 0;
inline constexpr uint8_t Single = 1;    // each range field fixed to a value
inline constexpr uint8_t Current = 2;   // each fixed to its value when applied
inline constexpr uint8_t Pair = 3;      // all but the last fixed, the last between two values
inline constexpr uint8_t Relation = 4;  // fixed by a related table's record
}  // namespace LimitType

// The id a filter set without one is kept under; ids order the filters.
inline constexpr const char* kStandardFilterId = "5 Standard";

// Where a range value comes from: a fixed text, or a field read when the
// limits are applied.
class ValueSource {
 public:
  ValueSource() = default;
  explicit ValueSource(std::string text) : text_(std::move(text)) {}
  explicit ValueSource(FieldRef field) : field_(field) {}
  std::string value() const { return field_.valid() ? field_.text() : text_; }
  bool isField() const { return field_.valid(); }
  const FieldRef& field() const { return field_; }

 private:
  std::string text_;
  FieldRef field_;
};

struct RangeField {
  FieldRef Field;
  ValueSource Low;
  ValueSource High;
};

struct OrderFilter {
  std::string ID;
  std::string Filter;
};

// One sort order.
struct SortOrder {
  std::vector<OrderFilter> Filter;  // kept in order of ID
  FieldRef FreeElement;             // the first key field no range limit fixes
  uint8_t LimitType = LimitType::None;
  data::KeyBlock* MainKey = nullptr;
  std::string Order;  // "+SIN:INISECTION,-UPPER(SIN:NAME)"
  std::vector<RangeField> RangeList;
  BrowseLocator* Locator = nullptr;
  std::vector<FieldRef> Resets;
  ThumbPositioner* Thumb = nullptr;
};

// Whether `field` takes part in an order text as one of its components,
// signed or not, plainly or inside UPPER() or LOWER().
bool orderHasField(const std::string& orderText, const std::string& field);
// The component that names `field` ("UPPER(X)" or "X"), "" when none does.
std::string orderComponentFor(const std::string& orderText, const std::string& field);
// The function a component wraps its field in: "UPPER", "LOWER" or "".
std::string componentWrap(const std::string& component);
// A value as an expression literal for `field`: numbers as they are, texts
// quoted with every quote doubled; `wrap` ("UPPER" or "LOWER") around it.
std::string literalFor(const FieldRef& field, const std::string& value, const std::string& wrap);

class ViewManager {
 public:
  ViewManager();
  virtual ~ViewManager();
  ViewManager(const ViewManager&) = delete;
  ViewManager& operator=(const ViewManager&) = delete;

  void Bind(data::View& view, RelationManager& primary);
  virtual void Release();

  // Adds an order on a key (or in record order without one) and answers
  // its number, from 1; the new order becomes the current one.
  int AddOrder(data::KeyBlock* key);
  // Appends components to the current order's text, leaving out fields
  // that are part of it already.
  void AddOrderText(const std::string& text);
  // Range limits of the current order.
  void AddRangeLimit(FieldRef field, ValueSource value, uint8_t type = LimitType::Single);
  void AddRangeLimit(FieldRef field, ValueSource low, ValueSource high);
  // Sets (or with an empty expression removes) a filter of the current order.
  void SetOrderFilter(const std::string& expression, const std::string& id = kStandardFilterId);
  // Sets (or removes) a filter of every order and applies the limits. A
  // filter the view refuses is reported (error 43) and taken out again, so
  // that the range limits and the other filters still apply; answers
  // whether the view took it.
  virtual bool ApplyFilter(const std::string& expression, const std::string& id);
  // Makes an order current; answers whether it changed.
  bool SelectOrder(int order);
  int CurrentOrder() const { return current_; }
  SortOrder& Current();

  uint8_t Open();
  void Close();
  // The order text and the filter (range limits, locator and filters) of
  // the current order, set on the view; a filter the view refuses is
  // reported (error 43) and left out.
  virtual void ApplyLimits();
  // The filter text ApplyLimits would set.
  std::string LimitText();

  // Positions the view (no record read).
  void SetToStart();
  void SetToEnd();
  // Reads on with the record check: 0 read, 5 at the end, 3 error.
  uint8_t ReadNext();
  uint8_t ReadPrevious();
  // The record check: 0 accepts, 1 skips, anything else is out of range.
  virtual uint8_t CheckRecord();

  // Saves and restores the record buffers of the view's tables.
  void PushBuffers();
  void PopBuffers();

  // Fields, in declaration order.
  uint8_t DisposeOrder = 1;
  uint8_t Opened = 0;
  std::vector<SortOrder> Order;
  uint16_t PagesAhead = 0;
  uint16_t PagesBehind = 0;
  uint16_t PageSize = 0;
  RelationManager* Primary = nullptr;
  uint16_t TimeOut = 0;
  data::View* View = nullptr;
  std::vector<std::vector<uint8_t>> SavedBuffers;
  uint8_t Inited = 0;
  uint8_t Killed = 0;
  uint8_t Used = 0;

 protected:
  // Extra terms a browse adds to the range text (its locator).
  virtual std::string ExtraRangeText() { return {}; }
  ErrorReporter& Errors();

 private:
  uint8_t Read(bool forward);
  std::string RangeTerm(const SortOrder& order, size_t index, bool last);

  int current_ = 0;
};

}  // namespace zor::fw
