#pragma once
// The parsed form of a list format string: one column record per column in
// format order, one group record per bracketed group, and the list's styles.
// Measures are kept both as written (dialog units, so that writing the format
// back never drifts by rounding) and in pixels of the window's font (what
// drawing uses; see list_layout.h).

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "runtime/picture.h"
#include "ui/list_box/list_string_store.h"

namespace zor::ui {

// The highest queue field a format may name ("#n#"); a QUEUE of more
// fields than this is not shown through one list.
inline constexpr int kMostQueueField = 65535;

// Justification codes, in column flags bits 0-1 (header: bits 2-3).
enum class Justify : uint8_t { Left = 0, Right = 1, Center = 2, Decimal = 3 };

namespace ColumnFlag {
inline constexpr uint32_t JustifyMask = 0x3;
inline constexpr uint32_t HeaderJustifyMask = 0xC;
inline constexpr uint32_t HeaderJustifyShift = 2;
inline constexpr uint32_t RightBorder = 0x10;  // "|"
inline constexpr uint32_t Underline = 0x20;    // "_"
inline constexpr uint32_t Fixed = 0x40;        // "F"
inline constexpr uint32_t Scroll = 0x80;       // "S"
inline constexpr uint32_t Resizable = 0x100;   // "M"
inline constexpr uint32_t LastOnLine = 0x200;  // "/"
inline constexpr uint32_t Locator = 0x400;     // "?"
inline constexpr uint32_t Icon = 0x800;        // "I" (and "J")
inline constexpr uint32_t LineBreak = 0x4000;  // set together with "/"
inline constexpr uint32_t Tree = 0x8000;       // "T"
}  // namespace ColumnFlag

namespace ColumnOption {
inline constexpr uint32_t RowColours = 0x1;      // "*"
inline constexpr uint32_t Height = 0x2;          // "H"
inline constexpr uint32_t TreeNoLines = 0x4;     // "T(L)"
inline constexpr uint32_t TreeNoBoxes = 0x8;     // "T(B)"
inline constexpr uint32_t TreeInterline = 0x10;  // "T(I)"
inline constexpr uint32_t TreeOffset = 0x20;     // "T(1)"
inline constexpr uint32_t TreeNoRoot = 0x40;     // "T(R)"
inline constexpr uint32_t TreeMask = 0x7C;
inline constexpr uint32_t RowStyle = 0x80;          // "Y"
inline constexpr uint32_t TransparentIcon = 0x100;  // "J"
inline constexpr uint32_t RowTip = 0x200;           // "P"
inline constexpr uint32_t DefaultTip = 0x400;       // "Q"
}  // namespace ColumnOption

// Colour slots of "E(...)" and of a row's "*" fields.
enum ColourSlot { kTextColour = 0, kBackColour = 1, kSelectedText = 2, kSelectedBack = 3 };
inline constexpr int32_t kNoColour = -1;
using Colours = std::array<int32_t, 4>;

// Attributes that columns and groups share: letters, header, measures.
struct ListAttributes {
  uint32_t flags = 0;
  uint32_t options = 0;
  StoredText header;  // between the two "~"
  int headerLines = 0;
  bool hasHeader = false;
  // As written, dialog units.
  int widthUnits = 0;
  int indentUnits = 0;
  int headerIndentUnits = 0;
  int scrollUnits = 0;  // "S(n)"
  int heightUnits = 0;  // "H(n)"
  // In pixels of the window's font (list_layout.h fills them).
  int width = 0;
  int indent = 0;
  int headerIndent = 0;
  int scrollValue = 0;
  int height = 0;
  Colours colours{kNoColour, kNoColour, kNoColour, kNoColour};
  bool coloursGiven = false;
  int32_t style = 0;  // "Z(n)"
  bool styleGiven = false;
  std::string tip;  // "Q"
  char tipQuote = '\'';

  Justify justify() const { return static_cast<Justify>(flags & ColumnFlag::JustifyMask); }
  Justify headerJustify() const {
    return static_cast<Justify>((flags & ColumnFlag::HeaderJustifyMask) >>
                                ColumnFlag::HeaderJustifyShift);
  }
  void setJustify(Justify j) {
    flags = (flags & ~ColumnFlag::JustifyMask) | static_cast<uint32_t>(j);
  }
  void setHeaderJustify(Justify j) {
    flags = (flags & ~ColumnFlag::HeaderJustifyMask) |
            (static_cast<uint32_t>(j) << ColumnFlag::HeaderJustifyShift);
  }
  bool has(uint32_t flag) const { return (flags & flag) != 0; }
  bool hasOption(uint32_t option) const { return (options & option) != 0; }
};

struct ListColumn : ListAttributes {
  StoredText picture;  // "@" and the text up to the closing "@"
  CompiledPicture compiled;
  char decimalChar = 0;  // the compiled picture's decimal separator
  // The column's cell within the row, pixels (list_layout.h).
  int left = 0, top = 0, right = 0, bottom = 0;
  int line = 0;  // text line of the row the column sits on, from 0
  // Queue fields, from 1; 0 when the column has none.
  int field = 0;
  bool fieldGiven = false;  // from "#n#"
  int colourField = 0;      // first of four
  int iconField = 0;
  int treeField = 0;
  int styleField = 0;
  int tipField = 0;
  int group = 0;  // the group holding the column, from 1; 0 for none
};

struct ListGroup : ListAttributes {
  int firstColumn = 0;  // from 1
  int lastColumn = 0;
  bool widthGiven = false;  // "(n)" after "]"
};

// What the style numbers of "Y" and "Z(n)" stand for.
struct ListStyle {
  Colours colours{kNoColour, kNoColour, kNoColour, kNoColour};
};

struct ListFormat {
  std::vector<ListColumn> columns;
  std::vector<ListGroup> groups;
  std::map<int32_t, ListStyle> styles;
  int locatorColumn = 0;  // from 1; 0 for none
  bool hasTips = false;   // some column has "P" or "Q"
  int rowLines = 1;       // text lines per row ("/" adds lines)
  int headerLines = 0;    // lines the column headers take (0: no header)
  int groupHeaderLines = 0;
  int totalWidth = 0;  // pixels

  // The column record for a 1-based number, or null.
  ListColumn* column(int number);
  const ListColumn* column(int number) const;
  ListGroup* groupOfColumn(int number);
  const ListGroup* groupOfColumn(int number) const;
};

// Gives every column its queue fields, left to right from field 1: the value
// (a given "#n#" or the running number), then four colour fields ("*"), an
// icon field ("I"/"J"), a tree-level field ("T"), a style field ("Y") and a
// tip field ("P"). The next column's running number follows the last of them.
void assignQueueFields(ListFormat& format);

// Compiles a column's picture text and records its decimal character.
void setColumnPicture(ListColumn& column, std::string_view picture);

// Header text and its line count (1 + line feeds; 0 without a header).
void setHeaderText(ListAttributes& attributes, std::string_view text);

// Makes `column` (from 1) the locator column and clears the flag on all
// others; 0 clears it everywhere.
void setLocatorColumn(ListFormat& format, int column);

}  // namespace zor::ui
