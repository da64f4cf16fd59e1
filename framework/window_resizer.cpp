#include "framework/window_resizer.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "framework/control_types.h"
#include "framework/error_reporter.h"
#include "ui/base/event_numbers.h"
#include "ui/control.h"
#include "ui/properties.h"
#include "ui/sheet_control.h"
#include "ui/statements.h"
#include "ui/thread_state.h"
#include "ui/window.h"

namespace zor::fw {
namespace {

constexpr uint16_t across(uint16_t rule) {
  return rule;
}
constexpr uint16_t down(uint16_t rule) {
  return static_cast<uint16_t>(rule * Position::Down);
}

// Types that never take part: menus, their items, the menu bar and the
// application frame (kinds this window system has no controls for), the
// window itself, and the tabs of a sheet, whose bodies follow their sheet.
constexpr int32_t kExcludedTypes[] = {19, 20, 22, 24, ControlType::Window, ControlType::Tab};
constexpr int32_t kLastType = 127;

struct DefaultRow {
  uint8_t strategy;
  std::vector<int32_t> types;  // empty: every type
  ResizerDefaults defaults;
};

const std::vector<DefaultRow>& defaultTable() {
  using namespace Position;
  using namespace Sizing;
  constexpr uint16_t nearest = across(NearestEdge) | down(NearestEdge);
  constexpr uint16_t anchored = across(NearEdge) | down(NearEdge);
  constexpr uint16_t locked = LockWidth | LockHeight;
  constexpr uint16_t grows = ConstantRight | ConstantBottom;
  static const std::vector<DefaultRow> rows = {
      {1, {9, 12, 21}, {nearest, locked}},
      {1, {8, 15, 16, 34}, {0, LockHeight}},
      {2, {1, 2, 8, 10, 15, 16, 34}, {down(NearEdge), LockHeight}},
      {2, {3, 4, 11, 13, 14, 37, 39}, {anchored, grows}},
      {2, {9, 12, 21}, {nearest, locked}},
      {3, {}, {across(Fixed) | down(Fixed), locked}},
      {4, {1, 2, 10}, {anchored, locked}},
      {4, {3, 4, 11, 13, 14, 17, 37, 39}, {anchored, grows}},
      {4, {8, 15, 16, 34}, {anchored, LockHeight | ConstantRight}},
      {4, {9, 12, 21}, {nearest, locked}},
      {5, {}, {across(Centre) | down(Centre), locked}},
  };
  return rows;
}

// One axis of a control's rule: its positional rule and its size bits.
struct AxisRule {
  uint16_t rule;
  bool lock;      // keep the designed size
  bool farEdge;   // the far margin stays: the size follows
  bool halfGrow;  // the size grows by half the frame's growth
};

// One axis of the area a control lies in, and of the control in it: its
// designed offset from the area's near edge and its designed size.
struct AxisFrame {
  double designedLength;
  double start;
  double length;
};

struct AxisPlace {
  double position;
  double size;
};

// The nearest-edge rule becomes the near or the far edge; of several rules
// the first in the order of the table wins.
uint16_t resolveRule(uint16_t rule, double offset, double size0, double designedLength) {
  using namespace Position;
  if (rule & NearestEdge) return offset < designedLength - (offset + size0) ? NearEdge : FarEdge;
  for (uint16_t bit : {Fixed, FarEdge, NearEdge, Centre, CentredInSpace}) {
    if (rule & bit) return bit;
  }
  return Proportional;
}

AxisPlace layoutAxis(const AxisRule& axis, double offset, double size0, const AxisFrame& frame) {
  const double growth = frame.designedLength > 0 ? frame.length / frame.designedLength : 1.0;
  const bool sizedByMargin = axis.farEdge || axis.halfGrow;
  double size = axis.lock || sizedByMargin ? size0 : size0 * growth;
  const double scale = axis.lock ? 1.0 : growth;
  double position = frame.start + offset * growth;
  switch (resolveRule(axis.rule, offset, size0, frame.designedLength)) {
    case Position::Fixed:
    case Position::NearEdge:
      position = frame.start + offset;
      break;
    case Position::FarEdge:
      position = frame.start + frame.length - (frame.designedLength - offset) * scale;
      break;
    case Position::Centre:
      position = frame.start + frame.length / 2 - (frame.designedLength / 2 - offset) * scale;
      break;
    case Position::CentredInSpace:
      // The control's centre keeps its place relative to the frame.
      position = frame.start + (offset + size0 / 2) * growth - size / 2;
      break;
    default:
      break;
  }
  const double farEnd = frame.start + frame.length;
  if (axis.farEdge) {
    size = farEnd + offset + size0 - frame.designedLength - position;
  } else if (axis.halfGrow) {
    size = (farEnd + offset - frame.designedLength - position) / 2 + size0;
  }
  return {position, size};
}

// Whole units, kept within a range no window reaches.
int32_t wholeUnits(double value) {
  constexpr double kLimit = 1e9;
  return static_cast<int32_t>(std::lround(std::clamp(value, -kLimit, kLimit)));
}

ui::Rect toRect(const ResizerRect& r) {
  return {r.XPos, r.YPos, r.Width, r.Height};
}

ResizerRect fromRect(const ui::Rect& r) {
  return {r.x, r.y, r.width, r.height};
}

bool excluded(int32_t type) {
  return type < 1 || type > kLastType ||
         std::find(std::begin(kExcludedTypes), std::end(kExcludedTypes), type) !=
             std::end(kExcludedTypes);
}

// The window's normal place: the one it returns to from maximised or iconised.
ui::Rect normalRect(const ui::Window& window) {
  return window.show == ui::WindowShow::Normal ? window.rect : window.restoreRect;
}

}  // namespace

ResizerDefaults defaultStrategies(uint8_t appStrategy, int32_t type) {
  for (const DefaultRow& row : defaultTable()) {
    if (row.strategy != appStrategy) continue;
    if (row.types.empty() ||
        std::find(row.types.begin(), row.types.end(), type) != row.types.end()) {
      return row.defaults;
    }
  }
  return {};
}

WindowResizer::WindowResizer() = default;
WindowResizer::~WindowResizer() = default;

void WindowResizer::Bind(uint8_t appStrategy, uint8_t autoTransparent, uint8_t deferMoves) {
  window_ = ui::activeWindow();
  if (window_ == nullptr) return;
  handle_ = window_->handle();
  AppStrategy = appStrategy;
  AutoTransparent = autoTransparent;
  DeferMoves = deferMoves;
  // The controls are placed for the size the definition gives, whatever
  // size the window was given since it opened.
  const ui::Rect normal = normalRect(*window_);
  const bool defined = window_->designed.width > 0 && window_->designed.height > 0;
  OrigWin.XPos = window_->rect.x;
  OrigWin.YPos = window_->rect.y;
  OrigWin.Width = defined ? window_->designed.width : normal.width;
  OrigWin.Height = defined ? window_->designed.height : normal.height;
  OrigWin.Maximized = window_->show == ui::WindowShow::Maximized ? 1 : 0;
  OrigWin.Iconized = window_->show == ui::WindowShow::Iconized ? 1 : 0;
  PreviousWin = {OrigWin.XPos, OrigWin.YPos, OrigWin.Width, OrigWin.Height};
  if (!ControlQueue) ControlQueue = std::make_unique<std::vector<ResizerControl>>();
  if (!ResizeList) ResizeList = std::make_unique<std::vector<ResizerMove>>();

  for (const auto& control : window_->controls()) {
    designed_.emplace(control->field(), control->rect);
    const bool queued =
        std::any_of(ControlQueue->begin(), ControlQueue->end(),
                    [&](const ResizerControl& e) { return e.ID == control->field(); });
    if (queued || ui::flagValue(control->property(ui::PROP::KeepPlace))) continue;
    int32_t type = controlTypeOf(control->kind());
    if (type == ControlType::List && dropsDown(*control)) type = ControlType::Entry;
    if (excluded(type)) continue;
    const ResizerDefaults defaults = defaultStrategies(AppStrategy, type);
    ControlQueue->push_back({control->field(), type, 0, defaults.PositionalStrategy,
                             defaults.ResizeStrategy, fromRect(control->rect), control->parent});
  }
  for (ResizerControl& entry : *ControlQueue) {
    entry.HasChildren = std::any_of(window_->controls().begin(), window_->controls().end(),
                                    [&](const auto& c) { return c->parent == entry.ID; })
                            ? 1
                            : 0;
  }
  const ui::Rect now = window_->rect;
  if (window_->show != ui::WindowShow::Iconized &&
      (now.width != OrigWin.Width || now.height != OrigWin.Height)) {
    Resize();
  }
}

bool WindowResizer::SetControlStrategy(int control, uint16_t positional, uint16_t resize) {
  if (!ControlQueue) return false;
  for (ResizerControl& entry : *ControlQueue) {
    if (entry.ID != control) continue;
    entry.PositionalStrategy = positional;
    entry.ResizeStrategy = resize;
    return true;
  }
  return false;
}

WindowResizer::Frame WindowResizer::frameOf(int32_t parent) const {
  if (parent == 0 || window_->control(parent) == nullptr) {
    return {{0, 0, OrigWin.Width, OrigWin.Height},
            {0, 0, window_->rect.width, window_->rect.height}};
  }
  const ui::Control& control = *window_->control(parent);
  auto designed = designed_.find(parent);
  Frame frame{designed != designed_.end() ? designed->second : control.rect, control.rect};
  // Moved in this resize already, or about to be when the moves are
  // deferred.
  auto movedTo = [this](int32_t field, ui::Rect now) {
    for (const ResizerMove& move : *ResizeList) {
      if (move.ControlID == field) now = toRect(move.After);
    }
    return now;
  };
  frame.now = movedTo(parent, control.rect);
  if (control.kind() == ui::ControlKind::Tab) {
    // A tab's body follows its sheet; a sheet too small for a body holds
    // the tab's controls in what there is of it.
    if (const ui::Control* sheet = window_->control(control.parent)) {
      const ui::Rect sheetNow = movedTo(sheet->field(), sheet->rect);
      frame.now = ui::tabBody(sheetNow);
      if (frame.now.width <= 0 || frame.now.height <= 0) frame.now = sheetNow;
    }
  }
  return frame;
}

ui::Rect WindowResizer::computeMove(const ResizerControl& entry, const Frame& frame) const {
  const uint16_t positional = entry.PositionalStrategy;
  const uint16_t resize = entry.ResizeStrategy;
  const AxisRule acrossRule{
      static_cast<uint16_t>(positional & 0xFF), (resize & Sizing::LockWidth) != 0,
      (resize & Sizing::ConstantRight) != 0, (resize & Sizing::HalfRight) != 0};
  const AxisRule downRule{
      static_cast<uint16_t>(positional >> 8), (resize & Sizing::LockHeight) != 0,
      (resize & Sizing::ConstantBottom) != 0, (resize & Sizing::HalfBottom) != 0};
  const AxisPlace x =
      layoutAxis(acrossRule, entry.Pos.XPos - frame.designed.x, entry.Pos.Width,
                 {static_cast<double>(frame.designed.width), static_cast<double>(frame.now.x),
                  static_cast<double>(frame.now.width)});
  const AxisPlace y =
      layoutAxis(downRule, entry.Pos.YPos - frame.designed.y, entry.Pos.Height,
                 {static_cast<double>(frame.designed.height), static_cast<double>(frame.now.y),
                  static_cast<double>(frame.now.height)});
  const ui::Rect placed{wholeUnits(x.position), wholeUnits(y.position), wholeUnits(x.size),
                        wholeUnits(y.size)};
  // Inside the parent (or the window) at any size, and never empty.
  return ui::fitInside(placed, frame.now);
}

void WindowResizer::apply(const ResizerMove& move) const {
  ui::Control* control = window_->control(move.ControlID);
  if (control == nullptr) return;
  control->setProperty(ui::PROP::Xpos, std::to_string(move.After.XPos));
  control->setProperty(ui::PROP::Ypos, std::to_string(move.After.YPos));
  control->setProperty(ui::PROP::Width, std::to_string(move.After.Width));
  control->setProperty(ui::PROP::Height, std::to_string(move.After.Height));
}

void WindowResizer::Resize() {
  if (ResizeCalled != 0 || !open() || !ControlQueue) return;
  if (window_->show == ui::WindowShow::Iconized) return;
  ResizeCalled = 1;
  ResizeList->clear();
  // Parents before children: by depth, in the queue's order within a depth.
  const int limit = static_cast<int>(window_->controls().size());
  std::vector<std::pair<int32_t, const ResizerControl*>> order;
  for (const ResizerControl& entry : *ControlQueue) {
    int32_t depth = 0;
    for (const ui::Control* at = window_->control(entry.ParentID); at != nullptr && depth < limit;
         at = window_->control(at->parent)) {
      ++depth;
    }
    order.emplace_back(depth, &entry);
  }
  std::stable_sort(order.begin(), order.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [depth, entry] : order) {
    const ui::Control* control = window_->control(entry->ID);
    if (control == nullptr) continue;
    const ui::Rect after = computeMove(*entry, frameOf(entry->ParentID));
    ResizeList->push_back(
        {depth, entry->ID, entry->Type, fromRect(control->rect), fromRect(after)});
    if (DeferMoves == 0) apply(ResizeList->back());
  }
  if (DeferMoves != 0) {
    for (const ResizerMove& move : *ResizeList) apply(move);
  }
  PreviousWin = fromRect(window_->rect);
  ResizeCalled = 0;
}

void WindowResizer::Restore() {
  if (!open() || !ControlQueue) return;
  for (const ResizerControl& entry : *ControlQueue) {
    apply({0, entry.ID, entry.Type, entry.Pos, entry.Pos});
  }
}

uint8_t WindowResizer::TakeEvent() {
  if (!open() || ui::activeWindow() != window_ || ui::field() != 0) {
    return Level::Benign;
  }
  switch (ui::event()) {
    case ui::EVENT::GainFocus:
    case ui::EVENT::Sized:
    case ui::EVENT::Restored:
    case ui::EVENT::Maximized:
      Resize();
      break;
    default:
      break;
  }
  return Level::Benign;
}

bool WindowResizer::open() const {
  // Found among the thread's open windows by its handle, so that a window
  // closed without Release is never touched.
  return window_ != nullptr && ui::ownWindow(handle_) == window_;
}

void WindowResizer::Release() {
  window_ = nullptr;
  handle_ = 0;
  ControlQueue.reset();
  ResizeList.reset();
  designed_.clear();
}

}  // namespace zor::fw
