#pragma once
// The main window's browse of settings: the settings of the highlighted
// section in its first order, each row with the icon of its status; a
// change of order gives the column sorter its own order back.

#include "framework/browse.h"
#include "framework/column_sorter.h"

namespace qv {

class SettingsBrowse : public zor::fw::Browse {
 public:
  // The sorter reset when the order changes.
  void SetSorter(zor::fw::ColumnSorter& sorter) { sorter_ = &sorter; }
  // The sheet whose first tab selects the first order.
  void SetSheet(int sheet) { sheet_ = sheet; }

  void SelectOrderForTab(bool force) override;
  bool SetSort(int order, bool force) override;
  void SetQueueRecord() override;

 private:
  zor::fw::ColumnSorter* sorter_ = nullptr;
  int sheet_ = 0;
  int lastOrder_ = 0;
};

}  // namespace qv
