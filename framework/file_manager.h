#pragma once
// Owns one table at run time: the only road by which the framework opens,
// closes, reads and writes it. It counts opens per thread and procedure,
// retries a failed open (lock recovery, read-only, create, rebuild),
// numbers new records through an auto-increment key, saves and restores
// the record buffer and the table's position, and turns every driver error
// into a numbered error of the error reporter.
//
// Every operation that can fail answers a severity level (Level:: in
// error_reporter.h; callers test for 0) and takes an `ask` flag: 1 reports
// a failure through the error reporter, 0 only records it and answers the
// level quietly; Update also takes 2 (an update form, which offers the
// history key after a lost update).
//
//   SectionsManager sections;          // a subclass per table
//   sections.Init();                   // construction-time set-up
//   if (sections.Open() != Level::Benign) return;
//   ... fill the record buffer ...
//   if (sections.Insert() == Level::Benign) ...
//   sections.Close();

#include <cstdint>
#include <string>
#include <vector>

#include "data/file_control_block.h"
#include "framework/error_reporter.h"
#include "framework/field_ref.h"
#include "framework/file_opener.h"

namespace zor::fw {

// Use kinds given to EnsureOpen.
namespace UseKind {
inline constexpr uint8_t Read = 1;
inline constexpr uint8_t Write = 2;
inline constexpr uint8_t Open = 3;
inline constexpr uint8_t Close = 4;
inline constexpr uint8_t Initialise = 5;
}  // namespace UseKind

// Access/share mode bits given to OPEN; the low nibble is the access part
// (0 read-only, 2 read and write), the high nibble the share part.
namespace OpenModeBits {
inline constexpr uint8_t AccessMask = 0x0F;
inline constexpr uint8_t ReadOnly = 0x00;
inline constexpr uint8_t ReadWrite = 0x02;
inline constexpr uint8_t DenyNone = 0x40;
inline constexpr uint8_t DenyWrite = 0x20;
}  // namespace OpenModeBits

// One component of a key in the key queue.
struct KeyComponentEntry {
  FieldRef Field;
  std::string FieldName;
  uint8_t Ascend = 1;
};

// One key of the table.
struct KeyEntry {
  data::KeyBlock* Key = nullptr;
  std::string Label;  // the text used for %Key and in messages
  std::vector<KeyComponentEntry> Fields;
  uint8_t AutoInc = 0;  // the last component is numbered automatically
  uint8_t Dups = 0;
  uint8_t NoCase = 0;
};

// One thread's and procedure's use of the table.
struct FileStatus {
  int32_t Thread = 0;
  std::string Proc;
  int32_t Id = 0;
  uint8_t UStat = 0;
  uint16_t Hold = 0;
  uint16_t ScopeLevel = 0;
  uint16_t NestedOpen = 0;
};

// A saved buffer (PushBuffer) or a saved state (SaveState).
struct SavedBuffer {
  uint16_t Id = 0;
  uint8_t AutoIncDone = 0;
  uint32_t State = 0;  // the driver's state handle (SaveState only)
  bool HasState = false;
  std::vector<uint8_t> Buffer;
  std::string Nulls;  // GETNULLS answer (PushBuffer only)
};

// A pair of fields compared and restored together.
struct FieldPair {
  FieldRef Left;
  FieldRef Right;
};

class FileManager {
 public:
  FileManager();
  virtual ~FileManager();
  FileManager(const FileManager&) = delete;
  FileManager& operator=(const FileManager&) = delete;

  // Construction-time initialisation; a table's subclass sets Buffer,
  // FileNameValue, Errors and File first, then runs this.
  virtual void Init();
  // Binds the manager to its table and error reporter and registers it.
  virtual void Bind(data::FileControlBlock& file, ErrorReporter& errors);
  // Closes what this manager still has open and releases everything.
  virtual void Release();

  // Makes sure the table can be used for `useKind`: Initialise lets a
  // subclass finish its set-up; other kinds open the table lazily when
  // LazyOpen is set, and raise 42 when it is not open and cannot be.
  virtual uint8_t EnsureOpen(uint8_t useKind);
  // Opens the table for the calling procedure (usage counted); Close ends
  // that use, closing the table when no one uses it any more.
  uint8_t Open(uint8_t ask = 1);
  uint8_t Close();

  // Reading: 0 read, 5 at the end (AtEOF set) or nothing found, 3 error.
  uint8_t ReadNext(uint8_t ask = 1);
  uint8_t ReadPrevious(uint8_t ask = 1);
  uint8_t FetchByKey(data::KeyBlock& key, uint8_t ask = 1);
  // Reads the record at the position remembered by the last Update.
  uint8_t Reread();
  // Reads a record by its pointer, or by a position string (REGET); with
  // `watch` the driver then reports another station's change at the next
  // PUT (error 89).
  uint8_t FetchByPointer(uint32_t pointer, uint8_t ask = 1);
  uint8_t Reget(const std::string& position, bool watch, uint8_t ask = 1);
  // The driver's pointer of the current record, 0 when there is none.
  uint32_t CurrentPointer();
  // Positions (no record read): at the start of a key's order, or before
  // the first record at or after the key values in the buffer.
  uint8_t SetOrder(data::KeyBlock& key);
  uint8_t SetAtKeyValue(data::KeyBlock& key);

  // Writing.
  uint8_t Insert(uint8_t ask = 1);
  uint8_t Update(uint8_t ask = 1);
  uint8_t Delete(uint8_t ask = 1);
  // Numbers the buffer through the auto-increment keys and adds it at once,
  // reserving the number (AutoIncDone is then set and Insert writes over
  // the reserved record).
  uint8_t NumberRecord(uint8_t ask = 1);
  // Prepares the buffer for a new record: cleared (unless the caller has
  // already put values in it, as a browse does for its range fields),
  // nothing reserved.
  virtual void PrimeRecord(bool suppressClear = false);
  // Numbers a freshly primed record when the table has an auto-increment key.
  uint8_t PrimeAutoInc(uint8_t ask = 1);
  // Gives a reserved, never completed record back (deletes it).
  uint8_t CancelAutoInc();

  // Field checks: 0 accepts. CheckRecord answers the first failing field's
  // number in `failedField`.
  virtual uint8_t CheckField(uint16_t field);
  uint8_t CheckRecord(uint16_t& failedField);

  // Saved positions and buffers; each answers a handle.
  uint16_t SaveState();
  void RestoreState(uint16_t id);
  uint16_t PushBuffer();
  void PopBuffer(uint16_t id);
  // Drops a saved buffer without restoring it.
  void FreeBuffer(uint16_t id);
  // 0 when the buffer equals the saved one, 1 when it differs (or there is
  // no such saved buffer).
  uint8_t CompareSavedBuffer(uint16_t id) const;

  // Adds a key to the key queue.
  void DeclareKey(data::KeyBlock& key, const std::string& label, bool autoInc);
  // The key's label and its components, for messages.
  std::string KeyDescription(const data::KeyBlock& key) const;
  const KeyEntry* FindKey(const data::KeyBlock& key) const;

  // The table's name as messages show it (%File).
  std::string Name() const;
  // Fills the reporter's context with this table and the runtime's current
  // error, then records `id`.
  void RecordError(int id);
  uint8_t ShowError();
  uint8_t ThrowError(int id) {
    RecordError(id);
    return ShowError();
  }

  // Fields, in declaration order.
  void* FileCallbackInterface = nullptr;
  FileManager* AliasedFile = nullptr;
  std::vector<uint8_t>* Buffer = nullptr;
  std::vector<SavedBuffer> Buffers;
  uint8_t Create = 0;
  ErrorReporter* Errors = nullptr;
  std::vector<FieldPair> Fields;
  data::FileControlBlock* File = nullptr;
  std::string* FileName = nullptr;
  std::string FileNameValue;
  uint8_t HasAutoInc = 0;
  uint8_t InUseFile = 0;
  uint8_t InCallback = 0;
  uint8_t InClose = 0;
  uint8_t InRestore = 0;
  uint8_t InView = 0;
  uint8_t Used = 0;
  int32_t Opened = 0;
  uint8_t AtEOF = 0;
  uint8_t AutoIncDone = 0;
  int32_t LastError = 0;
  uint8_t LazyOpen = 0;
  int16_t LockRecover = 0;
  uint8_t OpenMode = OpenModeBits::ReadWrite | OpenModeBits::DenyNone;
  uint8_t OpenModeOverridden = 0;
  uint8_t PrimaryKey = 0;
  std::vector<SavedBuffer> Saved;
  uint8_t SkipHeldRecords = 0;
  uint8_t CleanedUp = 0;
  std::vector<KeyEntry> Keys;
  uint8_t BlobChanged = 0;
  std::vector<uint8_t> PreviousBuffer;
  uint8_t SavePreviousBuffer = 0;
  uint8_t Initialized = 0;
  uint8_t Killed = 0;
  FileOpener* Opener = nullptr;
  uint8_t UseMRP = 0;
  uint8_t MRPSize = 0;
  // Set by a caller that primed values the next PrimeRecord must keep.
  uint8_t KeepPrimedValues = 0;

  // The file status queue: one entry per thread and procedure using the table.
  const std::vector<FileStatus>& StatusQueue() const { return status_; }

  // Remembers the buffer as read (PreviousBuffer), for change detection;
  // code that reads the table by other roads (a view) calls it too.
  void NoteRecordRead();

 protected:
  // The read path shared by NEXT and PREVIOUS.
  uint8_t ReadStep(bool forward, uint8_t ask);

 private:
  // One physical open attempt through the opener.
  int OpenAttempt();
  uint8_t OpenTable(uint8_t ask);
  FileStatus& StatusOfCaller();
  // Numbers the buffer and adds it; answers the driver's error number and,
  // for a duplicate, whether an auto-increment key clashed, or whether
  // finding the highest number failed.
  int AddNumbered(bool& autoIncClash, bool& readFailed);
  // Writes the buffer over the record NumberRecord reserved.
  int PutReserved();
  int NextNumbers();
  // The first key the buffer duplicates, or null.
  const KeyEntry* ClashingKey();
  uint8_t ReportDuplicate(const KeyEntry* key, uint8_t ask);
  uint16_t NextHandle();

  std::vector<FileStatus> status_;
  bool lazyOpening_ = false;      // guards the lazy open against re-entry
  std::string lastPosition_;      // POSITION of the record last updated
  uint32_t reservedPointer_ = 0;  // the record reserved by NumberRecord
  uint16_t lastHandle_ = 0;
};

}  // namespace zor::fw
