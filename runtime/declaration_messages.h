#pragma once
// The built-in messages of the faults a declaration can have (error 47,
// "Invalid Record Declaration"), by category and by index counted from 1:
// faults of the declaration itself ("S") and faults against the abilities of
// a driver ("D"). The run-time declaration builder and the driver interface's
// checks both report through these numbers, so each text lives here only.

namespace zor {

enum class DeclarationCategory : int {
  System = 0,
  File = 1,
  Field = 2,
  MemoBlob = 3,
  Key = 4,
  Component = 5
};

enum class DeclarationFaultKind : char { Declaration = 'S', Driver = 'D' };

// A fault's place in the message lists.
struct DeclarationMessageId {
  DeclarationCategory category;
  int index;
};

// The built-in message; "Unknown Error" for an unknown category or an index
// past the end of its list.
const char* builtInDeclarationMessage(int category, DeclarationFaultKind kind, int index);

}  // namespace zor
