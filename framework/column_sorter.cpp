#include "framework/column_sorter.h"

#include "framework/browse.h"
#include "framework/window_controller.h"
#include "ui/base/event_numbers.h"
#include "ui/key_codes.h"
#include "ui/properties.h"
#include "ui/row_control.h"
#include "ui/statements.h"

namespace zor::fw {

namespace {

constexpr uint32_t kNextColumnKey = ui::KEY::Ctrl | ui::KEY::Right;
constexpr uint32_t kPreviousColumnKey = ui::KEY::Ctrl | ui::KEY::Left;
constexpr uint32_t kRestoreKey = ui::KEY::Ctrl | ui::KEY::Up;

}  // namespace

void ColumnSorter::Init(WindowController& window, Browse& browse, int listControl,
                        const std::string&, const std::string&) {
  window_ = &window;
  browse_ = &browse;
  listControl_ = listControl;
  column_ = 0;
  order_ = 0;
  window.RegisterComponent(*this);
}

void ColumnSorter::Release() {
  browse_ = nullptr;
  window_ = nullptr;
}

void ColumnSorter::SetAlerts() {
  if (window_ == nullptr || window_->Window() == nullptr) return;
  if (ui::Control* list = window_->Window()->control(listControl_)) {
    for (uint32_t key : {kNextColumnKey, kPreviousColumnKey, kRestoreKey}) list->alert(key);
  }
}

int ColumnSorter::ColumnCount() const {
  if (window_ == nullptr || window_->Window() == nullptr) return 0;
  auto* list = dynamic_cast<ui::ListControl*>(window_->Window()->control(listControl_));
  if (list == nullptr) return 0;
  int count = 0;
  while (list->view().format().column(count + 1) != nullptr) ++count;
  return count;
}

std::string ColumnSorter::FieldOfColumn(int column) const {
  if (browse_ == nullptr || window_ == nullptr || window_->Window() == nullptr) return "";
  auto* list = dynamic_cast<ui::ListControl*>(window_->Window()->control(listControl_));
  const ui::ListColumn* shown = list != nullptr ? list->view().format().column(column) : nullptr;
  if (shown == nullptr) return "";
  for (const BrowseField& field : browse_->Fields) {
    if (field.QueueField == shown->field && field.Record.valid()) return field.Record.label();
  }
  return "";
}

void ColumnSorter::ResetSort() {
  if (browse_ == nullptr || column_ == 0) {
    column_ = 0;
    return;
  }
  if (order_ == browse_->CurrentOrder()) browse_->Current().Order = originalOrder_;
  column_ = 0;
  descending_ = false;
}

void ColumnSorter::SortByColumn(int column) {
  if (browse_ == nullptr) return;
  const std::string field = FieldOfColumn(column);
  if (field.empty()) return;
  if (column_ == 0 || order_ != browse_->CurrentOrder()) {
    order_ = browse_->CurrentOrder();
    originalOrder_ = browse_->Current().Order;
    descending_ = false;
  } else if (column == column_) {
    descending_ = !descending_;
  } else {
    descending_ = false;
  }
  column_ = column;
  // The fields the range fixes stay in front, so that the view still reads
  // only the range; the column orders what they leave free.
  std::string order;
  bool fixedByRange = false;
  for (const RangeField& range : browse_->Current().RangeList) {
    const std::string part = orderComponentFor(originalOrder_, range.Field.label());
    if (part.empty()) continue;
    order += (order.empty() ? "+" : ",+") + part;
    if (range.Field.label() == field) fixedByRange = true;
  }
  if (fixedByRange) {
    order = originalOrder_;
  } else {
    order += (order.empty() ? "" : ",") + std::string(descending_ ? "-" : "+") + field;
  }
  browse_->Current().Order = order;
  browse_->ApplyLimits();
  browse_->ListQueueRef().clear();
  browse_->CurrentChoice = 1;
  browse_->LoadPage(false);
}

uint8_t ColumnSorter::TakeEvent() {
  if (browse_ == nullptr || ui::field() != listControl_) return Level::Benign;
  const uint32_t event = ui::event();
  if (event == ui::EVENT::HeaderPressed) {
    SortByColumn(
        static_cast<int>(ui::numberValue(ui::getProperty(listControl_, ui::PROP::HeaderColumn))));
    return Level::Notify;
  }
  if (event == ui::EVENT::AlertKey) {
    const uint32_t key = ui::keyCode();
    if (key == kRestoreKey && column_ != 0) {
      ResetSort();
      browse_->ApplyLimits();
      browse_->ListQueueRef().clear();
      browse_->CurrentChoice = 1;
      browse_->LoadPage(false);
      return Level::Notify;
    }
    if (key == kNextColumnKey || key == kPreviousColumnKey) {
      const int count = ColumnCount();
      if (count == 0) return Level::Notify;
      int column = column_;
      for (int tries = 0; tries < count; ++tries) {
        column = key == kNextColumnKey ? column % count + 1 : (column <= 1 ? count : column - 1);
        if (!FieldOfColumn(column).empty()) break;
      }
      SortByColumn(column);
      return Level::Notify;
    }
  }
  return Level::Benign;
}

}  // namespace zor::fw
