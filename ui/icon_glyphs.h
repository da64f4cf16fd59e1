#pragma once
// How a character canvas shows an icon: one character per icon name. A
// list's icon column draws the character of the icon its icon list names
// (PROP::IconList of the list, index = the row's icon number); an icon
// without a character of its own shows as "*".

#include <string>

namespace zor::ui {

inline constexpr char kDefaultIconGlyph = '*';

// Registers the character for an icon name (case ignored); the program
// registers its own icons at start-up.
void setIconGlyph(const std::string& icon, char glyph);
char iconGlyph(const std::string& icon);

}  // namespace zor::ui
