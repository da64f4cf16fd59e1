#pragma once
// A control of a window: its kind, field equate number, use label, state
// flags, numbered properties and the variable it shows. Later control kinds
// derive from it and intercept their own properties.

#include <cstdint>
#include <functional>
#include <string>

#include "ui/properties.h"

namespace zor::ui {

// One-byte control kind codes.
namespace ControlKind {
inline constexpr uint8_t Entry = 0x08;
inline constexpr uint8_t Button = 0x09;
inline constexpr uint8_t Prompt = 0x0A;
inline constexpr uint8_t Option = 0x0B;
inline constexpr uint8_t Check = 0x0C;
inline constexpr uint8_t List = 0x0E;
inline constexpr uint8_t Text = 0x11;
inline constexpr uint8_t Radio = 0x15;
inline constexpr uint8_t Window = 0x19;
inline constexpr uint8_t Sheet = 0x25;
inline constexpr uint8_t Tab = 0x26;
}  // namespace ControlKind

// The variable a control shows: read for DISPLAY, written for UPDATE.
struct ControlBinding {
  std::function<std::string()> read;
  std::function<void(const std::string&)> write;
};

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

  bool enabled = true;
  bool hidden = false;
  // Events for the control are queued only while this is set.
  bool eventsEnabled = true;
  // What the control shows (or, for an entry, what the user typed).
  std::string contents;

  void bind(ControlBinding binding) { binding_ = std::move(binding); }
  // DISPLAY: the control shows its variable's value.
  virtual void display();
  // UPDATE: the variable takes the control's contents.
  virtual void update();
  // Asked when a pending accept is taken: true when the entry is complete
  // (then an Accepted event is made). The base control is always complete.
  virtual bool completeEntry() { return true; }

  virtual std::string property(int number, int index = 0) const;
  virtual void setProperty(int number, std::string value, int index = 0);

 private:
  uint8_t kind_;
  std::string useLabel_;
  int field_ = 0;
  ControlBinding binding_;
  PropertyBag properties_;
};

}  // namespace zor::ui
