#pragma once
// What a list draws: lines of character cells with attributes, for a front
// end to copy onto its canvas. One cell is one character of the window
// font; colours are the list's colour numbers (kNoColour: the default).

#include <cstdint>
#include <string>
#include <vector>

#include "ui/list_box/list_format.h"

namespace zor::ui {

namespace CellMark {
inline constexpr uint16_t Selected = 0x1;     // part of the highlighted row
inline constexpr uint16_t Header = 0x2;       // a column header
inline constexpr uint16_t GroupHeader = 0x4;  // a group header
inline constexpr uint16_t Underlined = 0x8;   // "_" line under the column
inline constexpr uint16_t Border = 0x10;      // the "|" line at a column's right edge
inline constexpr uint16_t Icon = 0x20;        // the cell shows icon `icon`
inline constexpr uint16_t Fixed = 0x40;       // a fixed ("F") column
inline constexpr uint16_t TreeBox = 0x80;     // a tree's expand/contract box
}  // namespace CellMark

struct ListCell {
  char ch = ' ';
  uint16_t marks = 0;
  int32_t foreground = kNoColour;
  int32_t background = kNoColour;
  int32_t icon = 0;   // icon number when marked Icon
  int32_t style = 0;  // style number that applied, 0 for none
};

class ListCells {
 public:
  void reset(int width, int height) {
    width_ = width < 0 ? 0 : width;
    height_ = height < 0 ? 0 : height;
    cells_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), ListCell{});
    rowOfLine_.assign(static_cast<size_t>(height_), 0);
  }
  int width() const { return width_; }
  int height() const { return height_; }
  ListCell* at(int x, int y) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return nullptr;
    return &cells_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
  }
  const ListCell* at(int x, int y) const { return const_cast<ListCells*>(this)->at(x, y); }
  // The characters of one line.
  std::string text(int y) const {
    std::string out;
    for (int x = 0; x < width_; ++x) out += at(x, y)->ch;
    return out;
  }
  // The queue position a line shows, 0 for header and empty lines.
  size_t rowOfLine(int y) const {
    return y >= 0 && y < height_ ? rowOfLine_[static_cast<size_t>(y)] : 0;
  }
  void setRowOfLine(int y, size_t row) {
    if (y >= 0 && y < height_) rowOfLine_[static_cast<size_t>(y)] = row;
  }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<ListCell> cells_;
  std::vector<size_t> rowOfLine_;
};

}  // namespace zor::ui
