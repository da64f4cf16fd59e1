#pragma once
// The column properties of a list, 0x7E00-0x7EBF. Each block of 64 numbers
// holds the same attributes at the same offsets:
//   0x7E00 + offset, index = column number: that column;
//   0x7E40 + offset, index = column number: the group holding that column;
//   0x7E80 + offset, index = style number: that style (colours only).
// Values are texts as the language reads and writes them: measures in
// dialog units, flags as "1"/"0", justification as "L", "R", "C" or "D".
// Setting a measure, a flag that moves fields or a picture lays the list out
// again.

#include <optional>
#include <string>
#include <string_view>

#include "ui/list_box/list_view.h"

namespace zor::ui {

namespace LISTPROP {
inline constexpr int Column = 0x7E00;
inline constexpr int Group = 0x7E40;
inline constexpr int Style = 0x7E80;
inline constexpr int BlockSize = 0x40;

// Offsets within a block.
inline constexpr int Width = 0x00;          // dialog units
inline constexpr int Justification = 0x01;  // "L", "R", "C", "D"
inline constexpr int Indent = 0x02;         // dialog units
inline constexpr int Header = 0x03;         // header text
inline constexpr int HeaderJustification = 0x04;
inline constexpr int HeaderIndent = 0x05;  // dialog units
inline constexpr int Picture = 0x06;       // "@s20" (columns)
inline constexpr int FieldNumber = 0x07;   // value field; set: as "#n#", 0 = running number
inline constexpr int RightBorder = 0x08;   // "|"
inline constexpr int Underline = 0x09;     // "_"
inline constexpr int Fixed = 0x0A;         // "F"
inline constexpr int Resizable = 0x0B;     // "M"
inline constexpr int LastOnLine = 0x0C;    // "/"
inline constexpr int Locator = 0x0D;       // "?" (columns; clears it on the others)
inline constexpr int Icon = 0x0E;          // 0 none, 1 "I", 2 "J"
inline constexpr int RowColours = 0x0F;    // "*"
inline constexpr int RowStyle = 0x10;      // "Y"
inline constexpr int RowTip = 0x11;        // "P"
inline constexpr int Tree = 0x12;          // "T"
inline constexpr int TreeOptions = 0x13;   // any of "L1RBI"
inline constexpr int ScrollWidth = 0x14;   // "S(n)", dialog units; 0 removes it
inline constexpr int HeaderHeight = 0x15;  // "H(n)", dialog units; 0 removes it
inline constexpr int TextColour = 0x16;    // colours: number, -1 = not given
inline constexpr int BackColour = 0x17;
inline constexpr int SelectedTextColour = 0x18;
inline constexpr int SelectedBackColour = 0x19;
inline constexpr int StyleNumber = 0x1A;  // "Z(n)"; "" removes it
inline constexpr int DefaultTip = 0x1B;   // "Q"; "" removes it
// Read only.
inline constexpr int Left = 0x1C;  // cell rectangle within the row, pixels
inline constexpr int Top = 0x1D;
inline constexpr int Right = 0x1E;
inline constexpr int Bottom = 0x1F;
inline constexpr int ColourField = 0x20;  // first of the four "*" fields, 0 = none
inline constexpr int IconField = 0x21;
inline constexpr int TreeField = 0x22;
inline constexpr int StyleField = 0x23;
inline constexpr int TipField = 0x24;
inline constexpr int ColumnCount = 0x25;  // columns in the format (any index)
inline constexpr int FirstColumn = 0x26;  // groups: columns spanned
inline constexpr int LastColumn = 0x27;
}  // namespace LISTPROP

bool isListProperty(int number);

// The value, or nothing for a number or index the list does not have.
std::optional<std::string> listProperty(const ListView& view, int number, int index);

// False, changing nothing, for an unknown number or index, a read-only
// attribute or a value that does not read.
bool setListProperty(ListView& view, int number, int index, std::string_view value);

}  // namespace zor::ui
