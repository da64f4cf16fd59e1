#pragma once
// The toolbar of a window: its standard buttons (requests 3001–3013) act
// on whichever target has the focus, a browse or a plain list. A request
// arrives as the Accepted event of the button's number (a window without
// those buttons may post the event itself, as edit in place does to move to
// the next row); the toolbar hands it to the current target and keeps the
// buttons enabled to match it.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zor::fw {

// The standard toolbar requests.
namespace ToolbarRequest {
inline constexpr int Insert = 3001;
inline constexpr int Change = 3002;
inline constexpr int Delete = 3003;
inline constexpr int Select = 3004;
inline constexpr int Bottom = 3005;  // last page
inline constexpr int Top = 3006;     // first page
inline constexpr int PageDown = 3007;
inline constexpr int PageUp = 3008;
inline constexpr int Down = 3009;  // next record
inline constexpr int Up = 3010;    // prior record
inline constexpr int Locate = 3011;
inline constexpr int History = 3012;
inline constexpr int Help = 3013;
inline constexpr int First = Insert;
inline constexpr int Last = Help;
}  // namespace ToolbarRequest

constexpr bool isToolbarRequest(int control) {
  return control >= ToolbarRequest::First && control <= ToolbarRequest::Last;
}

class Toolbar;

// What the toolbar acts on.
class ToolbarTarget {
 public:
  virtual ~ToolbarTarget() = default;
  // The target's control (its list); the toolbar follows the focus to it.
  virtual int Control() const = 0;
  virtual void HandleToolbar(int request) = 0;
  // Enables the toolbar's buttons to match the target.
  virtual void RefreshButtons(Toolbar& toolbar) = 0;
};

class Toolbar {
 public:
  // The tip table in its stored layout: a u16 count, then per entry a u16
  // request and a length-prefixed text.
  static const std::vector<uint8_t>& TipTable();
  // The tips of the table, in its order.
  static std::vector<std::pair<int, std::string>> Tips();

  void Bind();
  void Release();
  // Adds a target; the first one added is current until the focus moves.
  void RegisterTarget(ToolbarTarget& target);
  // The target whose control is `control` becomes current (when there is one).
  void SetTarget(int control);
  ToolbarTarget* CurrentTarget() const { return current_; }
  // A toolbar request: handed to the current target. False when it is no
  // toolbar request or there is no target.
  bool HandleEvent(int request);
  void RefreshButtons();

  // The buttons' state as the targets set it (the window's controls of the
  // same numbers follow it when they exist).
  void SetButtonEnabled(int request, bool enabled);
  bool ButtonEnabled(int request) const;
  // Applies the button states and tips to the active window's controls.
  void Display() const;

 private:
  std::vector<ToolbarTarget*> targets_;
  ToolbarTarget* current_ = nullptr;
  bool enabled_[ToolbarRequest::Last - ToolbarRequest::First + 1] = {};
};

}  // namespace zor::fw
