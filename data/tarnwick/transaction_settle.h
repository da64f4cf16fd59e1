#pragma once
// The decision an open of a Tarnwick file makes about a change it finds
// interrupted: by the file's transaction marker and the control file the
// marker names (see transaction.h). Passed to TarnwickFile::open.

#include <string>

#include "data/tarnwick/tarnwick_file.h"
#include "data/tarnwick/transaction.h"

namespace zor::tarnwick {

// A decider for the data file at `dataFile`; `opener` must outlive it
// (without one, control files are opened as Tarnwick files).
SettleDecider settleByControlFile(std::string dataFile, ControlFileOpener* opener = nullptr);

// Puts the marker into the file's current change; 87 for a marker whose
// name cannot be stored.
[[nodiscard]] int putTransactionMarker(TarnwickFile& file, const TransactionMarker& marker);

}  // namespace zor::tarnwick
