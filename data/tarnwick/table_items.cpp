#include "data/tarnwick/table_items.h"

#include "data/tarnwick/byte_order.h"

namespace zor::tarnwick {

ItemKey tableNameKey(std::string_view tableName) {
  ItemKey key;
  key.reserve(tableName.size() + 1);
  key.push_back(kTableNameKind);
  key.insert(key.end(), tableName.begin(), tableName.end());
  return key;
}

ItemKey kindPrefix(const TableId& table, uint8_t kind) {
  ItemKey key(table.begin(), table.end());
  key.push_back(kind);
  return key;
}

ItemKey definitionChunkKey(const TableId& table, uint16_t chunk) {
  ItemKey key = kindPrefix(table, kDefinitionKind);
  key.push_back(static_cast<uint8_t>(chunk));
  key.push_back(static_cast<uint8_t>(chunk >> 8));
  return key;
}

void appendRecordNumber(ItemKey& key, uint32_t record) {
  uint8_t bytes[4];
  storeBig32(bytes, record);
  key.insert(key.end(), bytes, bytes + 4);
}

uint32_t recordNumberAt(const uint8_t* bytes) {
  return loadBig32(bytes);
}

ItemKey recordKey(const TableId& table, uint32_t record) {
  // Built for every record read: one allocation.
  ItemKey key;
  key.reserve(table.size() + 5);
  key.assign(table.begin(), table.end());
  key.push_back(kRecordKind);
  appendRecordNumber(key, record);
  return key;
}

ItemKey keyEntryKey(const TableId& table, uint8_t keyNumber, Bytes value, bool withRecord,
                    uint32_t record) {
  // Built for every key of every record written: one allocation.
  ItemKey key;
  key.reserve(table.size() + 1 + value.size() + (withRecord ? 4 : 0));
  key.assign(table.begin(), table.end());
  key.push_back(keyNumber);
  key.insert(key.end(), value.begin(), value.end());
  if (withRecord) appendRecordNumber(key, record);
  return key;
}

ItemKey memoChunkKey(const TableId& table, uint32_t record, uint8_t memo, uint16_t sequence) {
  ItemKey key = recordKey(table, record);
  key[4] = kMemoKind;
  key.push_back(memo);
  key.push_back(static_cast<uint8_t>(sequence >> 8));
  key.push_back(static_cast<uint8_t>(sequence));
  return key;
}

ItemKey counterKey(const TableId& table, uint8_t which) {
  ItemKey key = kindPrefix(table, kCounterKind);
  key.push_back(which);
  return key;
}

ItemKey extensionKey(const TableId& table) {
  ItemKey key = kindPrefix(table, kExtensionKind);
  key.push_back(1);
  return key;
}

bool startsWith(Bytes key, Bytes prefix) {
  return key.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), key.begin());
}

}  // namespace zor::tarnwick
