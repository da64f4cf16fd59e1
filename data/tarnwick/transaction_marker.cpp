#include "data/tarnwick/transaction_marker.h"

#include <algorithm>

#include "data/tarnwick/byte_order.h"

namespace zor::tarnwick {

namespace {
bool validName(std::string_view name) {
  return !name.empty() && name.size() <= kMaxControlFileName &&
         name.find('\0') == std::string_view::npos;
}
}  // namespace

bool encodeMarker(const TransactionMarker& marker, std::vector<uint8_t>& data) {
  if (!validName(marker.controlFile)) return false;
  data.assign(4, 0);
  store32(data.data(), marker.number);
  data.insert(data.end(), marker.controlFile.begin(), marker.controlFile.end());
  data.push_back(0);
  return true;
}

std::optional<TransactionMarker> decodeMarker(Bytes data) {
  if (data.size() < 6 || data.back() != 0) return std::nullopt;
  TransactionMarker marker;
  marker.number = load32(data.data());
  marker.controlFile.assign(data.begin() + 4, data.end() - 1);
  if (!validName(marker.controlFile)) return std::nullopt;
  return marker;
}

}  // namespace zor::tarnwick
