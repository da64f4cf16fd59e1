#pragma once
// Icons and mouse pointers by the names the declarations and properties
// give them. "~NAME" is an icon linked into the program: the embedded
// resource NAME of type "ICON" (platform/resources.h); the standard icons
// go by their runtime numbers (ICON::Hand ... ICON::Asterisk, as decimal or
// hexadecimal text) or as "ICON:Hand", "ICON:Question", "ICON:Exclamation"
// and "ICON:Asterisk"; any other name is an image file. "hand.cur" is the
// pointing hand.

#include <QCursor>
#include <QIcon>
#include <optional>
#include <string>

namespace zor::ui::qt {

// The icon, or a null icon when nothing of that name can be read.
QIcon iconNamed(const std::string& name);
// The standard icon of a runtime icon number, null for others.
QIcon standardIcon(unsigned iconNumber);
// The pointer shape, none for names that keep the usual pointer.
std::optional<Qt::CursorShape> cursorNamed(const std::string& name);

}  // namespace zor::ui::qt
