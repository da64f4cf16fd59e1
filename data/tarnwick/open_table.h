#pragma once
// The driver's per-file object: one table of a Tarnwick file opened through
// one FILE control block, with its sequential position, its current record
// (the last one read or added), pending HOLD and WATCH requests, the memo
// buffers and the saved states of GETSTATE.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/file_control_block.h"
#include "data/tarnwick/driver_switches.h"
#include "data/tarnwick/shared_access.h"
#include "data/tarnwick/table.h"
#include "data/tarnwick/table_position.h"
#include "data/tarnwick/tarnwick_file.h"
#include "data/tarnwick/transaction.h"

namespace zor::tarnwick {

class OpenTable : public data::DriverFileObject, public TransactionFile {
 public:
  explicit OpenTable(data::FileControlBlock& fcb) : fcb_(fcb) {}
  ~OpenTable() override { close(); }

  // Opens the table the block's name text names and compares its stored
  // definition with the declaration (47 on a difference).
  [[nodiscard]] int open(uint32_t modeWord);
  void close();
  // The mode word it was opened with, and whether that keeps every other
  // handle out (read and write, sharing nothing), as PACK needs.
  uint32_t modeWord() const { return modeWord_; }
  bool openedAlone() const;

  Table& table() { return *table_; }
  TarnwickFile& file() { return file_; }

  // Sequential positions; no record is read.
  void setRecordOrder();
  void setKeyOrder(const data::KeyBlock& key);
  [[nodiscard]] int setToKeyValue(const data::KeyBlock& key, const uint32_t* pointer);
  [[nodiscard]] int setRecordOrderAt(uint32_t pointer);
  [[nodiscard]] int setRecordOrderAtKeyValue(const data::KeyBlock& key);
  [[nodiscard]] int setKeyOrderAtRecord(const data::KeyBlock& key, uint32_t pointer);
  [[nodiscard]] int reset(const data::KeyBlock* key, const std::string& position);

  // Reading.
  [[nodiscard]] int step(bool forward);
  [[nodiscard]] int skip(int64_t count);
  [[nodiscard]] int get(const data::KeyBlock& key);
  [[nodiscard]] int getByPointer(uint32_t pointer);
  [[nodiscard]] int reget(const std::string& position);
  // HOLD: the next read reserves its record; with `seconds` it waits that
  // long for another station to let it go (43 after that).
  void holdNextRead(int32_t seconds = 0) {
    holdPending_ = true;
    holdSeconds_ = seconds;
  }
  void watchNextRead() { watchPending_ = true; }
  void skipMemosOnNextRead() { noMemoPending_ = true; }
  int release();

  // Positions of the current record.
  [[nodiscard]] int position(const data::KeyBlock* key, std::string& answer);
  int pointer(uint32_t& answer) const;
  [[nodiscard]] int wouldRepeat(const data::KeyBlock* key, bool& answer);

  // Writing.
  [[nodiscard]] int add(uint32_t length, bool makeCurrent);
  [[nodiscard]] int put();
  [[nodiscard]] int erase();
  [[nodiscard]] int removeAll();
  [[nodiscard]] int rebuild(const data::KeyBlock* key);
  [[nodiscard]] int flush();

  int64_t records(const data::KeyBlock* key);

  // Memos and blobs of the record buffer (1-based numbers).
  std::string* memo(uint32_t number);
  const data::MemoBlock* memoBlock(uint32_t number) const;

  // Saved states.
  uint32_t saveState();
  bool restoreState(uint32_t handle);
  bool freeState(uint32_t handle);

  // LOCK: waits at most `seconds` when positive (32 after that).
  [[nodiscard]] int lockFile(int32_t seconds = 0);
  int unlockFile();

  // The number FLAGS reads and stores.
  [[nodiscard]] int readFlags(uint32_t& flags);
  [[nodiscard]] int storeFlags(uint32_t flags);
  std::vector<std::string> tableNamesOfFile();

  // A transaction (LOGOUT ... COMMIT or ROLLBACK): the change begins at
  // LOGOUT, holding the writer byte, and the statements between add to it;
  // the thread's Transaction writes or drops it, then the file leaves.
  // Waits at most `seconds` for the writer byte when that is positive.
  [[nodiscard]] int joinTransaction(int32_t seconds = 0);
  void leaveTransaction();
  bool inTransaction() const { return inTransaction_; }
  SharedAccess& access() { return *access_; }

  // The file's part in a transaction.
  std::string path() const override { return path_; }
  bool hasChanges() const override;
  int completeSingleChange() override;
  int makeDurableWithMarker(const TransactionMarker& marker) override;
  int completeChange() override;
  void dropChange() override;

 private:
  struct State {
    TablePosition position;
    bool hasCurrent = false;
    uint32_t current = 0;
    std::vector<uint8_t> currentImage;
    std::vector<uint8_t> buffer;
    std::vector<std::string> memos;
  };

  // Every access and change runs in the brackets of the file's SharedAccess.
  [[nodiscard]] int beginAccess();
  void endAccess();
  // Runs `read` as one reading access, a quick one when it can be: `read`
  // may then run twice, so it changes nothing until it has read all it
  // needs.
  template <typename Read>
  int readAccess(Read read);
  [[nodiscard]] int beginChange();
  [[nodiscard]] int endChange(int result);
  [[nodiscard]] int dropStaleMarker();
  // `stored` is the record's item when the caller stands on it already
  // (reading in record order), which saves looking it up again.
  [[nodiscard]] int readRecord(uint32_t number, const Bytes* stored = nullptr);
  int readAtItem(const ItemKey& item, uint32_t record);
  bool takeRecordLock(uint32_t record);
  void releaseHeld();
  ItemKey keyOrderBound(const data::KeyBlock& key, const std::vector<uint8_t>& value,
                        uint32_t record, bool high) const;

  data::FileControlBlock& fcb_;
  TarnwickFile file_;
  std::unique_ptr<Table> table_;
  std::string path_;
  std::string tableName_;
  uint32_t modeWord_ = 0;
  std::unique_ptr<SharedAccess> access_;

  TablePosition position_;
  // Sequential reading keeps its cursor between statements, so that NEXT
  // and PREVIOUS step from the item last read instead of seeking it again.
  Cursor cursor_{file_.tree()};
  bool hasCurrent_ = false;
  uint32_t current_ = 0;
  std::vector<uint8_t> currentImage_;
  std::vector<uint8_t> readImage_;  // readRecord's buffer
  ItemKey stepItem_;                // step()'s item key, kept between reads
  std::vector<std::string> memos_;

  bool holdPending_ = false;
  int32_t holdSeconds_ = 0;
  bool watchPending_ = false;
  bool noMemoPending_ = false;
  bool watched_ = false;
  std::vector<uint8_t> watchedImage_;
  std::vector<std::string> watchedMemos_;
  bool holding_ = false;
  uint32_t held_ = 0;
  bool fileLocked_ = false;
  bool inTransaction_ = false;

  std::map<uint32_t, State> states_;
  uint32_t nextState_ = 1;
};

// CREATE: a new table (a new file when there is none) with the declared
// fields, memos and keys; an existing table of that name is replaced.
[[nodiscard]] int createTable(data::FileControlBlock& fcb);

// The first fault of a declaration this driver cannot store, reported as
// error 47; 0 when there is none.
[[nodiscard]] int checkTableDeclaration(const data::FileControlBlock& fcb);

}  // namespace zor::tarnwick
