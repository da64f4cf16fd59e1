#pragma once
// The transaction marker: an item a data file carries while its pending
// change belongs to a transaction over several files. Its key is the single
// byte 255, so it sorts after every other item; its data is the transaction
// number (4 bytes, little-endian like the other numbers outside keys)
// followed by the control file's name and its zero byte.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/tarnwick/item_key.h"

namespace zor::tarnwick {

inline constexpr uint8_t kTransactionMarkerKey[1] = {255};
// Longer names are refused: a path, not a payload.
inline constexpr size_t kMaxControlFileName = 4095;

struct TransactionMarker {
  uint32_t number = 0;
  std::string controlFile;  // as chosen at commit (see transaction_control_file.h)

  bool operator==(const TransactionMarker&) const = default;
};

// The item's data; the name must be non-empty, at most kMaxControlFileName
// bytes and free of zero bytes (encodeMarker answers false otherwise).
bool encodeMarker(const TransactionMarker& marker, std::vector<uint8_t>& data);
// Decodes an item's data; nothing when it is not a well-formed marker (too
// short, no final zero byte, a zero byte inside the name, an empty name).
std::optional<TransactionMarker> decodeMarker(Bytes data);

}  // namespace zor::tarnwick
