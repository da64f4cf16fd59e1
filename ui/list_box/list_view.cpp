#include "ui/list_box/list_view.h"

#include <algorithm>
#include <cstdlib>

#include "platform/ascii_case.h"
#include "ui/base/event_numbers.h"
#include "ui/list_box/list_field_value.h"
#include "ui/list_box/list_format_parser.h"
#include "ui/list_box/list_format_writer.h"
#include "ui/list_box/list_layout.h"

namespace zor::ui {
namespace {

constexpr int kMostWheelNotches = 64;

}  // namespace

ListView::ListView(ListFont font) : font_(font) {}

size_t ListView::setFormat(std::string_view text) {
  ListParseResult result = parseListFormat(text, font_);
  if (!result.ok()) return result.stop;
  result.format.styles = std::move(format_.styles);
  format_ = std::move(result.format);
  setHorizontalOffset(offset_);
  return 0;
}

std::string ListView::formatText() const {
  return writeListFormat(format_);
}

void ListView::relayout() {
  assignQueueFields(format_);
  layoutListFormat(format_, font_);
  setHorizontalOffset(offset_);
}

void ListView::setFont(ListFont font) {
  font_ = font;
  relayout();
}

void ListView::setQueue(const Queue* queue) {
  queue_ = queue;
  selection_ = 0;
  top_ = 1;
  locator_.clear();
}

void ListView::setSize(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  setHorizontalOffset(offset_);
}

int ListView::headerLines() const {
  return format_.groupHeaderLines + format_.headerLines;
}

int ListView::visibleRows() const {
  int lines = height_ / std::max(font_.lineHeight, 1) - headerLines();
  return std::max(lines / std::max(format_.rowLines, 1), 1);
}

void ListView::clampPositions() const {
  size_t n = rowCount();
  if (n == 0) {
    selection_ = 0;
    top_ = 1;
    return;
  }
  selection_ = std::min(selection_, n);
  size_t visible = static_cast<size_t>(visibleRows());
  size_t lastTop = n > visible ? n - visible + 1 : 1;
  top_ = std::clamp<size_t>(top_, 1, lastTop);
}

size_t ListView::selection() const {
  clampPositions();
  return selection_;
}

size_t ListView::top() const {
  clampPositions();
  return top_;
}

void ListView::select(size_t row) {
  selection_ = std::min(row, rowCount());
  scrollIntoView(selection_);
}

void ListView::setTop(size_t row) {
  top_ = row;
  clampPositions();
}

void ListView::setHorizontalOffset(int pixels) {
  int widest = std::max(format_.totalWidth - width_, 0);
  offset_ = std::clamp(pixels, 0, widest);
}

void ListView::scrollIntoView(size_t row) {
  clampPositions();
  if (row == 0) return;
  size_t visible = static_cast<size_t>(visibleRows());
  if (row < top_) top_ = row;
  if (row >= top_ + visible) top_ = row - visible + 1;
  clampPositions();
}

void ListView::raise(uint32_t event) {
  if (sink_ != nullptr) sink_->listEvent(event);
}

void ListView::moveTo(int64_t target, uint32_t blocked) {
  locator_.clear();
  size_t n = rowCount();
  if (immediate_ || n == 0) {
    raise(blocked);
    return;
  }
  clampPositions();
  size_t row = static_cast<size_t>(std::clamp<int64_t>(target, 1, static_cast<int64_t>(n)));
  if (row == selection_) {
    raise(blocked);
    return;
  }
  selection_ = row;
  scrollIntoView(row);
  raise(EVENT::NewSelection);
}

void ListView::scrollBy(int64_t rows, uint32_t blocked) {
  if (!immediate_) {
    clampPositions();
    int64_t wanted = static_cast<int64_t>(top_) + rows;
    top_ = static_cast<size_t>(std::max<int64_t>(wanted, 1));
    clampPositions();
  }
  raise(blocked);
}

bool ListView::key(int code) {
  int modifiers = code & (ListKey::Shift | ListKey::Ctrl | ListKey::Alt);
  int vk = code & 0xFF;
  int64_t selected = static_cast<int64_t>(selection());
  int64_t page = visibleRows();
  bool plain = (modifiers & ~ListKey::Ctrl) == 0;
  switch (vk) {
    case ListKey::Up:
      if (!plain) return false;
      moveTo(selected - 1, EVENT::ScrollUp);
      return true;
    case ListKey::Down:
      if (!plain) return false;
      moveTo(selected + 1, EVENT::ScrollDown);
      return true;
    case ListKey::PageUp:
      if (!plain) return false;
      moveTo(selected - page, EVENT::PageUp);
      return true;
    case ListKey::PageDown:
      if (!plain) return false;
      moveTo(selected + page, EVENT::PageDown);
      return true;
    case ListKey::Home:
      if (!plain) return false;
      moveTo(1, EVENT::ScrollTop);
      return true;
    case ListKey::End:
      if (!plain) return false;
      moveTo(static_cast<int64_t>(rowCount()), EVENT::ScrollBottom);
      return true;
    case ListKey::Enter:
      if (modifiers != 0 || (selected == 0 && !immediate_)) return false;
      raise(EVENT::Accepted);
      return true;
    case ListKey::Left:
    case ListKey::Right:
      if (modifiers != 0) return false;
      setHorizontalOffset(offset_ + (vk == ListKey::Left ? -1 : 1) * std::max(font_.charWidth, 1));
      return true;
    case ListKey::Back:
      if (modifiers != 0 || locator_.empty()) return false;
      locator_.pop_back();
      raise(EVENT::Locate);
      return true;
    default:
      break;
  }
  if ((modifiers & (ListKey::Ctrl | ListKey::Alt)) != 0) return false;
  bool shifted = (modifiers & ListKey::Shift) != 0;
  if (vk >= 'A' && vk <= 'Z') {
    return typeCharacter(shifted ? static_cast<char>(vk)
                                 : platform::asciiLower(static_cast<char>(vk)));
  }
  if ((vk >= '0' && vk <= '9' && !shifted) || vk == ' ')
    return typeCharacter(static_cast<char>(vk));
  return false;
}

bool ListView::typeCharacter(char c) {
  if (format_.locatorColumn == 0 || static_cast<unsigned char>(c) < 0x20) return false;
  locator_ += c;
  raise(EVENT::Locate);
  if (!immediate_) locate();
  return true;
}

bool ListView::locate() {
  const ListColumn* column = format_.column(format_.locatorColumn);
  if (column == nullptr || queue_ == nullptr) return false;
  for (size_t row = 1; row <= queue_->records(); ++row) {
    ListRow r{&queue_->layout(), queue_->row(row), queue_->recordLength()};
    if (!platform::startsWithIgnoringCase(listFieldText(r, column->field), locator_)) continue;
    std::string keep = locator_;
    if (row != selection()) {
      selection_ = row;
      scrollIntoView(row);
      raise(EVENT::NewSelection);
    }
    locator_ = keep;
    return true;
  }
  return false;
}

void ListView::wheel(int notches) {
  int count = std::min(std::abs(notches), kMostWheelNotches);
  uint32_t event = notches > 0 ? EVENT::ScrollUp : EVENT::ScrollDown;
  if (immediate_) {
    for (int i = 0; i < count; ++i) raise(event);
    return;
  }
  if (count > 0) scrollBy((notches > 0 ? -1 : 1) * int64_t{count} * kWheelRows, event);
}

void ListView::scrollBar(ScrollBarAction action, int thumbPosition) {
  int64_t page = visibleRows();
  int64_t rows = static_cast<int64_t>(rowCount());
  switch (action) {
    case ScrollBarAction::LineUp:
      scrollBy(-1, EVENT::ScrollUp);
      break;
    case ScrollBarAction::LineDown:
      scrollBy(1, EVENT::ScrollDown);
      break;
    case ScrollBarAction::PageUp:
      scrollBy(-page, EVENT::PageUp);
      break;
    case ScrollBarAction::PageDown:
      scrollBy(page, EVENT::PageDown);
      break;
    case ScrollBarAction::Top:
      scrollBy(-rows, EVENT::ScrollTop);
      break;
    case ScrollBarAction::Bottom:
      scrollBy(rows, EVENT::ScrollBottom);
      break;
    case ScrollBarAction::Thumb: {
      thumb_ = std::clamp(thumbPosition, 0, 100);
      if (!immediate_) {
        int64_t lastTop = std::max<int64_t>(rows - page + 1, 1);
        // Rounded, so that the thumb drawn for the new top row stays where
        // it was dragged to.
        top_ = static_cast<size_t>(1 + ((lastTop - 1) * thumb_ + 50) / 100);
        clampPositions();
      }
      raise(EVENT::ScrollDrag);
      break;
    }
  }
}

int ListView::lineOfY(int y) const {
  return y < 0 ? -1 : y / std::max(font_.lineHeight, 1);
}

void ListView::click(int x, int y, bool doubleClick) {
  int line = lineOfY(y);
  if (line < 0) return;
  if (line < headerLines()) {
    int column = columnAt(x);
    if (column != 0 && sink_ != nullptr) sink_->headerPressed(column);
    return;
  }
  size_t row = top() + static_cast<size_t>((line - headerLines()) / std::max(format_.rowLines, 1));
  if (row > rowCount()) return;
  locator_.clear();
  if (row != selection_) {
    selection_ = row;
    scrollIntoView(row);
    raise(EVENT::NewSelection);
  }
  if (doubleClick) raise(EVENT::Accepted);
}

int ListView::columnAt(int x) const {
  int fixedEnd = 0;
  for (const ListColumn& c : format_.columns) {
    if (c.has(ColumnFlag::Fixed) && c.line == 0) fixedEnd = std::max(fixedEnd, c.left + c.width);
  }
  for (size_t i = 0; i < format_.columns.size(); ++i) {
    const ListColumn& c = format_.columns[i];
    if (c.line != 0 || c.width <= 0) continue;
    bool fixed = c.has(ColumnFlag::Fixed);
    if (!fixed && x < fixedEnd) continue;
    int at = fixed ? x : x + offset_;
    if (at >= c.left && at - c.left < c.width) return static_cast<int>(i) + 1;
  }
  return 0;
}

bool ListView::resizeColumn(int column, int widthPixels) {
  ListColumn* c = format_.column(column);
  if (c == nullptr || !c->has(ColumnFlag::Resizable) || widthPixels < 0) return false;
  c->widthUnits = font_.toUnitsX(widthPixels);
  relayout();
  raise(EVENT::ColumnResize);
  return true;
}

std::string ListView::tipAt(size_t row, int column) const {
  const ListColumn* c = format_.column(column);
  if (c == nullptr) return {};
  if (c->tipField != 0 && queue_ != nullptr && row >= 1 && row <= queue_->records()) {
    ListRow r{&queue_->layout(), queue_->row(row), queue_->recordLength()};
    std::string tip = listFieldText(r, c->tipField);
    if (!tip.empty()) return tip;
  }
  return c->hasOption(ColumnOption::DefaultTip) ? c->tip : std::string();
}

}  // namespace zor::ui
