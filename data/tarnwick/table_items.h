#pragma once
// The keys of the items a table keeps in the file's one tree. Every key but
// the table name's starts with the table's 4-byte identifier, then a kind
// byte: record items (243), key entries (the key's number, 0 and up),
// counters (246), definition chunks (250), the extension item (251) and
// memo or blob chunks (252). Table names start with 254, after every
// identifier, whose first byte stays below 254.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "data/tarnwick/item_key.h"

namespace zor::tarnwick {

using TableId = std::array<uint8_t, 4>;
using ItemKey = std::vector<uint8_t>;

inline constexpr uint8_t kTableNameKind = 254;
inline constexpr uint8_t kMemoKind = 252;
inline constexpr uint8_t kExtensionKind = 251;
inline constexpr uint8_t kDefinitionKind = 250;
inline constexpr uint8_t kCounterKind = 246;
inline constexpr uint8_t kRecordKind = 243;
// The counter item that holds the record count (the others hold a key's).
inline constexpr uint8_t kRecordCounter = 243;

inline constexpr size_t kDefinitionChunkSize = 512;
inline constexpr size_t kMemoChunkSize = 256;
inline constexpr size_t kBlobChunkSize = 10240;
inline constexpr size_t kExtensionItemSize = 1153;
inline constexpr size_t kCounterItemSize = 8;

ItemKey tableNameKey(std::string_view tableName);
ItemKey definitionChunkKey(const TableId& table, uint16_t chunk);
// The table identifier followed by `kind`: the start of that kind's items.
ItemKey kindPrefix(const TableId& table, uint8_t kind);
ItemKey recordKey(const TableId& table, uint32_t record);
inline constexpr size_t kRecordKeySize = 9;  // identifier, kind, record number
// A key entry: the key's number (0-based), its encoded value and, in a key
// with duplicates, the record number that keeps equal values apart.
ItemKey keyEntryKey(const TableId& table, uint8_t keyNumber, Bytes value, bool withRecord,
                    uint32_t record);
ItemKey memoChunkKey(const TableId& table, uint32_t record, uint8_t memo, uint16_t sequence);
ItemKey counterKey(const TableId& table, uint8_t which);
inline constexpr size_t kCounterKeySize = 6;  // identifier, kind, which
ItemKey extensionKey(const TableId& table);

// The record number at the end of a record item's key (or of any 4 bytes).
uint32_t recordNumberAt(const uint8_t* bytes);
void appendRecordNumber(ItemKey& key, uint32_t record);
bool startsWith(Bytes key, Bytes prefix);
inline Bytes bytesOf(const ItemKey& key) {
  return Bytes(key.data(), key.size());
}

}  // namespace zor::tarnwick
