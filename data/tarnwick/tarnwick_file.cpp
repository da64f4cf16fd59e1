#include "data/tarnwick/tarnwick_file.h"

#include "data/tarnwick/error_numbers.h"
#include "data/tarnwick/internal_failure.h"

namespace zor::tarnwick {

int TarnwickFile::open(const std::string& path, const OpenMode& mode, SettleDecider decider,
                       Settle settle) {
  close();
  decider_ = std::move(decider);
  int error = store_.file().open(path, mode.write, mode.share, mode.create);
  if (error == 0) error = settle == Settle::AtOpen ? refresh() : store_.readHeader();
  // Opened alone, a handle that can write leaves no region behind it.
  if (error == 0 && settle == Settle::AtOpen && writable() && stickyError() == 0)
    error = store_.checkpoint();
  if (error != 0) close();
  return error;
}

int TarnwickFile::create(const std::string& path, platform::Share share, uint32_t changeCounter) {
  OpenMode mode;
  mode.share = share;
  mode.create = true;
  int error = open(path, mode);
  if (error != 0) return error;
  store_.countChangesFrom(changeCounter);
  // The header goes to disk at once, so that a crash before the first
  // change leaves a valid empty file rather than a headerless one.
  store_.headerForChange();
  error = store_.commit();
  if (error != 0) close();
  return error;
}

int TarnwickFile::settleInterruptedChange(const SettleDecider& decider) {
  if (store_.pendingLoaded()) return kOk;  // already settled to read from it
  const bool whole = store_.loadPending();
  const bool stands = whole && (!decider || decider(*this));
  settled_ = {true, stands, writable() && stickyError() == 0};
  if (!writable() || stickyError() != 0) {
    // Read only, or unable to write since a write failed: the newer pages
    // are read from the pending region instead, and a handle that can
    // write settles the file on disk.
    return stands ? kOk : store_.dropPending(false);
  }
  return stands ? store_.rollForward() : store_.dropPending();
}

void TarnwickFile::close() {
  tree_.forgetChange();
  store_.close();
  settled_ = {};
}

int TarnwickFile::refresh() {
  int error = store_.readHeader();
  // A change another process left interrupted is settled before any use.
  if (error == 0 && store_.uncommitted()) error = settleInterruptedChange(decider_);
  return error;
}

int TarnwickFile::checkWritable() {
  if (!isOpen()) return kAccessDenied;
  if (const int sticky = stickyError(); sticky != 0) return sticky;
  return writable() ? kOk : kAccessDenied;
}

int TarnwickFile::insert(Bytes key, Bytes data) {
  const int error = checkWritable();
  return error != 0 ? error : tree_.insert(key, data);
}

int TarnwickFile::replace(Bytes key, Bytes data) {
  const int error = checkWritable();
  return error != 0 ? error : tree_.replace(key, data);
}

int TarnwickFile::update(Bytes key, const std::function<void(std::vector<uint8_t>&)>& change) {
  const int error = checkWritable();
  return error != 0 ? error : tree_.update(key, change);
}

int TarnwickFile::put(Bytes key, Bytes data) {
  const int error = checkWritable();
  return error != 0 ? error : tree_.put(key, data);
}

int TarnwickFile::erase(Bytes key) {
  const int error = checkWritable();
  return error != 0 ? error : tree_.erase(key);
}

std::array<uint8_t, 4> TarnwickFile::upcomingIdentifier() const {
  std::array<uint8_t, 4> counter = store_.header().lastIdentifier;
  for (int i = 3; i >= 0; --i) {
    if (++counter[static_cast<size_t>(i)] != 0) break;
  }
  return counter;
}

int TarnwickFile::nextIdentifier(std::array<uint8_t, 4>& identifier) {
  if (const int error = checkWritable(); error != 0) return error;
  const std::array<uint8_t, 4> counter = upcomingIdentifier();
  if (counter[0] >= 254) internalFailure(FailurePlace::IdentifierExhausted);
  store_.headerForChange().lastIdentifier = counter;
  identifier = counter;
  return kOk;
}

}  // namespace zor::tarnwick
