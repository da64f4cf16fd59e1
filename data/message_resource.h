#pragma once
// The program's message resources: texts a program can register under a
// number (type "MESSAGE") to replace the runtime's built-in messages, for
// instance in another language.

#include <string>

namespace zor::data {

// The text of message resource `number` up to its first zero byte; empty
// when the program has none (or an empty one).
std::string messageResourceText(int number);

}  // namespace zor::data
