#pragma once
// Transactions over several files (LOGOUT ... COMMIT) and the settling of a
// change that a transaction left interrupted. Written against small
// interfaces: the data files of a transaction and the control files, so
// that the steps can be exercised apart from the storage engine.
//
// Commit: with one changed file the change is simply completed. With more,
// a transaction number is entered durably in every control file (one per
// folder, or the one named); each data file then makes its change durable
// with a marker naming the number and the first control file; removing the
// number from that file is the moment of commit; finally every file copies
// its pending pages home. A
// crash before that moment leaves the number behind and every file drops
// its change at the next open; a crash after it leaves none and every file
// keeps its change.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/logout_faults.h"
#include "data/tarnwick/transaction_marker.h"

namespace zor::tarnwick {

inline constexpr int kUnableToLogTransaction = 48;
inline constexpr int kLogoutAlreadyActive = 56;

// The LOGOUT statement's own faults and their messages.
using data::LogoutFault;

// A data file taking part in a transaction.
class TransactionFile {
 public:
  virtual ~TransactionFile() = default;
  virtual std::string path() const = 0;
  virtual bool hasChanges() const = 0;
  // Writes the whole change as one (no control file involved).
  virtual int completeSingleChange() = 0;
  // Adds the marker to the change and makes the change durable: its
  // pending region and the header naming it reach the disk.
  virtual int makeDurableWithMarker(const TransactionMarker& marker) = 0;
  // Copies the durable pending pages home and completes the change.
  virtual int completeChange() = 0;
  // Forgets the change, durable or not.
  virtual void dropChange() = 0;
};

// One open control file.
class ControlFile {
 public:
  virtual ~ControlFile() = default;
  // Enters durably, in one step under the file's lock, the lowest number at
  // or above `proposed` that the file has never held; `entered` receives
  // it. Answers 48 when the numbers are used up.
  virtual int enter(uint32_t proposed, uint32_t& entered) = 0;
  virtual int holds(uint32_t number, bool& held) = 0;
  virtual int remove(uint32_t number) = 0;  // durable when it answers 0
};

// Opens control files by path; answers 0, 5 while one is locked, or an error.
class ControlFileOpener {
 public:
  virtual ~ControlFileOpener() = default;
  virtual int open(const std::string& path, std::unique_ptr<ControlFile>& file) = 0;
};

// The calling thread's transaction.
class Transaction {
 public:
  // The transaction of the calling thread.
  static Transaction& ofThisThread();

  Transaction() = default;
  // A thread that ends gives its files up (their changes stay theirs).
  ~Transaction() { end(); }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  bool active() const { return active_; }
  const std::vector<TransactionFile*>& files() const { return files_; }
  // LOGOUT: the file takes part (once, however often it is named). Answers
  // 0, or LogoutFault::LoggedOutOnAnotherThread while another thread's
  // transaction has it.
  int logout(TransactionFile& file);
  // A file that closes leaves the transaction (its change is its own).
  void forget(TransactionFile& file);
  // COMMIT: answers 0 or the error that stopped it; the transaction ends
  // either way.
  int commit(ControlFileOpener& opener);
  // ROLLBACK: every file forgets its change.
  void rollback();

  // The explicit control file (empty: one "tarnwick.tcf" per folder).
  void setExplicitControlFile(std::string name) { explicitControlFile_ = std::move(name); }
  // The control files of the last commit over several files (paths).
  const std::vector<std::string>& controlFiles() const { return controlFiles_; }

  // Where transaction numbers start (each process counts up from it).
  static void setNextNumber(uint32_t number);

 private:
  struct Chosen {
    std::string name;  // as recorded in markers
    std::string path;  // as opened
    std::unique_ptr<ControlFile> file;
  };

  int chooseControlFiles(std::vector<Chosen>& chosen) const;
  int enterNumber(std::vector<Chosen>& chosen, uint32_t& number);
  std::string markerNameFor(const std::vector<Chosen>& chosen, TransactionFile& file) const;
  void end();
  void leave(TransactionFile& file);

  bool active_ = false;
  std::vector<TransactionFile*> files_;
  std::string explicitControlFile_;
  std::vector<std::string> controlFiles_;
};

// Settling an interrupted change at open. `markerData` is the data of the
// file's marker item, or nothing when the file carries none. Answers true
// when the change stands (copy the pending pages home), false when it is
// dropped. A control file that is locked is waited for; one that cannot be
// opened otherwise, or a marker that does not decode, drops the change.
bool settledChangeStands(const std::optional<std::vector<uint8_t>>& markerData,
                         const std::string& dataFile, ControlFileOpener& opener);

}  // namespace zor::tarnwick
