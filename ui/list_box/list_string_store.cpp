#include "ui/list_box/list_string_store.h"

#include <mutex>
#include <utility>

namespace zor::ui {

struct StoredText::Entry {
  std::string text;
  size_t users = 0;
};

StoredText::StoredText(const StoredText& other) : store_(other.store_), entry_(other.entry_) {
  if (entry_ != nullptr) store_->addUser(entry_);
}

StoredText::StoredText(StoredText&& other) noexcept
    : store_(std::exchange(other.store_, nullptr)), entry_(std::exchange(other.entry_, nullptr)) {}

StoredText& StoredText::operator=(StoredText other) noexcept {
  std::swap(store_, other.store_);
  std::swap(entry_, other.entry_);
  return *this;
}

StoredText::~StoredText() {
  if (entry_ != nullptr) store_->release(entry_);
}

std::string_view StoredText::view() const {
  return entry_ == nullptr ? std::string_view() : std::string_view(entry_->text);
}

ListStringStore::ListStringStore() = default;
ListStringStore::~ListStringStore() = default;

ListStringStore& ListStringStore::global() {
  static ListStringStore store;
  return store;
}

StoredText ListStringStore::store(std::string_view text) {
  if (text.empty()) return {};
  std::lock_guard<platform::CriticalSection> hold(lock_);
  auto found = entries_.find(text);
  if (found == entries_.end()) {
    auto entry = std::make_unique<StoredText::Entry>();
    entry->text.assign(text);
    std::string_view key = entry->text;
    found = entries_.emplace(key, std::move(entry)).first;
  }
  ++found->second->users;
  return StoredText(this, found->second.get());
}

size_t ListStringStore::size() const {
  std::lock_guard<platform::CriticalSection> hold(lock_);
  return entries_.size();
}

size_t ListStringStore::users(std::string_view text) const {
  std::lock_guard<platform::CriticalSection> hold(lock_);
  auto found = entries_.find(text);
  return found == entries_.end() ? 0 : found->second->users;
}

void ListStringStore::addUser(StoredText::Entry* entry) {
  std::lock_guard<platform::CriticalSection> hold(lock_);
  ++entry->users;
}

void ListStringStore::release(StoredText::Entry* entry) {
  std::lock_guard<platform::CriticalSection> hold(lock_);
  if (--entry->users == 0) entries_.erase(std::string_view(entry->text));
}

}  // namespace zor::ui
