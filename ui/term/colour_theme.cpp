#include "ui/term/colour_theme.h"

namespace zor::ui::term {

ColourTheme ColourTheme::colour() {
  ColourTheme theme;
  theme.colour_ = true;
  auto set = [&](CellStyle style, Colour fg, Colour bg, unsigned attributes) {
    theme.looks_[static_cast<size_t>(style)] = {fg, bg, attributes};
  };
  set(CellStyle::Normal, Colour::Default, Colour::Default, 0);
  set(CellStyle::Frame, Colour::Cyan, Colour::Default, 0);
  set(CellStyle::Title, Colour::Default, Colour::Default, LOOK::Bold);
  set(CellStyle::Field, Colour::White, Colour::Blue, 0);
  set(CellStyle::Focused, Colour::Black, Colour::Cyan, 0);
  set(CellStyle::Selected, Colour::Black, Colour::White, 0);
  set(CellStyle::Default, Colour::Default, Colour::Default, LOOK::Bold);
  set(CellStyle::Disabled, Colour::Default, Colour::Default, LOOK::Dim);
  set(CellStyle::HotKey, Colour::Yellow, Colour::Default, LOOK::Bold);
  return theme;
}

ColourTheme ColourTheme::monochrome() {
  ColourTheme theme;
  auto set = [&](CellStyle style, unsigned attributes) {
    theme.looks_[static_cast<size_t>(style)] = {Colour::Default, Colour::Default, attributes};
  };
  set(CellStyle::Title, LOOK::Bold);
  set(CellStyle::Field, LOOK::Underline);
  set(CellStyle::Focused, LOOK::Reverse);
  set(CellStyle::Selected, LOOK::Reverse);
  set(CellStyle::Default, LOOK::Bold);
  set(CellStyle::Disabled, LOOK::Dim);
  set(CellStyle::HotKey, LOOK::Underline);
  return theme;
}

ColourTheme chooseTheme(int terminalColours, const char* noColour) {
  bool refused = noColour != nullptr && noColour[0] != '\0';
  return terminalColours >= 8 && !refused ? ColourTheme::colour() : ColourTheme::monochrome();
}

}  // namespace zor::ui::term
