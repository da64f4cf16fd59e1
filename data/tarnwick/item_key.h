#pragma once
// Items: a key followed by data. Keys compare byte by byte as unsigned
// values over the shorter length; when equal there the shorter comes first.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>

namespace zor::tarnwick {

using Bytes = std::span<const uint8_t>;

// Total length (key plus data) of the longest item: a leaf page holding it
// alone (13 header bytes, 5 item bytes) is exactly the largest page.
inline constexpr uint32_t kMaxItemLength = 15104 - 18;
// Items this long or longer are refused as an internal failure.
inline constexpr uint32_t kItemLengthLimit = 15094;

inline int compareKeys(Bytes a, Bytes b) {
  const size_t common = std::min(a.size(), b.size());
  if (common != 0) {
    const int order = std::memcmp(a.data(), b.data(), common);
    if (order != 0) return order;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

struct ItemView {
  Bytes key;
  Bytes data;
};

}  // namespace zor::tarnwick
