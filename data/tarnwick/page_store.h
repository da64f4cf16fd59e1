#pragma once
// The pages of one open file and the protocol that changes them atomically.
// Pages changed by the current change stay in memory ("dirty") until it is
// written: first, packed, into the pending region past the logical end of the
// file; then the header on disk is told where that region is (from here on a
// crash is rolled forward at the next open); then the header copy and every
// page are written at their homes; finally the pending region is emptied and
// the change counter advanced.

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

namespace zor::tarnwick {

class PageStore : private PageMover {
 public:
  PageStore() = default;
  PageStore(const PageStore&) = delete;
  PageStore& operator=(const PageStore&) = delete;

  BlockFile& file() { return file_; }

  // Reads the header at offset 0 into the copy; answers 36 for a file of 1 to
  // 511 bytes, a wrong magic or an inconsistent zone table. An empty file is
  // a new one. Drops the cache when the change counter has moved on.
  int readHeader();
  // Re-reads the header and answers whether it is byte for byte the one
  // this store last wrote or accepted (then it counts as current again);
  // changes nothing otherwise.
  bool headerUnchanged();
  // While set, `guard` is told (once) before anything is read from the file.
  void setReadGuard(ReadGuard* guard) { readGuard_ = guard; }
  // After readHeader found a pending change that a live writer is making
  // (it holds the writer byte): reads go on from the pages at home.
  int readAroundLiveChange();
  // The header copy no longer counts as current (another process may write).
  void invalidateHeader() { headerCurrent_ = false; }
  bool headerCurrent() const { return headerCurrent_; }
  const FileHeader& header() const { return header_; }
  FileHeader& headerForChange();

  // Interrupted changes. loadPending reads the pending region named by the
  // header into the pending map (and the newer header copy, if there is one);
  // it answers false when the region cannot be read whole.
  bool loadPending();
  // Pending pages are being read from the pending region (read only).
  bool pendingLoaded() const { return !pendingMap_.empty(); }
  // Copies every pending page home, then completes the change.
  int rollForward();
  // Forgets the pending pages and completes the change without them (only
  // in memory when `write` is false).
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
  PagePtr newPage(uint8_t level);
  // Takes the page out of the tree; its units are given back when the change
  // is written.
  void freePage(PageNumber number);
  // Advances on every change of the tree's content or of the cached state, so
  // that cursors know when to find their place again.
  uint64_t version() const { return version_; }
  void touch() { ++version_; }

  bool changing() const { return !dirty_.empty() || !freed_.empty() || headerChanged_; }
  // Between the statements of a long change: once it has changed another
  // thousand pages, every changed leaf not in use keeps only its stored
  // form until it is wanted again, so that a transaction of 10^5 records
  // does not hold them all unpacked.
  void keepChangeSmall();
  // Writes the current change through to completion; on a failure the error
  // sticks, the change is lost and the store shows the file as it is on disk.
  // It runs in two halves, which the locking layer separates: makeDurable
  // writes the pending region and announces it in the header (from then on
  // the change survives a crash, readers still see the old pages at home);
  // completeDurable copies the pages home, which readers must not watch.
  int commit();
  int makeDurable();
  int completeDurable();
  bool durable() const { return durable_; }
  // Leaves a durable change on disk for the next settle and shows the file
  // as that will find it, writing nothing.
  void abandonDurable() { reloadAfterFailure(); }
  // Forgets the current change; a durable one is also taken back on disk
  // (answers the error of doing so).
  int rollback();

  // Raw access for the checker: reads the stored bytes of a page at `unit`
  // (honouring the pending map); answers false when they cannot be read.
  bool readStoredPage(uint32_t unit, std::vector<uint8_t>& bytes);
  size_t cachedPages() const { return cache_.size(); }
  // Lets go of every page and window read; they are read again as wanted.
  void forgetReadPages() {
    cache_.clear();
    windows_.clear();
  }

  void close();

 private:
  bool plausible(const FileHeader& header);
  void movePage(uint32_t from, uint32_t to) override;
  void renumber(const PagePtr& page, PageNumber number);
  // A key that leads from the root to `page`: the first key of its leftmost
  // leaf (an inner page's first separator is empty and leads nowhere).
  std::vector<uint8_t> anchorKey(const Page& page);
  // The inner page and slot that lead to `page` (nullptr for the root).
  PagePtr findParent(const Page& page, size_t& slot);
  void pointParentAt(const Page& page, PageNumber number);
  void assignUnits();
  int writeDurable();
  int writeHome();
  int completeChange(FileHeader& header);
  void beforeFileRead();
  // The stored bytes of a page from the read windows (nullptr when they
  // must be read otherwise).
  const uint8_t* windowBytes(uint32_t unit, size_t size);
  // The stored bytes of a page of `size` bytes at `unit` (the newer copy
  // while a pending change is read): from the windows, or read from the
  // file into the read buffer. Valid until the next read.
  const uint8_t* storedPage(uint32_t unit, size_t size);
  PagePtr decodeIntoCache(PageNumber number, const uint8_t* bytes, size_t size);
  // Writes through to the read windows as well.
  int writeAt(uint64_t offset, const uint8_t* bytes, size_t length);
  int writeHeaderAt0(const FileHeader& header);
  void forgetChange();
  void reloadAfterFailure();

  BlockFile file_;
  FileHeader header_ = FileHeader::fresh();
  FileHeader diskHeader_ = FileHeader::fresh();  // as last completed on disk
  bool headerCurrent_ = false;
  bool headerChanged_ = false;
  bool headerOnDisk_ = false;
  bool headerValid_ = false;
  PageNumber root_ = 0;
  PageNumber nextTemporary_ = -1;
  PageCache cache_;
  // Pages are read through windows of the file while no interrupted change
  // is being read; this store's own writes go into them as well.
  ReadWindows windows_;
  std::unordered_map<PageNumber, PagePtr> dirty_;
  std::vector<uint32_t> freed_;
  std::map<uint32_t, uint64_t> pendingMap_;  // home unit -> offset of the newer copy
  uint64_t version_ = 0;
  std::vector<uint8_t> readBuffer_;

  // A change made durable and not yet at home: the region as written and
  // where each page lies in it.
  struct Placed {
    uint32_t home;
    size_t position;
    size_t length;
  };
  bool durable_ = false;
  std::vector<uint8_t> region_;
  std::vector<Placed> placed_;
  // The header bytes at offset 0 as last written or accepted.
  std::array<uint8_t, kHeaderSize> raw_{};
  bool rawKnown_ = false;
  ReadGuard* readGuard_ = nullptr;
  static constexpr size_t kFreezeEvery = 1000;
  size_t nextFreeze_ = kFreezeEvery;
};

}  // namespace zor::tarnwick
