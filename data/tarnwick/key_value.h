#pragma once
// Key values as the file stores them: each component at the full size of
// its field, encoded so that an unsigned byte-by-byte comparison of two
// values gives the key's order (text through the locale's case mapping and
// collation, numbers made big-endian with their sign bits arranged,
// descending components inverted).

#include <cstdint>
#include <vector>

#include "data/file_control_block.h"
#include "runtime/field_descriptor.h"

namespace zor::tarnwick {

// The encoded value's length: the sum of the component fields' sizes.
uint32_t keyValueLength(const RecordLayout& fields, const data::KeyBlock& key);

// Appends the encoded value of `key` for the record image `record`.
void encodeKeyValue(const RecordLayout& fields, const data::KeyBlock& key, const uint8_t* record,
                    std::vector<uint8_t>& out);

// True when every component of the key is blank (strings) or zero
// (numbers): such a record has no entry in an OPT key.
bool keyValueIsBlank(const RecordLayout& fields, const data::KeyBlock& key, const uint8_t* record);

// Whether a record has an entry in the key at all.
bool recordHasEntry(const RecordLayout& fields, const data::KeyBlock& key, const uint8_t* record);

}  // namespace zor::tarnwick
