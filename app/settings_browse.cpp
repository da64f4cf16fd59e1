#include "app/settings_browse.h"

#include <cstring>

#include "app/record_layouts.h"
#include "ui/properties.h"
#include "ui/statements.h"

namespace qv {

void SettingsBrowse::SelectOrderForTab(bool force) {
  // The first tab shows the settings of a section; any other tab would show
  // them all.
  const bool firstTab = sheet_ == 0 || zor::ui::numberValue(zor::ui::getProperty(
                                           sheet_, zor::ui::PROP::Selected)) <= 1;
  SetSort(firstTab ? 1 : 2, force);
}

bool SettingsBrowse::SetSort(int order, bool force) {
  if (order != lastOrder_ && sorter_ != nullptr) sorter_->ResetSort();
  lastOrder_ = order;
  return zor::fw::Browse::SetSort(order, force);
}

void SettingsBrowse::SetQueueRecord() {
  zor::fw::Browse::SetQueueRecord();
  // Active settings show the first icon; obsolete ones, and any other
  // status, the second.
  std::vector<uint8_t>& row = Row();
  const int32_t icon = row[settings_queue::kStatus] == 1 ? 1 : 2;
  std::memcpy(row.data() + settings_queue::kStatusIcon, &icon, sizeof icon);
}

}  // namespace qv
