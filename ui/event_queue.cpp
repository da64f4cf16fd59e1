#include "ui/event_queue.h"

#include "ui/base/event_numbers.h"

namespace zor::ui {
namespace {

bool merges(const Event& older, const Event& newer) {
  if (older.number != newer.number) return false;
  switch (uncarried(newer.number)) {
    case EVENT::Timer:
    case EVENT::Moved:
    case EVENT::Sized:
    case EVENT::BuildFile:
    case EVENT::BuildKey:
      return true;
    case EVENT::NewSelection:
      return older.field == newer.field;
    default:
      return false;
  }
}

bool isBuildProgress(uint32_t number) {
  return number == carried(EVENT::BuildFile) || number == carried(EVENT::BuildKey);
}

}  // namespace

void EventQueue::push(std::unique_ptr<Event> event, MergeMode mode) {
  for (size_t position = used_; position-- > 0;) {
    std::unique_ptr<Event>& slot = slots_[slotAt(position)];
    if (!slot) continue;
    if (isBuildProgress(event->number) && slot->number == carried(EVENT::BuildDone)) break;
    if (!merges(*slot, *event)) continue;
    if (mode == MergeMode::Replace) {
      slot = std::move(event);
      return;
    }
    slot.reset();
    ++emptied_;
  }
  if (used_ == slots_.size()) grow();
  slots_[slotAt(used_)] = std::move(event);
  ++used_;
}

std::unique_ptr<Event> EventQueue::take() {
  while (used_ > 0) {
    std::unique_ptr<Event> event = std::move(slots_[head_]);
    head_ = (head_ + 1) % slots_.size();
    --used_;
    if (event) return event;
    --emptied_;
  }
  return nullptr;
}

std::vector<const Event*> EventQueue::pending() const {
  std::vector<const Event*> events;
  for (size_t position = 0; position < used_; ++position) {
    if (const auto& slot = slots_[slotAt(position)]) events.push_back(slot.get());
  }
  return events;
}

std::vector<uint32_t> EventQueue::numbers() const {
  std::vector<uint32_t> numbers;
  for (const Event* event : pending()) numbers.push_back(event->number);
  return numbers;
}

void EventQueue::clear() {
  slots_.clear();
  head_ = used_ = emptied_ = 0;
}

// Doubles the capacity and drops emptied slots on the way.
void EventQueue::grow() {
  std::vector<std::unique_ptr<Event>> slots(slots_.empty() ? 8 : slots_.size() * 2);
  size_t count = 0;
  for (size_t position = 0; position < used_; ++position) {
    if (auto& slot = slots_[slotAt(position)]) slots[count++] = std::move(slot);
  }
  slots_ = std::move(slots);
  head_ = 0;
  used_ = count;
  emptied_ = 0;
}

}  // namespace zor::ui
