#include "ui/list_box/list_properties.h"

#include <charconv>

#include "ui/list_box/list_format_parser.h"

namespace zor::ui {
namespace {

using namespace LISTPROP;

enum class Block { Column, Group, Style };

bool readInt(std::string_view text, int& out) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.empty()) return false;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
  return error == std::errc() && end == text.data() + text.size();
}

bool readJustify(std::string_view text, Justify& out) {
  if (text.size() != 1) return false;
  switch (text[0]) {
    case 'L':
    case 'l':
      out = Justify::Left;
      return true;
    case 'R':
    case 'r':
      out = Justify::Right;
      return true;
    case 'C':
    case 'c':
      out = Justify::Center;
      return true;
    case 'D':
    case 'd':
      out = Justify::Decimal;
      return true;
    default:
      return false;
  }
}

std::string justifyText(Justify j) {
  static constexpr const char* kLetters[] = {"L", "R", "C", "D"};
  return kLetters[static_cast<size_t>(j) & 3];
}

// The flag or option an on/off attribute stands for.
struct Switch {
  uint32_t flag = 0;
  uint32_t option = 0;
};

std::optional<Switch> switchOf(int offset) {
  switch (offset) {
    case RightBorder:
      return Switch{ColumnFlag::RightBorder, 0};
    case Underline:
      return Switch{ColumnFlag::Underline, 0};
    case Fixed:
      return Switch{ColumnFlag::Fixed, 0};
    case Resizable:
      return Switch{ColumnFlag::Resizable, 0};
    case LastOnLine:
      return Switch{ColumnFlag::LastOnLine | ColumnFlag::LineBreak, 0};
    case RowColours:
      return Switch{0, ColumnOption::RowColours};
    case RowStyle:
      return Switch{0, ColumnOption::RowStyle};
    case RowTip:
      return Switch{0, ColumnOption::RowTip};
    case Tree:
      return Switch{ColumnFlag::Tree, 0};
    default:
      return std::nullopt;
  }
}

std::string treeOptionsText(uint32_t options) {
  std::string out;
  if (options & ColumnOption::TreeNoLines) out += 'L';
  if (options & ColumnOption::TreeOffset) out += '1';
  if (options & ColumnOption::TreeNoRoot) out += 'R';
  if (options & ColumnOption::TreeNoBoxes) out += 'B';
  if (options & ColumnOption::TreeInterline) out += 'I';
  return out;
}

bool readTreeOptions(std::string_view text, uint32_t& out) {
  out = 0;
  for (char c : text) {
    switch (c) {
      case 'L':
        out |= ColumnOption::TreeNoLines;
        break;
      case '1':
        out |= ColumnOption::TreeOffset;
        break;
      case 'R':
        out |= ColumnOption::TreeNoRoot;
        break;
      case 'B':
        out |= ColumnOption::TreeNoBoxes;
        break;
      case 'I':
        out |= ColumnOption::TreeInterline;
        break;
      default:
        return false;
    }
  }
  return true;
}

struct Address {
  Block block;
  int offset;
};

std::optional<Address> addressOf(int number) {
  if (!isListProperty(number)) return std::nullopt;
  int relative = number - Column;
  return Address{static_cast<Block>(relative / BlockSize), relative % BlockSize};
}

const ListAttributes* attributesOf(const ListFormat& format, Block block, int index) {
  if (block == Block::Column) return format.column(index);
  return format.groupOfColumn(index);
}

std::optional<std::string> styleProperty(const ListFormat& format, int offset, int index) {
  if (offset < TextColour || offset > SelectedBackColour) return std::nullopt;
  auto found = format.styles.find(index);
  int32_t colour = found == format.styles.end()
                       ? kNoColour
                       : found->second.colours[static_cast<size_t>(offset - TextColour)];
  return std::to_string(colour);
}

std::optional<std::string> sharedProperty(const ListAttributes& a, int offset) {
  if (auto s = switchOf(offset)) {
    bool on = (a.flags & s->flag) != 0 || (a.options & s->option) != 0;
    return std::string(on ? "1" : "0");
  }
  switch (offset) {
    case Width:
      return std::to_string(a.widthUnits);
    case Justification:
      return justifyText(a.justify());
    case Indent:
      return std::to_string(a.indentUnits);
    case Header:
      return std::string(a.header.view());
    case HeaderJustification:
      return justifyText(a.headerJustify());
    case HeaderIndent:
      return std::to_string(a.headerIndentUnits);
    case Icon:
      return std::to_string(!a.has(ColumnFlag::Icon)                     ? 0
                            : a.hasOption(ColumnOption::TransparentIcon) ? 2
                                                                         : 1);
    case TreeOptions:
      return treeOptionsText(a.options);
    case ScrollWidth:
      return std::to_string(a.has(ColumnFlag::Scroll) ? a.scrollUnits : 0);
    case HeaderHeight:
      return std::to_string(a.hasOption(ColumnOption::Height) ? a.heightUnits : 0);
    case TextColour:
    case BackColour:
    case SelectedTextColour:
    case SelectedBackColour:
      return std::to_string(a.colours[static_cast<size_t>(offset - TextColour)]);
    case StyleNumber:
      return a.styleGiven ? std::to_string(a.style) : std::string();
    case DefaultTip:
      return a.hasOption(ColumnOption::DefaultTip) ? a.tip : std::string();
    default:
      return std::nullopt;
  }
}

std::optional<std::string> columnOnlyProperty(const ListColumn& c, int offset) {
  switch (offset) {
    case Picture:
      return std::string(c.picture.view());
    case FieldNumber:
      return std::to_string(c.field);
    case Locator:
      return std::string(c.has(ColumnFlag::Locator) ? "1" : "0");
    case Left:
      return std::to_string(c.left);
    case Top:
      return std::to_string(c.top);
    case Right:
      return std::to_string(c.right);
    case Bottom:
      return std::to_string(c.bottom);
    case ColourField:
      return std::to_string(c.colourField);
    case IconField:
      return std::to_string(c.iconField);
    case TreeField:
      return std::to_string(c.treeField);
    case StyleField:
      return std::to_string(c.styleField);
    case TipField:
      return std::to_string(c.tipField);
    default:
      return std::nullopt;
  }
}

bool setStyleProperty(ListFormat& format, int offset, int index, std::string_view value) {
  int colour = 0;
  if (offset < TextColour || offset > SelectedBackColour || !readInt(value, colour)) return false;
  format.styles[index].colours[static_cast<size_t>(offset - TextColour)] = colour;
  return true;
}

// Sets an attribute columns and groups share; `relayout` tells whether the
// list must be laid out again.
bool setShared(ListAttributes& a, int offset, std::string_view value, bool& relayout) {
  int number = 0;
  Justify justify = Justify::Left;
  if (auto s = switchOf(offset)) {
    if (!readInt(value, number)) return false;
    a.flags = number != 0 ? (a.flags | s->flag) : (a.flags & ~s->flag);
    a.options = number != 0 ? (a.options | s->option) : (a.options & ~s->option);
    relayout = true;
    return true;
  }
  switch (offset) {
    case Width:
    case Indent:
    case HeaderIndent:
    case ScrollWidth:
    case HeaderHeight:
      if (!readInt(value, number) || number < 0) return false;
      relayout = true;
      if (offset == Width) a.widthUnits = number;
      if (offset == Indent) a.indentUnits = number;
      if (offset == HeaderIndent) a.headerIndentUnits = number;
      if (offset == ScrollWidth) {
        a.scrollUnits = number;
        a.flags = number != 0 ? (a.flags | ColumnFlag::Scroll) : (a.flags & ~ColumnFlag::Scroll);
      }
      if (offset == HeaderHeight) {
        a.heightUnits = number;
        a.options =
            number != 0 ? (a.options | ColumnOption::Height) : (a.options & ~ColumnOption::Height);
      }
      return true;
    case Justification:
    case HeaderJustification:
      if (!readJustify(value, justify)) return false;
      if (offset == Justification)
        a.setJustify(justify);
      else
        a.setHeaderJustify(justify);
      return true;
    case Header:
      if (value.find('~') != std::string_view::npos) return false;
      setHeaderText(a, value);
      relayout = true;
      return true;
    case Icon:
      if (!readInt(value, number) || number < 0 || number > 2) return false;
      a.flags = number != 0 ? (a.flags | ColumnFlag::Icon) : (a.flags & ~ColumnFlag::Icon);
      a.options = number == 2 ? (a.options | ColumnOption::TransparentIcon)
                              : (a.options & ~ColumnOption::TransparentIcon);
      relayout = true;
      return true;
    case TreeOptions: {
      uint32_t options = 0;
      if (!readTreeOptions(value, options)) return false;
      a.options = (a.options & ~ColumnOption::TreeMask) | options;
      return true;
    }
    case TextColour:
    case BackColour:
    case SelectedTextColour:
    case SelectedBackColour:
      if (!readInt(value, number)) return false;
      a.colours[static_cast<size_t>(offset - TextColour)] = number;
      a.coloursGiven = false;
      for (int32_t c : a.colours) a.coloursGiven = a.coloursGiven || c != kNoColour;
      return true;
    case StyleNumber:
      if (value.empty()) {
        a.styleGiven = false;
        a.style = 0;
        return true;
      }
      if (!readInt(value, number) || number < 0) return false;
      a.style = number;
      a.styleGiven = true;
      return true;
    case DefaultTip:
      a.tip.assign(value);
      a.options = value.empty() ? (a.options & ~ColumnOption::DefaultTip)
                                : (a.options | ColumnOption::DefaultTip);
      relayout = true;
      return true;
    default:
      return false;
  }
}

bool setColumnOnly(ListFormat& format, int index, int offset, std::string_view value,
                   bool& relayout) {
  ListColumn& c = *format.column(index);
  int number = 0;
  switch (offset) {
    case Picture:
      if (value.find('@', 1) != std::string_view::npos || (!value.empty() && value[0] != '@'))
        return false;
      setColumnPicture(c, value);  // "" stands for no picture: the text as it is
      return true;
    case FieldNumber:
      if (!readInt(value, number) || number < 0) return false;
      c.fieldGiven = number != 0;
      c.field = number;
      relayout = true;
      return true;
    case Locator:
      if (!readInt(value, number)) return false;
      if (number != 0) {
        setLocatorColumn(format, index);
      } else if (format.locatorColumn == index) {
        setLocatorColumn(format, 0);
      }
      return true;
    default:
      return false;
  }
}

}  // namespace

bool isListProperty(int number) {
  return number >= Column && number < Column + 3 * BlockSize;
}

std::optional<std::string> listProperty(const ListView& view, int number, int index) {
  std::optional<Address> address = addressOf(number);
  if (!address) return std::nullopt;
  const ListFormat& format = view.format();
  if (address->offset == ColumnCount) return std::to_string(format.columns.size());
  if (address->block == Block::Style) return styleProperty(format, address->offset, index);
  const ListAttributes* a = attributesOf(format, address->block, index);
  if (a == nullptr) return std::nullopt;
  if (address->block == Block::Group) {
    const ListGroup* g = format.groupOfColumn(index);
    if (address->offset == FirstColumn) return std::to_string(g->firstColumn);
    if (address->offset == LastColumn) return std::to_string(g->lastColumn);
    return sharedProperty(*a, address->offset);
  }
  if (auto shared = sharedProperty(*a, address->offset)) return shared;
  return columnOnlyProperty(*format.column(index), address->offset);
}

bool setListProperty(ListView& view, int number, int index, std::string_view value) {
  std::optional<Address> address = addressOf(number);
  if (!address) return false;
  ListFormat& format = view.mutableFormat();
  if (address->block == Block::Style)
    return setStyleProperty(format, address->offset, index, value);
  ListAttributes* a = const_cast<ListAttributes*>(attributesOf(format, address->block, index));
  if (a == nullptr) return false;
  bool relayout = false;
  bool set = setShared(*a, address->offset, value, relayout);
  if (!set && address->block == Block::Column) {
    set = setColumnOnly(format, index, address->offset, value, relayout);
  }
  if (set && relayout) view.relayout();
  return set;
}

}  // namespace zor::ui
