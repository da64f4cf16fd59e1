#pragma once
// A runtime window: its message-layer handle, geometry and state, numbered
// properties, controls numbered 1, 2, 3 ... in the order they are added
// (children directly after their parent), the control with the focus, and
// the per-window event queue with the state of its accept loop. A window
// belongs to the thread that opens it.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ui/control.h"
#include "ui/event.h"
#include "ui/event_queue.h"
#include "ui/geometry.h"
#include "ui/messages.h"
#include "ui/properties.h"

namespace zor::ui {

enum class WindowShow { Normal, Maximized, Iconized };

// Where the accept loop stands: inactive until the window opens, then
// accepting; a CloseWindow that is not refused makes it closing.
enum class LoopPhase { Inactive, Accepting, Closing };

// What the event engine keeps per window between loop steps.
struct AcceptState {
  LoopPhase phase = LoopPhase::Inactive;
  EventQueue queue;
  // Pre-events of window commands, delivered before the queue in their order.
  std::deque<std::unique_ptr<Event>> preEvents;
  std::unique_ptr<Event> current;  // the event being delivered
  bool refused = false;            // the procedure cycled on `current`
  bool refreshPending = false;     // QUERY_SETUSE seen: refresh controls once
  bool pendingAccept = false;      // ask the focused control to complete
};

class Window {
 public:
  explicit Window(std::string title = {});
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Creates the window on the calling thread, gives the focus to the first
  // control that takes it and queues OpenWindow (ui/window_runtime.cpp, with
  // close, onMessage and the show commands). Runtime error 535 when it
  // is open already, 529 when it cannot be created.
  void open();
  // Destroys the window; events still queued are dropped. Runtime error 536
  // when it is not open.
  void close();
  bool isOpen() const { return handle_ != 0; }
  WindowHandle handle() const { return handle_; }
  int thread() const { return thread_; }

  // Adds a control; its field equate number is its position, from 1.
  // (ui/control_factory.h makes a control of a kind and adds it.)
  Control& add(std::unique_ptr<Control> control);
  // The control with that field equate number, or null.
  Control* control(int field) const;
  // The control with that use label ("?OK", "?LIST:2"; case ignored), or null.
  Control* find(const std::string& useLabel) const;
  const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }

  // The window's procedure in the message layer: keys and mouse actions go
  // to the controls, everything else to the event engine. Derived windows
  // handle their own messages and pass the rest on to this.
  virtual intptr_t onMessage(const Message& message);

  virtual std::string property(int number, int index = 0) const;
  virtual void setProperty(int number, std::string value, int index = 0);

  std::string title;
  Rect rect;         // dialog units; DefaultPosition in x or y: placed by the runtime
  Rect restoreRect;  // the normal position while maximised or iconised
  // The client size the window's definition gives, which its controls were
  // placed for; empty for a window made in code.
  Rect designed;
  WindowShow show = WindowShow::Normal;
  bool visible = true;
  bool enabled = true;
  bool modal = false;
  bool resizable = false;
  std::string icon;                // empty: the program's default icon
  int pointerX = 0, pointerY = 0;  // last pointer position, relative to the window
  int focus = 0;                   // field equate number of the focused control

  // Alert keys of the whole window: whatever control has the focus, the
  // key is queued as an AlertKey event (for the focused control, or for
  // the window when no control has the focus) instead of being typed.
  void alert(uint32_t key) { alertKeys_.insert(key); }
  void clearAlert(uint32_t key) { alertKeys_.erase(key); }
  bool alerts(uint32_t key) const { return alertKeys_.count(key) != 0; }

  // Idle work: run when the loop finds no message, and on each tick of the
  // loop timer (setLoopTimer).
  std::function<void()> idleWork;
  void setLoopTimer(uint32_t intervalMs);
  // The loop is about to wait for input: the thread's front end and the
  // idle work run. False when there is neither.
  bool runIdle();
  // Pre-translation: true consumes the message before it is dispatched.
  std::function<bool(const Message&)> preTranslate;

  AcceptState& acceptState() { return accept_; }
  const AcceptState& acceptState() const { return accept_; }

 private:
  void applyTimer();
  // Maximize or Iconize set (or cleared: restore) as a system command.
  void showCommand(int property, bool on);

  WindowHandle handle_ = 0;
  int thread_ = 0;
  std::vector<std::unique_ptr<Control>> controls_;
  PropertyBag properties_;
  AcceptState accept_;
  std::set<uint32_t> alertKeys_;
};

}  // namespace zor::ui
