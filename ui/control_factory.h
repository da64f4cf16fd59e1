#pragma once
// Makes the control object for a kind code: entries and text boxes, the
// button class, option groups, sheets and tabs, lists, and a plain control
// for the kinds that only show something (prompts, strings, groups,
// graphics).

#include <cstdint>
#include <memory>
#include <string>

#include "ui/control.h"

namespace zor::ui {

class Window;

std::unique_ptr<Control> makeControl(uint8_t kind, std::string useLabel);

// CREATE: a control of that kind made at run time inside `parent` (0: the
// window) and added to the window. Runtime error 541 while another window of
// the thread is modal.
Control& createControl(Window& window, uint8_t kind, std::string useLabel, int parent = 0);

}  // namespace zor::ui
