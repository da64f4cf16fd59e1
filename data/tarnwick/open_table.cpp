#include "data/tarnwick/open_table.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "data/declaration_check.h"
#include "data/declaration_error.h"
#include "data/driver_descriptor.h"
#include "data/file_errors.h"
#include "data/tarnwick/byte_order.h"
#include "data/tarnwick/lock_self_test.h"
#include "data/tarnwick/table_name.h"
#include "data/tarnwick/transaction_settle.h"
#include "runtime/error_state.h"

namespace zor::tarnwick {

namespace {

using namespace data;

std::string positionText(uint32_t record, const std::vector<uint8_t>& value) {
  std::string text(4, '\0');
  storeBig32(reinterpret_cast<uint8_t*>(text.data()), record);
  text.append(value.begin(), value.end());
  return text;
}

// Damage in the stored definition; a newer version is no damage (comparing
// it with the declaration refuses it with its own message).
std::optional<DeclarationFault> storedDefinitionDamage(const std::vector<uint8_t>& stream) {
  TableDefinition stored;
  std::optional<DeclarationFault> fault;
  if (readDefinition(stream, stored, &fault) || !fault) return std::nullopt;
  return fault->index == kNewerVersionIndex ? std::nullopt : fault;
}

}  // namespace

int checkTableDeclaration(const FileControlBlock& fcb) {
  if (auto fault = findDeclarationFault(fcb, &tarnwickDescriptor())) {
    return reportDeclarationFault(*fault);
  }
  if (auto fault = definitionLimitFault(fcb)) return reportDeclarationFault(*fault);
  return kNoError;
}

int createTable(FileControlBlock& fcb) {
  if (int error = checkTableDeclaration(fcb); error != kNoError) return error;
  const TableLocation location = locateTable(fcb.name);
  TarnwickFile file;
  // Others may have the file open: a change found pending is settled under
  // the locks, in beginChange below.
  int error = file.open(location.filePath, OpenMode{}, settleByControlFile(location.filePath),
                        TarnwickFile::Settle::Later);
  // A missing file is made; so is one that is no Tarnwick file at all,
  // which CREATE replaces.
  if (error == kErrFileNotFound || error == kErrInvalidDataFile)
    error = file.create(location.filePath);
  if (error != kNoError) return error;
  SharedAccess access(file, OpenMode{});
  error = access.beginChange();
  if (error == kNoError) {
    TableId id{};
    if (findTable(file, location.tableName, id)) {
      error = eraseItemsWithPrefix(file, ItemKey(id.begin(), id.end()));
      if (error == kNoError) error = file.erase(bytesOf(tableNameKey(location.tableName)));
    }
    if (error == kNoError)
      error = createTable(file, location.tableName, TableDefinition::of(fcb), id);
    if (error == kNoError) error = access.commit();
  }
  access.endChange();
  return error;
}

int OpenTable::open(uint32_t modeWord) {
  close();
  if (int error = checkTableDeclaration(fcb_); error != kNoError) return error;
  const TableLocation location = locateTable(fcb_.name);
  const OpenMode mode = OpenMode::fromWord(static_cast<int>(modeWord));
  // A change found pending is settled inside the first access, where the
  // locks tell a live writer from a dead one.
  if (int error = file_.open(location.filePath, mode, settleByControlFile(location.filePath),
                             TarnwickFile::Settle::Later);
      error != kNoError)
    return error;
  // Sharing a file whose locks the file system ignores would let two
  // writers damage it: such an OPEN is refused, saying why.
  if (takesPartInLocking(mode) && mode.write &&
      locksHonouredInFolderOf(location.filePath) == LockSelfTestOutcome::Ignored) {
    file_.close();
    setFileError("LOCKS",
                 describeLockSelfTest({LockSelfTestOutcome::Ignored, 0}, location.filePath));
    return kErrFileSystemError;
  }
  path_ = location.filePath;
  tableName_ = location.tableName;
  modeWord_ = modeWord;
  access_ = std::make_unique<SharedAccess>(file_, mode);
  const TableSwitches& switches = tableSwitchesOf(fcb_);
  TableId id{};
  std::vector<uint8_t> stream;
  int error = beginAccess();
  if (error != kNoError) {
    // the access could not begin
  } else if (!findTable(file_, tableName_, id)) {
    error = kErrFileNotFound;
  } else if (!readDefinitionStream(file_, id, stream)) {
    error = kErrInvalidDataFile;
  } else if (auto damage = storedDefinitionDamage(stream)) {
    // The file's own description of the table is damaged: nothing read
    // through it could be trusted.
    setFileError(identifyingText(*damage), declarationMessage(*damage));
    error = kErrInvalidDataFile;
  } else if (auto fault =
                 compareDefinition(stream, TableDefinition::of(fcb_), switches.decimalCheck)) {
    error = reportDeclarationFault(*fault);
  }
  if (error != kNoError) {
    endAccess();
    close();
    return error;
  }
  table_ = std::make_unique<Table>(file_, id, fcb_);
  memos_.assign(fcb_.memos.size(), std::string());
  endAccess();
  return kNoError;
}

bool OpenTable::openedAlone() const {
  const OpenMode mode = OpenMode::fromWord(static_cast<int>(modeWord_));
  return mode.write && mode.share == platform::Share::Exclusive;
}

void OpenTable::close() {
  if (!file_.isOpen()) return;
  // A file that closes leaves its transaction, and its change is dropped.
  if (inTransaction_) Transaction::ofThisThread().forget(*this);
  inTransaction_ = false;
  releaseHeld();
  if (fileLocked_) unlockFile();
  access_.reset();  // drops an unwritten change, gives every lock back
  table_.reset();
  file_.close();
  position_.clear();
  hasCurrent_ = false;
  states_.clear();
}

int OpenTable::beginAccess() {
  return access_->beginRead();
}

void OpenTable::endAccess() {
  access_->endRead();
}

int OpenTable::beginChange() {
  if (!file_.writable()) return kErrAccessDenied;
  // Inside a transaction the change begun at LOGOUT goes on.
  return access_->beginChange();
}

int OpenTable::endChange(int result) {
  // A statement refused inside a transaction has written nothing (keys are
  // checked before any write), so the transaction's change stays whole.
  if (inTransaction_) {
    file_.store().keepChangeSmall();
    return result;
  }
  if (result == kNoError && file_.changing()) result = dropStaleMarker();
  if (result == kNoError) result = access_->commit();
  access_->endChange();
  return result;
}

int OpenTable::dropStaleMarker() {
  // A marker left by an earlier transaction over several files would make
  // the next open consult that transaction's control file about this
  // change, which is no part of it.
  if (!file_.find(kTransactionMarkerKey)) return kNoError;
  return file_.erase(kTransactionMarkerKey);
}

int OpenTable::joinTransaction(int32_t seconds) {
  if (!file_.writable()) return kErrAccessDenied;
  const int error = access_->beginChange(seconds);
  if (error == kNoError) inTransaction_ = true;
  return error;
}

void OpenTable::leaveTransaction() {
  inTransaction_ = false;
  access_->endChange();
}

bool OpenTable::hasChanges() const {
  return file_.changing();
}

int OpenTable::completeSingleChange() {
  const int error = dropStaleMarker();
  return error != kNoError ? error : access_->commit();
}

int OpenTable::makeDurableWithMarker(const TransactionMarker& marker) {
  const int error = putTransactionMarker(file_, marker);
  return error != kNoError ? error : file_.makeDurable();
}

int OpenTable::completeChange() {
  return access_->completeDurable();
}

void OpenTable::dropChange() {
  if (file_.changing()) file_.rollback();
}

bool OpenTable::takeRecordLock(uint32_t record) {
  return access_->records().hold(record) == 0;
}

void OpenTable::releaseHeld() {
  if (holding_) access_->records().release(held_);
  holding_ = false;
}

int OpenTable::release() {
  releaseHeld();
  holdPending_ = false;
  return kNoError;
}

int OpenTable::readRecord(uint32_t number, const Bytes* stored) {
  // The image is read into a buffer kept between reads, which then trades
  // places with the current record's: no allocation per read. Everything
  // is read before anything changes, so that a quick read can start again.
  std::vector<uint8_t>& image = readImage_;
  std::vector<std::string> memos;
  std::vector<std::string> watchedMemos;
  const auto readStored = [&] {
    if (stored != nullptr) {
      image.assign(stored->begin(), stored->end());
    } else if (!table_->readRecord(number, image)) {
      return false;
    }
    if (!fcb_.memos.empty()) {
      if (!noMemoPending_) table_->readMemos(number, memos);
      if (watchPending_ && noMemoPending_) table_->readMemos(number, watchedMemos);
      if (watchPending_ && !noMemoPending_) watchedMemos = memos;
    }
    return true;
  };
  if (!readStored()) return kErrRecordNotFound;
  if (holdPending_) {
    holdPending_ = false;
    if (!(holding_ && held_ == number)) {
      releaseHeld();
      if (!takeRecordLock(number)) return kErrRecordHeld;
      holding_ = true;
      held_ = number;
      // The station that held the record before commits its change before it
      // lets go, but perhaps after this statement read the header: now that
      // nobody else can change the record, it is read again from the state
      // committed since.
      bool moved = false;
      int error = access_->catchUp(moved);
      if (error == kNoError && moved) {
        stored = nullptr;  // the item the cursor stood on may have moved
        if (!readStored()) error = kErrRecordNotFound;
      }
      if (error != kNoError) {
        releaseHeld();
        return error;
      }
    }
  }
  image.resize(fcb_.record.size(), 0);
  std::copy(image.begin(), image.end(), fcb_.record.begin());
  if (!fcb_.memos.empty()) {
    if (!noMemoPending_) memos_.swap(memos);
    if (watchPending_) watchedMemos_.swap(watchedMemos);
  }
  watched_ = watchPending_;
  if (watched_) watchedImage_ = image;
  watchPending_ = false;
  noMemoPending_ = false;
  hasCurrent_ = true;
  current_ = number;
  currentImage_.swap(image);
  return kNoError;
}

void OpenTable::setRecordOrder() {
  position_.atStart(kindPrefix(table_->id(), kRecordKind), nullptr);
}

void OpenTable::setKeyOrder(const KeyBlock& key) {
  position_.atStart(table_->keyPrefix(key), &key);
}

ItemKey OpenTable::keyOrderBound(const KeyBlock& key, const std::vector<uint8_t>& value,
                                 uint32_t record, bool high) const {
  ItemKey bound = table_->keyPrefix(key);
  bound.insert(bound.end(), value.begin(), value.end());
  if (key.allowsDuplicates()) appendRecordNumber(bound, high ? 0xFFFFFFFFu : record);
  return bound;
}

int OpenTable::setToKeyValue(const KeyBlock& key, const uint32_t* pointer) {
  const std::vector<uint8_t> value = table_->keyValue(key, fcb_.record.data());
  const uint32_t record = pointer != nullptr ? *pointer : 0;
  const ItemKey from = keyOrderBound(key, value, record, false);
  const ItemKey to = keyOrderBound(key, value, record, pointer == nullptr);
  position_.between(table_->keyPrefix(key), &key, from, to);
  return kNoError;
}

int OpenTable::setRecordOrderAt(uint32_t pointer) {
  position_.at(kindPrefix(table_->id(), kRecordKind), nullptr, recordKey(table_->id(), pointer));
  return kNoError;
}

int OpenTable::setRecordOrderAtKeyValue(const KeyBlock& key) {
  const int access = beginAccess();
  if (access != kNoError) return access;
  const ItemKey prefix = table_->keyPrefix(key);
  const std::vector<uint8_t> value = table_->keyValue(key, fcb_.record.data());
  TablePosition probe;
  probe.at(prefix, &key, keyOrderBound(key, value, 0, false));
  Cursor cursor = file_.cursor();
  ItemKey item;
  uint32_t record = 0;
  const ItemKey records = kindPrefix(table_->id(), kRecordKind);
  if (probe.peek(cursor, true, item, record)) {
    position_.at(records, nullptr, recordKey(table_->id(), record));
  } else {
    ItemKey end = records;
    ++end.back();
    position_.at(records, nullptr, end);
  }
  endAccess();
  return kNoError;
}

int OpenTable::setKeyOrderAtRecord(const KeyBlock& key, uint32_t pointer) {
  const int access = beginAccess();
  if (access != kNoError) return access;
  std::vector<uint8_t> image;
  int result = kErrRecordNotFound;
  if (table_->readRecord(pointer, image)) {
    image.resize(fcb_.record.size(), 0);
    if (table_->hasEntry(key, image.data())) {
      position_.at(table_->keyPrefix(key), &key, table_->entryKey(key, image.data(), pointer));
      result = kNoError;
    }
  }
  endAccess();
  return result;
}

int OpenTable::reset(const KeyBlock* key, const std::string& position) {
  if (position.size() < 4) return kErrRecordNotFound;
  const auto* bytes = reinterpret_cast<const uint8_t*>(position.data());
  const uint32_t record = recordNumberAt(bytes);
  if (key == nullptr) return setRecordOrderAt(record);
  const std::vector<uint8_t> value(bytes + 4, bytes + position.size());
  position_.at(table_->keyPrefix(*key), key, keyOrderBound(*key, value, record, false));
  return kNoError;
}

template <typename Read>
int OpenTable::readAccess(Read read) {
  // A quick read shows the file as it stood when it began; a record held
  // by that read must not have changed since, which only the slot (keeping
  // changes from being completed meanwhile) makes sure of.
  if (!holdPending_ && access_->beginQuickRead()) {
    try {
      const int result = read();
      endAccess();
      return result;
    } catch (const QuickReadOvertaken&) {
      endAccess();  // a change was completed meanwhile: start again
    }
  }
  // A HOLD with seconds tries again until the record is free or the time is
  // up. Each try reads afresh outside the access bracket, so that the
  // station holding the record can complete its change meanwhile; a read
  // refused with 43 has changed nothing, not even the position.
  const int32_t seconds = holdPending_ ? holdSeconds_ : 0;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  for (;;) {
    if (int error = beginAccess(); error != kNoError) return error;
    const bool holding = holdPending_;
    const int result = read();
    endAccess();
    if (result != kErrRecordHeld || seconds <= 0 || std::chrono::steady_clock::now() >= until)
      return result;
    holdPending_ = holding;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

int OpenTable::step(bool forward) {
  if (!position_.isSet()) return kErrRecordNotAvailable;
  return readAccess([&] {
    ItemKey& item = stepItem_;
    uint32_t record = 0;
    int result = kErrRecordNotAvailable;
    // peek leaves the position where it was until moveTo, so that a read
    // started again steps from the same item.
    if (position_.peek(cursor_, forward, item, record)) {
      // In record order the cursor stands on the record itself; its bytes
      // are copied before anything can change the tree.
      Bytes stored;
      if (position_.key() == nullptr) stored = cursor_.data();
      result = readRecord(record, position_.key() == nullptr ? &stored : nullptr);
      if (result == kNoError || result == kErrRecordNotFound) position_.moveTo(item, true);
    }
    return result;
  });
}

int OpenTable::skip(int64_t count) {
  if (!position_.isSet()) return kErrRecordNotAvailable;
  if (int error = beginAccess(); error != kNoError) return error;
  const bool forward = count >= 0;
  int result = kNoError;
  ItemKey item;
  for (int64_t left = count < 0 ? -count : count; left > 0; --left) {
    uint32_t record = 0;
    if (!position_.peek(cursor_, forward, item, record)) {
      result = kErrRecordNotAvailable;
      break;
    }
    position_.moveTo(item, true);
  }
  endAccess();
  return result;
}

int OpenTable::get(const KeyBlock& key) {
  return readAccess([&] {
    int result = kErrRecordNotFound;
    if (table_->hasEntry(key, fcb_.record.data())) {
      const std::vector<uint8_t> value = table_->keyValue(key, fcb_.record.data());
      const ItemKey exact = keyOrderBound(key, value, 0, false);
      Cursor cursor = file_.cursor();
      if (cursor.seek(bytesOf(exact))) {
        const Bytes found = cursor.key();
        const size_t length = exact.size() - (key.allowsDuplicates() ? 4 : 0);
        const bool matches =
            found.size() == exact.size() &&
            std::equal(exact.begin(), exact.begin() + static_cast<long>(length), found.begin()) &&
            cursor.data().size() == 4;
        if (matches) result = readRecord(recordNumberAt(cursor.data().data()));
      }
    }
    return result;
  });
}

int OpenTable::getByPointer(uint32_t pointer) {
  return readAccess([&] { return readRecord(pointer); });
}

int OpenTable::reget(const std::string& position) {
  if (position.size() < 4) return kErrRecordNotFound;
  return getByPointer(recordNumberAt(reinterpret_cast<const uint8_t*>(position.data())));
}

int OpenTable::position(const KeyBlock* key, std::string& answer) {
  if (!hasCurrent_) return kErrRecordNotAvailable;
  std::vector<uint8_t> value;
  if (key != nullptr) value = table_->keyValue(*key, currentImage_.data());
  answer = positionText(current_, value);
  return kNoError;
}

int OpenTable::pointer(uint32_t& answer) const {
  answer = hasCurrent_ ? current_ : 0;
  return kNoError;
}

int OpenTable::wouldRepeat(const KeyBlock* only, bool& answer) {
  answer = false;
  if (int error = beginAccess(); error != kNoError) return error;
  for (const KeyBlock& key : fcb_.keys) {
    if ((only != nullptr && only != &key) || key.allowsDuplicates()) continue;
    if (!table_->hasEntry(key, fcb_.record.data())) continue;
    std::vector<uint8_t> data;
    if (file_.find(bytesOf(table_->entryKey(key, fcb_.record.data(), 0)), &data) &&
        data.size() == 4 && !(hasCurrent_ && recordNumberAt(data.data()) == current_)) {
      answer = true;
    }
  }
  endAccess();
  return kNoError;
}

int OpenTable::add(uint32_t length, bool makeCurrent) {
  std::vector<uint8_t> image = fcb_.record;
  if (length != 0 && length < image.size()) std::fill(image.begin() + length, image.end(), 0);
  if (int error = beginChange(); error != kNoError) return error;
  uint32_t number = 0;
  int result = table_->insertRecord(image.data(), memos_.empty() ? nullptr : &memos_, number);
  result = endChange(result);
  if (result == kNoError && makeCurrent) {
    hasCurrent_ = true;
    current_ = number;
    currentImage_ = std::move(image);
    watched_ = false;
  }
  return result;
}

int OpenTable::put() {
  if (!hasCurrent_) return kErrRecordNotAvailable;
  if (int error = beginChange(); error != kNoError) return error;
  // The record is held for the time of the change (a HOLD already made
  // only counts one use more).
  if (!takeRecordLock(current_)) return endChange(kErrAccessDenied);
  std::vector<uint8_t> stored;
  std::vector<std::string> storedMemos;
  int result = kNoError;
  if (!table_->readRecord(current_, stored)) {
    result = kErrRecordNotAvailable;
  } else {
    stored.resize(fcb_.record.size(), 0);
    if (!fcb_.memos.empty()) table_->readMemos(current_, storedMemos);
    if (watched_ && (stored != watchedImage_ || storedMemos != watchedMemos_)) {
      result = kErrRecordChanged;
    } else if (stored != fcb_.record || storedMemos != memos_) {
      result = table_->rewriteRecord(current_, stored, fcb_.record.data(),
                                     storedMemos != memos_ ? &memos_ : nullptr);
    }
  }
  result = endChange(result);
  access_->records().release(current_);
  if (result == kNoError) {
    currentImage_ = fcb_.record;
    if (watched_) {
      watchedImage_ = fcb_.record;
      watchedMemos_ = memos_;
    }
    releaseHeld();
  }
  return result;
}

int OpenTable::erase() {
  if (!hasCurrent_) return kErrRecordNotAvailable;
  if (int error = beginChange(); error != kNoError) return error;
  // The record is held for the time of the change (a HOLD already made
  // only counts one use more).
  if (!takeRecordLock(current_)) return endChange(kErrAccessDenied);
  std::vector<uint8_t> stored;
  int result = kNoError;
  if (!table_->readRecord(current_, stored)) {
    result = kErrRecordNotAvailable;
  } else {
    stored.resize(fcb_.record.size(), 0);
    std::vector<std::string> storedMemos;
    if (watched_ && !fcb_.memos.empty()) table_->readMemos(current_, storedMemos);
    if (watched_ && (stored != watchedImage_ || storedMemos != watchedMemos_)) {
      result = kErrRecordChanged;
    } else {
      result = table_->removeRecord(current_, stored);
    }
  }
  result = endChange(result);
  access_->records().release(current_);
  if (result == kNoError) {
    releaseHeld();
    hasCurrent_ = false;
    watched_ = false;
  }
  return result;
}

int OpenTable::removeAll() {
  if (int error = beginChange(); error != kNoError) return error;
  const int result = endChange(table_->removeAllRecords());
  if (result == kNoError) hasCurrent_ = false;
  return result;
}

int OpenTable::rebuild(const KeyBlock* key) {
  if (int error = beginChange(); error != kNoError) return error;
  return endChange(table_->rebuildKeys(key));
}

int OpenTable::flush() {
  return file_.changing() && !inTransaction_ ? endChange(kNoError) : kNoError;
}

int64_t OpenTable::records(const KeyBlock* key) {
  if (beginAccess() != kNoError) return 0;
  const int64_t count = table_->counter(key == nullptr ? kRecordCounter : Table::counterOf(*key));
  endAccess();
  return count;
}

std::string* OpenTable::memo(uint32_t number) {
  return number >= 1 && number <= memos_.size() ? &memos_[number - 1] : nullptr;
}

const MemoBlock* OpenTable::memoBlock(uint32_t number) const {
  return number >= 1 && number <= fcb_.memos.size() ? &fcb_.memos[number - 1] : nullptr;
}

uint32_t OpenTable::saveState() {
  const uint32_t handle = nextState_++;
  states_[handle] = State{position_, hasCurrent_, current_, currentImage_, fcb_.record, memos_};
  return handle;
}

bool OpenTable::restoreState(uint32_t handle) {
  const auto found = states_.find(handle);
  if (found == states_.end()) return false;
  const State& state = found->second;
  position_ = state.position;
  position_.forgetCursor();
  hasCurrent_ = state.hasCurrent;
  current_ = state.current;
  currentImage_ = state.currentImage;
  fcb_.record = state.buffer;
  memos_ = state.memos;
  watched_ = false;
  return true;
}

bool OpenTable::freeState(uint32_t handle) {
  return states_.erase(handle) != 0;
}

int OpenTable::readFlags(uint32_t& flags) {
  if (const int error = beginAccess(); error != kNoError) return error;
  flags = table_->flags();
  endAccess();
  return kNoError;
}

int OpenTable::storeFlags(uint32_t flags) {
  if (const int error = beginChange(); error != kNoError) return error;
  return endChange(table_->storeFlags(flags));
}

std::vector<std::string> OpenTable::tableNamesOfFile() {
  std::vector<std::string> names;
  if (beginAccess() != kNoError) return names;
  names = tableNames(file_);
  endAccess();
  return names;
}

int OpenTable::lockFile(int32_t seconds) {
  if (fileLocked_) return kNoError;
  LockSpace& locks = access_->locks();
  if (locks.take(LockMode::Writer, kFileLockNumber, false) != 0) {
    // Waiting for another station: tried again after a pause that grows
    // from 1 to 50 ms, so that a long wait costs next to nothing, and never
    // past the time allowed.
    using Clock = std::chrono::steady_clock;
    const auto until = Clock::now() + std::chrono::seconds(std::max(seconds, 0));
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
      const auto now = Clock::now();
      if (now >= until) return kErrFileAlreadyLocked;
      std::this_thread::sleep_for(std::min<Clock::duration>(pause, until - now));
      if (locks.takeAtOnce(LockMode::Writer, kFileLockNumber) == 0) break;
      pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
  }
  fileLocked_ = true;
  return kNoError;
}

int OpenTable::unlockFile() {
  if (fileLocked_) access_->locks().release(LockMode::Writer, kFileLockNumber);
  fileLocked_ = false;
  return kNoError;
}

}  // namespace zor::tarnwick
