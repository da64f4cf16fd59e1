#include "data/tarnwick/transaction_settle.h"

#include <optional>
#include <vector>

#include "data/system_error.h"
#include "data/tarnwick/transaction_control_file.h"

namespace zor::tarnwick {

SettleDecider settleByControlFile(std::string dataFile, ControlFileOpener* opener) {
  return [dataFile = std::move(dataFile), opener](TarnwickFile& file) {
    std::vector<uint8_t> data;
    std::optional<std::vector<uint8_t>> marker;
    if (file.find(kTransactionMarkerKey, &data)) marker = std::move(data);
    TransactionControlFileOpener tarnwickOpener;
    return settledChangeStands(marker, dataFile, opener ? *opener : tarnwickOpener);
  };
}

int putTransactionMarker(TarnwickFile& file, const TransactionMarker& marker) {
  std::vector<uint8_t> data;
  if (!encodeMarker(marker, data)) return data::driverErrorOf(platform::kInvalidArgument);
  return file.put(kTransactionMarkerKey, data);
}

}  // namespace zor::tarnwick
