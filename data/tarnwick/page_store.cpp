#include "data/tarnwick/page_store.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <utility>

#include "data/tarnwick/byte_order.h"
#include "data/tarnwick/error_numbers.h"
#include "data/tarnwick/internal_failure.h"
#include "data/tarnwick/item_tree.h"
#include "data/tarnwick/joined_write.h"

namespace zor::tarnwick {

namespace {

uint32_t roundUnits(uint32_t bytes) {
  return (bytes + kUnitSize - 1) / kUnitSize * kUnitSize;
}

uint64_t roundUnits64(uint64_t offset) {
  return kHeaderSize + (offset - kHeaderSize + kUnitSize - 1) / kUnitSize * kUnitSize;
}

FailurePlace failurePlaceOf(PageFault fault) {
  switch (fault) {
    case PageFault::Length:
      return FailurePlace::PageLength;
    case PageFault::Home:
      return FailurePlace::PageHome;
    case PageFault::RunLength:
      return FailurePlace::RunLength;
    default:
      return FailurePlace::PageDecode;
  }
}

// Whether two headers describe the same tree (everything but the pending
// region, the change counter and bytes 0 to 3).
bool sameTree(const FileHeader& a, const FileHeader& b) {
  if (a.rootUnit != b.rootUnit || a.lastIdentifier != b.lastIdentifier) return false;
  for (int i = 0; i < kZoneCount; ++i) {
    if (a.zones[i].start != b.zones[i].start || a.zones[i].end != b.zones[i].end) return false;
  }
  return true;
}

constexpr auto byHome = [](const auto& a, const auto& b) { return a.first < b.first; };

std::atomic<uint64_t> chosenRegionLimit{0};

// A region this large is walked by reading each item's beginning; a smaller
// one is read whole (and kept: its pages are the ones wanted next).
constexpr uint64_t kTailBytes = uint64_t{256} << 10;

}  // namespace

bool PageStore::plausible(const FileHeader& header, uint64_t present) {
  // Zones in order, a root inside them, and every page within the file (the
  // pages of a change reach the file before the header naming them does).
  uint64_t size = 0;
  return header.zonesValid() && (header.rootUnit == 0 || header.zoneOf(header.rootUnit) != 0) &&
         (header.logicalEnd() <= present ||
          (file_.size(size) == 0 &&
           header.logicalEnd() <= std::max<uint64_t>(size, kHeaderSize + kUnitSize)));
}

void PageStore::normalize(FileHeader& state) const {
  state.pendingStart = state.pendingEnd = static_cast<uint32_t>(state.logicalEnd());
  state.logEnd = 0;
}

void PageStore::dropEverythingRead() {
  cache_.clear();
  windows_.clear();
  tail_.clear();
  pendingMap_.clear();
  regionStart_ = regionEnd_ = 0;
  settledInMemory_ = false;
}

bool PageStore::sameStateCheckpointed(const FileHeader& home) const {
  // The home header counts one past the newest header copy taken, names
  // where the region ended, and holds the very tree taken.
  if (home.changeCounter != committed_.changeCounter + 1 || !sameTree(home, committed_))
    return false;
  // A reader that missed the header emptying the region it held whole may
  // first meet the header naming the region begun after it. That one keeps
  // the emptied header's counter and tree, and only a copy home of this
  // very state counts one past its newest copy: committed changes are never
  // dropped, so any other history counts further.
  if (home.pending() && regionEnd_ > regionStart_) return true;
  const uint64_t ended = regionEnd_ > regionStart_ ? regionEnd_ : home_.pendingStart;
  return home.logEnd == ended;
}

int PageStore::readHeader() {
  if (headerCurrent_) return kOk;
  // A writer names each change in the home header while others read it: a
  // read may catch the header half written. What the region then seems to
  // hold does not check out, and the header is read again.
  constexpr int kAttempts = 50;
  for (int attempt = 1;; ++attempt) {
    bool again = false;
    const int error = readHeaderOnce(again);
    if (!again) return error;
    if (attempt == kAttempts) {
      // Damaged, or its writer stopped for longer: what the store shows
      // cannot be trusted until a settle.
      unsure_ = uncommitted_ = true;
      headerCurrent_ = true;
      return kOk;
    }
    headerCurrent_ = false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

int PageStore::readHeaderOnce(bool& again) {
  uint8_t bytes[kHeaderSize];
  // The header as this store last wrote or took it: nothing has changed
  // since, so neither decoding nor checking it again is needed. This is the
  // cost of every access of a shared file: a memory read where the file's
  // start is mapped.
  if (rawKnown_ && file_.readStart(bytes, kHeaderSize) &&
      std::memcmp(bytes, raw_.data(), kHeaderSize) == 0) {
    headerCurrent_ = true;
    return kOk;
  }
  size_t done = 0;
  const int error = file_.read(0, bytes, kHeaderSize, done);
  if (error != 0) return error;
  if (rawKnown_ && done == kHeaderSize && std::memcmp(bytes, raw_.data(), kHeaderSize) == 0) {
    headerCurrent_ = true;
    return kOk;
  }
  rawKnown_ = false;
  if (done == 0) {  // an empty file is a new one
    dropEverythingRead();
    home_ = committed_ = header_ = FileHeader::fresh();
    root_ = 0;
    headerOnDisk_ = false;
    headerValid_ = true;
    headerCurrent_ = true;
    uncommitted_ = unsure_ = false;
    touch();
    return kOk;
  }
  FileHeader disk;
  if (done < kHeaderSize || !disk.decode(bytes)) return kInvalidDataFile;
  // A header naming a region may be half written; the newest copy in the
  // region is checked instead.
  if (!disk.pending() && !plausible(disk)) return kInvalidDataFile;
  headerOnDisk_ = true;
  headerCurrent_ = true;

  // What the pages held still stand for.
  const bool known = headerValid_ && !settledInMemory_;
  // A writer copying the region home first names the tree at its end in
  // the home header, the region still named: the state stays the region's.
  const bool committedRegion = disk.pending() && disk.logEnd == disk.pendingEnd;
  if (known && disk.changeCounter == home_.changeCounter &&
      (committedRegion || sameTree(disk, home_)) &&
      (regionEnd_ == regionStart_ || disk.pendingStart == regionStart_)) {
    // The same state at home; the region may have grown.
  } else if (known && (sameStateCheckpointed(disk) || takeRestOfCheckpoint(disk))) {
    // Exactly the state held (or, with the rest of its region, the state
    // that region ended in) was copied home: only the windows over the
    // pages that moved home are out of date.
    for (const auto& [home, copy] : pendingMap_) windows_.forget(unitOffset(home), copy.length);
    windows_.carryOver(home_.changeCounter, disk.changeCounter);
    pendingMap_.clear();
    tail_.clear();
    regionStart_ = regionEnd_ = 0;
    committed_.changeCounter = disk.changeCounter;
  } else {
    dropEverythingRead();
    committed_ = disk;
    normalize(committed_);
    root_ = committed_.rootUnit;
    touch();
  }
  home_ = disk;
  headerValid_ = true;
  uncommitted_ = unsure_ = false;
  if (disk.pending()) {
    const uint64_t readable = disk.logEnd >= disk.pendingStart && disk.logEnd <= disk.pendingEnd
                                  ? disk.logEnd
                                  : disk.pendingStart;
    const uint64_t from = regionEnd_ > regionStart_ ? regionEnd_ : disk.pendingStart;
    if (readable > from && !takeRegion(disk, from, readable)) {
      again = true;
      header_ = committed_;
      root_ = committed_.rootUnit;
      return kOk;
    }
    if (readable < disk.pendingEnd) uncommitted_ = true;
  }
  header_ = committed_;
  root_ = committed_.rootUnit;
  // Known from here on, with what it names past the committed changes: the
  // same bytes stand for the same state, a change under way included (see
  // uncommitted()).
  std::memcpy(raw_.data(), bytes, kHeaderSize);
  rawKnown_ = true;
  return kOk;
}

bool PageStore::takeRestOfCheckpoint(const FileHeader& home) {
  // The region this store took in part was copied home as a whole, and a
  // new region may already be under way over its bytes. The part not taken
  // is read from where it lay: it counts for the state copied home only if
  // it runs on from what was taken, change by change, to the end the home
  // header names, its last header copy holds that state, and every page in
  // it is what now stands at its home (home pages hold still while this
  // store holds its reader slot: a copy home first waits for every reader
  // to leave). Bytes a new region wrote over it fail one or the other.
  constexpr uint64_t kMostRest = uint64_t{4} << 20;
  if (regionEnd_ <= regionStart_ || home.pending() || home.logEnd <= regionEnd_ ||
      home.logEnd - regionEnd_ > kMostRest) {
    return false;
  }
  std::vector<Found> found;
  FileHeader newest;
  uint64_t lowestEnd = committed_.logicalEnd();
  if (!scanRegion(regionEnd_, home.logEnd, true, committed_.changeCounter, found, newest,
                  &lowestEnd) ||
      newest.changeCounter + 1 != home.changeCounter || !sameTree(newest, home)) {
    tail_.clear();
    return false;
  }
  std::unordered_map<uint32_t, Copy> rest;
  if (!takeNewestCopies(found, newest, rest)) return false;
  std::vector<uint8_t> atHome;
  for (const auto& [unit, copy] : rest) {
    if (!liveCopy(newest, unit, copy.length)) continue;  // left behind: never copied home
    const uint8_t* copied = readAt(copy.offset, copy.length);
    if (copied == nullptr) return false;
    atHome.resize(copy.length);
    size_t done = 0;
    if (file_.read(unitOffset(unit), atHome.data(), atHome.size(), done) != 0 ||
        done != atHome.size() || std::memcmp(copied, atHome.data(), copy.length) != 0) {
      tail_.clear();
      return false;
    }
  }
  forgetFrom(lowestEnd);
  for (const auto& [unit, copy] : rest) {
    pendingMap_[unit] = copy;
    cache_.remove(unit);
  }
  regionEnd_ = home.logEnd;
  committed_ = newest;
  normalize(committed_);
  root_ = committed_.rootUnit;
  touch();
  return true;
}

bool PageStore::headerUnchanged() {
  if (!rawKnown_) return false;
  // The cost of every quick read: from the mapping of the file's start when
  // there is one, a memory read.
  uint8_t bytes[kHeaderSize];
  if (!file_.readStart(bytes, kHeaderSize)) {
    size_t done = 0;
    if (file_.read(0, bytes, kHeaderSize, done) != 0 || done != kHeaderSize) return false;
  }
  if (std::memcmp(bytes, raw_.data(), kHeaderSize) != 0 && !changeWentOn(bytes)) return false;
  headerCurrent_ = true;
  return true;
}

bool PageStore::changeWentOn(const uint8_t* bytes) {
  // A writer names each change in the region before it commits it for
  // readers: the header then differs from the one known in the region's end
  // alone (bytes 10 to 13), which grew. Nothing committed moved, so what
  // this store holds still stands for it; the new bytes are known from here
  // on, with a change under way (a read that finds its writer gone settles
  // it, see SharedAccess).
  constexpr size_t kEnd = 10;
  const uint32_t start = load32(raw_.data() + 6);
  const uint32_t knownEnd = load32(raw_.data() + kEnd);
  if (start == knownEnd || load32(bytes + kEnd) <= knownEnd) return false;
  if (std::memcmp(bytes, raw_.data(), kEnd) != 0 ||
      std::memcmp(bytes + kEnd + 4, raw_.data() + kEnd + 4, kHeaderSize - kEnd - 4) != 0) {
    return false;
  }
  std::memcpy(raw_.data(), bytes, kHeaderSize);
  home_.pendingEnd = load32(bytes + kEnd);
  uncommitted_ = true;
  return true;
}

bool PageStore::liveCopy(const FileHeader& state, uint32_t home, uint32_t length) {
  const int zone = state.zoneOf(home);
  return zone != 0 && static_cast<uint32_t>(zone) * kUnitSize == length &&
         (home - state.zones[zone].start) % static_cast<uint32_t>(zone) == 0;
}

bool PageStore::harmlessCopy(const FileHeader& state, uint32_t home, uint32_t length) {
  if (liveCopy(state, home, length)) return true;
  for (uint32_t unit = home; unit < home + length / kUnitSize; ++unit) {
    if (state.zoneOf(unit) != 0) return false;
  }
  return true;
}

const uint8_t* PageStore::readAt(uint64_t offset, size_t size) {
  if (!tail_.bytes.empty() && offset >= tail_.offset &&
      offset + size <= tail_.offset + tail_.bytes.size()) {
    return tail_.bytes.data() + (offset - tail_.offset);
  }
  beforeFileRead();
  readBuffer_.resize(size);
  size_t done = 0;
  if (file_.read(offset, readBuffer_.data(), size, done) != 0 || done != size) return nullptr;
  return readBuffer_.data();
}

bool PageStore::scanRegion(uint64_t from, uint64_t to, bool strict, uint32_t counter,
                           std::vector<Found>& found, FileHeader& newest, uint64_t* lowestEnd) {
  found.clear();
  // A region past the end of the file (named by a header caught half
  // written) fails on the short read.
  if (from < kHeaderSize || to < from || (from - kHeaderSize) % kUnitSize != 0 ||
      (to - from) % kUnitSize != 0) {
    return false;
  }
  tail_.clear();
  if (to - from <= kTailBytes) {
    beforeFileRead();
    tail_.offset = from;
    tail_.bytes.resize(static_cast<size_t>(to - from));
    size_t done = 0;
    if (file_.read(from, tail_.bytes.data(), tail_.bytes.size(), done) != 0 ||
        done != tail_.bytes.size()) {
      tail_.clear();
      return false;
    }
  }
  const uint64_t start = strict ? regionStart_ : from;
  bool anyCopy = false;
  bool endsWithCopy = false;
  for (uint64_t position = from; position < to;) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(kHeaderSize, to - position));
    const uint8_t* bytes = readAt(position, want);
    if (bytes == nullptr) return false;
    const uint32_t home = load32(bytes);
    if (home == 0) {  // a header copy
      FileHeader copy;
      if (want < kHeaderSize || !copy.decode(bytes)) return false;
      position += kHeaderSize;
      if (strict && (copy.changeCounter != ++counter || copy.pendingStart != start ||
                     copy.pendingEnd != position)) {
        return false;
      }
      newest = copy;
      if (lowestEnd != nullptr) *lowestEnd = std::min(*lowestEnd, copy.logicalEnd());
      anyCopy = endsWithCopy = true;
      continue;
    }
    const uint32_t stored = load16(bytes + 4);
    const uint32_t length = roundUnits(stored);
    if (stored < kPageHeaderSize || length > kMaxPageBytes || position + length > to) return false;
    found.push_back({home, position, length});
    position += length;
    endsWithCopy = false;
  }
  return anyCopy && (!strict || endsWithCopy);
}

bool PageStore::takeNewestCopies(const std::vector<Found>& found, const FileHeader& state,
                                 std::unordered_map<uint32_t, Copy>& copies) {
  // The newest copy of each page counts: an older one is passed over.
  std::unordered_map<uint32_t, Copy> newest;
  for (const Found& page : found) newest[page.home] = {page.offset, page.length};
  for (const auto& [home, copy] : newest) {
    if (!harmlessCopy(state, home, copy.length)) {
      tail_.clear();
      return false;
    }
  }
  copies.insert(newest.begin(), newest.end());
  return true;
}

void PageStore::forgetFrom(uint64_t lowestEnd) {
  // Changes may have written pages straight home past the lowest end of the
  // states they passed through: what was read there before is stale.
  windows_.forgetFrom(lowestEnd);
  cache_.removeFrom(static_cast<PageNumber>((lowestEnd - kHeaderSize) / kUnitSize));
}

bool PageStore::takeRegion(const FileHeader& disk, uint64_t from, uint64_t to) {
  // Only the first change of a region writes pages straight home.
  const bool firstChange = from == disk.pendingStart;
  if (regionEnd_ == regionStart_) regionStart_ = disk.pendingStart;
  std::vector<Found> found;
  FileHeader newest;
  uint64_t lowestEnd = committed_.logicalEnd();
  // The walk read the last header copy, which ends at `to`.
  if (!scanRegion(from, to, true, committed_.changeCounter, found, newest, &lowestEnd) ||
      !plausible(newest, to)) {
    if (regionEnd_ == regionStart_) regionStart_ = regionEnd_ = 0;
    tail_.clear();
    return false;
  }
  std::unordered_map<uint32_t, Copy> newestCopies;
  if (!takeNewestCopies(found, newest, newestCopies)) return false;
  if (firstChange) forgetFrom(lowestEnd);
  for (const auto& [home, copy] : newestCopies) {
    pendingMap_[home] = copy;
    cache_.remove(home);
  }
  regionEnd_ = to;
  committed_ = newest;
  normalize(committed_);
  root_ = committed_.rootUnit;
  touch();
  return true;
}

void PageStore::beforeFileRead() {
  if (readGuard_ == nullptr) return;
  ReadGuard* guard = readGuard_;
  readGuard_ = nullptr;
  guard->beforeFileRead();
}

const uint8_t* PageStore::storedPage(uint32_t unit, size_t size) {
  if (!pendingMap_.empty()) {
    if (const auto copy = pendingMap_.find(unit); copy != pendingMap_.end()) {
      if (copy->second.length != size) internalFailure(FailurePlace::PageLength);
      const uint8_t* bytes = readAt(copy->second.offset, size);
      if (bytes == nullptr) internalFailure(FailurePlace::PageRead);
      return bytes;
    }
  }
  const uint64_t offset = unitOffset(unit);
  if (readGuard_ != nullptr && !windows_.holds(offset, size, home_.changeCounter)) {
    beforeFileRead();
  }
  // Leaves a long change sent home are read back one by one: windows over
  // them would only fill memory.
  if (offset < sentHomeFrom_) {
    if (const uint8_t* bytes = windows_.find(file_, offset, size, home_.changeCounter))
      return bytes;
  }
  beforeFileRead();
  readBuffer_.resize(size);
  size_t done = 0;
  if (file_.read(offset, readBuffer_.data(), size, done) != 0 || done != size) {
    internalFailure(FailurePlace::PageRead);
  }
  return readBuffer_.data();
}

FileHeader& PageStore::headerForChange() {
  headerChanged_ = true;
  return header_;
}

bool PageStore::loadPending() {
  dropEverythingRead();
  std::vector<Found> found;
  FileHeader newest = home_;
  if (!home_.pending() ||
      !scanRegion(home_.pendingStart, home_.pendingEnd, false, 0, found, newest) ||
      !plausible(newest)) {
    tail_.clear();
    return false;
  }
  if (!takeNewestCopies(found, newest, pendingMap_)) return false;
  regionStart_ = home_.pendingStart;
  regionEnd_ = home_.pendingEnd;
  newest.pendingStart = home_.pendingStart;
  newest.pendingEnd = home_.pendingEnd;
  newest.logEnd = 0;
  committed_ = header_ = newest;
  root_ = newest.rootUnit;
  settledInMemory_ = true;
  uncommitted_ = unsure_ = false;
  rawKnown_ = false;  // the state shown is no longer the home header's
  headerValid_ = true;
  touch();
  return true;
}

int PageStore::copyRegionHome(const std::vector<std::pair<uint32_t, Copy>>& pages) {
  // A region of single changes (at most the largest region limit and one
  // change past it) is read in one piece, and pages that are neighbours at
  // home are written in one piece.
  constexpr uint64_t kReadWhole = uint64_t{8} << 20;
  std::unique_ptr<uint8_t[]> region;
  size_t regionBytes = 0;
  if (regionEnd_ > regionStart_ && regionEnd_ - regionStart_ <= kReadWhole) {
    beforeFileRead();
    regionBytes = static_cast<size_t>(regionEnd_ - regionStart_);
    region = std::make_unique_for_overwrite<uint8_t[]>(regionBytes);
    size_t done = 0;
    if (file_.read(regionStart_, region.get(), regionBytes, done) != 0 || done != regionBytes)
      internalFailure(FailurePlace::PageRead);
  }
  JoinedWrite run(kRegionWriteBytes);
  for (const auto& [home, copy] : pages) {
    const uint8_t* bytes =
        copy.offset >= regionStart_ && copy.offset + copy.length <= regionStart_ + regionBytes
            ? region.get() + (copy.offset - regionStart_)
            : readAt(copy.offset, copy.length);
    if (bytes == nullptr) internalFailure(FailurePlace::PageRead);
    if (!run.takes(unitOffset(home))) {
      if (const int error = writeAt(run.at(), run.data(), run.size()); error != 0) return error;
      run.clear();
    }
    run.add(unitOffset(home), bytes, copy.length);
  }
  if (!run.empty()) return writeAt(run.at(), run.data(), run.size());
  return kOk;
}

int PageStore::rollForward() {
  // Settling a region whose writer is gone, with every reader kept out by
  // the caller: the newest copies of the pages live in the state at its end
  // go home, the rest lie outside every zone.
  std::vector<std::pair<uint32_t, Copy>> pages;
  for (const auto& entry : pendingMap_) {
    if (liveCopy(committed_, entry.first, entry.second.length)) pages.push_back(entry);
  }
  std::sort(pages.begin(), pages.end(), byHome);
  const uint64_t emptied = regionEnd_;
  int error = writeTreeHome(committed_);
  if (error == 0) error = copyRegionHome(pages);
  if (error == 0) error = file_.flush();
  FileHeader state = committed_;
  if (error == 0) error = completeChange(state, emptied, false);
  dropEverythingRead();
  if (error != 0) {
    headerCurrent_ = headerValid_ = false;
    return error;
  }
  committed_ = header_ = state;
  root_ = state.rootUnit;
  uncommitted_ = unsure_ = false;
  touch();
  return kOk;
}

int PageStore::dropPending(bool write) {
  dropEverythingRead();
  headerCurrent_ = false;
  headerValid_ = false;
  uint8_t bytes[kHeaderSize];
  size_t done = 0;
  int error = file_.read(0, bytes, kHeaderSize, done);
  if (error != 0) return error;
  FileHeader disk;
  if (done < kHeaderSize || !disk.decode(bytes) || !plausible(disk)) return kInvalidDataFile;
  home_ = disk;
  committed_ = disk;
  normalize(committed_);
  header_ = committed_;
  root_ = committed_.rootUnit;
  headerValid_ = headerCurrent_ = true;
  uncommitted_ = unsure_ = false;
  rawKnown_ = false;  // the state shown is no longer the home header's
  touch();
  if (!write) return kOk;
  // Readers that took nothing of the region keep their pages.
  FileHeader state = committed_;
  return completeChange(state, disk.pendingStart, false);
}

void PageStore::setRoot(PageNumber root) {
  root_ = root;
  headerChanged_ = true;
}

PagePtr PageStore::page(PageNumber number) {
  if (!dirty_.empty()) {
    if (auto it = dirty_.find(number); it != dirty_.end()) return unfrozen(it->second);
  }
  if (PagePtr cached = cache_.find(number)) return cached;
  if (number <= 0) internalFailure(FailurePlace::UnitInNoZone);
  const uint32_t unit = static_cast<uint32_t>(number);
  const int zone = header_.zoneOf(unit);
  if (zone == 0) internalFailure(FailurePlace::UnitInNoZone);
  const size_t size = static_cast<size_t>(zone) * kUnitSize;
  return decodeIntoCache(number, storedPage(unit, size), size);
}

PagePtr PageStore::decodeIntoCache(PageNumber number, const uint8_t* bytes, size_t size) {
  const auto unit = static_cast<uint32_t>(number);
  cache_.trim();  // before the load, which may then reuse a trimmed page
  PagePtr loaded = cache_.takeSpare();
  if (loaded) {
    loaded->setNumber(number);
  } else {
    loaded = std::make_shared<Page>(number, 0);
  }
  const PageFault fault = PageCodec::decode(bytes, size, unit, *loaded);
  if (fault != PageFault::None) internalFailure(failurePlaceOf(fault));
  cache_.add(loaded);
  return loaded;
}

std::optional<bool> PageStore::findInLargeLeaf(PageNumber number, Bytes key,
                                               std::vector<uint8_t>* data) {
  // Leaves of at most this many items, unpacked to more than a soft split's
  // measure, are read this way.
  constexpr uint32_t kFewItems = 4;
  if (number <= 0) return std::nullopt;
  if (!dirty_.empty() && dirty_.count(number) != 0) return std::nullopt;
  if (cache_.find(number)) return std::nullopt;
  const uint32_t unit = static_cast<uint32_t>(number);
  const int zone = header_.zoneOf(unit);
  if (zone == 0) return std::nullopt;
  const size_t size = static_cast<size_t>(zone) * kUnitSize;
  const uint8_t* bytes = storedPage(unit, size);
  if (bytes[12] != 0 || load16(bytes + 10) > kFewItems || load16(bytes + 6) <= kSoftSplitMeasure) {
    // Any other page is cached as page() would, without reading it again.
    decodeIntoCache(number, bytes, size);
    return std::nullopt;
  }
  bool found = false;
  const PageFault fault = PageCodec::findInLeaf(bytes, size, unit, key, data, found);
  if (fault != PageFault::None) internalFailure(failurePlaceOf(fault));
  return found;
}

bool PageStore::readStoredPage(uint32_t unit, std::vector<uint8_t>& bytes) {
  const int zone = header_.zoneOf(unit);
  if (zone == 0) return false;
  bytes.resize(static_cast<size_t>(zone) * kUnitSize);
  beforeFileRead();
  const auto copy = pendingMap_.find(unit);
  const uint64_t offset = copy == pendingMap_.end() ? unitOffset(unit) : copy->second.offset;
  if (copy != pendingMap_.end() && copy->second.length != bytes.size()) return false;
  size_t done = 0;
  return file_.read(offset, bytes.data(), bytes.size(), done) == 0 && done == bytes.size();
}

PagePtr PageStore::pageForChange(PageNumber number) {
  if (auto it = dirty_.find(number); it != dirty_.end()) return unfrozen(it->second);
  PagePtr found = page(number);
  cache_.remove(number);
  dirty_.emplace(number, found);
  unfrozen_.push_back(number);
  return found;
}

PagePtr PageStore::pageForChange(const PagePtr& page) {
  if (auto it = dirty_.find(page->number()); it != dirty_.end()) return unfrozen(it->second);
  cache_.remove(page->number());
  dirty_.emplace(page->number(), page);
  unfrozen_.push_back(page->number());
  return page;
}

PagePtr PageStore::newPage(uint8_t level) {
  const PageNumber number = nextTemporary_--;
  auto created = std::make_shared<Page>(number, level);
  dirty_.emplace(number, created);
  unfrozen_.push_back(number);
  return created;
}

void PageStore::freePage(PageNumber number) {
  dirty_.erase(number);
  cache_.remove(number);
  if (number > 0) freed_.push_back(static_cast<uint32_t>(number));
}

void PageStore::renumber(const PagePtr& moved, PageNumber number) {
  dirty_.erase(moved->number());
  cache_.remove(moved->number());
  // A page another handle moved away may still be cached at the unit this
  // one takes: the region named no new copy of it.
  cache_.remove(number);
  moved->setNumber(number);
  dirty_[number] = moved;
  if (!moved->frozen()) unfrozen_.push_back(number);
}

PagePtr PageStore::unfrozen(const PagePtr& changed) {
  if (changed->frozen()) {
    bringBack(*changed);
    changed->thaw();
    unfrozen_.push_back(changed->number());
  }
  return changed;
}

void PageStore::keepChangeSmall() {
  if (unfrozen_.size() < kFreezeEvery) return;
  // Only the pages changed or thawed since the last time, and the inner
  // pages waiting to go home, are looked at. The pages not in use that can
  // be placed past the end of the file go home at once and leave memory; the
  // stored forms of the leaves that stay go to the scratch file in one
  // piece, so that the change holds only some hundred bytes for each. An
  // inner page goes home only once a whole round has passed without it
  // changing: those the change keeps coming back to (where it grows) stay
  // in memory rather than being packed and read back again and again.
  std::vector<PagePtr> done;
  std::vector<PageNumber> inUse;
  std::vector<PageNumber> waiting;
  waiting.swap(innerWaiting_);
  for (PageNumber number : unfrozen_) {
    const auto entry = dirty_.find(number);
    if (entry == dirty_.end()) continue;  // freed, or listed twice and done
    if (entry->second.use_count() != 1) {
      inUse.push_back(number);
      continue;
    }
    Page& page = *entry->second;
    if (!page.isLeaf()) {
      innerWaiting_.push_back(number);
      continue;
    }
    // A leaf moved to make room was frozen as it moved; one listed twice
    // may be done already.
    if (page.frozen() ? page.storedBodyAway() : (page.freeze(), !page.frozen())) continue;
    done.push_back(entry->second);
  }
  std::sort(unfrozen_.begin(), unfrozen_.end());
  for (PageNumber number : waiting) {
    if (std::binary_search(unfrozen_.begin(), unfrozen_.end(), number)) continue;  // changed
    const auto entry = dirty_.find(number);
    if (entry == dirty_.end() || entry->second->isLeaf()) continue;
    if (entry->second.use_count() != 1) {
      innerWaiting_.push_back(number);
    } else {
      done.push_back(entry->second);
    }
  }
  unfrozen_.swap(inUse);
  std::sort(done.begin(), done.end());
  done.erase(std::unique(done.begin(), done.end()), done.end());
  // Pages are placed in a fixed order, so that runs of the same change
  // write the same.
  std::sort(done.begin(), done.end(),
            [](const PagePtr& a, const PagePtr& b) { return a->number() < b->number(); });
  const bool homeTaken = sendHome(done);
  std::vector<PagePtr> frozen;
  for (PagePtr& page : done) {
    if (page->isLeaf()) {
      // Finding a parent may have thawed a leaf (it is listed again then).
      if (page->frozen() && !page->storedBodyAway()) frozen.push_back(std::move(page));
    } else if (homeTaken) {
      innerWaiting_.push_back(page->number());  // its children are not all placed yet
    }
  }
  std::sort(innerWaiting_.begin(), innerWaiting_.end());
  innerWaiting_.erase(std::unique(innerWaiting_.begin(), innerWaiting_.end()), innerWaiting_.end());
  std::vector<uint8_t> stored;
  for (const PagePtr& leaf : frozen)
    stored.insert(stored.end(), leaf->storedBody().begin(), leaf->storedBody().end());
  uint64_t place = 0;
  if (!frozen.empty() && scratch_.append(stored.data(), stored.size(), place)) {
    for (const PagePtr& leaf : frozen) {
      const size_t length = leaf->storedBody().size();
      leaf->giveStoredBodyAway(place);
      place += length;
    }
  }
}

void PageStore::placeForHome(ZoneAllocator& allocator, const PagePtr& page) {
  const auto units = static_cast<int>(page->unitsNeeded());
  // Units freed by the change are given back only as it is written (see
  // assignUnits): until then no page is placed, since making room could
  // move one of them.
  if (!freed_.empty()) return;
  if (page->number() > 0) {
    const auto unit = static_cast<uint32_t>(page->number());
    const int zone = header_.zoneOf(unit);
    // A leaf whose size changed keeps its stored form in the scratch file
    // until the change is written; an inner page (a few of them, cold) is
    // placed anew: its place goes back to its zone, whose last page (a live
    // one) fills it.
    if (zone == units || page->isLeaf()) return;
    const PageNumber temporary = nextTemporary_--;
    pointParentAt(*page, temporary);
    renumber(page, temporary);
    allocator.release(unit, zone);
  }
  const uint32_t unit = allocator.allocate(units);
  pointParentAt(*page, unit);
  renumber(page, unit);
  touch();
}

bool PageStore::sendHome(std::vector<PagePtr>& pages) {
  if (pages.empty() || durable_ || uncommitted_ || unsure_ || settledInMemory_ ||
      !file_.writable() || file_.stickyError() != 0) {
    return false;
  }
  // The region must be empty (invariant 7): one holding committed changes
  // is copied home first.
  if (holdsChanges() && checkpoint() != kOk) return false;
  if (holdsChanges()) return false;
  const uint64_t homeFrom = std::max(committed_.logicalEnd(), home_.logicalEnd());
  sentHomeFrom_ = homeFrom;
  ZoneAllocator allocator(header_, *this);
  // Leaves first, then inner pages a level at a time: a page is placed
  // after the pages below it, whose places it names.
  std::stable_sort(pages.begin(), pages.end(),
                   [](const PagePtr& a, const PagePtr& b) { return a->level() < b->level(); });
  for (const PagePtr& page : pages) placeForHome(allocator, page);
  std::vector<PagePtr> going, staying;
  for (PagePtr& page : pages) {
    const bool placed =
        page->number() > 0 &&
        static_cast<uint32_t>(header_.zoneOf(static_cast<uint32_t>(page->number()))) ==
            page->unitsNeeded();
    // An inner page goes only once every page below it has a place.
    const bool ready = placed && (page->isLeaf() || page->childrenPlaced());
    (ready && unitOffset(static_cast<uint32_t>(page->number())) >= homeFrom ? going : staying)
        .push_back(std::move(page));
  }
  // Pages moved up to make room for later ones keep their size and stay
  // past the end; neighbours in the file are written in one piece.
  std::sort(going.begin(), going.end(),
            [](const PagePtr& a, const PagePtr& b) { return a->number() < b->number(); });
  JoinedWrite piece(kRegionWriteBytes);
  std::vector<uint8_t> encoded;
  size_t first = 0;  // the first page of the piece
  auto writePiece = [&](size_t end) {
    if (first == end) return;
    const bool written =
        file_.stickyError() == 0 && writeAt(piece.at(), piece.data(), piece.size()) == 0;
    for (size_t i = first; i < end; ++i) {
      if (written) {
        dirty_.erase(going[i]->number());  // home holds it now
      } else {
        staying.push_back(going[i]);  // kept in the change, to fail with it
      }
    }
    piece.clear();
    first = end;
  };
  for (size_t i = 0; i < going.size(); ++i) {
    const auto unit = static_cast<uint32_t>(going[i]->number());
    if (!piece.takes(unitOffset(unit))) writePiece(i);
    going[i]->encode(unit, encoded);
    piece.add(unitOffset(unit), encoded.data(), encoded.size());
  }
  writePiece(going.size());
  pages.swap(staying);
  return true;
}

void PageStore::bringBack(Page& page) {
  if (!page.storedBodyAway()) return;
  std::vector<uint8_t> body(page.awayLength());
  if (!scratch_.read(page.awayPlace(), body.data(), body.size())) {
    internalFailure(FailurePlace::PageAway);
  }
  page.takeStoredBodyBack(std::move(body));
}

void PageStore::dropChangedPages() {
  sentHomeFrom_ = UINT64_MAX;
  dirty_.clear();
  unfrozen_.clear();
  innerWaiting_.clear();
  scratch_.clear();
}

void PageStore::pointParentAt(const Page& child, PageNumber number) {
  size_t slot = 0;
  PagePtr parent = ItemTree::parentOf(*this, child, slot);
  if (!parent) {
    setRoot(number);
    return;
  }
  pageForChange(parent->number())->setChild(slot, number);
}

void PageStore::movePage(uint32_t from, uint32_t to) {
  // A changed leaf moves as it is: a frozen one is not unpacked for the
  // move, so that a long change making room for itself stays small. A leaf
  // read only to be moved keeps the stored form it was read in, and is
  // listed for keepChangeSmall as a thawed one would be.
  const auto changed = dirty_.find(from);
  PagePtr moved = changed != dirty_.end() ? changed->second : cache_.find(from);
  const bool read = !moved;
  if (read) moved = storedForMove(from);
  pointParentAt(*moved, to);
  renumber(moved, to);
  if (read && moved->frozen()) unfrozen_.push_back(to);
  // A leaf read only to be moved is kept in its stored form as well
  // (nobody else holds it: this call and the change).
  if (moved.use_count() == 2) moved->freeze();
}

PagePtr PageStore::storedForMove(uint32_t unit) {
  const int zone = header_.zoneOf(unit);
  if (zone == 0) internalFailure(FailurePlace::UnitInNoZone);
  const size_t size = static_cast<size_t>(zone) * kUnitSize;
  auto moving = std::make_shared<Page>(unit, 0);
  const PageFault fault = PageCodec::decodeFrozen(storedPage(unit, size), size, unit, *moving);
  if (fault != PageFault::None) internalFailure(failurePlaceOf(fault));
  return moving;
}

void PageStore::assignUnits() {
  ZoneAllocator allocator(header_, *this);
  auto snapshot = [this] {
    std::vector<PagePtr> pages;
    pages.reserve(dirty_.size());
    for (const auto& entry : dirty_) pages.push_back(entry.second);
    // A fixed order keeps runs of the same change reproducible.
    std::sort(pages.begin(), pages.end(),
              [](const PagePtr& a, const PagePtr& b) { return a->number() < b->number(); });
    return pages;
  };
  // Pages whose size changed leave their zone: they get temporary numbers
  // and their old units join the freed ones.
  for (const PagePtr& changed : snapshot()) {
    if (changed->number() <= 0) continue;
    const uint32_t unit = static_cast<uint32_t>(changed->number());
    if (changed->unitsNeeded() == static_cast<uint32_t>(header_.zoneOf(unit))) continue;
    freed_.push_back(unit);
    const PageNumber temporary = nextTemporary_--;
    pointParentAt(*changed, temporary);
    renumber(changed, temporary);
  }
  // Freed units go back highest first, so that the last page of a zone,
  // which fills a hole, is always a live one.
  std::vector<std::pair<int, uint32_t>> released;
  for (uint32_t unit : freed_) released.emplace_back(header_.zoneOf(unit), unit);
  std::sort(released.begin(), released.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : a.second > b.second;
  });
  for (const auto& [zone, unit] : released) {
    if (zone == 0) internalFailure(FailurePlace::UnitInNoZone);
    allocator.release(unit, zone);
  }
  freed_.clear();
  for (const PagePtr& placed : snapshot()) {
    if (placed->number() > 0) continue;
    const uint32_t unit = allocator.allocate(static_cast<int>(placed->unitsNeeded()));
    pointParentAt(*placed, unit);
    renumber(placed, unit);
  }
}

int PageStore::writeAt(uint64_t offset, const uint8_t* bytes, size_t length) {
  const int error = file_.write(offset, bytes, length);
  if (error == 0) windows_.patch(offset, bytes, length);
  if (!tail_.bytes.empty() && offset < tail_.offset + tail_.bytes.size() &&
      tail_.offset < offset + length) {
    tail_.clear();
  }
  return error;
}

int PageStore::writeHomeHeader(const FileHeader& header) {
  header.encode(raw_.data());
  rawKnown_ = false;
  const int error = writeAt(0, raw_.data(), kHeaderSize);
  if (error == 0) home_ = header;
  return error;
}

int PageStore::completeChange(FileHeader& state, uint64_t emptiedEnd, bool excludeReaders) {
  normalize(state);
  ++state.changeCounter;
  // Says which region this header empties: a reader that took exactly that
  // region keeps its pages.
  state.logEnd = static_cast<uint32_t>(emptiedEnd);
  const uint32_t before = home_.changeCounter;
  if (excludeReaders && exclusion_ != nullptr) {
    if (const int error = exclusion_->exclude(); error != 0) return error;
  }
  int error = writeHomeHeader(state);
  if (excludeReaders && exclusion_ != nullptr) exclusion_->admit();
  if (error == 0) error = file_.flush();
  if (error != 0) return error;
  rawKnown_ = true;
  windows_.carryOver(before, state.changeCounter);
  committed_.changeCounter = state.changeCounter;
  header_.changeCounter = state.changeCounter;
  pendingMap_.clear();
  tail_.clear();
  regionStart_ = regionEnd_ = 0;
  // The file keeps room for the next region; much more than that is given
  // back.
  // (A change under way may have placed pages past the committed end.)
  const uint64_t end = std::max(state.logicalEnd(), header_.logicalEnd());
  uint64_t size = 0;
  const uint64_t keep = end + regionSlack() + 2 * regionLimit();
  if (file_.size(size) == 0 && size > keep) file_.file().truncate(end);
  return kOk;
}

uint64_t PageStore::regionSlack() const {
  const uint64_t end = std::max(committed_.logicalEnd(), header_.logicalEnd());
  return std::clamp<uint64_t>(end / 8, uint64_t{64} << 10, uint64_t{1} << 20);
}

void PageStore::setRegionLimit(uint64_t bytes) {
  chosenRegionLimit = bytes;
}

uint64_t PageStore::regionLimit() const {
  if (const uint64_t chosen = chosenRegionLimit.load(); chosen != 0) return chosen;
  // Half the file, within bounds: readers that must read the region whole
  // again never read much more than the file.
  return std::clamp<uint64_t>(committed_.logicalEnd() / 2, uint64_t{64} << 10, uint64_t{4} << 20);
}

bool PageStore::appendKeepsRegionSound() {
  if (header_.logicalEnd() > regionStart_) return false;
  for (const auto& [home, copy] : pendingMap_) {
    if (dirty_.count(home) != 0) continue;  // written again by this change
    if (!harmlessCopy(header_, home, copy.length)) return false;
  }
  return true;
}

int PageStore::writeRegion(bool committed) {
  assignUnits();
  header_.rootUnit = static_cast<uint32_t>(root_);
  if (holdsChanges() && (!committed || !appendKeepsRegionSound())) {
    // A transaction's change starts an empty region (the transaction control
    // file may drop it whole); one the region could not take whole either.
    if (const int error = checkpoint(); error != 0) return error;
  }
  const bool fresh = !holdsChanges();
  const uint64_t start =
      fresh ? roundUnits64(std::max(committed_.logicalEnd(), header_.logicalEnd()) + regionSlack())
            : regionStart_;
  const uint64_t at = fresh ? start : regionEnd_;

  std::vector<PagePtr> pages;
  pages.reserve(dirty_.size());
  for (const auto& entry : dirty_) pages.push_back(entry.second);
  std::sort(pages.begin(), pages.end(),
            [](const PagePtr& a, const PagePtr& b) { return a->number() < b->number(); });
  int error = 0;
  if (!headerOnDisk_) {  // a new file gets its header before anything else
    error = writeHomeHeader(home_);
    if (error != 0) return error;
    headerOnDisk_ = true;
  }
  const uint32_t counter = committed_.changeCounter + 1;
  writtenCounter_ = counter;
  // 1. The change, past the end of the region, written a piece at a time so
  // that a long change is never held packed in memory as a whole.
  std::vector<uint8_t> region;
  uint64_t written = 0;
  auto writeOut = [&] {
    if (error == 0 && !region.empty()) error = writeAt(at + written, region.data(), region.size());
    written += region.size();
    region.clear();
  };
  // Pages lying wholly past the end of every state a crash or a reader can
  // find go straight home, when the region is empty (see invariant 7).
  const uint64_t homeFrom =
      fresh ? std::max(committed_.logicalEnd(), home_.logicalEnd()) : UINT64_MAX;
  JoinedWrite direct(kRegionWriteBytes);
  auto writeDirect = [&] {
    if (error == 0 && !direct.empty()) error = writeAt(direct.at(), direct.data(), direct.size());
    direct.clear();
  };
  std::vector<Found> placed;
  std::vector<uint8_t> encoded;
  for (const PagePtr& changed : pages) {
    const uint32_t home = static_cast<uint32_t>(changed->number());
    const bool away = changed->storedBodyAway();
    const uint64_t place = changed->awayPlace();
    bringBack(*changed);
    changed->encode(home, encoded);
    if (away) changed->giveStoredBodyAway(place);  // the same bytes are still there
    if (encoded.size() != static_cast<size_t>(header_.zoneOf(home)) * kUnitSize) {
      internalFailure(FailurePlace::PageLength);
    }
    if (unitOffset(home) >= homeFrom) {
      // Neighbours in the file are written in one piece.
      if (!direct.takes(unitOffset(home))) writeDirect();
      direct.add(unitOffset(home), encoded.data(), encoded.size());
      continue;
    }
    placed.push_back({home, at + written + region.size(), static_cast<uint32_t>(encoded.size())});
    region.insert(region.end(), encoded.begin(), encoded.end());
    if (region.size() >= kRegionWriteBytes) writeOut();
  }
  writeDirect();
  const uint64_t end = at + written + region.size() + kHeaderSize;
  if (end > UINT32_MAX) internalFailure(FailurePlace::ZoneFull);
  FileHeader copy = header_;
  copy.pendingStart = static_cast<uint32_t>(start);
  copy.pendingEnd = static_cast<uint32_t>(end);
  copy.logEnd = 0;  // a copy starts with home 0
  copy.changeCounter = counter;
  region.resize(region.size() + kHeaderSize);
  copy.encode(region.data() + region.size() - kHeaderSize);
  store16(region.data() + region.size() - kHeaderSize + 4, kHeaderSize);  // home 0, 512 bytes
  writeOut();
  // 2. Made durable, then named in the home header, which is made durable:
  // the change is committed. Readers take it once bytes 0 to 3 say so.
  if (error == 0) error = file_.flush();
  FileHeader named = home_;
  named.pendingStart = copy.pendingStart;
  named.pendingEnd = copy.pendingEnd;
  if (fresh) named.logEnd = copy.pendingStart;
  if (error == 0) error = writeHomeHeader(named);
  if (error == 0) error = file_.flush();
  if (error != 0) return error;

  regionStart_ = start;
  regionEnd_ = end;
  for (const Found& page : placed) pendingMap_[page.home] = {page.offset, page.length};
  committed_ = copy;
  normalize(committed_);
  header_ = committed_;
  for (auto& entry : dirty_) {
    // A frozen leaf is read again if it is wanted.
    if (!entry.second->frozen()) cache_.add(std::move(entry.second));
  }
  dropChangedPages();
  headerChanged_ = false;
  durable_ = true;
  return kOk;
}

int PageStore::writeTreeHome(const FileHeader& state) {
  // The home header takes the tree of the region's end while it still names
  // the region: the header that empties the region then differs from it in
  // the pending fields and the counter only, all in its first 64 bytes, so
  // that a write of it cut short leaves one header or the other.
  FileHeader named = state;
  named.pendingStart = home_.pendingStart;
  named.pendingEnd = home_.pendingEnd;
  named.logEnd = home_.logEnd;
  named.changeCounter = home_.changeCounter;
  return writeHomeHeader(named);
}

int PageStore::markCommitted() {
  if (!durable_) return kOk;
  durable_ = false;
  FileHeader named = home_;
  named.logEnd = named.pendingEnd;
  // Needs no flush of its own: a crash before it reaches the disk leaves
  // the change to be settled, and settling keeps it.
  const int error = writeHomeHeader(named);
  if (error == 0) {
    rawKnown_ = true;
    uncommitted_ = unsure_ = false;
  }
  return error;
}

int PageStore::makeDurable() {
  if (durable_ || !changing()) return kOk;
  writtenCounter_ = 0;
  int error = file_.stickyError();
  if (error == 0 && !file_.writable()) error = kAccessDenied;
  if (error == 0) error = writeRegion(false);
  if (error != 0) {
    reloadAfterFailure();
    return error;
  }
  // Until it is committed the home header names more than readers may take.
  rawKnown_ = false;
  uncommitted_ = unsure_ = false;  // this store shows its own change
  return kOk;
}

int PageStore::completeDurable() {
  if (!durable_) return kOk;
  int error = markCommitted();
  if (error == 0 && regionEnd_ - regionStart_ > regionLimit()) error = checkpoint();
  if (error != 0) reloadAfterFailure();
  return error;
}

int PageStore::commit() {
  if (durable_) return completeDurable();
  if (!changing()) return kOk;
  writtenCounter_ = 0;
  int error = file_.stickyError();
  if (error == 0 && !file_.writable()) error = kAccessDenied;
  if (error == 0) error = writeRegion(true);
  if (error == 0) error = markCommitted();
  if (error == 0 && regionEnd_ - regionStart_ > regionLimit()) error = checkpoint();
  if (error != 0) reloadAfterFailure();
  return error;
}

int PageStore::checkpoint() {
  if (!holdsChanges() || durable_ || uncommitted_ || settledInMemory_) return kOk;
  if (const int error = file_.stickyError(); error != 0) return error;
  if (!file_.writable()) return kAccessDenied;
  std::vector<std::pair<uint32_t, Copy>> pages;
  for (const auto& entry : pendingMap_) {
    if (liveCopy(committed_, entry.first, entry.second.length)) pages.push_back(entry);
  }
  std::sort(pages.begin(), pages.end(), byHome);
  // A reader inside an access may not know the whole region yet, and would
  // read some of these pages at home: it leaves first. Readers that come
  // after know the whole region and read its pages from there.
  if (exclusion_ != nullptr) {
    if (const int error = exclusion_->exclude(); error != 0) return error;
    exclusion_->admit();
  }
  int error = writeTreeHome(committed_);
  if (error == 0) error = copyRegionHome(pages);
  if (error == 0) error = file_.flush();
  FileHeader state = committed_;
  if (error == 0) error = completeChange(state, regionEnd_, true);
  return error;
}

void PageStore::countChangesFrom(uint32_t counter) {
  if (headerOnDisk_) return;  // too late: the header on disk counts already
  home_.changeCounter = committed_.changeCounter = header_.changeCounter = counter;
}

int PageStore::giveBackRoom() {
  if (holdsChanges() || changing()) return kOk;
  int error = file_.truncate(committed_.logicalEnd());
  if (error == 0) error = file_.flush();
  if (error == 0) windows_.clear();
  return error;
}

void PageStore::forgetChange() {
  dropChangedPages();
  freed_.clear();
  headerChanged_ = false;
  header_ = committed_;
  root_ = header_.rootUnit;
  touch();
}

int PageStore::rollback() {
  if (durable_) {
    // The home header names the transaction's change: it is set back, so
    // that no later open rolls it forward. The region held nothing else.
    durable_ = false;
    forgetChange();
    const int error = dropPending();
    if (error != 0) reloadAfterFailure();
    return error;
  }
  forgetChange();
  // Pages moved out of the cache into the change were changed in place;
  // the cache holds only untouched pages.
  return kOk;
}

bool PageStore::failedChangeStands() const {
  return writtenCounter_ != 0 && header_.changeCounter >= writtenCounter_;
}

void PageStore::reloadAfterFailure() {
  dropEverythingRead();
  durable_ = false;
  rawKnown_ = false;
  dropChangedPages();
  freed_.clear();
  headerChanged_ = false;
  headerCurrent_ = false;
  headerValid_ = false;
  // Show the file as the next open will find it (without writing to it).
  if (readHeader() == kOk && uncommitted_) loadPending();
  root_ = header_.rootUnit;
  touch();
}

void PageStore::close() {
  file_.close();
  durable_ = false;
  rawKnown_ = false;
  dropEverythingRead();
  dropChangedPages();
  freed_.clear();
  home_ = committed_ = header_ = FileHeader::fresh();
  root_ = 0;
  headerCurrent_ = headerChanged_ = headerOnDisk_ = headerValid_ = uncommitted_ = unsure_ = false;
  writtenCounter_ = 0;
  touch();
}

}  // namespace zor::tarnwick
