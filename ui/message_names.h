#pragma once
// Debugging names of message numbers, as an event or message trace prints
// them: carried event numbers (0xA000 + event), the runtime's private
// messages and the standard window messages.

#include <cstdint>
#include <string>

namespace zor::ui {

// The name of a message number, or nullptr when it has none.
const char* messageName(uint32_t number);
// The name of an event number as EVENT() returns it ("EVENT:Accepted").
const char* eventName(uint32_t event);
// The name, or the number in hexadecimal ("0xB016") when it has none.
std::string describeMessage(uint32_t number);

}  // namespace zor::ui
