#pragma once
// The process-wide store of list header and picture texts. Every list shares
// one copy of a text; the store counts its users and drops the text with the
// last one. Storing and releasing take the store's critical section, so lists
// on different threads can parse formats at the same time. Reading a stored
// text needs no lock: a text never changes or moves while someone holds it.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/sync.h"

namespace zor::ui {

class ListStringStore;

// One user's hold on a stored text; an empty handle stands for no text.
class StoredText {
 public:
  StoredText() = default;
  StoredText(const StoredText& other);
  StoredText(StoredText&& other) noexcept;
  StoredText& operator=(StoredText other) noexcept;
  ~StoredText();

  std::string_view view() const;
  bool empty() const { return entry_ == nullptr; }
  bool operator==(const StoredText& other) const { return view() == other.view(); }

 private:
  friend class ListStringStore;
  struct Entry;
  StoredText(ListStringStore* store, Entry* entry) : store_(store), entry_(entry) {}

  ListStringStore* store_ = nullptr;
  Entry* entry_ = nullptr;
};

class ListStringStore {
 public:
  // The store every list uses.
  static ListStringStore& global();

  ListStringStore();
  ~ListStringStore();
  ListStringStore(const ListStringStore&) = delete;
  ListStringStore& operator=(const ListStringStore&) = delete;

  // A hold on the text; an empty text gives an empty handle.
  StoredText store(std::string_view text);
  // Number of distinct texts held.
  size_t size() const;
  // Number of holds on a text (0 when it is not stored).
  size_t users(std::string_view text) const;

 private:
  friend class StoredText;
  void addUser(StoredText::Entry* entry);
  void release(StoredText::Entry* entry);

  mutable platform::CriticalSection lock_;
  // Keys view the entry's own text, which stays put while the entry lives.
  std::unordered_map<std::string_view, std::unique_ptr<StoredText::Entry>> entries_;
};

}  // namespace zor::ui
