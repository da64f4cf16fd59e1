#pragma once
// How each cell style of the canvas looks in the terminal: a colour pair and
// attributes in colour, attributes only on a monochrome terminal (or with
// NO_COLOR set). The colours are a restrained theme on the terminal's own
// background; the terminal turns a look into an ncurses colour pair.

#include <array>
#include <cstdint>

#include "ui/canvas.h"

namespace zor::ui::term {

// The eight standard terminal colours, as ncurses numbers them; Default
// keeps the terminal's own colour.
enum class Colour : int16_t {
  Default = -1,
  Black = 0,
  Red,
  Green,
  Yellow,
  Blue,
  Magenta,
  Cyan,
  White
};

namespace LOOK {
inline constexpr unsigned Bold = 0x1;
inline constexpr unsigned Reverse = 0x2;
inline constexpr unsigned Underline = 0x4;
inline constexpr unsigned Dim = 0x8;
}  // namespace LOOK

struct CellLook {
  Colour foreground = Colour::Default;
  Colour background = Colour::Default;
  unsigned attributes = 0;  // LOOK bits
  bool operator==(const CellLook&) const = default;
};

inline constexpr int kStyleCount = static_cast<int>(CellStyle::HotKey) + 1;

class ColourTheme {
 public:
  static ColourTheme colour();
  static ColourTheme monochrome();

  const CellLook& look(CellStyle style) const { return looks_[static_cast<size_t>(style)]; }
  bool usesColour() const { return colour_; }
  // The ncurses colour pair of a style: 1 + its number (pair 0 is fixed).
  static int pairOf(CellStyle style) { return static_cast<int>(style) + 1; }

 private:
  std::array<CellLook, kStyleCount> looks_{};
  bool colour_ = false;
};

// Colour when the terminal has at least eight colours and NO_COLOR is unset
// or empty.
ColourTheme chooseTheme(int terminalColours, const char* noColour);

}  // namespace zor::ui::term
