#pragma once
// A control of a window: its kind, field equate number, use label, place in
// the control tree, geometry, state flags, numbered properties and the
// variable it shows. The kinds that react to the user derive from it and
// take keys and clicks while they have the focus; drawing lives apart
// (ui/window_painter.h), so both front ends share this model.

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>

#include "ui/base/control_kinds.h"
#include "ui/geometry.h"
#include "ui/input.h"
#include "ui/properties.h"

namespace zor::ui {

class Window;

// The variable a control shows: read for DISPLAY, written for UPDATE.
struct ControlBinding {
  std::function<std::string()> read;
  std::function<void(const std::string&)> write;
};

// Drag: the pointer moved while the button pressed on the control is held;
// it goes to that control wherever the pointer is.
enum class MouseAction { Press, Release, DoubleClick, Wheel, Drag };

class Control {
 public:
  Control(uint8_t kind, std::string useLabel) : kind_(kind), useLabel_(std::move(useLabel)) {}
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  uint8_t kind() const { return kind_; }
  const std::string& useLabel() const { return useLabel_; }
  int field() const { return field_; }
  void setField(int field) { field_ = field; }

  // "ENTRY", "BUTTON" ...; the registered window class ("ZorEdit" ...). The
  // button class names its kind: "CHECK", "RADIO" or "BUTTON".
  virtual std::string keyword() const;
  std::string windowClass() const;

  int parent = 0;        // field equate of the enclosing sheet, tab, option or group
  Rect rect;             // dialog units, relative to the window's client area
  std::string text;      // caption, prompt or tab text; "&" marks the hot key
  std::string tip;       // tooltip
  std::string variable;  // name of the variable shown, e.g. "SIN:VALUES"
  bool enabled = true;
  bool hidden = false;
  bool readOnly = false;
  bool skip = false;       // left out of the Tab order
  bool isDefault = false;  // the button Enter presses
  // Events for the control are queued only while this is set.
  bool eventsEnabled = true;
  // What the control holds: its variable's value (an option's chosen value,
  // a check box's "1" or "0", a sheet's selected tab).
  std::string contents;

  // The hot key letter: the upper-case character after "&" in the text
  // ("&&" is a literal "&"), 0 when there is none.
  char hotKey() const;
  // The text as shown, without the "&" marks.
  std::string shownCaption() const;

  // Alert keys: a key the control alerts is not typed into it while it has
  // the focus but queued as an AlertKey event for it (KEYCODE() tells which).
  void alert(uint32_t key) { alertKeys_.insert(key); }
  void clearAlert(uint32_t key) { alertKeys_.erase(key); }
  void clearAlerts() { alertKeys_.clear(); }
  bool alerts(uint32_t key) const { return alertKeys_.count(key) != 0; }

  void bind(ControlBinding binding) { binding_ = std::move(binding); }
  bool bound() const { return static_cast<bool>(binding_.read); }
  // DISPLAY: the control shows its variable's value.
  virtual void display();
  // UPDATE: the variable takes the control's contents.
  virtual void update();
  // Asked when the focus leaves the control or a pending accept is taken:
  // true when the entry is complete (then an Accepted event is due).
  virtual bool completeEntry() { return true; }
  // Whether the user changed the control since it last completed.
  virtual bool modified() const { return false; }

  // Whether the control is a stop of the Tab order when it is shown,
  // enabled and not skipped.
  virtual bool takesFocus() const { return false; }
  virtual void focusGained(Window&) {}
  virtual void focusLost(Window&) {}
  // A keystroke while the control has the focus: true when it is consumed.
  virtual bool key(Window&, uint32_t /*code*/, char /*character*/) { return false; }
  // A mouse action on the control; `cell` is relative to the control's cells.
  virtual void mouse(Window&, MouseAction, Cell /*cell*/, int /*wheel*/) {}
  // A scroll bar of the control was used (WM_HSCROLL / WM_VSCROLL): an SB
  // action and the thumb's position.
  virtual void scroll(Window&, bool /*vertical*/, int /*action*/, int /*position*/) {}
  // A control was added inside this one (a sheet learns its tabs, an
  // option group its radios).
  virtual void childAdded(Control&) {}
  // Whether a control inside this one is shown (a sheet shows the body of
  // its selected tab only).
  virtual bool childShown(const Control&) const { return true; }
  // What its hot key, Space or a click does to the control (press, toggle, choose).
  virtual void activate(Window&) {}
  // Ctrl+Tab or Ctrl+PgDn (delta 1), Ctrl+Shift+Tab or Ctrl+PgUp (-1): a
  // sheet selects the next or previous tab and answers true; other controls
  // answer false.
  virtual bool stepTab(Window&, int /*delta*/) { return false; }

  virtual std::string property(int number, int index = 0) const;
  virtual void setProperty(int number, std::string value, int index = 0);

 protected:
  // Writes the bound variable, if any.
  void writeVariable(const std::string& value);

 private:
  uint8_t kind_;
  std::string useLabel_;
  int field_ = 0;
  ControlBinding binding_;
  PropertyBag properties_;
  std::set<uint32_t> alertKeys_;
};

}  // namespace zor::ui
