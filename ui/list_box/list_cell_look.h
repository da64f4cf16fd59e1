#pragma once
// What a list shows in one cell of a row, whatever draws it: the colours
// (the column's "E(...)", its style "Z(n)", the row's style "Y" and the
// row's colour fields "*", later ones winning), the tree level's indent and
// box ("T"), the value as text, and the lines of header texts. Shared by
// the character-cell painter and the desktop's.

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/list_box/list_field_value.h"
#include "ui/list_box/list_format.h"

namespace zor::ui {

struct ListCellColours {
  int32_t foreground = kNoColour;
  int32_t background = kNoColour;
  int32_t style = 0;  // the style number that applied, 0 for none
};

ListCellColours listCellColours(const ListFormat& format, const ListColumn& column,
                                const ListRow& row, bool selected);

enum class TreeBox { None, Expand, Contract };
struct ListTreeMark {
  int depth = 0;                // indent steps (a step is two characters)
  bool boxShown = false;        // the column draws boxes ("T(B)" leaves them out)
  TreeBox box = TreeBox::None;  // "+" for a contracted level, "-" when the next row lies deeper
};
// `next` is the following row, its bytes null after the last one.
ListTreeMark listTreeMark(const ListColumn& column, const ListRow& row, const ListRow& next);

// The column's value through its picture, trailing blanks dropped (and
// leading ones, unless the picture is a string or key-in picture).
std::string listCellText(const ListColumn& column, const ListRow& row);

// Line `line` of a header text, "" past its last line.
std::string_view listHeaderLine(std::string_view header, int line);

}  // namespace zor::ui
