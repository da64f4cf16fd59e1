#pragma once
// Numbered properties of windows and controls. Values are held as text, as
// the language reads and writes them; numeric properties convert on access.
// Owners intercept the properties that have an effect (the window timer, a
// control's text or position); every other number is simply stored.
//
// Property numbers. Flags read "1" when set and "" when clear; setting any
// text other than "", "0" sets them. Positions and sizes are dialog units.
//
//   number  name       of                 meaning
//   0x7C00  Text       window, control    title, caption, prompt text; an
//                                         entry's shown value
//   0x7C01  Xpos       window, control    position and size
//   0x7C02  Ypos
//   0x7C03  Width
//   0x7C04  Height
//   0x7C05  Hide       window, control    hidden
//   0x7C06  Disable    window, control    disabled
//   0x7C07  ReadOnly   entry, text        refuses typing
//   0x7C08  Tip        control            tooltip text
//   0x7C09  IconList   button             icon of state `index` (1 up)
//   0x7C0A  FontName   window, control    typeface
//   0x7C0B  FontSize                      points
//   0x7C0C  FontColor                     colour, 0xFFFFFFFF default
//   0x7C0D  FontStyle                     weight, 400 normal
//   0x7C0E  Maximize   window             maximised (setting it maximises)
//   0x7C0F  Iconize    window             iconised
//   0x7C10  Resize     window             the user may resize it
//   0x7C11  Selected   sheet, option      the selected tab / radio, from 1
//   0x7C12  Choice     list               the selected row, from 1
//   0x7C13  Use        control            name of the variable shown
//   0x7C14  Type       control            kind code (read only)
//   0x7C15  ClassName  control            "ZorEdit", ... ("CHECK", "RADIO" or
//                                         "BUTTON" for the button class)
//   0x7C16  Default    button             pressed by Enter
//   0x7C17  Picture    entry, text        display picture
//   0x7C18  Value      radio, check       value given to the variable
//   0x7C19  Skip       control            left out of the Tab order
//   0x7C1A  Keyword    control            "ENTRY", "BUTTON" ... (read only)
//   0x7C1B  Format     list               the list's format string
//   0x7C1C  HeaderColumn list             column of the last header click
//   0x7C1D  Cursor     control, window,   mouse pointer ("hand.cur" over a
//                      system             control); CURSOR::Wait while the
//                                         program works (ui/wait_cursor.h)
//   0x7A19  KeepPlace  control            the window's resizer leaves it at
//                                         its place and size
//   0x7C68  Icon       window, system     icon; the system's is the program's
//                                         default icon for windows with none
//   0x7C86  Timer      window             timer interval, hundredths of a second
//   0x7E00-0x7EBF      list               list columns

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "ui/geometry.h"

namespace zor::ui {

namespace PROP {
inline constexpr int Text = 0x7C00;
inline constexpr int Xpos = 0x7C01;
inline constexpr int Ypos = 0x7C02;
inline constexpr int Width = 0x7C03;
inline constexpr int Height = 0x7C04;
inline constexpr int Hide = 0x7C05;
inline constexpr int Disable = 0x7C06;
inline constexpr int ReadOnly = 0x7C07;
inline constexpr int Tip = 0x7C08;
inline constexpr int IconList = 0x7C09;
inline constexpr int FontName = 0x7C0A;
inline constexpr int FontSize = 0x7C0B;
inline constexpr int FontColor = 0x7C0C;
inline constexpr int FontStyle = 0x7C0D;
inline constexpr int Maximize = 0x7C0E;
inline constexpr int Iconize = 0x7C0F;
inline constexpr int Resize = 0x7C10;
inline constexpr int Selected = 0x7C11;
inline constexpr int Choice = 0x7C12;
inline constexpr int Use = 0x7C13;
inline constexpr int Type = 0x7C14;
inline constexpr int ClassName = 0x7C15;
inline constexpr int Default = 0x7C16;
inline constexpr int Picture = 0x7C17;
inline constexpr int Value = 0x7C18;
inline constexpr int Skip = 0x7C19;
inline constexpr int Keyword = 0x7C1A;
inline constexpr int Format = 0x7C1B;
// A list's column (from 1) of its last header click; read only.
inline constexpr int HeaderColumn = 0x7C1C;
inline constexpr int Cursor = 0x7C1D;
// A control the window's resizer leaves where it is (a flag).
inline constexpr int KeepPlace = 0x7A19;
inline constexpr int Icon = 0x7C68;
inline constexpr int Timer = 0x7C86;  // window timer interval, hundredths of a second
inline constexpr int ListColumnFirst = 0x7E00;
inline constexpr int ListColumnLast = 0x7EBF;
}  // namespace PROP

class PropertyBag {
 public:
  // The stored text, empty when never set.
  std::string get(int number, int index = 0) const;
  int64_t getNumber(int number, int index = 0) const;
  void set(int number, std::string value, int index = 0);
  bool contains(int number, int index = 0) const;

 private:
  std::map<std::pair<int, int>, std::string> values_;
};

// Property texts of flags and numbers.
std::string flagText(bool value);
bool flagValue(const std::string& text);
// Leading blanks are skipped and the number ends at the first non-digit;
// text that does not start with a number is 0.
int64_t numberValue(const std::string& text);

// Xpos, Ypos, Width and Height of a window's or control's rectangle:
// nothing for other numbers; setting answers whether the number was one.
std::optional<std::string> rectProperty(const Rect& rect, int number);
bool setRectProperty(Rect& rect, int number, const std::string& value);

// The system-wide target: properties of the program as a whole (its default
// icon). Shared by every thread, so guarded by a lock.
std::string systemProperty(int number, int index = 0);
void setSystemProperty(int number, std::string value, int index = 0);

}  // namespace zor::ui
