#pragma once
// A sheet as a tab widget: its tabs' captions (with their hot keys) along
// the top and the desktop's frame around the body. The controls of the tabs
// are the window's own widgets, laid over the body, shown while their tab
// is selected. A click on a tab goes to the sheet as a click on that tab's
// header.

#include <memory>

#include "ui/qt/control_view.h"

namespace zor::ui::qt {

std::unique_ptr<ControlView> makeSheetView(QWidget* client);

}  // namespace zor::ui::qt
