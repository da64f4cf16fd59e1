#include "data/tarnwick/cursor.h"

#include "data/tarnwick/internal_failure.h"

namespace zor::tarnwick {

bool Cursor::settle(bool found) {
  valid_ = found;
  version_ = tree_.store().version();
  if (found) {
    const Bytes current = key();
    key_.assign(current.begin(), current.end());
  }
  return found;
}

bool Cursor::seek(Bytes key) {
  tree_.descend(key, path_);
  if (path_.empty()) return settle(false);
  if (path_.back().slot < path_.back().page->count()) return settle(true);
  path_.back().slot = path_.back().page->count() == 0 ? 0 : path_.back().page->count() - 1;
  return settle(path_.back().page->count() != 0 && stepForward());
}

bool Cursor::seekAtOrBefore(Bytes key) {
  if (seek(key) && compareKeys(this->key(), key) == 0) return true;
  if (valid_) return previous();
  return last();
}

bool Cursor::first() {
  tree_.writeCounters();  // counters read as they stand
  path_.clear();
  if (tree_.store().root() == 0) return settle(false);
  path_.push_back({tree_.store().page(tree_.store().root()), 0});
  tree_.descendEdge(path_, false);
  return settle(path_.back().page->count() != 0);
}

bool Cursor::last() {
  tree_.writeCounters();  // counters read as they stand
  path_.clear();
  if (tree_.store().root() == 0) return settle(false);
  path_.push_back({tree_.store().page(tree_.store().root()), 0});
  tree_.descendEdge(path_, true);
  return settle(path_.back().page->count() != 0);
}

bool Cursor::stepForward() {
  PathStep& leaf = path_.back();
  if (leaf.slot + 1 < leaf.page->count()) {
    ++leaf.slot;
    return true;
  }
  size_t depth = path_.size() - 1;
  while (depth > 0 && path_[depth - 1].slot + 1 >= path_[depth - 1].page->count()) --depth;
  if (depth == 0) return false;
  path_.resize(depth);
  ++path_.back().slot;
  path_.push_back({tree_.child(*path_[depth - 1].page, path_[depth - 1].slot), 0});
  tree_.descendEdge(path_, false);
  return path_.back().page->count() != 0;
}

bool Cursor::stepBackward() {
  PathStep& leaf = path_.back();
  if (leaf.slot > 0) {
    --leaf.slot;
    return true;
  }
  size_t depth = path_.size() - 1;
  while (depth > 0 && path_[depth - 1].slot == 0) --depth;
  if (depth == 0) return false;
  path_.resize(depth);
  --path_.back().slot;
  path_.push_back({tree_.child(*path_[depth - 1].page, path_[depth - 1].slot), 0});
  tree_.descendEdge(path_, true);
  return path_.back().page->count() != 0;
}

bool Cursor::refresh(bool& movedPast) {
  movedPast = false;
  if (!valid_) return false;
  if (version_ == tree_.store().version()) return true;
  const std::vector<uint8_t> remembered = key_;
  if (!seek(remembered)) return false;
  movedPast = compareKeys(key(), remembered) != 0;
  return true;
}

// Each step must pass beyond the key it started from: a damaged tree whose
// pages lead to a page already passed would otherwise be walked for ever.
void Cursor::checkStep(bool forward) const {
  const int order = compareKeys(key(), key_);
  if (forward ? order <= 0 : order >= 0) internalFailure(FailurePlace::TreeOrder);
}

bool Cursor::next() {
  tree_.writeCounters();  // counters read as they stand
  bool movedPast = false;
  if (!refresh(movedPast)) return settle(false);
  if (movedPast) return true;
  if (!stepForward()) return settle(false);
  checkStep(true);
  return settle(true);
}

bool Cursor::previous() {
  tree_.writeCounters();  // counters read as they stand
  if (!valid_) return false;
  if (version_ != tree_.store().version()) {
    const std::vector<uint8_t> remembered = key_;
    // Whatever now stands at or above the remembered key, the item before it
    // is the previous one.
    if (!seek(remembered)) return last();
  }
  if (!stepBackward()) return settle(false);
  checkStep(false);
  return settle(true);
}

}  // namespace zor::tarnwick
