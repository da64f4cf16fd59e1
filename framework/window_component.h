#pragma once
// A part of a window procedure that sees the window's events: a browse, the
// window resizer, a column sorter. The window controller registers its
// components and, after its own routing of an event, hands the event to
// each of them in registration order; it asks them to refresh after each
// event (when AUTOREFRESH is set) and releases them when the window closes.
// The event being handled is the event engine's current one (ui::event(),
// ui::field(), ui::keyCode()).

#include <cstdint>

namespace zor::fw {

class WindowComponent {
 public:
  virtual ~WindowComponent() = default;

  // The window's current event; answers a level (Level:: in
  // error_reporter.h). Level::Notify consumes the event: the controller's
  // routing ends there.
  virtual uint8_t TakeEvent() = 0;
  // Registers the keys the component must see as alert keys.
  virtual void SetAlerts() {}
  // Brings the component up to date with the window's record buffers; with
  // `force` even when nothing seems to have changed.
  virtual void Reset(bool force) { (void)force; }
  // Whether the component wants a Reset after the event just handled.
  virtual bool ResetRequired() { return false; }
  // Copies what the component shows into its variables before a save.
  virtual void Update() {}
  // Redraws what the component shows from its variables.
  virtual void UpdateWindow() {}
  // The window closes: give back what the component holds.
  virtual void Release() {}
};

}  // namespace zor::fw
