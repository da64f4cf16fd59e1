#include "data/tarnwick/shared_access.h"

#include <atomic>
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
      identity_(file.store().file().file().identity()) {}

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
  quick_ = true;
  readDepth_ = 1;
  store.setReadGuard(this);
  return true;
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
  if (!store.header().pending() || store.pendingLoaded()) return kOk;
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
    if (!store.header().pending() || store.pendingLoaded()) return kOk;
    // A writer that still holds its byte is completing this change right
    // now and is about to wait for every reader slot. Readers that kept
    // coming would starve it (a waiting lock does not keep new ones out), so
    // this one steps out of its slot and waits for the writer to finish.
    if (writing_.takeAtOnce(LockMode::Writer) != 0) {
      slots_.release(LockMode::Reader);
      const bool done = waitOutLiveWriter();
      if (slots_.take(LockMode::Reader, 0, true) != 0) {
        readDepth_ = 0;
        return kAccessDenied;
      }
      store.invalidateHeader();
      if (done) continue;
      // Waited long enough (the writer may be this very thread, through
      // another handle): the pages at home are still the state.
      if (const int error = store.readHeader(); error != kOk) return error;
      if (!store.header().pending()) return kOk;
      return store.readAroundLiveChange();
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
std::atomic<int64_t> liveWriterWaitMicroseconds{1000000};

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

// Changes begun on this thread and not yet ended: while it has one, the
// writer a reader of this thread waits for may be the thread itself.
thread_local int tChangesUnderWay = 0;
}  // namespace

void SharedAccess::setLiveWriterWait(std::chrono::microseconds wait) {
  liveWriterWaitMicroseconds = wait.count();
}

bool SharedAccess::waitOutLiveWriter() {
  // Waited for in the system, which wakes the reader as soon as the writer
  // is done; a thread that holds a writer byte itself polls instead, for a
  // limited time, so that it cannot wait for its own change.
  if (tChangesUnderWay <= 0) {
    if (writing_.take(LockMode::Writer, 0, true) != 0) return false;
    writing_.release(LockMode::Writer);
    return true;
  }
  const auto until = std::chrono::steady_clock::now() +
                     std::chrono::microseconds(liveWriterWaitMicroseconds.load());
  do {
    std::this_thread::sleep_for(std::chrono::microseconds(100));
    if (writing_.takeAtOnce(LockMode::Writer) == 0) {
      writing_.release(LockMode::Writer);
      return true;
    }
  } while (std::chrono::steady_clock::now() < until);
  return false;
}

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
  if (!store.header().pending()) return kOk;
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
  ++tChangesUnderWay;
  slots_.beginChange();
  if (writing_.shared()) file_.store().invalidateHeader();
  const int error = writing_.shared() ? settle() : file_.refresh();
  if (error != kOk) endChange();
  return error;
}

int SharedAccess::completeDurable() {
  if (!file_.durable()) return kOk;
  // A durable change stands even when copying it home fails: the header on
  // disk announces it (or already shows it home), and the next access or
  // open completes it. Answering the failure would tell the program that
  // nothing was done.
  if (!writing_.shared()) {
    file_.completeDurable();
    return kOk;
  }
  if (writing_.take(LockMode::Exclusive, 0, true) != 0) {
    // The exclusive lock could not be had, so the pages are not copied home
    // under a reader's eyes. Taking the change back instead could undo one
    // file's part of a committed transaction: it stays durable, and whoever
    // gets the writer byte next completes it.
    file_.store().abandonDurable();
    return kOk;
  }
  file_.completeDurable();
  writing_.release(LockMode::Exclusive);
  return kOk;
}

int SharedAccess::commit() {
  if (!file_.changing()) return kOk;
  const int error = file_.makeDurable();
  // A failure once the header announced the change leaves it standing.
  if (error != kOk) return standsOnDisk() ? kOk : error;
  return completeDurable();
}

bool SharedAccess::standsOnDisk() {
  // After a failure the store shows the file as the next open will find
  // it: a change still pending there is one that open rolls forward.
  return file_.store().header().pending();
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
  --tChangesUnderWay;
}

}  // namespace zor::tarnwick
