#pragma once
// The buttons of the message boxes the front ends show: their texts, the
// order a box shows them in, and the button sets of the platform's
// message-box flags.
// Buttons and platform answers map through ui/message_box_answers.h.
//
// The platform's flags name a fixed button set (MB_OK ... MB_RETRYCANCEL)
// and the default button by its place in the set (MB_DEFBUTTON1..3).

#include <string>
#include <vector>

#include "ui/message_box_answers.h"

namespace zor::ui {

// The buttons of a runtime button mask, in the order a box shows them.
std::vector<unsigned> buttonsOfMask(unsigned mask);
// The buttons of the platform flags' set, in order, and its default button.
std::vector<unsigned> buttonsOfFlags(unsigned flags);
unsigned defaultButtonOfFlags(unsigned flags);

// "O&k", "&Yes" ...; empty for an unknown code.
std::string buttonText(unsigned button);

}  // namespace zor::ui
