#pragma once
// How one open data file keeps out of the way of the other handles of the
// same file (other processes, or other handles of this one).
//
// Every access of a file opened deny-none runs in a bracket that holds one
// reader slot and re-reads the header, taking the changes committed since
// (see PageStore). A change holds the writer byte from its beginning to its
// end. Readers never wait for a writer: they read the committed state
// beside it. A writer copying the pending region home first waits until no
// reader is inside an access (one might not know the whole region yet),
// and writes the header that empties the region under the exclusive lock,
// which keeps readers out for the time of that one write. A statement that
// can start again may first try a quick read (see quick_read.h), which
// takes the slot only once it has to read from the file. A change found
// pending that is not committed, while its writer still holds the writer
// byte, is a change under way and is read around; one whose writer is gone
// is settled by the handle that gets the writer byte. Quick reads go on
// beside a change under way (the header naming it, or more of it, as last
// known) for at most kWriterSeenFor after its writer was last found at
// work; the statement after that looks for the writer again.
//
// The header is looked at through a mapping of the file's start, so that
// a statement that finds nothing committed since costs no system call.
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

class SharedAccess : private ReadGuard, private ReaderExclusion {
 public:
  SharedAccess(TarnwickFile& file, const OpenMode& mode);
  // A handle that can write and finds no writer at work copies the pending
  // region home as it goes, so that a file at rest holds none.
  ~SharedAccess();
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
  // Inside a read: takes what was committed since it began; `moved` tells
  // whether the state moved on.
  int catchUp(bool& moved);

  // A change (a write, or LOGOUT to COMMIT): waits for the writer byte (at
  // most `seconds` when that is positive, then 5) and brings the header up
  // to date, settling a change a dead writer left. Answers 5 at once when
  // another handle of the same thread holds the byte: waiting for it would
  // never end.
  int beginChange(int32_t seconds = 0);
  bool inChange() const { return inChange_; }
  // Writes the change of the file and commits it. A failure answers its
  // error when the change is dropped, and 0 when the change stands all the
  // same (it reached the disk durably; the next access or open settles it).
  int commit();
  // Commits a change already made durable; answers as commit() does.
  int completeDurable();
  // Drops whatever is not written and gives the writer byte back.
  void endChange();

 private:
  int reread();
  void beforeFileRead() override;
  int exclude() override;
  void admit() override;
  int takeWriterByte(int32_t seconds);
  int waitForWriterByte(int32_t seconds);
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
  // When a change under way was last found with its writer at work.
  using Clock = std::chrono::steady_clock;
  static constexpr auto kWriterSeenFor = std::chrono::milliseconds(2);
  Clock::time_point writerSeen_{};
  platform::File::Identity identity_;
  std::thread::id registered_;  // the thread the writer byte is held for
  bool inChange_ = false;
};

}  // namespace zor::tarnwick
