#pragma once
// How one open data file keeps out of the way of the other handles of the
// same file (other processes, or other handles of this one).
//
// Every access of a file opened deny-none runs in a bracket that holds one
// reader slot and re-reads the header. A change holds the writer byte from
// its beginning to its end, and its pages are copied home under the
// exclusive lock, which waits until no reader is inside an access: a reader
// sees each change whole or not at all. A statement that can start again
// may first try a quick read (see quick_read.h), which takes the slot only
// once it has to read from the file. A change found pending while its
// writer still holds the writer byte is one being completed: the reader
// steps out of its slot until the writer is done, so that readers cannot
// starve it. One whose writer is gone is settled by the handle that gets
// the writer byte.
//
// A file opened with a deny mode takes no reader slot. When it lets others
// read (deny write) it still takes the writer byte for its changes and the
// exclusive lock to copy them home, because a deny-none reader may be
// watching; a file that denies reading shares with nobody and locks nothing.

#include <chrono>
#include <cstdint>
#include <thread>

#include "data/tarnwick/lock_space.h"
#include "data/tarnwick/open_mode.h"
#include "data/tarnwick/quick_read.h"
#include "data/tarnwick/record_locks.h"
#include "data/tarnwick/tarnwick_file.h"

namespace zor::tarnwick {

class SharedAccess : private ReadGuard {
 public:
  SharedAccess(TarnwickFile& file, const OpenMode& mode);
  ~SharedAccess() {
    endChange();
    if (readDepth_ > 0) {
      readDepth_ = 1;
      endRead();
    }
  }
  SharedAccess(const SharedAccess&) = delete;
  SharedAccess& operator=(const SharedAccess&) = delete;

  // Which file this is (the same for every handle on it).
  platform::File::Identity fileIdentity() const { return identity_; }

  // Takes part in the reader slots and record locks (opened deny-none).
  bool shared() const { return slots_.shared(); }
  LockSpace& locks() { return slots_; }
  RecordLocks& records() { return records_; }

  // The bracket of a reading access: answers 0, 5 when no slot could be
  // had, or the error of reading the header. Inside a change there is
  // nothing to do: the writer byte keeps every other writer out.
  int beginRead();
  void endRead();
  // The bracket of a quick read, ended by endRead: answers false (and
  // begins nothing) unless the header on disk is still the one last known.
  // Inside it, the first read from the file takes the slot or throws
  // QuickReadOvertaken; the statement must then start again in beginRead.
  bool beginQuickRead();

  // A change (a write, or LOGOUT to COMMIT): waits for the writer byte (at
  // most `seconds` when that is positive, then 5) and brings the header up
  // to date, settling a change a dead writer left. Answers 5 at once when
  // another handle of the same thread holds the byte: waiting for it would
  // never end.
  int beginChange(int32_t seconds = 0);
  bool inChange() const { return inChange_; }
  // Writes the change of the file completely. A failure answers its error
  // when the change is dropped, and 0 when the change stands all the same
  // (it reached the disk durably; the next access or open completes it).
  int commit();
  // Copies home a change already made durable; answers as commit() does.
  int completeDurable();
  // Drops whatever is not written and gives the writer byte back.
  void endChange();

  // How long a reader steps aside for a writer completing its change before
  // it reads the pages at home beside it (1 s unless set).
  static void setLiveWriterWait(std::chrono::microseconds wait);

 private:
  int reread();
  void beforeFileRead() override;
  // Whether the file, as the next open will find it, keeps the change whose
  // writing just failed.
  bool standsOnDisk();
  int takeWriterByte(int32_t seconds);
  int waitForWriterByte(int32_t seconds);
  // Out of its slot: answers true once the writer byte is free.
  bool waitOutLiveWriter();
  // A handle that takes no reader slot settles a change found pending at
  // once: no other writer can be at work.
  int settleAlone();
  // With the writer byte held and no slot: settles a pending change.
  int settle();
  template <typename Step>
  int underExclusive(Step step);

  TarnwickFile& file_;
  LockSpace slots_;    // reader slots and record locks (deny-none only)
  LockSpace writing_;  // the writer byte and the exclusive lock
  RecordLocks records_;
  int readDepth_ = 0;   // reads nest; the slot is held by the outermost
  bool quick_ = false;  // a quick read without a slot is under way
  bool quickReads_;     // quick reads can be trusted for this file
  platform::File::Identity identity_;
  std::thread::id registered_;  // the thread the writer byte is held for
  bool inChange_ = false;
};

}  // namespace zor::tarnwick
