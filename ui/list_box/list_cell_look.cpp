#include "ui/list_box/list_cell_look.h"

#include <algorithm>
#include <cstdlib>

namespace zor::ui {
namespace {

void applyColours(Colours& into, const Colours& from) {
  for (size_t i = 0; i < into.size(); ++i) {
    if (from[i] != kNoColour) into[i] = from[i];
  }
}

int64_t treeLevel(const ListRow& row, int field) {
  return std::clamp<int64_t>(listFieldNumber(row, field), -1000, 1000);
}

}  // namespace

ListCellColours listCellColours(const ListFormat& format, const ListColumn& c, const ListRow& row,
                                bool selected) {
  Colours colours = c.colours;
  int32_t style = 0;
  auto applyStyle = [&](int32_t number) {
    auto found = format.styles.find(number);
    if (found != format.styles.end()) applyColours(colours, found->second.colours);
    style = number;
  };
  if (c.styleGiven) applyStyle(c.style);
  if (c.styleField != 0) applyStyle(static_cast<int32_t>(listFieldNumber(row, c.styleField)));
  if (c.colourField != 0) {
    Colours rowColours;
    for (int k = 0; k < 4; ++k) {
      rowColours[static_cast<size_t>(k)] =
          static_cast<int32_t>(listFieldNumber(row, c.colourField + k));
    }
    applyColours(colours, rowColours);
  }
  return {colours[selected ? kSelectedText : kTextColour],
          colours[selected ? kSelectedBack : kBackColour], style};
}

ListTreeMark listTreeMark(const ListColumn& c, const ListRow& row, const ListRow& next) {
  ListTreeMark mark;
  int64_t level = treeLevel(row, c.treeField);
  int64_t depth =
      std::max<int64_t>(std::llabs(level) - 1, 0) + (c.hasOption(ColumnOption::TreeOffset) ? 1 : 0);
  if (c.hasOption(ColumnOption::TreeNoRoot)) depth = std::max<int64_t>(depth - 1, 0);
  mark.depth = static_cast<int>(depth);
  mark.boxShown = !c.hasOption(ColumnOption::TreeNoBoxes);
  if (level < 0) {
    mark.box = TreeBox::Expand;
  } else if (next.bytes != nullptr && std::llabs(treeLevel(next, c.treeField)) > level) {
    mark.box = TreeBox::Contract;
  }
  return mark;
}

std::string listCellText(const ListColumn& c, const ListRow& row) {
  char buffer[kMaxPictureWidth];
  size_t length = formatListField(row, c.field, c.compiled, buffer);
  std::string_view s(buffer, length);
  bool keepLeading = c.compiled.pictureClass == PictureClass::String ||
                     c.compiled.pictureClass == PictureClass::KeyIn;
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  if (!keepLeading) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  }
  return std::string(s);
}

std::string_view listHeaderLine(std::string_view header, int line) {
  for (int i = 0; i < line; ++i) {
    size_t feed = header.find('\n');
    if (feed == std::string_view::npos) return {};
    header.remove_prefix(feed + 1);
  }
  return header.substr(0, header.find('\n'));
}

}  // namespace zor::ui
