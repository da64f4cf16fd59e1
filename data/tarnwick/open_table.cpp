#include "data/tarnwick/open_table.h"

#include <algorithm>
#include <cstring>

#include "data/declaration_check.h"
#include "data/declaration_error.h"
#include "data/driver_descriptor.h"
#include "data/file_errors.h"
#include "data/tarnwick/byte_order.h"
#include "data/tarnwick/record_lock.h"
#include "data/tarnwick/table_name.h"

namespace zor::tarnwick {

namespace {

using namespace data;

std::string positionText(uint32_t record, const std::vector<uint8_t>& value) {
  std::string text(4, '\0');
  storeBig32(reinterpret_cast<uint8_t*>(text.data()), record);
  text.append(value.begin(), value.end());
  return text;
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
  int error = file.open(location.filePath, OpenMode{});
  // A missing file is made; so is one that is no Tarnwick file at all,
  // which CREATE replaces.
  if (error == kErrFileNotFound || error == kErrInvalidDataFile)
    error = file.create(location.filePath);
  if (error != kNoError) return error;
  platform::File& handle = file.store().file().file();
  if (takeLock(handle, kWriterByte, true) != 0) return kErrAccessDenied;
  file.store().invalidateHeader();
  error = file.refresh();
  if (error == kNoError) {
    ChangeScope scope(file);
    TableId id{};
    if (findTable(file, location.tableName, id)) {
      error = eraseItemsWithPrefix(file, ItemKey(id.begin(), id.end()));
      if (error == kNoError) error = file.erase(bytesOf(tableNameKey(location.tableName)));
    }
    if (error == kNoError)
      error = createTable(file, location.tableName, TableDefinition::of(fcb), id);
    if (error == kNoError) error = scope.commit();
  }
  releaseLock(handle, kWriterByte);
  return error;
}

int OpenTable::open(uint32_t modeWord) {
  close();
  if (int error = checkTableDeclaration(fcb_); error != kNoError) return error;
  const TableLocation location = locateTable(fcb_.name);
  const OpenMode mode = OpenMode::fromWord(static_cast<int>(modeWord));
  if (int error = file_.open(location.filePath, mode); error != kNoError) return error;
  path_ = location.filePath;
  tableName_ = location.tableName;
  shared_ = mode.share == platform::Share::DenyNone;
  TableId id{};
  std::vector<uint8_t> stream;
  int error = kNoError;
  if (!findTable(file_, tableName_, id)) {
    error = kErrFileNotFound;
  } else if (!readDefinitionStream(file_, id, stream)) {
    error = kErrInvalidDataFile;
  } else if (auto fault = compareDefinition(stream, TableDefinition::of(fcb_))) {
    error = reportDeclarationFault(*fault);
  }
  if (error != kNoError) {
    close();
    return error;
  }
  table_ = std::make_unique<Table>(file_, id, fcb_);
  memos_.assign(fcb_.memos.size(), std::string());
  endAccess();
  return kNoError;
}

void OpenTable::close() {
  if (!file_.isOpen()) return;
  inTransaction_ = false;
  if (file_.changing()) file_.rollback();
  releaseHeld();
  if (fileLocked_) unlockFile();
  if (writerLocked_) releaseLock(file_.store().file().file(), kWriterByte);
  writerLocked_ = false;
  table_.reset();
  file_.close();
  position_.clear();
  hasCurrent_ = false;
  states_.clear();
}

int OpenTable::beginAccess() {
  if (shared_ && !file_.changing()) return file_.refresh();
  return kNoError;
}

void OpenTable::endAccess() {
  if (shared_ && !file_.changing()) file_.store().invalidateHeader();
}

int OpenTable::beginChange() {
  if (!file_.writable()) return kErrAccessDenied;
  // Inside a transaction the change already under way goes on.
  if (file_.changing()) return kNoError;
  if (shared_ && !writerLocked_) {
    if (takeLock(file_.store().file().file(), kWriterByte, true) != 0) return kErrAccessDenied;
    writerLocked_ = true;
    file_.store().invalidateHeader();
  }
  const int error = file_.refresh();
  if (error != kNoError) return endChange(error);
  return kNoError;
}

int OpenTable::endChange(int result) {
  // A statement refused inside a transaction has written nothing (keys are
  // checked before any write), so the transaction's change stays whole.
  if (inTransaction_) return result;
  if (result == kNoError && file_.changing()) result = file_.commit();
  if (result != kNoError && file_.changing()) file_.rollback();
  if (writerLocked_) releaseLock(file_.store().file().file(), kWriterByte);
  writerLocked_ = false;
  endAccess();
  return result;
}

int OpenTable::commitTransaction() {
  inTransaction_ = false;
  return endChange(kNoError);
}

void OpenTable::rollbackTransaction() {
  inTransaction_ = false;
  if (file_.changing()) file_.rollback();
  endChange(kNoError);
}

bool OpenTable::takeRecordLock(uint32_t record) {
  return !shared_ || takeLock(file_.store().file().file(), recordLockOffset(record), false) == 0;
}

void OpenTable::releaseHeld() {
  if (holding_ && shared_) releaseLock(file_.store().file().file(), recordLockOffset(held_));
  holding_ = false;
}

int OpenTable::release() {
  releaseHeld();
  holdPending_ = false;
  return kNoError;
}

int OpenTable::readRecord(uint32_t number, const Bytes* stored) {
  std::vector<uint8_t> image;
  if (stored != nullptr) {
    image.assign(stored->begin(), stored->end());
  } else if (!table_->readRecord(number, image)) {
    return kErrRecordNotFound;
  }
  if (holdPending_) {
    holdPending_ = false;
    if (!(holding_ && held_ == number)) {
      releaseHeld();
      if (!takeRecordLock(number)) return kErrRecordHeld;
      holding_ = true;
      held_ = number;
    }
  }
  image.resize(fcb_.record.size(), 0);
  std::copy(image.begin(), image.end(), fcb_.record.begin());
  if (!fcb_.memos.empty()) {
    if (!noMemoPending_) table_->readMemos(number, memos_);
    if (watchPending_) table_->readMemos(number, watchedMemos_);
  }
  watched_ = watchPending_;
  if (watched_) watchedImage_ = image;
  watchPending_ = false;
  noMemoPending_ = false;
  hasCurrent_ = true;
  current_ = number;
  currentImage_ = std::move(image);
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

int OpenTable::step(bool forward) {
  if (!position_.isSet()) return kErrRecordNotAvailable;
  if (int error = beginAccess(); error != kNoError) return error;
  ItemKey item;
  uint32_t record = 0;
  int result = kErrRecordNotAvailable;
  if (position_.peek(cursor_, forward, item, record)) {
    // In record order the cursor stands on the record itself; its bytes are
    // copied before anything can change the tree.
    Bytes stored;
    if (position_.key() == nullptr) stored = cursor_.data();
    result = readRecord(record, position_.key() == nullptr ? &stored : nullptr);
    if (result == kNoError || result == kErrRecordNotFound) position_.moveTo(item, true);
  }
  endAccess();
  return result;
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
  if (int error = beginAccess(); error != kNoError) return error;
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
  endAccess();
  return result;
}

int OpenTable::getByPointer(uint32_t pointer) {
  if (int error = beginAccess(); error != kNoError) return error;
  const int result = readRecord(pointer);
  endAccess();
  return result;
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
  const bool temporary = !(holding_ && held_ == current_);
  if (temporary && !takeRecordLock(current_)) return endChange(kErrAccessDenied);
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
  if (temporary && shared_) releaseLock(file_.store().file().file(), recordLockOffset(current_));
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
  const bool temporary = !(holding_ && held_ == current_);
  if (temporary && !takeRecordLock(current_)) return endChange(kErrAccessDenied);
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
  if (temporary && shared_) releaseLock(file_.store().file().file(), recordLockOffset(current_));
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

int OpenTable::lockFile() {
  if (fileLocked_) return kNoError;
  if (shared_ &&
      takeLock(file_.store().file().file(), kNumberedLockBase + kFileLockNumber, false) != 0)
    return kErrFileAlreadyLocked;
  fileLocked_ = true;
  return kNoError;
}

int OpenTable::unlockFile() {
  if (fileLocked_ && shared_)
    releaseLock(file_.store().file().file(), kNumberedLockBase + kFileLockNumber);
  fileLocked_ = false;
  return kNoError;
}

}  // namespace zor::tarnwick
