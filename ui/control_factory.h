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

std::unique_ptr<Control> makeControl(uint8_t kind, std::string useLabel);

}  // namespace zor::ui
