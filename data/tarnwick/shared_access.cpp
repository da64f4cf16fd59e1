#include "data/tarnwick/shared_access.h"

#include <chrono>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "data/tarnwick/error_numbers.h"

namespace zor::tarnwick {

namespace {

bool othersMayRead(const OpenMode& mode) {
  return mode.share == platform::Share::DenyNone || mode.share == platform::Share::DenyWrite;
}

}  // namespace

SharedAccess::SharedAccess(TarnwickFile& file, const OpenMode& mode)
    : file_(file),
      slots_(file.store().file().file(), takesPartInLocking(mode)),
      writing_(file.store().file().file(), othersMayRead(mode)),
      records_(slots_),
      // Only where every process reads through one cache does the header
      // read without a lock show what other processes completed.
      quickReads_(slots_.shared() && file.store().file().file().onLocalDisk()),
      identity_(file.store().file().file().identity()) {
  file_.store().setReaderExclusion(this);
}

SharedAccess::~SharedAccess() {
  endChange();
  if (readDepth_ > 0) {
    readDepth_ = 1;
    endRead();
  }
  PageStore& store = file_.store();
  if (file_.isOpen() && file_.writable() && file_.stickyError() == 0 &&
      writing_.takeAtOnce(LockMode::Writer) == 0) {
    store.invalidateHeader();
    if (store.readHeader() == kOk && !store.uncommitted()) store.checkpoint();
    writing_.release(LockMode::Writer);
    store.invalidateHeader();
  }
  store.setReaderExclusion(nullptr);
}

int SharedAccess::exclude() {
  return writing_.take(LockMode::Exclusive, 0, true);
}

void SharedAccess::admit() {
  writing_.release(LockMode::Exclusive);
}

int SharedAccess::beginRead() {
  if (inChange_) return kOk;
  if (!slots_.shared()) return settleAlone();
  if (readDepth_++ > 0) return kOk;
  if (slots_.take(LockMode::Reader, 0, true) != 0) {
    readDepth_ = 0;
    return kAccessDenied;
  }
  file_.store().invalidateHeader();
  const int error = reread();
  if (error != kOk) {
    if (readDepth_ > 0) slots_.release(LockMode::Reader);
    readDepth_ = 0;
  }
  return error;
}

bool SharedAccess::beginQuickRead() {
  if (!quickReads_ || inChange_ || readDepth_ > 0) return false;
  PageStore& store = file_.store();
  if (!store.headerUnchanged()) return false;
  // A header that names a change under way is read beside as long as its
  // writer was seen at work a moment ago; after that a statement looks
  // again, so that a change whose writer is gone is settled.
  if (store.uncommitted() && Clock::now() - writerSeen_ > kWriterSeenFor) return false;
  quick_ = true;
  readDepth_ = 1;
  store.setReadGuard(this);
  return true;
}

int SharedAccess::catchUp(bool& moved) {
  moved = false;
  if (!slots_.shared() || inChange_ || readDepth_ == 0 || quick_) return kOk;
  PageStore& store = file_.store();
  const uint64_t before = store.version();
  store.invalidateHeader();
  const int error = reread();
  moved = store.version() != before;
  return error;
}

void SharedAccess::beforeFileRead() {
  quick_ = false;
  // From here on the statement reads under a slot like any other; endRead
  // gives it back.
  if (slots_.take(LockMode::Reader, 0, true) != 0) {
    readDepth_ = 0;
    throw QuickReadOvertaken();
  }
  if (!file_.store().headerUnchanged()) {
    slots_.release(LockMode::Reader);
    readDepth_ = 0;
    file_.store().invalidateHeader();
    throw QuickReadOvertaken();
  }
}

void SharedAccess::endRead() {
  if (readDepth_ == 0 || --readDepth_ > 0) return;
  if (quick_) {
    quick_ = false;
    file_.store().setReadGuard(nullptr);
    file_.store().invalidateHeader();
    return;
  }
  slots_.release(LockMode::Reader);
  file_.store().invalidateHeader();
}

int SharedAccess::settleAlone() {
  PageStore& store = file_.store();
  if (const int error = store.readHeader(); error != kOk) return error;
  if (!store.uncommitted()) return kOk;
  // No other writer can be at work; readers elsewhere may still be.
  if (!writing_.shared()) return file_.refresh();
  if (writing_.take(LockMode::Writer, 0, true) != 0) return kAccessDenied;
  const int error = settle();
  writing_.release(LockMode::Writer);
  return error;
}

int SharedAccess::reread() {
  PageStore& store = file_.store();
  for (;;) {
    if (const int error = store.readHeader(); error != kOk) return error;
    if (!store.uncommitted()) return kOk;
    // The header names a change that is not committed. While its writer
    // holds the writer byte it is a transaction's change under way: the
    // committed state is read beside it (unless that could not be read, when
    // the statement is refused, to be tried again).
    if (writing_.takeAtOnce(LockMode::Writer) != 0) {
      if (store.unsure()) return kAccessDenied;
      writerSeen_ = Clock::now();
      return kOk;
    }
    if (!file_.writable() || file_.stickyError() != 0) {
      // A handle that cannot write settles in memory only, reading the
      // newer pages from the region; its slot keeps writers out meanwhile.
      const int error = file_.refresh();
      writing_.release(LockMode::Writer);
      return error;
    }
    // Its writer is gone. Settling copies pages home, which needs every
    // reader out, this one's slot included.
    slots_.release(LockMode::Reader);
    const int error = settle();
    writing_.release(LockMode::Writer);
    if (slots_.take(LockMode::Reader, 0, true) != 0) {
      readDepth_ = 0;
      return kAccessDenied;
    }
    if (error != kOk) return error;
    store.invalidateHeader();  // others may have written while no slot was held
  }
}

namespace {

// The writer bytes the threads of this process hold through their handles,
// by file: a thread that waited for the byte of a file that another of its
// own handles holds would wait for ever, since only it can give it back.
class WriterBytesHeld {
 public:
  using Key = std::pair<platform::File::Identity, std::thread::id>;
  bool byThisThread(const platform::File::Identity& file) {
    const std::lock_guard lock(mutex_);
    return held_.count({file, std::this_thread::get_id()}) != 0;
  }
  void add(const platform::File::Identity& file) {
    const std::lock_guard lock(mutex_);
    ++held_[{file, std::this_thread::get_id()}];
  }
  // By the thread that added it (a change may end on another one).
  void remove(const platform::File::Identity& file, std::thread::id holder) {
    const std::lock_guard lock(mutex_);
    const auto it = held_.find({file, holder});
    if (it != held_.end() && --it->second == 0) held_.erase(it);
  }

 private:
  std::mutex mutex_;
  std::map<Key, int> held_;
};

WriterBytesHeld& writerBytesHeld() {
  static WriterBytesHeld held;
  return held;
}

}  // namespace

template <typename Step>
int SharedAccess::underExclusive(Step step) {
  if (const int error = writing_.take(LockMode::Exclusive, 0, true); error != 0) return error;
  const int result = step();
  writing_.release(LockMode::Exclusive);
  return result;
}

int SharedAccess::settle() {
  PageStore& store = file_.store();
  store.invalidateHeader();
  if (const int error = store.readHeader(); error != kOk) return error;
  if (!store.uncommitted()) return kOk;
  return underExclusive([&] { return file_.refresh(); });
}

int SharedAccess::takeWriterByte(int32_t seconds) {
  const bool known = identity_ != platform::File::Identity{};
  if (known && writerBytesHeld().byThisThread(identity_)) return kAccessDenied;
  const int error = waitForWriterByte(seconds);
  if (error == 0 && known) {
    writerBytesHeld().add(identity_);
    registered_ = std::this_thread::get_id();
  }
  return error;
}

int SharedAccess::waitForWriterByte(int32_t seconds) {
  if (seconds <= 0) return writing_.take(LockMode::Writer, 0, true);
  // A limit keeps two transactions that wait for each other's files from
  // waiting for ever.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int error = 0;
  while ((error = writing_.take(LockMode::Writer, 0, false)) != 0) {
    if (std::chrono::steady_clock::now() >= until) return error;
  }
  return 0;
}

int SharedAccess::beginChange(int32_t seconds) {
  if (inChange_) return kOk;
  if (!file_.writable()) return kAccessDenied;
  if (readDepth_ > 0) {  // a change never begins inside a read
    readDepth_ = 1;
    endRead();
  }
  if (takeWriterByte(seconds) != 0) return kAccessDenied;
  inChange_ = true;
  slots_.beginChange();
  if (writing_.shared()) file_.store().invalidateHeader();
  const int error = writing_.shared() ? settle() : file_.refresh();
  if (error != kOk) endChange();
  return error;
}

int SharedAccess::completeDurable() {
  // A durable change stands even when committing it fails: the home header
  // names it, and the next access or open settles it. Answering the failure
  // would tell the program that nothing was done.
  if (file_.durable()) file_.completeDurable();
  return kOk;
}

int SharedAccess::commit() {
  if (!file_.changing()) return kOk;
  const int error = file_.commit();
  // A failure once the change reached the disk leaves it standing.
  if (error != kOk) return file_.store().failedChangeStands() ? kOk : error;
  return kOk;
}

void SharedAccess::endChange() {
  if (!inChange_) return;
  if (file_.changing()) file_.rollback();
  writing_.release(LockMode::Writer);
  if (registered_ != std::thread::id()) writerBytesHeld().remove(identity_, registered_);
  registered_ = std::thread::id();
  slots_.endChange();
  if (writing_.shared()) file_.store().invalidateHeader();
  inChange_ = false;
}

}  // namespace zor::tarnwick
