#pragma once
// A window's queue of events: a circular array with merging at queueing
// time. Timer, Moved, Sized, BuildFile, BuildKey and NewSelection (per
// control) keep at most one pending copy. In the ordinary mode the newer
// event takes the older one's place in the order; in the appending mode the
// older one's slot is emptied and the newer event goes to the tail. Build
// progress never merges across a BuildDone. Touched by the owning thread only.

#include <cstddef>
#include <memory>
#include <vector>

#include "ui/event.h"

namespace zor::ui {

enum class MergeMode { Replace, Append };

class EventQueue {
 public:
  void push(std::unique_ptr<Event> event, MergeMode mode = MergeMode::Replace);
  // The oldest event, or null when empty.
  std::unique_ptr<Event> take();
  bool empty() const { return size() == 0; }
  // Events pending, not counting emptied slots.
  size_t size() const { return used_ - emptied_; }
  // Carried numbers of the pending events, oldest first (for traces and tests).
  std::vector<uint32_t> numbers() const;
  std::vector<const Event*> pending() const;
  void clear();

 private:
  size_t slotAt(size_t position) const { return (head_ + position) % slots_.size(); }
  void grow();

  std::vector<std::unique_ptr<Event>> slots_;
  size_t head_ = 0;     // slot of the oldest entry
  size_t used_ = 0;     // entries between head and tail, emptied ones included
  size_t emptied_ = 0;  // slots emptied by merging
};

}  // namespace zor::ui
