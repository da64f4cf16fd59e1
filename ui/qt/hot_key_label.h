#pragma once
// A caption with its hot key shown the desktop's way, for widgets that do
// not read "&" marks themselves: rich text with the hot key letter
// underlined ("&&" is a literal "&").

#include <QString>
#include <string_view>

namespace zor::ui::qt {

QString hotKeyRichText(std::string_view text);

}  // namespace zor::ui::qt
