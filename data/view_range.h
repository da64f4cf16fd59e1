#pragma once
// The stretch of a key that a view's filter lets it read. The filter's
// top-level terms that compare a key component with a constant (FieldTerm)
// bound that component from below and above; the leading run of bounded
// components gives the range, in the key's encoded order (key_order.h).
//
// The bounds always take in every record that the terms can match: where
// the evaluator's comparison and the key's order could part (a text byte
// that the locale's case mapping or collation places otherwise than the
// evaluator's byte order, a control character, trailing blanks, a real
// compared within its tolerance) a bound is widened to what both agree on,
// down to no bound at all. The view still evaluates the whole filter on
// every record it reads.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "data/file_control_block.h"
#include "runtime/expr_field_terms.h"

namespace zor::data {

struct KeyRange {
  size_t components = 0;           // leading key components bounded; 0: the whole key
  std::vector<uint8_t> low, high;  // encoded values of those components, inclusive
  // Record images to SET the key at: the bounds in the bounded components,
  // the rest of the key at its lowest (lowSeek) or highest (highSeek).
  std::vector<uint8_t> lowSeek, highSeek;

  bool bounded() const { return components > 0; }
  bool empty() const { return bounded() && low > high; }
  // -1 when the record's key lies below the range, 1 above it, 0 within.
  int place(const RecordLayout& fields, const KeyBlock& key, const uint8_t* record,
            std::vector<uint8_t>& scratch) const;
};

// The range of `key` (a key of `table`) that `terms` allow; the terms'
// fields are matched to the table's fields by address in its record buffer.
KeyRange findKeyRange(const FileControlBlock& table, const KeyBlock& key,
                      std::span<const FieldTerm> terms);

}  // namespace zor::data
