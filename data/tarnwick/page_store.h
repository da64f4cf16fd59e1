#pragma once
// The pages of one open file and the protocol that changes them atomically.
//
// Pages changed by the current change stay in memory ("dirty") until it is
// written. Writing a change appends its pages, packed, and then a copy of
// the new header to the pending region past the logical end of the file,
// makes them durable, and then names the new end of the region in the
// header at offset 0 (the "home header") and makes that durable: from there
// on the change is committed, and a crash is settled at the next open by
// copying the region's pages home. The pages are not copied home at once:
// the region goes on collecting the changes that follow (each one's pages,
// then its header copy), and is copied home as a whole (a "checkpoint") when
// it has grown large, when a change could no longer be settled from it, or
// when the file is closed.
//
// What the store keeps to this end (the invariants of the protocol):
//  1. Every byte of the region the home header names reached the disk
//     before the header naming it was written.
//  2. A page is written at home only while the home header names the
//     region holding its newest copy, and only with that copy; the home
//     header stops naming the region only once every such page is home and
//     has reached the disk. Home pages and the region together always hold
//     every committed change, so a settle by copying home never loses one.
//  3. Every home in the region is, in the state at the region's end, the
//     first unit of a live page of that copy's length, or lies wholly
//     outside every zone (a copy left behind by a page that moved: copying
//     it home harms nothing); and the region lies past the logical end of
//     every state it holds. A change that would break this is preceded by
//     a checkpoint.
//  4. Header copies count the change counter up by one from the home
//     header's and record the region's start and their own end; bytes 0 to
//     3 of the home header (unused by the format's own rules) tell how far
//     the region holds committed changes that readers may take. A change of
//     a transaction over several files is written to an empty region and
//     is not counted there until the transaction has committed.
//  5. A reader takes the region's new changes by reading only what was
//     added since it last looked, dropping just the pages they touched; a
//     checkpoint of exactly the state it holds (the home header counts one
//     past its newest header copy and names that copy's end in bytes 0 to
//     3) leaves its pages in place, also when the reader first meets the
//     header naming the region begun after it (that header keeps the
//     emptying one's counter and tree; with a region held whole, no other
//     history counts just one past its newest copy, since committed
//     changes are never dropped). So does a checkpoint of a region it took
//     in part, when the rest still reads from the file as it was: changes
//     counting on from the last it took, ending where bytes 0 to 3 say in
//     a copy of the very tree at home, and every page in it byte for byte
//     the one at its home (home pages do not move while the reader holds
//     its slot, see 6). Anything else drops what it holds.
//  5a. A home header that differs from the one a reader knows only in the
//     region's end, which grew, names more of a change under way and no
//     more committed changes: the reader keeps what it holds, and knows
//     those bytes from then on as a header with a change under way.
//  6. Pages are copied home only after every reader that might not know the
//     whole region has left its access, and the home header that empties the
//     region is written while no reader is inside one; the region's bytes
//     are written over only after that header reached the disk.
//  7. A change written to an empty region writes its pages that lie wholly
//     at or past the logical end of both the committed state and the tree
//     at home straight to their home, before the flush that precedes naming
//     the region; a long change does so between its statements for pages
//     it is done with (leaves, and inner pages once every page below them
//     has its place), once the region is empty (copied home first). No
//     state a crash, a settle (by keeping or by dropping) or a reader can
//     find uses those units, and the region holds no copy for them, so the
//     bytes there matter only once the region naming the new state is
//     durable. A reader that takes region changes from the region's first
//     one forgets what it read at or past the lowest logical end of the
//     states they pass through, since a straight-home page may lie there
//     (changes appended to a region write nothing straight home).

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "data/tarnwick/block_file.h"
#include "data/tarnwick/file_header.h"
#include "data/tarnwick/page.h"
#include "data/tarnwick/page_cache.h"
#include "data/tarnwick/quick_read.h"
#include "data/tarnwick/read_windows.h"
#include "data/tarnwick/zone_allocator.h"
#include "platform/scratch_file.h"

namespace zor::tarnwick {

// Keeps readers out of their accesses while pages are moved under them (see
// SharedAccess); a file nobody shares needs none.
class ReaderExclusion {
 public:
  virtual ~ReaderExclusion() = default;
  // Waits until no reader is inside an access, keeping new ones out until
  // admit(); answers 0 or the error of the lock.
  virtual int exclude() = 0;
  virtual void admit() = 0;
};

class PageStore : private PageMover {
 public:
  PageStore() = default;
  PageStore(const PageStore&) = delete;
  // Sets, for the whole process, the size past which the region is copied
  // home (0: half the file, between 64 KB and 4 MB), so that tests meet
  // checkpoints often.
  static void setRegionLimit(uint64_t bytes);
  PageStore& operator=(const PageStore&) = delete;

  BlockFile& file() { return file_; }

  // Reads the home header and takes the committed changes of the region it
  // names (only those added since last time, see above); answers 36 for a
  // file of 1 to 511 bytes, a wrong magic or an inconsistent zone table. An
  // empty file is a new one.
  int readHeader();
  // Re-reads the home header and answers whether it is byte for byte the
  // one this store last wrote or took (then it counts as current again);
  // changes nothing otherwise.
  // A header that names more of a change under way than the one known
  // counts as unchanged as well (see changeWentOn).
  bool headerUnchanged();
  // While set, `guard` is told (once) before anything is read from the file.
  void setReadGuard(ReadGuard* guard) { readGuard_ = guard; }
  void setReaderExclusion(ReaderExclusion* exclusion) { exclusion_ = exclusion; }
  // The header copy no longer counts as current (another process may write).
  void invalidateHeader() { headerCurrent_ = false; }
  bool headerCurrent() const { return headerCurrent_; }
  // The state the store shows (with the change under way). Its pending
  // fields differ only while the home header names changes that are not
  // committed (see uncommitted()).
  const FileHeader& header() const { return header_; }
  FileHeader& headerForChange();
  // The home header as last read or written.
  const FileHeader& home() const { return home_; }
  // The home header names changes past those committed for readers: a
  // transaction's change not yet committed (its writer at work), or a change
  // whose writer stopped before saying so. The store shows the state
  // without them until they are settled.
  bool uncommitted() const { return uncommitted_; }
  // The home header names committed changes that could not be read: until
  // they are settled the state shown is not to be read.
  bool unsure() const { return unsure_; }

  // Settling. loadPending reads the whole region the home header names
  // into the pending map (and the newest header copy), as the format's own
  // rules read it; it answers false when the region cannot be read whole.
  bool loadPending();
  // The whole region is being read (read only, after loadPending).
  bool pendingLoaded() const { return settledInMemory_; }
  // Copies every pending page home, then completes the change.
  int rollForward();
  // Forgets the region and completes the change without it (only in memory
  // when `write` is false).
  int dropPending(bool write = true);

  // The tree's root page number (0 when the tree has no page yet).
  PageNumber root() const { return root_; }
  void setRoot(PageNumber root);

  // A page for reading; a page that cannot be read or decoded whole is an
  // internal failure.
  PagePtr page(PageNumber number);
  // Looks `key` up in leaf page `number` straight from its stored bytes when
  // it is neither cached nor changed and holds a few large items (records):
  // reading one record then decodes nothing else, and such pages are not
  // worth caching. Answers nullopt when the page is to be read with page().
  std::optional<bool> findInLargeLeaf(PageNumber number, Bytes key, std::vector<uint8_t>* data);
  // The page, joined to the current change.
  PagePtr pageForChange(PageNumber number);
  // The same for a page already in hand (it may have left the cache since).
  PagePtr pageForChange(const PagePtr& page);
  // The page the change holds under `number` as it stands (frozen or not);
  // nullptr when the change holds none.
  PagePtr changedPage(PageNumber number) const {
    const auto it = dirty_.find(number);
    return it != dirty_.end() ? it->second : nullptr;
  }
  PagePtr newPage(uint8_t level);
  // Takes the page out of the tree; its units are given back when the change
  // is written.
  void freePage(PageNumber number);
  // Advances on every change of the tree's content or of the cached state, so
  // that cursors know when to find their place again.
  uint64_t version() const { return version_; }
  void touch() { ++version_; }

  // A change is under way, or written and not yet committed.
  bool changing() const { return !dirty_.empty() || !freed_.empty() || headerChanged_ || durable_; }
  // Between the statements of a long change: once it has changed or thawed
  // another kFreezeEvery pages, each of them not in use keeps only its stored
  // form until it is wanted again. A leaf, or an inner page left unchanged
  // for a whole such round, that can be placed past the end of the file goes
  // home at once and is read back from there (the region is copied home
  // first when it holds changes; such an inner page whose size changed is
  // placed anew); any other leaf keeps its stored form
  // in a scratch file, so that a transaction of 10^5 records holds some
  // hundred bytes for each such leaf, and the memory a long change holds
  // does not grow with it.
  void keepChangeSmall();
  // Writes the current change and commits it; on a failure the error sticks
  // and the store shows the file as the next open will find it. It runs in
  // two halves, which a transaction over several files separates:
  // makeDurable writes the change to the region and names it in the home
  // header, still uncommitted for readers (from then on it survives a
  // crash, to be settled by the transaction control file); completeDurable
  // commits it for readers.
  int commit();
  int makeDurable();
  int completeDurable();
  bool durable() const { return durable_; }
  // Copies the region home now (see above); nothing happens without one.
  int checkpoint();
  // Whether the region holds changes.
  bool holdsChanges() const { return regionEnd_ > regionStart_; }
  // A new file whose header is not written yet counts its changes on from
  // `counter` (a file made to take another's place, as PACK does).
  void countChangesFrom(uint32_t counter);
  // With the region empty and no change under way, cuts the file at its
  // logical end, giving back the room kept for the next region, and makes
  // that durable.
  int giveBackRoom();
  // Forgets the current change; a durable one is also taken back on disk
  // (answers the error of doing so).
  int rollback();
  // After commit() or makeDurable() failed: whether the file, as the next
  // open will find it, holds the change all the same (it had reached the
  // disk durably).
  bool failedChangeStands() const;

  // Raw access for the checker: reads the stored bytes of a page at `unit`
  // (honouring the pending map); answers false when they cannot be read.
  bool readStoredPage(uint32_t unit, std::vector<uint8_t>& bytes);
  size_t cachedPages() const { return cache_.size(); }
  // Lets go of every page and window read; they are read again as wanted.
  void forgetReadPages() {
    cache_.clear();
    windows_.clear();
    tail_.clear();
  }

  void close();

 private:
  // Where the newest copy of a page lies in the region.
  struct Copy {
    uint64_t offset;
    uint32_t length;
  };
  // A page or header copy found in the region.
  struct Found {
    uint32_t home;
    uint64_t offset;
    uint32_t length;
  };

  // `present`: the file is known to reach this far (0: look).
  bool plausible(const FileHeader& header, uint64_t present = 0);
  bool changeWentOn(const uint8_t* bytes);
  // One reading of the home header; `again` asks for another (the region it
  // names did not check out).
  int readHeaderOnce(bool& again);
  void movePage(uint32_t from, uint32_t to) override;
  // The page at `unit`, not changed nor cached, read to be moved (a leaf
  // stays in its stored form, see PageCodec::decodeFrozen).
  PagePtr storedForMove(uint32_t unit);
  void renumber(const PagePtr& page, PageNumber number);
  void pointParentAt(const Page& page, PageNumber number);
  void assignUnits();

  // Reading the region. scanRegion walks the region's items from `from` to
  // `to`; with `strict` each header copy must count on from `counter` and
  // end where it says, and the walk must end with one.
  // `lowestEnd`, when given, is lowered to the least logical end of the
  // header copies passed.
  bool scanRegion(uint64_t from, uint64_t to, bool strict, uint32_t counter,
                  std::vector<Found>& found, FileHeader& newest, uint64_t* lowestEnd = nullptr);
  // Whether a copy at `home` of `length` bytes is harmless in `state`: the
  // live page there, or in no zone at all.
  static bool liveCopy(const FileHeader& state, uint32_t home, uint32_t length);
  static bool harmlessCopy(const FileHeader& state, uint32_t home, uint32_t length);
  // Adds the newest copy of each page found to `copies`; false (adding
  // nothing) when one of them could harm a live page of `state`.
  bool takeNewestCopies(const std::vector<Found>& found, const FileHeader& state,
                        std::unordered_map<uint32_t, Copy>& copies);
  // Takes the committed changes the home header names past those taken.
  bool takeRegion(const FileHeader& disk, uint64_t from, uint64_t to);
  // A checkpoint of exactly the state held: keeps the pages.
  bool sameStateCheckpointed(const FileHeader& home) const;
  // A checkpoint of the region held in part: takes the rest of it from the
  // file when it can still be read whole (then the pages stay as well).
  bool takeRestOfCheckpoint(const FileHeader& home);
  // Forgets the pages and windows read at or past `lowestEnd`, the least
  // logical end of the states just taken.
  void forgetFrom(uint64_t lowestEnd);
  void dropEverythingRead();
  void normalize(FileHeader& state) const;

  // Writing.
  int writeRegion(bool committed);
  bool appendKeepsRegionSound();
  // Room left between the logical end and a new region, for the tree to
  // grow into before a change would reach the region.
  uint64_t regionSlack() const;
  // A checkpoint follows once the region holds this many bytes.
  uint64_t regionLimit() const;
  int writeHomeHeader(const FileHeader& header);
  int markCommitted();
  int writeTreeHome(const FileHeader& state);
  int copyRegionHome(const std::vector<std::pair<uint32_t, Copy>>& pages);
  // Writes the home header that empties the region (`emptiedEnd` is where
  // it ended), readers kept out while it is written when `excludeReaders`.
  int completeChange(FileHeader& state, uint64_t emptiedEnd, bool excludeReaders);
  void beforeFileRead();
  // The stored bytes of a page of `size` bytes at `unit` (the newer copy
  // while the region holds one): from the windows, the tail last read or
  // the file. Valid until the next read.
  const uint8_t* storedPage(uint32_t unit, size_t size);
  const uint8_t* readAt(uint64_t offset, size_t size);
  PagePtr decodeIntoCache(PageNumber number, const uint8_t* bytes, size_t size);
  // Writes through to the read windows as well.
  int writeAt(uint64_t offset, const uint8_t* bytes, size_t length);
  void forgetChange();
  // Writes the frozen leaves and the inner pages (not in use) that can be
  // placed wholly past the end of the file straight home (invariant 7),
  // where they leave the change and memory; the others stay in `pages`.
  // Answers false when nothing can go home now.
  bool sendHome(std::vector<PagePtr>& pages);
  // Gives a page about to go home a place in its zone, unless it has one of
  // its size already (see sendHome).
  void placeForHome(ZoneAllocator& allocator, const PagePtr& page);
  // A changed page whose stored form is in the scratch file gets it back.
  void bringBack(Page& page);
  // The changed page, thawed (and listed for the next keepChangeSmall).
  PagePtr unfrozen(const PagePtr& changed);
  // Lets go of every changed page (and of what the scratch file holds).
  void dropChangedPages();
  void reloadAfterFailure();

  BlockFile file_;
  FileHeader home_ = FileHeader::fresh();
  FileHeader committed_ = FileHeader::fresh();  // the state committed, as read or written
  FileHeader header_ = FileHeader::fresh();     // that state with the change under way
  bool headerCurrent_ = false;
  bool headerChanged_ = false;
  bool headerOnDisk_ = false;
  bool headerValid_ = false;
  bool uncommitted_ = false;
  bool unsure_ = false;
  bool settledInMemory_ = false;
  PageNumber root_ = 0;
  PageNumber nextTemporary_ = -1;
  PageCache cache_;
  // Pages at home are read through windows of the file; this store's own
  // writes go into them as well.
  ReadWindows windows_;
  std::unordered_map<PageNumber, PagePtr> dirty_;
  // Where the stored forms of frozen changed leaves wait (keepChangeSmall).
  platform::ScratchFile scratch_;
  std::vector<uint32_t> freed_;
  // The region as taken: [regionStart_, regionEnd_), and where the newest
  // copy of each page lies in it.
  uint64_t regionStart_ = 0;
  uint64_t regionEnd_ = 0;
  std::unordered_map<uint32_t, Copy> pendingMap_;
  // The bytes of the region read last (most often the newest change), so
  // that its pages need not be read again.
  struct Tail {
    uint64_t offset = 0;
    std::vector<uint8_t> bytes;
    void clear() { bytes.clear(); }
  } tail_;
  uint64_t version_ = 0;
  std::vector<uint8_t> readBuffer_;

  // A change written to the region and not yet committed for readers.
  bool durable_ = false;
  // The change counter of the change being written (0: none yet).
  uint32_t writtenCounter_ = 0;
  // The home header bytes as last written or taken.
  std::array<uint8_t, kHeaderSize> raw_{};
  bool rawKnown_ = false;
  ReadGuard* readGuard_ = nullptr;
  ReaderExclusion* exclusion_ = nullptr;
  static constexpr size_t kFreezeEvery = 256;
  // A change is written to the region in pieces of about this size.
  static constexpr size_t kRegionWriteBytes = 1 << 20;
  // Changed pages that may be unfrozen: made part of the change or thawed
  // since keepChangeSmall last looked (a number may be listed twice).
  std::vector<PageNumber> unfrozen_;
  // Changed inner pages kept in memory until every page below them has a
  // place and they can go home as well.
  std::vector<PageNumber> innerWaiting_;
  // Where the leaves sent home by the change under way begin (see sendHome).
  uint64_t sentHomeFrom_ = UINT64_MAX;
};

}  // namespace zor::tarnwick
