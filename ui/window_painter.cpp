#include "ui/window_painter.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "ui/button_control.h"
#include "ui/definition/definition_kinds.h"
#include "ui/edit_control.h"
#include "ui/hot_key_text.h"
#include "ui/row_control.h"
#include "ui/sheet_control.h"
#include "ui/wait_cursor.h"
#include "ui/window.h"
#include "ui/window_input.h"

namespace zor::ui {
namespace {

struct Painter {
  Canvas& canvas;
  const Window& window;
  Cell client;  // the client area's top-left cell on the canvas

  Rect cellsOf(const Control& control) const {
    Rect cells = controlCells(control);
    return {cells.x + client.x, cells.y + client.y, cells.width, cells.height};
  }

  CellStyle styleOf(const Control& control, CellStyle normal) const {
    if (!isUsable(window, control)) return CellStyle::Disabled;
    if (window.focus == control.field()) return CellStyle::Focused;
    return normal;
  }

  // A caption with its "&" marks removed and the hot key letter marked.
  void caption(int x, int y, const Control& control, CellStyle style, int maxWidth) {
    writeWithHotKey(canvas, x, y, control.text, style, maxWidth);
  }

  void framed(const Rect& cells, const Control& control) {
    if (cells.height < 2) {
      caption(cells.x, cells.y, control, styleOf(control, CellStyle::Normal), cells.width);
      return;
    }
    canvas.frame(cells);
    if (!control.text.empty()) {
      // "+- Caption ---+", as the window's own title.
      int shown = std::min<int>(static_cast<int>(control.shownCaption().size()), cells.width - 6);
      if (shown > 0) {
        canvas.put(cells.x + 2, cells.y, ' ', CellStyle::Frame);
        caption(cells.x + 3, cells.y, control, styleOf(control, CellStyle::Normal), shown);
        canvas.put(cells.x + 3 + shown, cells.y, ' ', CellStyle::Frame);
      }
    }
  }

  void entry(const Rect& cells, const EditControl& edit) {
    bool focused = window.focus == edit.field();
    std::string shown = edit.shownText(focused);
    CellStyle style = styleOf(edit, CellStyle::Field);
    if (cells.width < 3) {
      canvas.write(cells.x, cells.y, shown, style, cells.width);
      return;
    }
    int room = cells.width - 2;
    size_t offset = 0;
    if (focused && static_cast<int>(edit.cursor()) >= room)
      offset = edit.cursor() - static_cast<size_t>(room) + 1;
    canvas.put(cells.x, cells.y, '[', style);
    canvas.fill({cells.x + 1, cells.y, room, 1}, ' ', style);
    canvas.write(cells.x + 1, cells.y,
                 std::string_view(shown).substr(std::min(offset, shown.size())), style, room);
    canvas.put(cells.x + cells.width - 1, cells.y, ']', style);
    if (focused)
      canvas.setCursor({cells.x + 1 + static_cast<int>(edit.cursor() - offset), cells.y});
  }

  void textBox(const Rect& cells, const EditControl& edit) {
    bool focused = window.focus == edit.field();
    std::string shown = edit.shownText(focused);
    Rect inside = cells;
    if (cells.height >= 3 && cells.width >= 3) {
      canvas.frame(cells);
      inside = {cells.x + 1, cells.y + 1, cells.width - 2, cells.height - 2};
    }
    CellStyle style = styleOf(edit, CellStyle::Field);
    canvas.fill(inside, ' ', style);
    std::vector<std::string> lines(1);
    size_t cursorLine = 0, cursorColumn = 0;
    for (size_t i = 0; i <= shown.size(); ++i) {
      if (i == edit.cursor()) {
        cursorLine = lines.size() - 1;
        cursorColumn = lines.back().size();
      }
      if (i == shown.size()) break;
      if (shown[i] == '\n') {
        lines.emplace_back();
      } else {
        lines.back() += shown[i];
      }
    }
    size_t first = focused && cursorLine >= static_cast<size_t>(inside.height)
                       ? cursorLine - static_cast<size_t>(inside.height) + 1
                       : 0;
    for (int line = 0; line < inside.height && first + static_cast<size_t>(line) < lines.size();
         ++line) {
      canvas.write(inside.x, inside.y + line, lines[first + static_cast<size_t>(line)], style,
                   inside.width);
    }
    if (focused) {
      canvas.setCursor({inside.x + static_cast<int>(cursorColumn),
                        inside.y + static_cast<int>(cursorLine - first)});
    }
  }

  void button(const Rect& cells, const ButtonControl& button) {
    CellStyle style = styleOf(button, button.isDefault ? CellStyle::Default : CellStyle::Normal);
    if (button.kind() == ControlKind::Check || button.kind() == ControlKind::Radio) {
      bool radio = button.kind() == ControlKind::Radio;
      std::string mark =
          radio ? (button.checked() ? "(*)" : "( )") : (button.checked() ? "[X]" : "[ ]");
      canvas.write(cells.x, cells.y, mark, style, cells.width);
      if (cells.width > 4) caption(cells.x + 4, cells.y, button, style, cells.width - 4);
      if (window.focus == button.field()) canvas.setCursor({cells.x + 1, cells.y});
      return;
    }
    std::string label = button.shownCaption();
    int length = static_cast<int>(label.size()) + 4;
    int x = cells.x + std::max(0, (cells.width - length) / 2);
    int y = cells.y + (cells.height - 1) / 2;
    canvas.write(x, y, button.isDefault ? "[>" : "[ ", style);
    caption(x + 2, y, button, style, static_cast<int>(label.size()));
    canvas.write(x + 2 + static_cast<int>(label.size()), y, button.isDefault ? "<]" : " ]", style);
    if (window.focus == button.field()) canvas.setCursor({x + 2, y});
  }

  void sheet(const Rect& cells, const SheetControl& sheet) {
    if (cells.height > 1) canvas.frame({cells.x, cells.y + 1, cells.width, cells.height - 1});
    for (const SheetControl::Header& header : sheet.headers()) {
      bool chosen = header.tab == sheet.selectedTab();
      CellStyle style = !header.tab->enabled ? CellStyle::Disabled
                        : chosen             ? CellStyle::Selected
                                             : CellStyle::Normal;
      int x = cells.x + header.x;
      canvas.put(x, cells.y, chosen ? '[' : ' ', style);
      caption(x + 1, cells.y, *header.tab, style, header.width - 2);
      canvas.put(x + header.width - 1, cells.y, chosen ? ']' : ' ', style);
    }
  }

  void list(const Rect& cells, const ListControl& list) {
    canvas.frame(cells, styleOf(list, CellStyle::Frame));
    if (cells.width < 3 || cells.height < 3) return;
    ListCells rows;
    list.render(rows);
    bool focused = window.focus == list.field();
    for (int y = 0; y < rows.height() && y < cells.height - 2; ++y) {
      bool chosenLine = false;
      for (int x = 0; x < rows.width() && x < cells.width - 2; ++x) {
        const ListCell* cell = rows.at(x, y);
        CellStyle style = CellStyle::Normal;
        if (cell->marks & (CellMark::Header | CellMark::GroupHeader)) style = CellStyle::Title;
        if (cell->marks & CellMark::Selected) {
          style = CellStyle::Selected;
          chosenLine = true;
        }
        canvas.put(cells.x + 1 + x, cells.y + 1 + y, cell->ch, style);
      }
      if (chosenLine) {
        canvas.put(cells.x, cells.y + 1 + y, '>', styleOf(list, CellStyle::Selected));
        if (focused) canvas.setCursor({cells.x + 1, cells.y + 1 + y});
      }
    }
    if (std::optional<ListScrollBar> bar = list.scrollBar()) scrollBar(cells, *bar, list);
  }

  // Arrows at the ends, the track between them and the thumb on it.
  void scrollBar(const Rect& cells, const ListScrollBar& bar, const ListControl& list) {
    int x = cells.x + cells.width - 2;
    CellStyle style = styleOf(list, CellStyle::Frame);
    for (int y = 0; y < bar.length && y < cells.height - 2; ++y) {
      char ch = y == 0 ? '^' : y == bar.length - 1 ? 'v' : y == bar.thumb ? '#' : ':';
      canvas.put(x, cells.y + 1 + y, ch, y == bar.thumb ? CellStyle::Selected : style);
    }
  }

  void control(const Control& control) {
    Rect cells = cellsOf(control);
    switch (control.kind()) {
      case ControlKind::Prompt:
      case ControlKind::String:
        caption(cells.x, cells.y, control, styleOf(control, CellStyle::Normal), cells.width);
        return;
      case ControlKind::Option:
      case ControlKind::Group:
      case ControlKind::Box:
      case ControlKind::Panel:
      case ControlKind::Ellipse:
      case ControlKind::Image:
        framed(cells, control);
        return;
      case ControlKind::Line:
        if (cells.height <= 1) {
          canvas.fill({cells.x, cells.y, cells.width, 1}, '-', CellStyle::Frame);
        } else {
          canvas.fill({cells.x, cells.y, 1, cells.height}, '|', CellStyle::Frame);
        }
        return;
      default:
        break;
    }
    if (auto* edit = dynamic_cast<const EditControl*>(&control)) {
      edit->multiLine() ? textBox(cells, *edit) : entry(cells, *edit);
    } else if (auto* pressable = dynamic_cast<const ButtonControl*>(&control)) {
      button(cells, *pressable);
    } else if (auto* tabs = dynamic_cast<const SheetControl*>(&control)) {
      sheet(cells, *tabs);
    } else if (auto* rows = dynamic_cast<const ListControl*>(&control)) {
      list(cells, *rows);
    }
  }
};

}  // namespace

Rect windowCells(const Window& window) {
  return frameCells(window.rect);
}

Rect frameCells(const Rect& units) {
  Rect client = unitsToCells(units);
  return {client.x, client.y, client.width + 2, client.height + 2};
}

void paintWindow(Canvas& canvas, const Window& window, Cell origin) {
  Rect outer = windowCells(window);
  outer.x = origin.x;
  outer.y = origin.y;
  canvas.resetClip();
  canvas.fill(outer, ' ');
  canvas.frame(outer);
  // The wait cursor shows as a mark at the right of the top edge.
  constexpr std::string_view busy = " Busy ";
  const int busyWidth = static_cast<int>(busy.size());
  const bool markBusy = showsWaitCursor(window) && outer.width >= busyWidth + 4;
  if (!window.title.empty() && outer.width > 6) {
    std::string title = " " + window.title + " ";
    canvas.write(outer.x + 2, outer.y, title, CellStyle::Title,
                 std::max(0, outer.width - 4 - (markBusy ? busyWidth + 1 : 0)));
  }
  if (markBusy) {
    canvas.write(outer.x + outer.width - 2 - busyWidth, outer.y, busy, CellStyle::Title);
  }
  Cell client = clientOrigin(origin);
  Painter painter{canvas, window, client};
  for (const auto& control : window.controls()) {
    if (!isShowing(window, *control)) continue;
    canvas.setClip({client.x, client.y, outer.width - 2, outer.height - 2});
    painter.control(*control);
  }
  canvas.resetClip();
}

Canvas paintWindow(const Window& window) {
  // A window larger than any screen is shown cut at this size, as a
  // terminal would cut it.
  constexpr int kMostColumns = 1024;
  constexpr int kMostRows = 512;
  Rect outer = windowCells(window);
  Canvas canvas(std::min(outer.width, kMostColumns), std::min(outer.height, kMostRows));
  paintWindow(canvas, window, {0, 0});
  return canvas;
}

}  // namespace zor::ui
