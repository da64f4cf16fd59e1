#pragma once
// Buttons, check boxes and radios as push buttons, check boxes and radio
// buttons. Qt shows the "&" hot key of their captions; the default button
// has the desktop's default look; a button looks pressed while the mouse
// button is held on it.

#include <memory>

#include "ui/qt/control_view.h"

namespace zor::ui::qt {

std::unique_ptr<ControlView> makePushButtonView(QWidget* client);
// A check box, or a radio button for a RADIO.
std::unique_ptr<ControlView> makeToggleView(const Control& control, QWidget* client);

}  // namespace zor::ui::qt
