#pragma once
// Entries (and the typed-into kinds) as line edits, text boxes as plain
// text editors. They show what the control shows: its value through the
// picture, or while it has the focus the text being typed with the cursor,
// the whole text selected when typing replaces it. Typing goes to the
// control, which checks it against the picture, never to the widget.

#include <memory>

#include "ui/qt/control_view.h"

namespace zor::ui::qt {

std::unique_ptr<ControlView> makeEntryView(QWidget* client);
std::unique_ptr<ControlView> makeTextBoxView(QWidget* client);

}  // namespace zor::ui::qt
