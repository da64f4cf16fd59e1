#pragma once
// The order of a view, given as text: components separated by ",", each a
// field label with an optional "+" (ascending, the default) or "-"
// (descending) and an optional "UPPER(" … ")" that orders the text without
// case, e.g. "+UPPER(SIN:INISECTION),-SIN:ID". An empty text is record
// order. The fields may be those of the primary table or of a joined one.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/file_control_block.h"

namespace zor::data {

struct OrderComponent {
  size_t table = 0;    // 0: the primary table; n: the n-th joined table
  uint16_t field = 0;  // 1-based number in that table's layout
  bool descending = false;
  bool upper = false;
};

// False for a malformed text or a label that no table of the view has.
bool parseOrder(std::string_view text, std::span<const FileControlBlock* const> tables,
                std::vector<OrderComponent>& order);

// How a key of the primary table serves an order: its components start
// with the order's fields, every direction agreeing (read the key forward)
// or every one opposite (read it backward), and UPPER() exactly on the text
// components of a NOCASE key.
enum class KeyService { kNone, kForward, kBackward };
KeyService keyServes(const FileControlBlock& primary, const KeyBlock& key,
                     std::span<const OrderComponent> order);

// The order text that a key of the table gives, read forward:
// "+UPPER(SIN:INISECTION),+SIN:ID" for a NOCASE key over a CSTRING and a
// LONG.
std::string orderTextOf(const FileControlBlock& table, const KeyBlock& key);

// The 1-based number of the field with this label (without regard to
// case), or 0.
uint16_t findField(const FileControlBlock& table, std::string_view label);

}  // namespace zor::data
