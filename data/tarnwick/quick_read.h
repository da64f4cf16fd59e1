#pragma once
// Reading a shared file without a reader slot. Copying a change home always
// happens while the header on disk announces it, so a reader that finds the
// header exactly as it last knew it may serve a statement from the pages and
// file windows it already holds: they are the state that header stands for.
// Only a read from the file itself needs the slot. The store then calls its
// guard first, which takes the slot and checks the header again; if a change
// was completed meanwhile, what the statement has read so far belongs to the
// state before it, and the guard throws QuickReadOvertaken so that the
// statement starts again under the slot.

namespace zor::tarnwick {

class ReadGuard {
 public:
  // Called before the store reads from the file during a quick read.
  virtual void beforeFileRead() = 0;
  virtual ~ReadGuard() = default;
};

struct QuickReadOvertaken {};

}  // namespace zor::tarnwick
