#include "data/tarnwick/table.h"

#include <algorithm>
#include <cstring>

#include "data/key_order.h"
#include "data/tarnwick/byte_order.h"
#include "data/tarnwick/error_numbers.h"

namespace zor::tarnwick {

std::vector<std::string> tableNames(TarnwickFile& file) {
  std::vector<std::string> names;
  Cursor cursor = file.cursor();
  const uint8_t start[1] = {kTableNameKind};
  for (bool more = cursor.seek(Bytes(start, 1)); more; more = cursor.next()) {
    const Bytes key = cursor.key();
    if (key.empty() || key[0] != kTableNameKind) break;
    names.emplace_back(key.begin() + 1, key.end());
  }
  return names;
}

bool findTable(TarnwickFile& file, std::string_view name, TableId& id) {
  std::vector<uint8_t> data;
  if (!file.find(bytesOf(tableNameKey(name)), &data) || data.size() < id.size()) return false;
  std::copy_n(data.begin(), id.size(), id.begin());
  return true;
}

int createTable(TarnwickFile& file, std::string_view name, const TableDefinition& definition,
                TableId& id) {
  if (int error = file.nextIdentifier(id); error != kOk) return error;
  if (int error = file.insert(bytesOf(tableNameKey(name)), Bytes(id.data(), id.size()));
      error != kOk)
    return error;
  const std::vector<uint8_t> stream = writeDefinition(definition);
  for (size_t at = 0, chunk = 0; at < stream.size(); at += kDefinitionChunkSize, ++chunk) {
    const size_t length = std::min(kDefinitionChunkSize, stream.size() - at);
    const int error = file.insert(bytesOf(definitionChunkKey(id, static_cast<uint16_t>(chunk))),
                                  Bytes(stream.data() + at, length));
    if (error != kOk) return error;
  }
  const uint8_t zeros[kExtensionItemSize] = {};
  if (int error =
          file.insert(bytesOf(counterKey(id, kRecordCounter)), Bytes(zeros, kCounterItemSize));
      error != kOk)
    return error;
  for (size_t key = 0; key < definition.keys.size(); ++key) {
    const int error = file.insert(bytesOf(counterKey(id, static_cast<uint8_t>(key))),
                                  Bytes(zeros, kCounterItemSize));
    if (error != kOk) return error;
  }
  return file.insert(bytesOf(extensionKey(id)), Bytes(zeros, kExtensionItemSize));
}

bool readDefinitionStream(TarnwickFile& file, const TableId& id, std::vector<uint8_t>& stream) {
  stream.clear();
  const ItemKey prefix = kindPrefix(id, kDefinitionKind);
  Cursor cursor = file.cursor();
  uint16_t expected = 0;
  for (bool more = cursor.seek(bytesOf(prefix)); more; more = cursor.next()) {
    const Bytes key = cursor.key();
    if (!startsWith(key, bytesOf(prefix)) || key.size() != 7) break;
    const uint16_t chunk = load16(key.data() + 5);
    if (chunk != expected++) return false;  // a missing chunk
    const Bytes data = cursor.data();
    stream.insert(stream.end(), data.begin(), data.end());
  }
  return expected != 0;
}

bool Table::readRecord(uint32_t number, std::vector<uint8_t>& image) {
  // The key as recordKey() builds it, without an allocation per record.
  uint8_t key[kRecordKeySize];
  std::copy(id_.begin(), id_.end(), key);
  key[id_.size()] = kRecordKind;
  storeBig32(key + id_.size() + 1, number);
  return file_.find(Bytes(key, sizeof key), &image);
}

ItemKey Table::keyPrefix(const data::KeyBlock& key) const {
  return kindPrefix(id_, counterOf(key));
}

std::vector<uint8_t> Table::keyValue(const data::KeyBlock& key, const uint8_t* image) const {
  std::vector<uint8_t> value;
  data::encodeKeyValue(schema_.fields, key, image, value);
  return value;
}

ItemKey Table::entryKey(const data::KeyBlock& key, const uint8_t* image, uint32_t number) const {
  const std::vector<uint8_t> value = keyValue(key, image);
  return keyEntryKey(id_, counterOf(key), Bytes(value.data(), value.size()), key.allowsDuplicates(),
                     number);
}

bool Table::hasEntry(const data::KeyBlock& key, const uint8_t* image) const {
  return data::recordHasEntry(schema_.fields, key, image);
}

int Table::checkUnique(const data::KeyBlock& key, const ItemKey& entry, uint32_t number) {
  if (key.allowsDuplicates()) return kOk;
  std::vector<uint8_t> data;
  if (!file_.find(bytesOf(entry), &data)) return kOk;
  return data.size() == 4 && recordNumberAt(data.data()) == number ? kOk : kDuplicateItem;
}

uint32_t Table::counter(uint8_t which) {
  std::vector<uint8_t> data;
  if (!file_.find(bytesOf(counterKey(id_, which)), &data) || data.size() < 4) return 0;
  return load32(data.data());
}

uint32_t Table::flags() {
  std::vector<uint8_t> data;
  if (!file_.find(bytesOf(counterKey(id_, kRecordCounter)), &data) || data.size() < 8) return 0;
  return load32(data.data() + 4);
}

int Table::storeFlags(uint32_t flags) {
  return file_.update(bytesOf(counterKey(id_, kRecordCounter)), [&](std::vector<uint8_t>& data) {
    data.resize(std::max(data.size(), kCounterItemSize), 0);
    store32(data.data() + 4, flags);
  });
}

int Table::addToCounter(uint8_t which, int delta) {
  // Gathered in memory until the change is written or the counter is read.
  uint8_t key[kCounterKeySize];
  std::copy(id_.begin(), id_.end(), key);
  key[id_.size()] = kCounterKind;
  key[id_.size() + 1] = which;
  file_.tree().addToCounter(Bytes(key, sizeof key), static_cast<uint32_t>(delta), kCounterItemSize);
  return kOk;
}

int Table::insertRecord(const uint8_t* image, const std::vector<std::string>* memos,
                        uint32_t& number) {
  // The number the record will get; it is taken once its keys are known to
  // repeat no value.
  number = recordNumberAt(file_.upcomingIdentifier().data());
  uint8_t recordNumber[4];
  storeBig32(recordNumber, number);
  struct Entry {
    const data::KeyBlock* key;
    ItemKey item;
  };
  std::vector<Entry> entries;
  entries.reserve(schema_.keys.size());
  for (const data::KeyBlock& key : schema_.keys) {
    if (hasEntry(key, image)) entries.push_back({&key, entryKey(key, image, number)});
  }
  // The entries of keys without duplicates go in first: inserting one finds
  // a repeated value on the same walk. A repeated value takes back those
  // inserted before it, so that a refused ADD leaves the items as they were.
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].key->allowsDuplicates()) continue;
    const int error = file_.insert(bytesOf(entries[i].item), Bytes(recordNumber, 4));
    if (error == kOk) continue;
    for (size_t back = 0; back < i; ++back) {
      if (!entries[back].key->allowsDuplicates())
        static_cast<void>(file_.erase(bytesOf(entries[back].item)));
    }
    return error;
  }
  TableId identifier{};
  if (int error = file_.nextIdentifier(identifier); error != kOk) return error;
  if (int error = file_.insert(bytesOf(recordKey(id_, number)), Bytes(image, recordLength()));
      error != kOk)
    return error;
  for (const Entry& entry : entries) {
    if (entry.key->allowsDuplicates()) {
      if (int error = file_.insert(bytesOf(entry.item), Bytes(recordNumber, 4)); error != kOk)
        return error;
    }
    if (int error = addToCounter(counterOf(*entry.key), 1); error != kOk) return error;
  }
  if (int error = addToCounter(kRecordCounter, 1); error != kOk) return error;
  return memos != nullptr ? writeMemos(number, *memos) : kOk;
}

int Table::rewriteRecord(uint32_t number, const std::vector<uint8_t>& stored, const uint8_t* image,
                         const std::vector<std::string>* memos) {
  struct Change {
    const data::KeyBlock* key;
    bool had, has;
    ItemKey before, after;
  };
  std::vector<Change> changes;
  for (const data::KeyBlock& key : schema_.keys) {
    Change change{&key, hasEntry(key, stored.data()), hasEntry(key, image), {}, {}};
    if (change.had) change.before = entryKey(key, stored.data(), number);
    if (change.has) change.after = entryKey(key, image, number);
    if (change.had == change.has && change.before == change.after) continue;
    if (change.has) {
      if (int error = checkUnique(key, change.after, number); error != kOk) return error;
    }
    changes.push_back(std::move(change));
  }
  uint8_t recordNumber[4];
  storeBig32(recordNumber, number);
  for (const Change& change : changes) {
    if (change.had) {
      if (int error = file_.erase(bytesOf(change.before)); error != kOk) return error;
    }
  }
  for (const Change& change : changes) {
    if (change.has) {
      if (int error = file_.insert(bytesOf(change.after), Bytes(recordNumber, 4)); error != kOk)
        return error;
    }
    if (change.had != change.has) {
      if (int error = addToCounter(counterOf(*change.key), change.has ? 1 : -1); error != kOk)
        return error;
    }
  }
  if (int error = file_.replace(bytesOf(recordKey(id_, number)), Bytes(image, recordLength()));
      error != kOk)
    return error;
  return memos != nullptr ? writeMemos(number, *memos) : kOk;
}

int Table::removeRecord(uint32_t number, const std::vector<uint8_t>& stored) {
  for (const data::KeyBlock& key : schema_.keys) {
    if (!hasEntry(key, stored.data())) continue;
    if (int error = file_.erase(bytesOf(entryKey(key, stored.data(), number))); error != kOk)
      return error;
    if (int error = addToCounter(counterOf(key), -1); error != kOk) return error;
  }
  if (int error = file_.erase(bytesOf(recordKey(id_, number))); error != kOk) return error;
  if (int error = addToCounter(kRecordCounter, -1); error != kOk) return error;
  ItemKey memoPrefix = recordKey(id_, number);
  memoPrefix[4] = kMemoKind;
  return eraseRange(memoPrefix);
}

int eraseItemsWithPrefix(TarnwickFile& file, const ItemKey& prefix, uint32_t* erased) {
  std::vector<ItemKey> keys;
  Cursor cursor = file.cursor();
  for (bool more = cursor.seek(bytesOf(prefix)); more; more = cursor.next()) {
    const Bytes key = cursor.key();
    if (!startsWith(key, bytesOf(prefix))) break;
    keys.emplace_back(key.begin(), key.end());
  }
  for (const ItemKey& key : keys) {
    if (int error = file.erase(bytesOf(key)); error != kOk) return error;
  }
  if (erased != nullptr) *erased = static_cast<uint32_t>(keys.size());
  return kOk;
}

int Table::removeAllRecords() {
  const uint8_t zeros[kCounterItemSize] = {};
  for (uint8_t kind : {kRecordKind, kMemoKind}) {
    if (int error = eraseRange(kindPrefix(id_, kind)); error != kOk) return error;
  }
  if (int error = file_.put(bytesOf(counterKey(id_, kRecordCounter)), Bytes(zeros, sizeof zeros));
      error != kOk)
    return error;
  for (const data::KeyBlock& key : schema_.keys) {
    if (int error = eraseRange(keyPrefix(key)); error != kOk) return error;
    if (int error = file_.put(bytesOf(counterKey(id_, counterOf(key))), Bytes(zeros, sizeof zeros));
        error != kOk)
      return error;
  }
  return kOk;
}

int Table::rebuildKeys(const data::KeyBlock* only) {
  std::vector<const data::KeyBlock*> keys;
  for (const data::KeyBlock& key : schema_.keys) {
    if (only == nullptr || only == &key) keys.push_back(&key);
  }
  const uint8_t zeros[kCounterItemSize] = {};
  for (const data::KeyBlock* key : keys) {
    if (int error = eraseRange(keyPrefix(*key)); error != kOk) return error;
    if (int error =
            file_.put(bytesOf(counterKey(id_, counterOf(*key))), Bytes(zeros, sizeof zeros));
        error != kOk)
      return error;
  }
  const ItemKey prefix = kindPrefix(id_, kRecordKind);
  Cursor cursor = file_.cursor();
  std::vector<uint8_t> image;
  uint8_t recordNumber[4];
  for (bool more = cursor.seek(bytesOf(prefix)); more; more = cursor.next()) {
    const Bytes key = cursor.key();
    if (!startsWith(key, bytesOf(prefix)) || key.size() != 9) break;
    const uint32_t number = recordNumberAt(key.data() + 5);
    image.assign(cursor.data().begin(), cursor.data().end());
    image.resize(recordLength(), 0);
    storeBig32(recordNumber, number);
    for (const data::KeyBlock* block : keys) {
      if (!hasEntry(*block, image.data())) continue;
      const ItemKey entry = entryKey(*block, image.data(), number);
      if (int error = checkUnique(*block, entry, number); error != kOk) return error;
      if (int error = file_.insert(bytesOf(entry), Bytes(recordNumber, 4)); error != kOk)
        return error;
      if (int error = addToCounter(counterOf(*block), 1); error != kOk) return error;
    }
  }
  return kOk;
}

void Table::readMemos(uint32_t number, std::vector<std::string>& memos) {
  memos.assign(schema_.memos.size(), std::string());
  for (size_t memo = 0; memo < schema_.memos.size(); ++memo) {
    const ItemKey first = memoChunkKey(id_, number, static_cast<uint8_t>(memo), 0);
    const Bytes prefix(first.data(), first.size() - 2);
    Cursor cursor = file_.cursor();
    std::string& text = memos[memo];
    uint32_t total = 0;
    for (bool more = cursor.seek(bytesOf(first)); more; more = cursor.next()) {
      const Bytes key = cursor.key();
      if (!startsWith(key, prefix) || key.size() != first.size()) break;
      Bytes data = cursor.data();
      if (text.empty() && total == 0) {
        if (data.size() < 4) break;
        total = load32(data.data());
        data = data.subspan(4);
      }
      text.append(data.begin(), data.end());
    }
    if (text.size() > total) text.resize(total);
  }
}

int Table::writeMemos(uint32_t number, const std::vector<std::string>& memos) {
  for (size_t memo = 0; memo < schema_.memos.size(); ++memo) {
    const uint8_t index = static_cast<uint8_t>(memo);
    ItemKey prefix = memoChunkKey(id_, number, index, 0);
    prefix.resize(prefix.size() - 2);
    if (int error = eraseRange(prefix); error != kOk) return error;
    const std::string empty;
    const std::string& text = memo < memos.size() ? memos[memo] : empty;
    if (text.empty()) continue;
    const size_t chunkSize = schema_.memos[memo].isBlob() ? kBlobChunkSize : kMemoChunkSize;
    std::vector<uint8_t> data;
    for (size_t at = 0, sequence = 0; at < text.size(); at += chunkSize, ++sequence) {
      data.clear();
      if (sequence == 0) {
        data.resize(4);
        store32(data.data(), static_cast<uint32_t>(text.size()));
      }
      const size_t length = std::min(chunkSize, text.size() - at);
      data.insert(data.end(), text.begin() + static_cast<std::ptrdiff_t>(at),
                  text.begin() + static_cast<std::ptrdiff_t>(at + length));
      const ItemKey key = memoChunkKey(id_, number, index, static_cast<uint16_t>(sequence));
      if (int error = file_.insert(bytesOf(key), Bytes(data.data(), data.size())); error != kOk)
        return error;
    }
  }
  return kOk;
}

}  // namespace zor::tarnwick
