#pragma once
// The language's window statements, working on the calling thread's active
// window (the one opened last and still open):
//
//   while (accept()) {
//     switch (event()) {
//       case EVENT::CloseWindow: if (unsaved) cycle(); break;
//       case EVENT::Accepted: if (field() == okButton) post(EVENT::CloseWindow); break;
//     }
//   }

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/base/message_box_codes.h"

namespace zor::ui {

// ACCEPT: waits for the next event of the active window; false when the loop
// ends. Without an active window: runtime error 537.
bool accept();
// CYCLE on a pre-event or CloseWindow: the procedure refuses it.
void cycle();

// EVENT(): the number of the event being delivered, 0 when there is none.
uint32_t event();
// FIELD(): the field equate number of the event's control, 0 for window events.
int field();
// FOCUS(): the field equate number of the control with the focus.
int focus();
// KEYCODE(): the keystroke recorded with the event being delivered.
uint32_t keyCode();

// POST(event [, control] [, thread]): queues the event on the active window,
// or on the active window of another thread. False when it was not queued.
bool post(uint32_t event, int control = 0, int thread = 0);
// SELECT(control): gives the control the focus and queues Selected for it.
void select(int control);

// DISPLAY / UPDATE: controls show their variables / variables take the
// controls' contents. `first` 0 means every control; `last` 0 means `first`.
void display(int first = 0, int last = 0);
void update(int first = 0, int last = 0);
void enable(int first, int last = 0);
void disable(int first, int last = 0);
void hide(int first, int last = 0);
void unhide(int first, int last = 0);

// Properties: target{number, index}. Target 0 is the active window, a field
// equate number one of its controls, SystemTarget the program as a whole
// (its default icon). Reading an unknown control gives ""; setting one does
// nothing.
inline constexpr int SystemTarget = -1;
std::string getProperty(int target, int number, int index = 0);
void setProperty(int target, int number, const std::string& value, int index = 0);

// MESSAGE(text, caption, icon, buttons, default, style): the standard message
// box. A "|" in the text breaks the line. Buttons 0 means Ok; the default 0
// means the first button of the set. Returns the button pressed.
unsigned message(const std::string& text, const std::string& caption = {},
                 unsigned icon = ICON::None, unsigned buttons = 0, unsigned defaultButton = 0,
                 unsigned style = 0);

// POPUP(menu): shows the menu through the thread's front end ("&Insert|
// &Change|-|&More{&One|&Two}": items by "|", "-" a separator, "~" before a
// text disables, "+" checks, "{...}" a submenu) and returns the chosen
// item's position counted from 1 over every entry, 0 when cancelled or when
// the thread has no front end.
int popup(std::string_view menu);

}  // namespace zor::ui
