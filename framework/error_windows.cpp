#include "framework/error_windows.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "runtime/queue.h"
#include "runtime/type_codes.h"
#include "ui/base/event_numbers.h"
#include "ui/definition/definition_lookup.h"
#include "ui/front_end.h"
#include "ui/row_control.h"
#include "ui/statements.h"
#include "ui/system_commands.h"
#include "ui/window_builder.h"

namespace zor::fw {
namespace {

struct BoxButton {
  const char* use;
  unsigned button;
};

// Left to right as a box shows them.
constexpr BoxButton kBoxButtons[] = {
    {"?OK", Button::Ok},           {"?YES", Button::Yes},
    {"?NO", Button::No},           {"?ABORT", ui::BUTTON::Abort},
    {"?RETRY", ui::BUTTON::Retry}, {"?IGNORE", ui::BUTTON::Ignore},
    {"?CANCEL", Button::Cancel},   {"?HELP", 128},
};

// The buttons stand right-aligned at the place of the declared "O&k".
constexpr int kButtonStep = 48;
// More lines than this are cut, so that the box fits on the desktop.
constexpr int kMostMessageLines = 30;

std::unique_ptr<ui::Window> buildErrorWindow(const char* label) {
  if (ui::frontEnd() == nullptr) return nullptr;
  auto found = ui::findWindowDefinition(kErrorWindowsOwner, label);
  if (!found.ok() || !found.value) return nullptr;
  return ui::buildWindow(found.value->window);
}

// The text as lines of at most `width` characters: "|" ends a line, long
// lines break between words (a word longer than the line is cut).
std::vector<std::string> wrapLines(const std::string& text, size_t width) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    size_t end = text.find_first_of("|\n", start);
    std::string_view rest = std::string_view(text).substr(start, end - start);
    do {
      size_t take = rest.size();
      if (take > width) {
        size_t blank = rest.substr(0, width + 1).rfind(' ');
        take = blank == 0 || blank == rest.npos ? width : blank;
      }
      lines.emplace_back(rest.substr(0, take));
      rest.remove_prefix(take);
      while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    } while (!rest.empty());
    if (end == text.npos) break;
    start = end + 1;
  }
  return lines;
}

// Shows the message in the TEXT control, growing the box downwards when the
// text needs more lines than the control has.
void placeMessage(ui::Window& window, ui::Control& message, const std::string& text) {
  const ui::Rect cells = ui::unitsToCells(message.rect);
  const int frame = cells.height >= 3 && cells.width >= 3 ? 2 : 0;
  std::vector<std::string> lines =
      wrapLines(text, static_cast<size_t>(std::max(1, cells.width - frame)));
  if (lines.size() > kMostMessageLines) lines.resize(kMostMessageLines);
  std::string shown;
  for (const std::string& line : lines) shown += (shown.empty() ? "" : "\n") + line;
  message.bind({[shown] { return shown; }, [](const std::string&) {}});
  message.display();

  const int missing = static_cast<int>(lines.size()) - (cells.height - frame);
  if (missing <= 0) return;
  const int grow = missing * ui::kUnitsPerCellY;
  const int below = message.rect.y + message.rect.height;
  for (const auto& control : window.controls()) {
    if (control->rect.y >= below) control->rect.y += grow;
  }
  message.rect.height += grow;
  window.rect.height += grow;
  const ui::Rect desktop = ui::desktopArea();
  window.rect.y = desktop.y + std::max(0, (desktop.height - window.rect.height) / 2);
  window.restoreRect = window.rect;
}

// The history as the list shows it: text (field 1), level (2), number (3).
constexpr uint32_t kHistoryTextSize = 1024;
struct HistoryRows {
  Queue queue{{makeField("TEXT", kString, 0, kHistoryTextSize),
               makeField("LEVEL", kByte, kHistoryTextSize, 1),
               makeField("ID", kLong, kHistoryTextSize + 1, 4)},
              kHistoryTextSize + 5};

  explicit HistoryRows(const std::vector<ErrorHistoryEntry>& history) {
    std::vector<uint8_t> record(queue.recordLength());
    for (const ErrorHistoryEntry& entry : history) {
      std::fill(record.begin(), record.begin() + kHistoryTextSize, ' ');
      std::memcpy(record.data(), entry.text.data(),
                  std::min<size_t>(entry.text.size(), kHistoryTextSize));
      record[kHistoryTextSize] = entry.level;
      const int32_t id = entry.id;
      std::memcpy(record.data() + kHistoryTextSize + 1, &id, sizeof id);
      queue.add(record.data());
    }
  }
};

}  // namespace

unsigned declineButton(unsigned buttons) {
  if (buttons & Button::Cancel) return Button::Cancel;
  if (buttons & Button::No) return Button::No;
  return Button::Ok;
}

std::optional<unsigned> runErrorBox(const ErrorBoxRequest& request,
                                    const std::function<void()>& viewHistory) {
  std::unique_ptr<ui::Window> window = buildErrorWindow("$MSGWINDOW");
  ui::Control* message = window ? window->find("?MESSAGE") : nullptr;
  ui::Control* history = window ? window->find("?HISTORY") : nullptr;
  if (!message || !history) return std::nullopt;

  window->title = request.title;
  if (ui::Control* icon = window->find("?ICON")) {
    icon->setProperty(ui::PROP::Icon, std::to_string(request.icon));
  }
  const unsigned buttons = request.buttons ? request.buttons : Button::Ok;
  const unsigned chosen = request.defaultButton & buttons ? request.defaultButton : 0;
  std::vector<std::pair<ui::Control*, unsigned>> shown;
  for (const BoxButton& box : kBoxButtons) {
    ui::Control* control = window->find(box.use);
    if (!control) continue;
    control->hidden = (buttons & box.button) == 0;
    control->isDefault = false;
    if (!control->hidden) shown.emplace_back(control, box.button);
  }
  if (shown.empty()) return std::nullopt;
  const int right = window->find("?OK") ? window->find("?OK")->rect.x : 212;
  for (size_t i = 0; i < shown.size(); ++i) {
    shown[i].first->rect.x = right - kButtonStep * static_cast<int>(shown.size() - 1 - i);
  }
  auto preferred = std::find_if(shown.begin(), shown.end(),
                                [&](const auto& entry) { return entry.second == chosen; });
  if (preferred == shown.end()) preferred = shown.begin();
  preferred->first->isDefault = true;
  window->focus = preferred->first->field();
  history->hidden = !request.offerHistory;
  placeMessage(*window, *message, request.text);

  window->open();
  std::optional<unsigned> answer;
  while (ui::accept()) {
    if (ui::event() == ui::EVENT::Accepted) {
      const int field = ui::field();
      if (field == history->field()) {
        if (viewHistory) viewHistory();
        continue;
      }
      for (const auto& [control, button] : shown) {
        if (control->field() == field && !answer) {
          answer = button;
          ui::post(ui::EVENT::CloseWindow);
        }
      }
    } else if (ui::event() == ui::EVENT::CloseWindow && !answer) {
      answer = declineButton(buttons);
    }
  }
  if (window->isOpen()) window->close();
  return answer.value_or(declineButton(buttons));
}

bool runErrorHistory(const std::vector<ErrorHistoryEntry>& history) {
  std::unique_ptr<ui::Window> window = buildErrorWindow("$HISTORYWINDOW");
  auto* list = window ? dynamic_cast<ui::ListControl*>(window->find("?LIST")) : nullptr;
  ui::Control* close = window ? window->find("?CLOSE") : nullptr;
  if (!list || !close) return false;
  HistoryRows rows(history);
  list->setQueue(&rows.queue);
  window->focus = list->field();
  window->open();
  while (ui::accept()) {
    if (ui::event() == ui::EVENT::Accepted && ui::field() == close->field()) {
      ui::post(ui::EVENT::CloseWindow);
    }
  }
  if (window->isOpen()) window->close();
  return true;
}

}  // namespace zor::fw
