#pragma once
// Sorting a browse by a column: a click on a column header of the browse's
// list orders the rows by that column's field (a second click on the same
// header reverses the order), within the range and filter the browse
// already has. The order's own order text comes back with Reset, which the
// browse calls when its sort order changes. Keys: Ctrl+Right and Ctrl+Left
// sort by the next or the previous column, Ctrl+Up restores the order.

#include <cstdint>
#include <string>

#include "framework/window_component.h"

namespace zor::fw {

class Browse;
class WindowController;

class ColumnSorter : public WindowComponent {
 public:
  // `iniFile` and `procedure` name where a chosen sort would be kept; both
  // empty keeps nothing.
  void Init(WindowController& window, Browse& browse, int listControl,
            const std::string& iniFile = {}, const std::string& procedure = {});
  // Back to the browse's own order text.
  void ResetSort();
  // Sorts by a list column (from 1); a second call for the same column
  // reverses the order.
  void SortByColumn(int column);
  int SortedColumn() const { return column_; }
  bool Descending() const { return descending_; }

  uint8_t TakeEvent() override;
  void SetAlerts() override;
  void Release() override;

 private:
  // The field label a list column shows, "" when it shows none of the view.
  std::string FieldOfColumn(int column) const;
  int ColumnCount() const;

  WindowController* window_ = nullptr;
  Browse* browse_ = nullptr;
  int listControl_ = 0;
  int order_ = 0;              // the browse's order the sort was made for
  std::string originalOrder_;  // its own order text
  int column_ = 0;
  bool descending_ = false;
};

}  // namespace zor::fw
