#pragma once
// One table of an open Tarnwick file: its records, their key entries, memo
// and blob chunks and counters, all items of the file's one tree. The
// operations work inside the file's current change; the caller commits it
// (or lets a ChangeScope roll it back), so a refused operation leaves
// nothing behind.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/file_control_block.h"
#include "data/tarnwick/definition_stream.h"
#include "data/tarnwick/table_items.h"
#include "data/tarnwick/tarnwick_file.h"

namespace zor::tarnwick {

// The names of the tables the file holds, in name order.
std::vector<std::string> tableNames(TarnwickFile& file);
bool findTable(TarnwickFile& file, std::string_view name, TableId& id);
// Writes the name item, the definition chunks, the counters and the
// extension item of a new table (in the current change).
[[nodiscard]] int createTable(TarnwickFile& file, std::string_view name,
                              const TableDefinition& definition, TableId& id);
// Removes every item whose key starts with `prefix`.
[[nodiscard]] int eraseItemsWithPrefix(TarnwickFile& file, const ItemKey& prefix,
                                       uint32_t* erased = nullptr);
// The stored definition stream; false when it has no chunk.
bool readDefinitionStream(TarnwickFile& file, const TableId& id, std::vector<uint8_t>& stream);

class Table {
 public:
  // `schema` supplies the layout and keys; it must outlive the table.
  Table(TarnwickFile& file, const TableId& id, const data::FileControlBlock& schema)
      : file_(file), id_(id), schema_(schema) {}

  const TableId& id() const { return id_; }
  TarnwickFile& file() { return file_; }
  const data::FileControlBlock& schema() const { return schema_; }
  size_t recordLength() const { return schema_.record.size(); }

  bool readRecord(uint32_t number, std::vector<uint8_t>& image);
  // A new record numbered from the identifier counter; 40 when a key
  // without duplicates would repeat.
  [[nodiscard]] int insertRecord(const uint8_t* image, const std::vector<std::string>* memos,
                                 uint32_t& number);
  // Rewrites a record whose stored image is `stored`; memos are rewritten
  // when given.
  [[nodiscard]] int rewriteRecord(uint32_t number, const std::vector<uint8_t>& stored,
                                  const uint8_t* image, const std::vector<std::string>* memos);
  [[nodiscard]] int removeRecord(uint32_t number, const std::vector<uint8_t>& stored);
  // Removes every record, key entry and memo; the counters return to zero.
  [[nodiscard]] int removeAllRecords();

  // Key entries. The prefix is the table identifier and the key's number.
  ItemKey keyPrefix(const data::KeyBlock& key) const;
  std::vector<uint8_t> keyValue(const data::KeyBlock& key, const uint8_t* image) const;
  ItemKey entryKey(const data::KeyBlock& key, const uint8_t* image, uint32_t number) const;
  bool hasEntry(const data::KeyBlock& key, const uint8_t* image) const;
  // Drops the entries of one key (or of all keys) and enters every record
  // again; 40 when the records repeat a value of a key without duplicates.
  [[nodiscard]] int rebuildKeys(const data::KeyBlock* only);

  // Counters: the record count (kRecordCounter) or a key's entry count.
  uint32_t counter(uint8_t which);
  static uint8_t counterOf(const data::KeyBlock& key) {
    return static_cast<uint8_t>(key.number - 1);
  }

  // A number the table keeps for its programs beside the record count, in
  // the second half of the record count's counter item.
  uint32_t flags();
  [[nodiscard]] int storeFlags(uint32_t flags);

  // Memos and blobs of a record, one text of bytes per declared memo.
  void readMemos(uint32_t number, std::vector<std::string>& memos);

 private:
  [[nodiscard]] int checkUnique(const data::KeyBlock& key, const ItemKey& entry, uint32_t number);
  [[nodiscard]] int addToCounter(uint8_t which, int delta);
  [[nodiscard]] int writeMemos(uint32_t number, const std::vector<std::string>& memos);
  [[nodiscard]] int eraseRange(const ItemKey& prefix) {
    return eraseItemsWithPrefix(file_, prefix);
  }

  TarnwickFile& file_;
  TableId id_;
  const data::FileControlBlock& schema_;
};

}  // namespace zor::tarnwick
