#pragma once
// One open Tarnwick file: its pages, its tree of items and its changes.
//
// Items are added, replaced and removed in the current change, which lasts
// until commit() writes it atomically (or rollback() forgets it); reads see
// the change as it stands. Every operation answers an error number.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/tarnwick/cursor.h"
#include "data/tarnwick/item_tree.h"
#include "data/tarnwick/open_mode.h"
#include "data/tarnwick/page_store.h"

namespace zor::tarnwick {

class TarnwickFile;

// Decides whether an interrupted change found at open stands (its pending
// pages are copied home) or is dropped. It sees the file as the change left
// it. Without a decider every durable change stands.
using SettleDecider = std::function<bool(TarnwickFile& file)>;

class TarnwickFile {
 public:
  TarnwickFile() : tree_(store_) {}
  ~TarnwickFile() { close(); }
  TarnwickFile(const TarnwickFile&) = delete;
  TarnwickFile& operator=(const TarnwickFile&) = delete;

  // Answers 0, 2 (no such file), 5 (a sharing violation), 36 (not a
  // Tarnwick file) or the system's error number; an interrupted change is
  // settled before it returns.
  // Settle::Later leaves an interrupted change for the caller, which must
  // settle it (refresh) before reading: the locking layer does, once it
  // knows that the change's writer is gone. Settle::AtOpen is for a handle
  // that has the file to itself: it also copies home the changes the
  // pending region holds.
  enum class Settle { AtOpen, Later };
  [[nodiscard]] int open(const std::string& path, const OpenMode& mode, SettleDecider decider = {},
                         Settle settle = Settle::AtOpen);
  [[nodiscard]] int open(const std::string& path, int modeWord) {
    return open(path, OpenMode::fromWord(modeWord));
  }
  // A new, empty file (replacing any), open for reading and writing, whose
  // change counter starts at `changeCounter`.
  [[nodiscard]] int create(const std::string& path,
                           platform::Share share = platform::Share::DenyNone,
                           uint32_t changeCounter = 0);
  void close();
  bool isOpen() { return store_.file().isOpen(); }
  bool writable() { return store_.file().writable(); }

  // Re-reads the header when it is no longer current (another process may
  // have committed a change, or left one interrupted, which is then settled
  // as at open); the locking layer calls this at each access.
  [[nodiscard]] int refresh();

  bool find(Bytes key, std::vector<uint8_t>* data = nullptr) { return tree_.find(key, data); }
  [[nodiscard]] int insert(Bytes key, Bytes data);
  [[nodiscard]] int replace(Bytes key, Bytes data);
  [[nodiscard]] int put(Bytes key, Bytes data);
  [[nodiscard]] int erase(Bytes key);
  // Rewrites an item's data through `change` (see ItemTree::update).
  [[nodiscard]] int update(Bytes key, const std::function<void(std::vector<uint8_t>&)>& change);
  Cursor cursor() { return Cursor(tree_); }

  // The next identifier from the header's counter (big-endian, 4 bytes),
  // part of the current change.
  [[nodiscard]] int nextIdentifier(std::array<uint8_t, 4>& identifier);
  // The identifier nextIdentifier() will give, without taking it.
  std::array<uint8_t, 4> upcomingIdentifier() const;

  bool changing() const { return store_.changing() || tree_.holdsCounters(); }
  // Counter additions gathered in memory go into the change first.
  [[nodiscard]] int commit() {
    finishTreeChange();
    return store_.commit();
  }
  // The two halves of commit of a transaction over several files (see
  // PageStore).
  [[nodiscard]] int makeDurable() {
    finishTreeChange();
    return store_.makeDurable();
  }
  int completeDurable() { return store_.completeDurable(); }
  bool durable() const { return store_.durable(); }
  // Copies the changes of the pending region home (see PageStore).
  [[nodiscard]] int checkpoint() { return store_.checkpoint(); }
  // Forgets the current change, taking back a durable one on disk.
  int rollback() {
    tree_.forgetChange();
    return store_.rollback();
  }

  // What settling an interrupted change found, for the utilities that say
  // so: a change left pending by a writer that stopped, whether it stood
  // (its pages were copied home) or was dropped, and whether that was done
  // in the file or only in memory (a handle that cannot write).
  struct SettledChange {
    bool found = false;
    bool stands = false;
    bool onDisk = false;
  };
  const SettledChange& settledChange() const { return settled_; }

  int stickyError() { return store_.file().stickyError(); }
  const FileHeader& header() const { return store_.header(); }
  PageStore& store() { return store_; }
  ItemTree& tree() { return tree_; }

 private:
  int checkWritable();
  // Writes the counters the tree gathered, and lets go of its fingers.
  void finishTreeChange() {
    tree_.writeCounters();
    tree_.forgetFingers();
  }
  int settleInterruptedChange(const SettleDecider& decider);

  PageStore store_;
  ItemTree tree_;
  SettleDecider decider_;
  SettledChange settled_;
};

// Commits on request; rolls back whatever is left uncommitted when it ends.
class ChangeScope {
 public:
  explicit ChangeScope(TarnwickFile& file) : file_(file) {}
  ~ChangeScope() {
    if (file_.changing()) file_.rollback();
  }
  ChangeScope(const ChangeScope&) = delete;
  ChangeScope& operator=(const ChangeScope&) = delete;
  [[nodiscard]] int commit() { return file_.commit(); }

 private:
  TarnwickFile& file_;
};

}  // namespace zor::tarnwick
