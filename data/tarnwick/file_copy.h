#pragma once
// COPY of a Tarnwick file: the copy is taken as a reader of the file (it
// holds a reader slot throughout, so that no change is completed under it,
// and opens the file beside the others, so that a handle that denies
// reading refuses it), and written through the file environment with
// every byte made durable.

#include <string>

namespace zor::tarnwick {

// Answers 0, 2 (no such file), 5 (refused by another handle's share mode,
// or no reader slot to be had) or the system's error.
int copyTarnwickFile(const std::string& from, const std::string& to);

}  // namespace zor::tarnwick
