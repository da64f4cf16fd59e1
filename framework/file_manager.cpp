#include "framework/file_manager.h"

#include <algorithm>
#include <limits>
#include <random>

#include "data/file_errors.h"
#include "data/file_statements.h"
#include "framework/file_mapping.h"
#include "platform/clock.h"
#include "platform/threads.h"
#include "runtime/error_state.h"
#include "runtime/field_compare.h"
#include "runtime/type_codes.h"

namespace zor::fw {

namespace st = data::statement;

namespace {

// Attempts of one numbering round before the user is asked.
constexpr int kNumberingAttempts = 3;
// How long numbering waits for another station's change to end.
constexpr int32_t kNumberingTimeoutSeconds = 5;
// Attempts of the open loop: a retry after the read-only fall-back, a
// create or a rebuild.
constexpr int kOpenAttempts = 2;

// The largest value a numbered key component can take, as text.
std::string largestValueText(const FieldDescriptor& field) {
  switch (field.type) {
    case kByte:
      return "255";
    case kShort:
      return "32767";
    case kUShort:
      return "65535";
    case kLong:
      return std::to_string(std::numeric_limits<int32_t>::max());
    case kULong:
      return std::to_string(std::numeric_limits<uint32_t>::max());
    case kDecimal:
    case kPDecimal: {
      const uint32_t digits = field.type == kDecimal ? field.size * 2 - 1 : field.size;
      const uint32_t whole = digits > field.places ? digits - field.places : 1;
      return std::string(whole, '9');
    }
    default:
      return "1e300";
  }
}

// A short random pause of a few milliseconds.
uint32_t backOffMs() {
  thread_local std::minstd_rand generator{std::random_device{}()};
  return 1 + generator() % 4;
}

}  // namespace

FileManager::FileManager() = default;

FileManager::~FileManager() {
  unregisterFileManager(this);
}

void FileManager::Init() {
  if (Opener == nullptr) Opener = &defaultFileOpener();
  if (File != nullptr && Buffer == nullptr) Buffer = &File->record;
  Killed = 0;
  CleanedUp = 0;
}

void FileManager::Bind(data::FileControlBlock& file, ErrorReporter& errors) {
  File = &file;
  Errors = &errors;
  if (Buffer == nullptr) Buffer = &file.record;
  if (Opener == nullptr) Opener = &defaultFileOpener();
  if (FileNameValue.empty()) FileNameValue = file.label;
  registerFileManager(file, this);
  Initialized = 1;
}

void FileManager::Release() {
  if (Killed) return;
  if (File != nullptr && Opener != nullptr) {
    // Whatever this manager still has open on any procedure's behalf.
    for (FileStatus& status : status_) {
      for (; status.NestedOpen > 0; --status.NestedOpen) Opener->Close(*File);
    }
  }
  status_.clear();
  for (SavedBuffer& saved : Saved) {
    if (saved.HasState && File != nullptr) st::freeState(*File, saved.State);
  }
  Saved.clear();
  Buffers.clear();
  Keys.clear();
  Opened = 0;
  unregisterFileManager(this);
  CleanedUp = 1;
  Killed = 1;
  Initialized = 0;
}

std::string FileManager::Name() const {
  if (FileName != nullptr && !FileName->empty()) return *FileName;
  if (!FileNameValue.empty()) return FileNameValue;
  return File != nullptr ? File->label : "";
}

void FileManager::RecordError(int id) {
  LastError = errorCode();
  if (Errors == nullptr) return;
  Errors->SetFile(Name());
  Errors->SetErrors();
  Errors->Record(id);
}

uint8_t FileManager::ShowError() {
  return Errors != nullptr ? Errors->Show() : Level::Notify;
}

// ---------------------------------------------------------------------------
// Opening and closing.

uint8_t FileManager::EnsureOpen(uint8_t useKind) {
  if (useKind == UseKind::Initialise || useKind == UseKind::Open || useKind == UseKind::Close) {
    return Level::Benign;
  }
  if (File != nullptr && Opened != 0 && Opener != nullptr && Opener->Usage(*File) > 0) {
    Used = 1;
    return Level::Benign;
  }
  if (!lazyOpening_ && LazyOpen != 0 && File != nullptr) {
    lazyOpening_ = true;
    const uint8_t level = Open(1);
    lazyOpening_ = false;
    if (level == Level::Benign) {
      Used = 1;
      return level;
    }
  }
  RecordError(42);
  ShowError();
  return Level::Fatal;
}

FileStatus& FileManager::StatusOfCaller() {
  const int32_t thread = platform::threadNumber();
  const std::string proc = Errors != nullptr ? Errors->ProcedureName() : std::string();
  for (FileStatus& status : status_) {
    if (status.Thread == thread && status.Proc == proc) return status;
  }
  FileStatus status;
  status.Thread = thread;
  status.Proc = proc;
  status.Id = static_cast<int32_t>(status_.size() + 1);
  status_.push_back(status);
  return status_.back();
}

int FileManager::OpenAttempt() {
  return Opener->Open(*File, OpenMode);
}

uint8_t FileManager::Open(uint8_t ask) {
  if (File == nullptr || EnsureOpen(UseKind::Open) != Level::Benign) {
    RecordError(26);
    return ShowError();
  }
  if (Opener == nullptr) Opener = &defaultFileOpener();
  const uint8_t level = OpenTable(ask);
  if (level == Level::Benign) ++StatusOfCaller().NestedOpen;
  return level;
}

uint8_t FileManager::OpenTable(uint8_t ask) {
  for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
    int code = OpenAttempt();
    if (code == data::kErrAccessDenied) {
      std::string answer;
      st::send(*File, "Recover=" + std::to_string(LockRecover), answer);
      code = OpenAttempt();
    }
    if (code == data::kNoError) {
      // A nested open (a lookup opening the tables again) must not forget
      // the number the outer procedure has reserved.
      if (Opened == 0) {
        AtEOF = 0;
        AutoIncDone = 0;
      }
      Opened = 1;
      return Level::Benign;
    }
    if (code == data::kErrAccessDenied) {
      if ((OpenMode & OpenModeBits::AccessMask) == OpenModeBits::ReadOnly) break;
      OpenMode = static_cast<uint8_t>(OpenMode & ~OpenModeBits::AccessMask);
      RecordError(2);
      if (ask != 0) ShowError();
      continue;
    }
    if (code == data::kErrFileNotFound) {
      if (Create == 0) break;
      if (st::create(*File) == data::kNoError) continue;
      RecordError(12);
      return ShowError();
    }
    if (code == data::kErrKeyFileMustBeRebuilt) {
      RecordError(30);
      if (ask == 0) return Level::Notify;
      ShowError();
      if (st::build(*File) == data::kNoError) continue;
      RecordError(29);
      return ShowError();
    }
    break;
  }
  // The error of the last attempt stands as the reason.
  RecordError(26);
  return ShowError();
}

uint8_t FileManager::Close() {
  if (File == nullptr || Opener == nullptr || InClose != 0) return Level::Benign;
  FileStatus& status = StatusOfCaller();
  if (status.NestedOpen == 0) return Level::Benign;
  InClose = 1;
  const int code = Opener->Close(*File);
  InClose = 0;
  if (code != data::kNoError) {
    RecordError(6);
    return ShowError();
  }
  --status.NestedOpen;
  if (Opener->Usage(*File) == 0) Opened = 0;
  return Level::Benign;
}

// ---------------------------------------------------------------------------
// Reading.

void FileManager::NoteRecordRead() {
  if (SavePreviousBuffer != 0 && Buffer != nullptr) PreviousBuffer = *Buffer;
}

uint8_t FileManager::ReadStep(bool forward, uint8_t ask) {
  if (EnsureOpen(UseKind::Read) != Level::Benign) return Level::Fatal;
  for (;;) {
    const int code = forward ? st::next(*File) : st::previous(*File);
    if (code == data::kNoError) {
      AtEOF = 0;
      NoteRecordRead();
      return Level::Benign;
    }
    if (code == data::kErrRecordNotAvailable) {
      AtEOF = 1;
      return Level::Notify;
    }
    if (code == data::kErrRecordHeld) {
      if (SkipHeldRecords != 0) continue;
      RecordError(31);
      return ask != 0 ? ShowError() : Level::Notify;
    }
    RecordError(1);
    return ask != 0 ? ShowError() : Level::Fatal;
  }
}

uint8_t FileManager::ReadNext(uint8_t ask) {
  return ReadStep(true, ask);
}

uint8_t FileManager::ReadPrevious(uint8_t ask) {
  return ReadStep(false, ask);
}

uint8_t FileManager::FetchByKey(data::KeyBlock& key, uint8_t ask) {
  if (EnsureOpen(UseKind::Read) != Level::Benign) return Level::Fatal;
  const int code = st::get(*File, key);
  if (code == data::kNoError) {
    NoteRecordRead();
    return Level::Benign;
  }
  RecordError(1);
  if (ask != 0) return ShowError();
  return code == data::kErrRecordNotFound || code == data::kErrRecordNotAvailable ? Level::Notify
                                                                                  : Level::Fatal;
}

uint8_t FileManager::Reread() {
  if (EnsureOpen(UseKind::Read) != Level::Benign) return Level::Fatal;
  if (lastPosition_.empty()) return Level::Notify;
  if (st::reget(*File, lastPosition_) != data::kNoError) {
    RecordError(1);
    return Level::Notify;
  }
  NoteRecordRead();
  return Level::Benign;
}

uint8_t FileManager::FetchByPointer(uint32_t pointer, uint8_t ask) {
  if (EnsureOpen(UseKind::Read) != Level::Benign) return Level::Fatal;
  if (st::get(*File, pointer) == data::kNoError) {
    NoteRecordRead();
    return Level::Benign;
  }
  RecordError(1);
  return ask != 0 ? ShowError() : Level::Notify;
}

uint8_t FileManager::Reget(const std::string& position, bool watch, uint8_t ask) {
  if (EnsureOpen(UseKind::Read) != Level::Benign) return Level::Fatal;
  if (watch) st::watch(*File);
  if (st::reget(*File, position) == data::kNoError) {
    NoteRecordRead();
    return Level::Benign;
  }
  RecordError(1);
  return ask != 0 ? ShowError() : Level::Notify;
}

uint32_t FileManager::CurrentPointer() {
  uint32_t pointer = 0;
  if (File == nullptr || st::pointer(*File, pointer) != data::kNoError) return 0;
  return pointer;
}

uint8_t FileManager::SetOrder(data::KeyBlock& key) {
  if (EnsureOpen(UseKind::Read) != Level::Benign) return Level::Fatal;
  AtEOF = 0;
  return st::set(*File, key) == data::kNoError ? Level::Benign : Level::Notify;
}

uint8_t FileManager::SetAtKeyValue(data::KeyBlock& key) {
  if (EnsureOpen(UseKind::Read) != Level::Benign) return Level::Fatal;
  AtEOF = 0;
  return st::setToKeyValue(*File, key) == data::kNoError ? Level::Benign : Level::Notify;
}

// ---------------------------------------------------------------------------
// Keys and numbering.

void FileManager::DeclareKey(data::KeyBlock& key, const std::string& label, bool autoInc) {
  KeyEntry entry;
  entry.Key = &key;
  entry.Label = label;
  entry.AutoInc = autoInc ? 1 : 0;
  entry.Dups = key.allowsDuplicates() ? 1 : 0;
  entry.NoCase = key.ignoresCase() ? 1 : 0;
  for (const data::KeyComponent& component : key.components) {
    KeyComponentEntry field;
    field.Field = FieldRef{File, component.field};
    field.FieldName = field.Field.label();
    field.Ascend = component.order == data::ComponentOrder::Descending ? 0 : 1;
    entry.Fields.push_back(field);
  }
  if (autoInc) HasAutoInc = 1;
  if ((key.attributes & data::kKeyPrimary) != 0 && PrimaryKey == 0) {
    PrimaryKey = static_cast<uint8_t>(Keys.size() + 1);
  }
  Keys.push_back(std::move(entry));
}

const KeyEntry* FileManager::FindKey(const data::KeyBlock& key) const {
  for (const KeyEntry& entry : Keys) {
    if (entry.Key == &key) return &entry;
  }
  return nullptr;
}

std::string FileManager::KeyDescription(const data::KeyBlock& key) const {
  const KeyEntry* entry = FindKey(key);
  std::string text = entry != nullptr ? entry->Label : key.label;
  std::string components;
  for (const data::KeyComponent& component : key.components) {
    if (File == nullptr || component.field < 1 || component.field > File->fields.size()) continue;
    if (!components.empty()) components += ", ";
    components += File->fields[component.field - 1].name;
  }
  if (!components.empty()) text += " (" + components + ")";
  return text;
}

int FileManager::NextNumbers() {
  for (const KeyEntry& entry : Keys) {
    if (entry.AutoInc == 0 || entry.Fields.empty()) continue;
    const FieldRef numbered = entry.Fields.back().Field;
    if (!numbered.valid()) continue;
    const uint16_t saved = PushBuffer();
    // Past the end of the range that shares the leading components, then
    // one record back: the highest number in use there.
    numbered.assign(largestValueText(numbered.descriptor()));
    st::noMemo(*File);
    int code = st::setToKeyValue(*File, *entry.Key);
    if (code == data::kNoError) code = st::previous(*File);
    int64_t next = 1;
    if (code == data::kNoError) {
      bool sameRange = true;
      std::vector<uint8_t> found = *Buffer;
      PopBuffer(saved);
      for (size_t i = 0; i + 1 < entry.Fields.size(); ++i) {
        const FieldDescriptor& field = entry.Fields[i].Field.descriptor();
        if (compareFields(field, found.data(), Buffer->data()) != 0) sameRange = false;
      }
      if (sameRange) {
        next = makeUfo(numbered.descriptor().type, found.data() + numbered.descriptor().offset,
                       numbered.descriptor().size, numbered.descriptor().places)
                   ->toInt() +
               1;
      }
    } else {
      PopBuffer(saved);
      if (code != data::kErrRecordNotAvailable) {
        setErrorCode(code);
        return code;
      }
    }
    numbered.object()->assignInt(next);
  }
  return data::kNoError;
}

const KeyEntry* FileManager::ClashingKey() {
  // Looks each unique key up by the buffer's values; a record found that is
  // not the one reserved for this buffer is the clash.
  const std::vector<uint8_t> original = *Buffer;
  const KeyEntry* clash = nullptr;
  for (const KeyEntry& entry : Keys) {
    if (entry.Dups != 0 || entry.Key == nullptr) continue;
    *Buffer = original;
    if (st::get(*File, *entry.Key) == data::kNoError) {
      uint32_t found = 0;
      st::pointer(*File, found);
      if (AutoIncDone == 0 || found != reservedPointer_) clash = &entry;
    }
    if (clash != nullptr) break;
  }
  *Buffer = original;
  return clash;
}

int FileManager::AddNumbered(bool& autoIncClash, bool& readFailed) {
  autoIncClash = false;
  readFailed = false;
  // Finding the highest number and adding the next one happen in one
  // transaction when they can, so that no other station adds in between;
  // inside a transaction already under way they simply run in it.
  data::FileControlBlock* files[] = {File};
  const bool framed = st::logout(kNumberingTimeoutSeconds, files) == data::kNoError;
  int code = NextNumbers();
  readFailed = code != data::kNoError;
  if (code == data::kNoError) code = st::add(*File);
  if (framed) {
    if (code == data::kNoError) {
      code = st::commit(*File);
    } else {
      const int failure = code;
      st::rollback(*File);
      setErrorCode(failure);
    }
  }
  if (code == data::kNoError) {
    st::pointer(*File, reservedPointer_);
    AutoIncDone = 1;
    return code;
  }
  if (code == data::kErrDuplicateKey) {
    const KeyEntry* clash = ClashingKey();
    autoIncClash = clash == nullptr || clash->AutoInc != 0;
    setErrorCode(code);
  }
  return code;
}

uint8_t FileManager::NumberRecord(uint8_t ask) {
  if (EnsureOpen(UseKind::Write) != Level::Benign) return Level::Fatal;
  for (;;) {
    int code = data::kNoError;
    for (int attempt = 0; attempt < kNumberingAttempts; ++attempt) {
      bool autoIncClash = false;
      bool readFailed = false;
      code = AddNumbered(autoIncClash, readFailed);
      if (code == data::kNoError) return Level::Benign;
      if (readFailed) {
        RecordError(1);
        return ask != 0 ? ShowError() : Level::Notify;
      }
      // A duplicate on a key that is not numbered cannot go away by
      // numbering again.
      if (code == data::kErrDuplicateKey && !autoIncClash)
        return ReportDuplicate(ClashingKey(), ask);
      if (code != data::kErrDuplicateKey) break;
      // Another station took the number: step aside a little, by an amount
      // of its own, so that two stations numbering in step fall out of it.
      platform::sleepMs(backOffMs());
    }
    const KeyEntry* numbered = nullptr;
    for (const KeyEntry& entry : Keys) {
      if (entry.AutoInc != 0) numbered = &entry;
    }
    if (Errors != nullptr && numbered != nullptr) Errors->SetKey(numbered->Label);
    RecordError(35);
    if (ask == 0) return Level::Notify;
    if (ShowError() != Level::Benign) return Level::Notify;
  }
}

void FileManager::PrimeRecord(bool suppressClear) {
  if (!suppressClear && Buffer != nullptr) std::fill(Buffer->begin(), Buffer->end(), 0);
  AutoIncDone = 0;
}

uint8_t FileManager::PrimeAutoInc(uint8_t ask) {
  if (HasAutoInc == 0 || AutoIncDone != 0) return Level::Benign;
  return NumberRecord(ask);
}

uint8_t FileManager::CancelAutoInc() {
  if (AutoIncDone == 0) return Level::Benign;
  if (EnsureOpen(UseKind::Write) != Level::Benign) return Level::Fatal;
  const uint16_t saved = PushBuffer();
  int code = st::get(*File, reservedPointer_);
  if (code == data::kNoError) code = st::erase(*File);
  PopBuffer(saved);
  // A reservation someone else already removed is given back all the same.
  if (code != data::kNoError && code != data::kErrRecordNotFound) {
    RecordError(13);
    return ShowError();
  }
  AutoIncDone = 0;
  return Level::Benign;
}

// ---------------------------------------------------------------------------
// Writing.

int FileManager::PutReserved() {
  // The reserved record becomes the current one again (whatever was read
  // since), then takes the buffer's values.
  const std::vector<uint8_t> values = *Buffer;
  int code = st::get(*File, reservedPointer_);
  *Buffer = values;
  if (code == data::kNoError) code = st::put(*File);
  return code;
}

uint8_t FileManager::CheckField(uint16_t) {
  return Level::Benign;
}

uint8_t FileManager::CheckRecord(uint16_t& failedField) {
  failedField = 0;
  if (File == nullptr) return Level::Benign;
  for (uint16_t field = 1; field <= File->fields.size(); ++field) {
    const uint8_t level = CheckField(field);
    if (level != Level::Benign) {
      failedField = field;
      return level;
    }
  }
  return Level::Benign;
}

uint8_t FileManager::ReportDuplicate(const KeyEntry* key, uint8_t ask) {
  if (ask == 0) return Level::Notify;
  LastError = data::kErrDuplicateKey;
  if (Errors == nullptr) return Level::Notify;
  Errors->SetFile(Name());
  Errors->SetErrors();
  if (key != nullptr) {
    Errors->SetKey(key->Label);
    Errors->SetMessage(KeyDescription(*key->Key));
  }
  Errors->Record(15);
  ShowError();
  return Level::Notify;
}

uint8_t FileManager::Insert(uint8_t ask) {
  if (EnsureOpen(UseKind::Write) != Level::Benign) return Level::Fatal;
  uint16_t failed = 0;
  if (CheckRecord(failed) != Level::Benign) return Level::Notify;
  int code = data::kNoError;
  if (HasAutoInc != 0) {
    if (AutoIncDone != 0) {
      code = PutReserved();
    } else if (NumberRecord(ask) != Level::Benign) {
      return Level::Notify;
    }
  } else {
    code = st::add(*File);
  }
  if (code == data::kNoError) {
    AutoIncDone = 0;
    NoteRecordRead();
    return Level::Benign;
  }
  if (code == data::kErrDuplicateKey) return ReportDuplicate(ClashingKey(), ask);
  RecordError(4);
  return ask != 0 ? ShowError() : Level::Notify;
}

uint8_t FileManager::Update(uint8_t ask) {
  if (EnsureOpen(UseKind::Write) != Level::Benign) return Level::Fatal;
  uint16_t failed = 0;
  if (CheckRecord(failed) != Level::Benign) return Level::User;
  st::position(*File, lastPosition_);
  const int code = st::put(*File);
  if (code == data::kNoError) {
    NoteRecordRead();
    return Level::Benign;
  }
  if (code == data::kErrRecordChanged) {
    RecordError(ask == 2 ? 8 : 7);
    if (ask != 0) ShowError();
    // Show the other station's values, and watch them for the next try.
    st::watch(*File);
    Reread();
    return Level::Notify;
  }
  if (code == data::kErrDuplicateKey && ask != 0) {
    // The record being changed is the driver's current one, which the
    // duplicate test leaves out.
    const KeyEntry* clash = nullptr;
    for (const KeyEntry& entry : Keys) {
      bool repeats = false;
      if (entry.Dups == 0 && entry.Key != nullptr &&
          st::duplicate(*File, *entry.Key, repeats) == data::kNoError && repeats) {
        clash = &entry;
        break;
      }
    }
    setErrorCode(code);
    return ReportDuplicate(clash, ask);
  }
  RecordError(28);
  return ask != 0 ? ShowError() : Level::Notify;
}

uint8_t FileManager::Delete(uint8_t ask) {
  if (EnsureOpen(UseKind::Write) != Level::Benign) return Level::Fatal;
  if (ask == 1) {
    if (Errors != nullptr) Errors->SetFile(Name());
    if (Errors == nullptr || Errors->Throw(11) != Level::Benign) return Level::Cancel;
  }
  if (st::erase(*File) != data::kNoError) {
    RecordError(13);
    return Level::Notify;
  }
  return Level::Benign;
}

// ---------------------------------------------------------------------------
// Saved states and buffers.

uint16_t FileManager::NextHandle() {
  ++lastHandle_;
  if (lastHandle_ == 0) lastHandle_ = 1;
  return lastHandle_;
}

uint16_t FileManager::SaveState() {
  SavedBuffer saved;
  saved.Id = NextHandle();
  saved.AutoIncDone = AutoIncDone;
  if (Buffer != nullptr) saved.Buffer = *Buffer;
  if (File != nullptr && st::getState(*File, saved.State) == data::kNoError) saved.HasState = true;
  Saved.push_back(std::move(saved));
  return Saved.back().Id;
}

void FileManager::RestoreState(uint16_t id) {
  auto found = std::find_if(Saved.begin(), Saved.end(),
                            [id](const SavedBuffer& saved) { return saved.Id == id; });
  if (found == Saved.end()) return;
  InRestore = 1;
  if (found->HasState && File != nullptr) {
    st::restoreState(*File, found->State);
    st::freeState(*File, found->State);
  }
  if (Buffer != nullptr) *Buffer = found->Buffer;
  AutoIncDone = found->AutoIncDone;
  Saved.erase(found);
  InRestore = 0;
}

uint16_t FileManager::PushBuffer() {
  SavedBuffer saved;
  saved.Id = NextHandle();
  saved.AutoIncDone = AutoIncDone;
  if (Buffer != nullptr) saved.Buffer = *Buffer;
  if (File != nullptr) st::getNulls(*File, saved.Nulls);
  Buffers.push_back(std::move(saved));
  return Buffers.back().Id;
}

void FileManager::PopBuffer(uint16_t id) {
  auto found = std::find_if(Buffers.begin(), Buffers.end(),
                            [id](const SavedBuffer& saved) { return saved.Id == id; });
  if (found == Buffers.end()) return;
  if (Buffer != nullptr) *Buffer = found->Buffer;
  if (File != nullptr && !found->Nulls.empty()) st::setNulls(*File, found->Nulls);
  Buffers.erase(found);
}

void FileManager::FreeBuffer(uint16_t id) {
  std::erase_if(Buffers, [id](const SavedBuffer& saved) { return saved.Id == id; });
}

uint8_t FileManager::CompareSavedBuffer(uint16_t id) const {
  for (const SavedBuffer& saved : Buffers) {
    if (saved.Id == id) return Buffer != nullptr && *Buffer == saved.Buffer ? 0 : 1;
  }
  return 1;
}

}  // namespace zor::fw
