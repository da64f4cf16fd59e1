#include "ui/hot_key_text.h"

#include <cctype>

namespace zor::ui {

char hotKeyOf(std::string_view text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    return static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])));
  }
  return 0;
}

std::string withoutHotKeyMarks(std::string_view text) {
  std::string shown;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    shown += text[i];
  }
  return shown;
}

int writeWithHotKey(Canvas& canvas, int x, int y, std::string_view text, CellStyle style,
                    int maxWidth) {
  int column = 0;
  bool markDone = false;
  for (size_t i = 0; i < text.size() && column < maxWidth; ++i) {
    bool marked = false;
    if (text[i] == '&' && i + 1 < text.size()) {
      marked = text[i + 1] != '&' && !markDone;
      ++i;
    }
    markDone = markDone || marked;
    bool hot = marked && style != CellStyle::Disabled;
    canvas.put(x + column++, y, text[i], hot ? CellStyle::HotKey : style);
  }
  return column;
}

}  // namespace zor::ui
