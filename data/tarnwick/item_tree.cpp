#include "data/tarnwick/item_tree.h"

#include <algorithm>

#include "data/tarnwick/byte_order.h"
#include "data/tarnwick/error_numbers.h"
#include "data/tarnwick/internal_failure.h"

namespace zor::tarnwick {

namespace {

// The shortest key above every key of the left page and at or below the
// first key of the right one: the right key cut one byte past the common
// beginning. Short separators keep inner pages small.
std::vector<uint8_t> separatorBetween(Bytes left, Bytes right) {
  size_t common = 0;
  while (common < left.size() && common < right.size() && left[common] == right[common]) ++common;
  const size_t length = std::min(common + 1, right.size());
  return std::vector<uint8_t>(right.begin(), right.begin() + static_cast<ptrdiff_t>(length));
}

bool sameKey(Bytes a, Bytes b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

// Lends the tree's kept path to one operation and lets go of its pages
// after it: a page held there would count as in use.
class LentPath {
 public:
  explicit LentPath(std::vector<PathStep>& path) : path_(path) {}
  ~LentPath() { path_.clear(); }
  LentPath(const LentPath&) = delete;
  LentPath& operator=(const LentPath&) = delete;
  std::vector<PathStep>& get() { return path_; }

 private:
  std::vector<PathStep>& path_;
};

// Inner pages: the first separator is empty (the page's lower bound is its
// parent's); merging needs the parent's separator there instead.
void setFirstKey(Page& page, Bytes key) {
  const PageNumber first = page.child(0);
  page.erase(0);
  page.insert(0, key, {}, first);
}

}  // namespace

PagePtr ItemTree::child(const Page& parent, size_t slot) {
  PagePtr found = store_.page(parent.child(slot));
  if (found->level() + 1 != parent.level()) internalFailure(FailurePlace::TreeLevel);
  return found;
}

std::vector<uint8_t> ItemTree::anchorKey(PageStore& store, const Page& page) {
  if (page.isLeaf() && page.frozen()) {
    const Bytes key = page.firstKey();
    return std::vector<uint8_t>(key.begin(), key.end());
  }
  if (page.count() == 0) internalFailure(FailurePlace::EmptyPage);
  if (page.isLeaf() || page.count() >= 2) {
    const Bytes key = page.key(page.isLeaf() ? 0 : 1);
    return std::vector<uint8_t>(key.begin(), key.end());
  }
  PagePtr only = store.page(page.child(0));
  if (only->level() + 1 != page.level()) internalFailure(FailurePlace::TreeLevel);
  return anchorKey(store, *only);
}

PagePtr ItemTree::parentOf(PageStore& store, const Page& child, size_t& slot) {
  if (child.number() == store.root()) return nullptr;
  const std::vector<uint8_t> key = anchorKey(store, child);
  PagePtr current = store.page(store.root());
  while (true) {
    if (current->level() <= child.level()) internalFailure(FailurePlace::ParentNotFound);
    size_t s = current->childSlotFor(key);
    if (current->level() == child.level() + 1) {
      if (current->child(s) != child.number()) {
        for (s = 0; s < current->count() && current->child(s) != child.number(); ++s) {
        }
        if (s == current->count()) internalFailure(FailurePlace::ParentNotFound);
      }
      slot = s;
      return current;
    }
    PagePtr next = store.page(current->child(s));
    if (next->level() + 1 != current->level()) internalFailure(FailurePlace::TreeLevel);
    current = std::move(next);
  }
}

void ItemTree::addToCounter(Bytes key, uint32_t delta, size_t size) {
  for (PendingCounter& pending : counters_) {
    if (sameKey(Bytes(pending.key.data(), pending.key.size()), key)) {
      pending.delta += delta;
      pending.size = std::max(pending.size, size);
      return;
    }
  }
  counters_.push_back({std::vector<uint8_t>(key.begin(), key.end()), delta, size});
}

void ItemTree::writeGatheredCounters() {
  std::vector<PendingCounter> pending;
  pending.swap(counters_);
  for (const PendingCounter& counter : pending) {
    // update() answers kOk whether or not the item was there.
    static_cast<void>(
        update(Bytes(counter.key.data(), counter.key.size()), [&](std::vector<uint8_t>& data) {
          data.resize(std::max(data.size(), counter.size), 0);
          store32(data.data(), load32(data.data()) + counter.delta);
        }));
  }
}

void ItemTree::writeCountersFor(Bytes key) {
  for (const PendingCounter& pending : counters_) {
    if (sameKey(Bytes(pending.key.data(), pending.key.size()), key)) {
      writeGatheredCounters();
      return;
    }
  }
}

void ItemTree::walk(Bytes key, std::vector<PathStep>& path, Bounds* bounds) {
  path.clear();
  if (store_.root() == 0) return;
  PagePtr current = store_.page(store_.root());
  while (!current->isLeaf()) {
    const size_t slot = current->childSlotFor(key);
    if (bounds != nullptr) {
      // An inner page's first separator stands for its parent's.
      if (slot > 0) bounds->low = current->key(slot);
      if (slot + 1 < current->count()) {
        bounds->high = current->key(slot + 1);
        bounds->highest = false;
      }
    }
    PagePtr next = child(*current, slot);
    path.push_back({std::move(current), slot});
    current = std::move(next);
  }
  const size_t slot = current->lowerBound(key);
  path.push_back({std::move(current), slot});
}

void ItemTree::descendEdge(std::vector<PathStep>& path, bool last) {
  while (!path.back().page->isLeaf()) {
    PathStep& step = path.back();
    step.slot = last ? step.page->count() - 1 : 0;
    PagePtr next = child(*step.page, step.slot);
    path.push_back({std::move(next), 0});
  }
  PathStep& leaf = path.back();
  leaf.slot = last && leaf.page->count() > 0 ? leaf.page->count() - 1 : 0;
}

bool ItemTree::descendToItem(Bytes key, std::vector<PathStep>& path, Bounds* bounds) {
  walk(key, path, bounds);
  if (path.empty()) return false;
  const PathStep& leaf = path.back();
  return leaf.slot < leaf.page->count() && sameKey(leaf.page->key(leaf.slot), key);
}

bool ItemTree::find(Bytes key, std::vector<uint8_t>* data) {
  if (!counters_.empty()) writeCountersFor(key);
  // The most frequent call: no path is kept.
  if (store_.root() == 0) return false;
  PagePtr current = store_.page(store_.root());
  while (!current->isLeaf()) {
    const size_t childSlot = current->childSlotFor(key);
    if (current->level() == 1) {
      const auto found = store_.findInLargeLeaf(current->child(childSlot), key, data);
      if (found) return *found;
    }
    current = child(*current, childSlot);
  }
  const size_t slot = current->lowerBound(key);
  if (slot >= current->count() || !sameKey(current->key(slot), key)) return false;
  if (data != nullptr) {
    const Bytes found = current->item(slot).data;
    data->assign(found.begin(), found.end());
  }
  return true;
}

int ItemTree::insert(Bytes key, Bytes data) {
  if (key.size() + data.size() > kMaxItemLength) internalFailure(FailurePlace::ItemTooLong);
  if (!counters_.empty()) writeCountersFor(key);
  if (int answer = kOk; insertAtFinger(key, data, answer)) return answer;
  if (store_.root() == 0) store_.setRoot(store_.newPage(0)->number());
  LentPath lent(path_);
  std::vector<PathStep>& path = lent.get();
  Bounds bounds;
  if (descendToItem(key, path, &bounds)) return kDuplicateItem;
  // Remembered before the insert: a split that follows narrows the bounds,
  // and may change the inner pages they point into.
  remember(path, bounds);
  insertAt(path, key, data);
  return kOk;
}

void ItemTree::forgetFingers() {
  for (Finger& finger : fingers_) finger.leaf.reset();
}

ItemTree::Finger* ItemTree::fingerFor(Bytes key) {
  for (Finger& finger : fingers_) {
    if (!finger.leaf) continue;
    if (compareKeys(key, Bytes(finger.low.data(), finger.low.size())) < 0) continue;
    if (!finger.highest && compareKeys(key, Bytes(finger.high.data(), finger.high.size())) >= 0)
      continue;
    const PagePtr held = store_.changedPage(finger.leaf->number());
    if (held != finger.leaf || !held->isLeaf()) {
      finger.leaf.reset();  // freed, sent home or no longer a leaf
      finger.parent.reset();
      continue;
    }
    finger.used = ++fingerClock_;
    return &finger;
  }
  return nullptr;
}

PagePtr ItemTree::fingerParent(const Finger& finger) {
  const PagePtr& parent = finger.parent;
  if (!parent || store_.changedPage(parent->number()) != parent || parent->isLeaf() ||
      finger.slot >= parent->count() || parent->child(finger.slot) != finger.leaf->number()) {
    return nullptr;
  }
  return parent;
}

void ItemTree::remember(const std::vector<PathStep>& path, const Bounds& bounds) {
  const PagePtr& leaf = path.back().page;
  Finger* finger = &fingers_[0];
  for (Finger& held : fingers_) {
    if (held.leaf == leaf) {
      finger = &held;
      break;
    }
    if (held.used < finger->used) finger = &held;
  }
  finger->used = ++fingerClock_;
  finger->leaf = leaf;
  finger->low.assign(bounds.low.begin(), bounds.low.end());
  finger->high.assign(bounds.high.begin(), bounds.high.end());
  finger->highest = bounds.highest;
  finger->parent = path.size() > 1 ? path[path.size() - 2].page : nullptr;
  finger->slot = path.size() > 1 ? path[path.size() - 2].slot : 0;
}

void ItemTree::splitFingers(const Page& leaf, const PagePtr& right, Bytes separator,
                            bool followRight, const PagePtr& parent, size_t rightSlot) {
  for (Finger& finger : fingers_) {
    if (finger.leaf.get() != &leaf) continue;
    if (followRight) {
      finger.leaf = right;
      finger.low.assign(separator.begin(), separator.end());
      finger.parent = parent;
      finger.slot = rightSlot;
    } else {
      finger.high.assign(separator.begin(), separator.end());
      finger.highest = false;
    }
  }
}

bool ItemTree::insertAtFinger(Bytes key, Bytes data, int& answer) {
  Finger* finger = fingerFor(key);
  if (finger == nullptr) return false;
  PagePtr leaf = finger->leaf;
  if (leaf->frozen()) leaf = store_.pageForChange(leaf);  // thawed
  const size_t slot = leaf->lowerBound(key);
  if (slot < leaf->count() && sameKey(leaf->key(slot), key)) {
    answer = kDuplicateItem;
    return true;
  }
  if (leaf->shouldSplit()) return false;
  answer = kOk;
  if (!leaf->wouldSplitWith(key.size() + data.size())) {
    store_.pageForChange(leaf)->insert(slot, key, data);
    store_.touch();
    return true;
  }
  // Any other split needs the whole path; so does a parent that would split.
  if (slot != leaf->count() || leaf->count() == 0) return false;
  const PagePtr parent = fingerParent(*finger);
  if (!parent) return false;
  const std::vector<uint8_t> separator = separatorBetween(leaf->key(leaf->count() - 1), key);
  if (parent->shouldSplit() || parent->wouldSplitWith(separator.size())) return false;
  startLeafAfter(parent, finger->slot, *leaf, key, data, Bytes(separator.data(), separator.size()));
  return true;
}

void ItemTree::startLeafAfter(const PagePtr& parent, size_t slot, const Page& leaf, Bytes key,
                              Bytes data, Bytes separator) {
  PagePtr right = store_.newPage(0);
  right->insert(0, key, data);
  const PagePtr changed = store_.pageForChange(parent);
  changed->insert(slot + 1, separator, {}, right->number());
  splitFingers(leaf, right, separator, true, changed, slot + 1);
  store_.touch();
}

void ItemTree::insertAt(std::vector<PathStep>& path, Bytes key, Bytes data) {
  PathStep& leaf = path.back();
  if (path.size() > 1 && leaf.slot == leaf.page->count() && leaf.page->count() > 0 &&
      !leaf.page->shouldSplit() && leaf.page->wouldSplitWith(key.size() + data.size())) {
    // Added after the last item of a leaf that it would make split: the
    // split would move it on alone (see splitChild), so it starts its own
    // leaf at once and the full leaf is neither copied nor changed.
    const PathStep& up = path[path.size() - 2];
    const std::vector<uint8_t> separator =
        separatorBetween(leaf.page->key(leaf.page->count() - 1), key);
    startLeafAfter(up.page, up.slot, *leaf.page, key, data,
                   Bytes(separator.data(), separator.size()));
    path.pop_back();  // the parent grew after the child it led to
    fixAfterGrowth(path);
    return;
  }
  store_.pageForChange(leaf.page)->insert(leaf.slot, key, data);
  store_.touch();
  fixAfterGrowth(path);
}

int ItemTree::update(Bytes key, const std::function<void(std::vector<uint8_t>&)>& change) {
  if (!counters_.empty()) writeCountersFor(key);
  if (store_.root() == 0) store_.setRoot(store_.newPage(0)->number());
  LentPath lent(path_);
  std::vector<PathStep>& path = lent.get();
  const bool exists = descendToItem(key, path);
  PathStep& leaf = path.back();
  std::vector<uint8_t> data;
  if (exists) {
    const Bytes stored = leaf.page->item(leaf.slot).data;
    data.assign(stored.begin(), stored.end());
  }
  const size_t before = data.size();
  change(data);
  if (key.size() + data.size() > kMaxItemLength) internalFailure(FailurePlace::ItemTooLong);
  if (!exists) {
    insertAt(path, key, Bytes(data.data(), data.size()));
    return kOk;
  }
  store_.pageForChange(leaf.page)->replaceData(leaf.slot, Bytes(data.data(), data.size()));
  store_.touch();
  if (data.size() > before) {
    fixAfterGrowth(path);
  } else {
    fixAfterShrink(path);
  }
  return kOk;
}

int ItemTree::replace(Bytes key, Bytes data) {
  if (key.size() + data.size() > kMaxItemLength) internalFailure(FailurePlace::ItemTooLong);
  if (!counters_.empty()) writeCountersFor(key);
  LentPath lent(path_);
  std::vector<PathStep>& path = lent.get();
  if (!descendToItem(key, path)) return kItemNotFound;
  PathStep& leaf = path.back();
  const bool grows = data.size() > leaf.page->item(leaf.slot).data.size();
  store_.pageForChange(leaf.page)->replaceData(leaf.slot, data);
  store_.touch();
  if (grows) {
    fixAfterGrowth(path);
  } else {
    fixAfterShrink(path);
  }
  return kOk;
}

int ItemTree::put(Bytes key, Bytes data) {
  const int error = replace(key, data);
  return error == kItemNotFound ? insert(key, data) : error;
}

int ItemTree::erase(Bytes key) {
  if (!counters_.empty()) writeCountersFor(key);
  LentPath lent(path_);
  std::vector<PathStep>& path = lent.get();
  if (!descendToItem(key, path)) return kItemNotFound;
  PathStep& leaf = path.back();
  store_.pageForChange(leaf.page)->erase(leaf.slot);
  store_.touch();
  fixAfterShrink(path);
  return kOk;
}

void ItemTree::splitChild(const PagePtr& parent, size_t slot, const PagePtr& page, size_t grownAt) {
  if (!page->shouldSplit()) return;
  if (page->count() < 2) internalFailure(FailurePlace::SplitSingleItem);
  // The middle item joins the half with fewer items (the second when equal).
  // A page that grew by an item in its second half (keys added in ascending
  // order, at the end of the tree or of one key's entries) splits right
  // after that item instead: the items that follow it land in the page it
  // ends, which then grows at its end and keeps every item it has, so the
  // pages of an ascending load stay full instead of half full.
  const size_t count = page->count();
  const size_t middle = count / 2;
  size_t first = middle < count - middle - 1 ? middle + 1 : middle;
  if (grownAt + 1 == count) {
    first = count - 1;  // grown at its end: the new item moves on alone
  } else if (grownAt < count && grownAt >= middle) {
    first = grownAt + 1;
  }
  PagePtr right = store_.newPage(page->level());
  page->moveTail(first, *right);
  std::vector<uint8_t> separator;
  if (page->isLeaf()) {
    separator = separatorBetween(page->key(page->count() - 1), right->key(0));
    splitFingers(*page, right, Bytes(separator.data(), separator.size()),
                 grownAt != kNoSlot && grownAt >= first, parent, slot + 1);
  } else {
    const Bytes key = right->key(0);
    separator.assign(key.begin(), key.end());
    setFirstKey(*right, {});
  }
  store_.pageForChange(parent)->insert(slot + 1, separator, {}, right->number());
  // The right half first: splitting the left one shifts the slots after it.
  splitChild(parent, slot + 1, right);
  splitChild(parent, slot, page);
}

void ItemTree::splitRoot(size_t grownAt) {
  PagePtr root = store_.pageForChange(store_.root());
  if (root->level() == UINT8_MAX) internalFailure(FailurePlace::TreeLevel);
  // The root keeps its number: it hands its items to a new page and becomes
  // that page's parent, one level higher.
  PagePtr only = store_.newPage(root->level());
  root->moveTail(0, *only);
  root->setLevel(static_cast<uint8_t>(only->level() + 1));
  root->insert(0, {}, {}, only->number());
  splitChild(root, 0, only, grownAt);
}

size_t ItemTree::grownSlot(const PathStep& step) {
  // A leaf grew at its slot; an inner page after the child that split.
  return step.page->isLeaf() ? step.slot : step.slot + 1;
}

void ItemTree::fixAfterGrowth(std::vector<PathStep>& path) {
  for (size_t depth = path.size() - 1; depth > 0; --depth) {
    const PagePtr& page = path[depth].page;
    if (!page->shouldSplit()) return;
    PagePtr parent = store_.pageForChange(path[depth - 1].page);
    splitChild(parent, path[depth - 1].slot, store_.pageForChange(page), grownSlot(path[depth]));
  }
  size_t grownAt = grownSlot(path.front());
  while (store_.page(store_.root())->shouldSplit()) {
    splitRoot(grownAt);
    grownAt = kNoSlot;
  }
}

void ItemTree::removeSlot(Page& parent, size_t slot) {
  parent.erase(slot);
  if (slot == 0 && parent.count() > 0) setFirstKey(parent, {});
}

void ItemTree::fixAfterShrink(std::vector<PathStep>& path) {
  for (size_t depth = path.size() - 1; depth > 0; --depth) {
    const PagePtr& page = path[depth].page;
    const PagePtr& parent = path[depth - 1].page;
    const size_t slot = path[depth - 1].slot;
    if (page->count() == 0) {
      removeSlot(*store_.pageForChange(parent), slot);
      store_.freePage(page->number());
      continue;
    }
    if (page->measure() >= kMergeMeasure || parent->count() < 2) break;
    const size_t leftSlot = slot + 1 < parent->count() ? slot : slot - 1;
    PagePtr left = store_.pageForChange(parent->child(leftSlot));
    PagePtr right = store_.pageForChange(parent->child(leftSlot + 1));
    if (left->measure() + right->measure() - kPageHeaderSize > kSoftSplitMeasure) break;
    if (!right->isLeaf()) setFirstKey(*right, parent->key(leftSlot + 1));
    right->moveTail(0, *left);
    removeSlot(*store_.pageForChange(parent), leftSlot + 1);
    store_.freePage(right->number());
  }
  collapseRoot();
}

void ItemTree::collapseRoot() {
  while (true) {
    PagePtr root = store_.page(store_.root());
    if (!root->isLeaf() && root->count() == 0) {  // cannot stay an inner page
      store_.pageForChange(root)->setLevel(0);
      return;
    }
    if (root->isLeaf() || root->count() != 1) return;
    root = store_.pageForChange(root);
    PagePtr only = store_.pageForChange(root->child(0));
    root->clear();
    root->setLevel(only->level());
    only->moveTail(0, *root);
    store_.freePage(only->number());
  }
}

}  // namespace zor::tarnwick
