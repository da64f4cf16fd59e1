#pragma once
// Texts with a hot key: "&" marks the letter that follows as the hot key
// ("&Save"), "&&" stands for a literal "&". Shared by the controls (which
// letter they answer to) and the front ends (how the text is drawn).

#include <string>
#include <string_view>

#include "ui/canvas.h"

namespace zor::ui {

// The upper-case hot key letter, 0 when the text has none.
char hotKeyOf(std::string_view text);
// The text as shown, without the marks.
std::string withoutHotKeyMarks(std::string_view text);
// Writes the text as shown, at most `maxWidth` cells, its hot key letter
// (the first marked one) in the HotKey style unless `style` is Disabled.
// Returns the cells written.
int writeWithHotKey(Canvas& canvas, int x, int y, std::string_view text, CellStyle style,
                    int maxWidth);

}  // namespace zor::ui
