#include "ui/list_box/list_layout.h"

#include <algorithm>
#include <cstdint>

namespace zor::ui {
namespace {

// Pixel measures and edges stay within this, so that sums of two of them
// (an edge plus a width, less the sideways offset) never overflow an int.
constexpr int64_t kMostPixels = int64_t{1} << 28;

int clampToInt(int64_t value) {
  return static_cast<int>(std::clamp<int64_t>(value, -kMostPixels, kMostPixels));
}

void convertMeasures(ListAttributes& a, const ListFont& font) {
  a.width = clampToInt(font.toPixelsX(a.widthUnits));
  a.indent = clampToInt(font.toPixelsX(a.indentUnits));
  a.headerIndent = clampToInt(font.toPixelsX(a.headerIndentUnits));
  a.scrollValue = clampToInt(font.toPixelsX(a.scrollUnits));
  a.height = clampToInt(font.toPixelsY(a.heightUnits));
}

}  // namespace

void layoutListFormat(ListFormat& format, const ListFont& font) {
  const int rowHeight = std::max(font.lineHeight, 1);
  int64_t left = 0;
  int64_t groupLeft = 0;
  int line = 0;
  int64_t widest = 0;
  format.headerLines = 0;
  format.groupHeaderLines = 0;
  for (size_t i = 0; i < format.columns.size(); ++i) {
    ListColumn& c = format.columns[i];
    convertMeasures(c, font);
    const ListGroup* group = format.groupOfColumn(static_cast<int>(i) + 1);
    if (group != nullptr && group->firstColumn == static_cast<int>(i) + 1) groupLeft = left;
    c.line = line;
    c.left = clampToInt(left);
    c.right = c.width == 0 ? clampToInt(left - 1) : clampToInt(left + c.width);
    c.top = clampToInt(static_cast<int64_t>(line) * rowHeight);
    c.bottom = clampToInt(static_cast<int64_t>(c.top) + rowHeight -
                          (c.has(ColumnFlag::Underline) ? 1 : 0));
    left = std::min<int64_t>(left + std::max(c.width, 0), kMostPixels);
    widest = std::max(widest, left);
    format.headerLines = std::max(format.headerLines, c.headerLines);
    bool more = i + 1 < format.columns.size();
    if (c.has(ColumnFlag::LastOnLine) && more) {
      ++line;
      bool sameGroup = c.group != 0 && format.columns[i + 1].group == c.group;
      left = sameGroup ? groupLeft : 0;
    }
  }
  for (ListGroup& g : format.groups) {
    convertMeasures(g, font);
    format.groupHeaderLines = std::max(format.groupHeaderLines, g.headerLines);
  }
  format.rowLines = line + 1;
  format.totalWidth = clampToInt(widest);
}

}  // namespace zor::ui
