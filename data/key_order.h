#pragma once
// How a key orders records. The encoded value of a key is the concatenation
// of its components, each at the full size of its field, encoded so that an
// unsigned byte-by-byte comparison of two values gives the key's order:
// text through the locale's case mapping (NOCASE keys) and collation,
// numbers made big-endian with their sign bits arranged, descending
// components inverted. The native driver stores its keys in this form; the
// view engine compares its range bounds with it.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/file_control_block.h"
#include "runtime/field_descriptor.h"

namespace zor::data {

// The encoded value's length: the sum of the component fields' sizes.
uint32_t keyValueLength(const RecordLayout& fields, const KeyBlock& key);

// Appends the encoded value of the first `components` components of `key`
// (all of them by default) for the record image `record`.
void encodeKeyValue(const RecordLayout& fields, const KeyBlock& key, const uint8_t* record,
                    std::vector<uint8_t>& out, size_t components = SIZE_MAX);

// True when every component of the key is blank (strings) or zero
// (numbers): such a record has no entry in an OPT key.
bool keyValueIsBlank(const RecordLayout& fields, const KeyBlock& key, const uint8_t* record);

// Whether a record has an entry in the key at all.
bool recordHasEntry(const RecordLayout& fields, const KeyBlock& key, const uint8_t* record);

// What one byte of a text component encodes to: the byte upper-cased by the
// locale for a NOCASE key, then weighed by the collation.
uint8_t keyTextWeight(uint8_t c, bool noCase);

// Puts into the field, in `record`, the value whose encoding (before a
// descending component's inversion) is the lowest, or the highest, that
// the field can hold: a seek there finds the first, or the last, of all
// records that agree on the components before it.
void fillKeyExtreme(const FieldDescriptor& field, bool noCase, bool highest, uint8_t* record);

// Fills the fields of the key's components from number `from` (0-based) on
// with the values that encode lowest, or highest, in the key's own order
// (descending components take the opposite extreme).
void fillKeyComponents(const RecordLayout& fields, const KeyBlock& key, size_t from, bool highest,
                       uint8_t* record);

}  // namespace zor::data
