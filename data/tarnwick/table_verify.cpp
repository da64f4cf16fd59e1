#include "data/tarnwick/table_verify.h"

#include <set>

#include "data/tarnwick/byte_order.h"
#include "data/tarnwick/definition_stream.h"
#include "data/tarnwick/table.h"
#include "data/tarnwick/tarnwick_file.h"

namespace zor::tarnwick {

namespace {

class TableChecker {
 public:
  TableChecker(TarnwickFile& file, const std::string& name, TableCheck& check)
      : file_(file), name_(name), check_(check) {}

  void run() {
    TableId id{};
    std::vector<uint8_t> stream;
    TableDefinition definition;
    std::optional<data::DeclarationFault> fault;
    if (!findTable(file_, name_, id) || !readDefinitionStream(file_, id, stream) ||
        !readDefinition(stream, definition, &fault)) {
      problem(fault ? "the definition is damaged: " + data::declarationMessage(*fault) + " (" +
                          data::identifyingText(*fault) + ")"
                    : "the definition does not read back");
      return;
    }
    definition.declareInto(schema_);
    Table table(file_, id, schema_);
    const uint64_t records = checkRecords(table, id);
    if (table.counter(kRecordCounter) != records)
      problem("the record counter says " + std::to_string(table.counter(kRecordCounter)) +
              ", the table holds " + std::to_string(records));
    for (const data::KeyBlock& key : schema_.keys) checkEntries(table, key);
  }

 private:
  void problem(const std::string& text) { check_.problems.push_back(name_ + ": " + text); }

  uint64_t checkRecords(Table& table, const TableId& id) {
    const ItemKey prefix = kindPrefix(id, kRecordKind);
    Cursor cursor = file_.cursor();
    uint64_t count = 0;
    std::vector<uint8_t> image;
    std::vector<uint8_t> data;
    for (bool more = cursor.seek(bytesOf(prefix)); more; more = cursor.next()) {
      const Bytes key = cursor.key();
      if (!startsWith(key, bytesOf(prefix))) break;
      ++count;
      const uint32_t number = key.size() == 9 ? loadBig32(key.data() + 5) : 0;
      image.assign(cursor.data().begin(), cursor.data().end());
      if (key.size() != 9 || image.size() != table.recordLength()) {
        problem("record item of wrong shape");
        continue;
      }
      for (const data::KeyBlock& block : schema_.keys) {
        const ItemKey entry = table.entryKey(block, image.data(), number);
        const bool found = file_.find(bytesOf(entry), &data) && data.size() == 4 &&
                           loadBig32(data.data()) == number;
        if (table.hasEntry(block, image.data()) && !found)
          problem("record " + std::to_string(number) + " has no entry in key " + block.label);
        if (!table.hasEntry(block, image.data()) && found)
          problem("record " + std::to_string(number) + " has an entry in OPT key " + block.label);
      }
    }
    check_.records += count;
    return count;
  }

  void checkEntries(Table& table, const data::KeyBlock& key) {
    const ItemKey prefix = table.keyPrefix(key);
    Cursor cursor = file_.cursor();
    uint64_t count = 0;
    std::vector<uint8_t> image;
    std::vector<ItemKey> entries;
    std::vector<uint32_t> numbers;
    for (bool more = cursor.seek(bytesOf(prefix)); more; more = cursor.next()) {
      const Bytes item = cursor.key();
      if (!startsWith(item, bytesOf(prefix))) break;
      ++count;
      if (cursor.data().size() != 4) {
        problem("an entry of key " + key.label + " holds no record number");
        continue;
      }
      entries.emplace_back(item.begin(), item.end());
      numbers.push_back(loadBig32(cursor.data().data()));
    }
    for (size_t i = 0; i < entries.size(); ++i) {
      if (!table.readRecord(numbers[i], image)) {
        problem("an entry of key " + key.label + " leads to missing record " +
                std::to_string(numbers[i]));
      } else if (image.size() != table.recordLength() ||
                 table.entryKey(key, image.data(), numbers[i]) != entries[i]) {
        problem("an entry of key " + key.label + " does not hold the value of record " +
                std::to_string(numbers[i]));
      }
    }
    check_.keyEntries += count;
    const uint32_t counted = table.counter(Table::counterOf(key));
    if (counted != count)
      problem("the counter of key " + key.label + " says " + std::to_string(counted) +
              ", the key holds " + std::to_string(count));
  }

  TarnwickFile& file_;
  std::string name_;
  TableCheck& check_;
  data::FileControlBlock schema_;
};

}  // namespace

TableCheck checkTables(TarnwickFile& file) {
  TableCheck check;
  for (const std::string& name : tableNames(file)) {
    ++check.tables;
    TableChecker(file, name, check).run();
  }
  return check;
}

TableCheck checkTables(const std::string& path) {
  TarnwickFile file;
  if (int error = file.open(path, 0x40); error != 0) {
    TableCheck check;
    check.problems.push_back(path + ": cannot be opened (" + std::to_string(error) + ")");
    return check;
  }
  return checkTables(file);
}

}  // namespace zor::tarnwick
