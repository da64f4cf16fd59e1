#pragma once
// The window resizer: moves and sizes the controls of a resizable window
// when the window's size changes, so that a layout designed at one size
// stays usable at any other. For each control it keeps the designed
// rectangle and two strategies, one for the position (the low byte rules
// across, the high byte down) and one for the size (bits); the application
// strategy chooses the defaults by control type, and SetControlStrategy
// overrides single controls.
//
//   WindowResizer resizer;           // lives as long as the procedure
//   ... OpenWindow() ...
//   resizer.Bind(AppStrategy::Grow, 0, 0);
//   RegisterComponent(resizer);      // resizes on Sized, Restored, Maximized
//   RESIZE = &resizer;               // and GainFocus
//
// Controls inside a sheet, tab, option or group are laid out within their
// parent as top-level controls are within the window; every control stays
// inside its parent and inside the window at any size, never smaller than
// one unit.

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "framework/window_component.h"
#include "ui/geometry.h"

namespace zor::ui {
class Window;
}

namespace zor::fw {

// The application strategies: which defaults each control type gets.
namespace AppStrategy {
inline constexpr uint8_t Scale = 1;   // positions scale, buttons keep to the nearest edge
inline constexpr uint8_t Grow = 2;    // fields widen, lists and groups grow with the window
inline constexpr uint8_t Keep = 3;    // nothing moves
inline constexpr uint8_t Anchor = 4;  // offsets stay, lists, groups and texts grow
inline constexpr uint8_t Centre = 5;  // the whole layout stays centred
}  // namespace AppStrategy

// Positional rules. Across: the low byte; down: the same values times 256.
namespace Position {
inline constexpr uint16_t Proportional = 0;
inline constexpr uint16_t Fixed = 1;
inline constexpr uint16_t FarEdge = 2;   // right (bottom)
inline constexpr uint16_t NearEdge = 4;  // left (top)
inline constexpr uint16_t Centre = 8;
inline constexpr uint16_t NearestEdge = 16;
inline constexpr uint16_t CentredInSpace = 32;
inline constexpr uint16_t Down = 256;  // multiplier for the vertical rule
}  // namespace Position

// Resize strategy bits.
namespace Sizing {
inline constexpr uint16_t LockWidth = 1;
inline constexpr uint16_t LockHeight = 2;
inline constexpr uint16_t ConstantRight = 4;
inline constexpr uint16_t ConstantBottom = 8;
inline constexpr uint16_t HalfRight = 16;
inline constexpr uint16_t HalfBottom = 32;
}  // namespace Sizing

struct ResizerRect {
  int32_t XPos = 0;
  int32_t YPos = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  bool operator==(const ResizerRect&) const = default;
};

struct ResizerWindow {
  int32_t XPos = 0;
  int32_t YPos = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  uint8_t Maximized = 0;
  uint8_t Iconized = 0;
};

// One control that takes part.
struct ResizerControl {
  int32_t ID = 0;
  int32_t Type = 0;  // control type code (framework/control_types.h)
  uint8_t HasChildren = 0;
  uint16_t PositionalStrategy = 0;
  uint16_t ResizeStrategy = 0;
  ResizerRect Pos;       // as designed
  int32_t ParentID = 0;  // the containing control, 0 for the window
};

// One control's move in a resize.
struct ResizerMove {
  int32_t Priority = 0;  // the control's depth: parents before children
  int32_t ControlID = 0;
  int32_t Type = 0;
  ResizerRect Before;
  ResizerRect After;
};

// The default strategies of a control type under an application strategy.
struct ResizerDefaults {
  uint16_t PositionalStrategy = 0;
  uint16_t ResizeStrategy = 0;
};
ResizerDefaults defaultStrategies(uint8_t appStrategy, int32_t type);

class WindowResizer : public WindowComponent {
 public:
  WindowResizer();
  ~WindowResizer() override;

  // Takes the active window as designed and adds every control that takes
  // part, with the defaults of `appStrategy`; a control already added is
  // left as it is. When the window is no longer at its designed size (its
  // place was restored), the controls are laid out for its size at once.
  void Bind(uint8_t appStrategy, uint8_t autoTransparent = 0, uint8_t deferMoves = 0);
  // Overrides the strategies of a control that takes part; false otherwise.
  bool SetControlStrategy(int control, uint16_t positional, uint16_t resize);
  // Lays the controls out for the window's current size.
  void Resize();
  // Puts every control back at its designed rectangle.
  void Restore();

  // WindowComponent.
  uint8_t TakeEvent() override;
  void Release() override;

  // Fields, in order.
  uint8_t AppStrategy = 0;
  uint8_t AutoTransparent = 0;  // kept; nothing shows through a character cell
  ResizerWindow OrigWin;
  std::unique_ptr<std::vector<ResizerControl>> ControlQueue;
  uint8_t DeferMoves = 0;
  ResizerRect PreviousWin;
  uint8_t ResizeCalled = 0;
  std::unique_ptr<std::vector<ResizerMove>> ResizeList;

 private:
  // The designed and the current rectangle of the area a control is laid
  // out in: its parent's, or the window's client area.
  struct Frame {
    ui::Rect designed;
    ui::Rect now;
  };
  Frame frameOf(int32_t parent) const;
  ui::Rect computeMove(const ResizerControl& entry, const Frame& frame) const;
  void apply(const ResizerMove& move) const;
  // Whether the window bound is still open.
  bool open() const;

  ui::Window* window_ = nullptr;
  uint32_t handle_ = 0;
  // The designed rectangle of every control at Bind, for children laid out
  // within parents that take no part themselves (tabs, controls left alone).
  std::map<int32_t, ui::Rect> designed_;
};

}  // namespace zor::fw
