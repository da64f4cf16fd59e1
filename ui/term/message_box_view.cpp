#include "ui/term/message_box_view.h"

#include <algorithm>
#include <cctype>

#include "platform/message_box.h"
#include "ui/hot_key_text.h"
#include "ui/key_codes.h"
#include "ui/message_box_buttons.h"

namespace zor::ui::term {
namespace {

constexpr int kButtonGap = 2;
constexpr int kMargin = 2;  // blank columns inside the frame

int buttonWidth(unsigned button) {
  return static_cast<int>(withoutHotKeyMarks(buttonText(button)).size()) + 4;
}

}  // namespace

std::vector<std::string> wrapText(const std::string& text, int width) {
  width = std::max(width, 1);
  std::vector<std::string> lines;
  std::string current;
  auto flush = [&] {
    while (static_cast<int>(current.size()) > width) {
      size_t cut = current.rfind(' ', static_cast<size_t>(width));
      if (cut == std::string::npos || cut == 0) cut = static_cast<size_t>(width);
      lines.push_back(current.substr(0, cut));
      size_t rest = cut;
      while (rest < current.size() && current[rest] == ' ') ++rest;
      current.erase(0, rest);
    }
    lines.push_back(current);
    current.clear();
  };
  for (char c : text) {
    if (c == '|' || c == '\n') {
      flush();
    } else if (c != '\r') {
      current += c == '\t' ? ' ' : c;
    }
  }
  flush();
  return lines;
}

MessageBoxView::MessageBoxView(MessageBoxContent content, int screenWidth, int screenHeight)
    : content_(std::move(content)) {
  if (content_.buttons.empty()) content_.buttons.push_back(BUTTON::Ok);
  auto found = std::find(content_.buttons.begin(), content_.buttons.end(), content_.defaultButton);
  focused_ =
      found == content_.buttons.end() ? 0 : static_cast<size_t>(found - content_.buttons.begin());
  layout(screenWidth, screenHeight);
}

std::string MessageBoxView::iconMark() const {
  switch (content_.iconFlags & 0xF0u) {
    case platform::MB_ICONHAND:
      return "(X)";
    case platform::MB_ICONQUESTION:
      return "(?)";
    case platform::MB_ICONEXCLAMATION:
      return "(!)";
    case platform::MB_ICONASTERISK:
      return "(i)";
    default:
      return {};
  }
}

int MessageBoxView::buttonRowWidth() const {
  int width = 0;
  for (unsigned button : content_.buttons) width += buttonWidth(button) + kButtonGap;
  return width - kButtonGap;
}

void MessageBoxView::layout(int screenWidth, int screenHeight) {
  int iconWidth = iconMark().empty() ? 0 : static_cast<int>(iconMark().size()) + 1;
  int maxText = std::max(10, screenWidth - 2 - 2 * kMargin - iconWidth);
  lines_ = wrapText(content_.text, std::min(maxText, 72));
  int textWidth = 0;
  for (const std::string& line : lines_)
    textWidth = std::max(textWidth, static_cast<int>(line.size()));
  int inner = std::max(
      {textWidth + iconWidth, buttonRowWidth(), static_cast<int>(content_.caption.size()) + 2});
  int width = std::min(inner + 2 * kMargin + 2, std::max(screenWidth, 1));
  // Frame, blank, text, blank, buttons, frame.
  int height = std::min(static_cast<int>(lines_.size()) + 5, std::max(screenHeight, 1));
  area_ = {std::max(0, (screenWidth - width) / 2), std::max(0, (screenHeight - height) / 2), width,
           height};
}

std::vector<MessageBoxView::Placed> MessageBoxView::placedButtons() const {
  std::vector<Placed> placed;
  int x = area_.x + std::max(1, (area_.width - buttonRowWidth()) / 2);
  int y = area_.y + area_.height - 2;
  for (unsigned button : content_.buttons) {
    placed.push_back({button, {x, y, buttonWidth(button), 1}});
    x += buttonWidth(button) + kButtonGap;
  }
  return placed;
}

void MessageBoxView::paint(Canvas& canvas) const {
  canvas.resetClip();
  canvas.fill(area_, ' ');
  canvas.frame(area_);
  if (!content_.caption.empty() && area_.width > 6) {
    canvas.write(area_.x + 2, area_.y, " " + content_.caption + " ", CellStyle::Title,
                 area_.width - 4);
  }
  canvas.setClip({area_.x + 1, area_.y + 1, area_.width - 2, area_.height - 2});
  std::string icon = iconMark();
  int textX = area_.x + 1 + kMargin;
  if (!icon.empty()) {
    canvas.write(textX, area_.y + 2, icon, CellStyle::HotKey);
    textX += static_cast<int>(icon.size()) + 1;
  }
  for (size_t i = 0; i < lines_.size(); ++i) {
    canvas.write(textX, area_.y + 2 + static_cast<int>(i), lines_[i]);
  }
  std::vector<Placed> placed = placedButtons();
  for (size_t i = 0; i < placed.size(); ++i) {
    bool focused = i == focused_;
    CellStyle style = focused ? CellStyle::Focused : CellStyle::Normal;
    const Rect& cells = placed[i].cells;
    canvas.write(cells.x, cells.y, focused ? "[>" : "[ ", style);
    // The focused button is shown whole in its style: a marked letter inside
    // it would break the highlight.
    std::string text = buttonText(placed[i].button);
    int written = focused
                      ? static_cast<int>(withoutHotKeyMarks(text).size())
                      : writeWithHotKey(canvas, cells.x + 2, cells.y, text, style, cells.width - 4);
    if (focused)
      canvas.write(cells.x + 2, cells.y, withoutHotKeyMarks(text), style, cells.width - 4);
    canvas.write(cells.x + 2 + written, cells.y, focused ? "<]" : " ]", style);
    if (focused) canvas.setCursor({cells.x + 2, cells.y});
  }
  canvas.resetClip();
}

unsigned MessageBoxView::key(const KeyStroke& key) {
  const size_t count = content_.buttons.size();
  uint32_t base = KEY::base(key.code);
  uint32_t mods = KEY::modifiers(key.code);
  if (base == KEY::Tab || base == KEY::Left || base == KEY::Right) {
    bool backward = base == KEY::Left || (base == KEY::Tab && (mods & KEY::Shift));
    focused_ = backward ? (focused_ + count - 1) % count : (focused_ + 1) % count;
    return 0;
  }
  if (key.code == KEY::Enter || key.code == KEY::Space) return content_.buttons[focused_];
  if (key.code == KEY::Escape) {
    for (unsigned button : content_.buttons) {
      if (button == BUTTON::Cancel) return button;
    }
    return count == 1 && content_.buttons[0] == BUTTON::Ok ? BUTTON::Ok : 0;
  }
  if ((mods & KEY::Ctrl) == 0 && base < 0x80 && std::isalpha(static_cast<int>(base))) {
    for (unsigned button : content_.buttons) {
      if (hotKeyOf(buttonText(button)) == static_cast<char>(base)) return button;
    }
  }
  return 0;
}

unsigned MessageBoxView::click(Cell cell) const {
  for (const Placed& placed : placedButtons()) {
    if (placed.cells.contains(cell.x, cell.y)) return placed.button;
  }
  return 0;
}

}  // namespace zor::ui::term
