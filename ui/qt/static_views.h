#pragma once
// The controls that only show something: prompts and strings as labels
// (the prompt's hot key underlined), option groups and groups as group
// boxes with their caption, images as the icon they name, and the graphic
// shapes (box, panel, ellipse, line) drawn as such. Tabs have no widget of
// their own: their sheet shows them.

#include <memory>

#include "ui/qt/control_view.h"

namespace zor::ui::qt {

std::unique_ptr<ControlView> makeLabelView(QWidget* client);
std::unique_ptr<ControlView> makeGroupBoxView(QWidget* client);
std::unique_ptr<ControlView> makeImageView(QWidget* client);
std::unique_ptr<ControlView> makeShapeView(const Control& control, QWidget* client);
std::unique_ptr<ControlView> makeHiddenView();

}  // namespace zor::ui::qt
