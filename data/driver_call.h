#pragma once
// The runtime's side of a driver call: find the driver a FILE names, call
// its entry with the operation number, and turn the answer into the error
// state that ERRORCODE(), ERROR(), FILEERRORCODE() and FILEERROR() report
// (0 clears it).

#include "data/driver_operation.h"

namespace zor::data {

struct FileControlBlock;

// Calls the FILE's driver. A block without an entry takes it from the
// registry by its driver name; an unknown or missing driver is a
// declaration fault (47).
[[nodiscard]] int callDriver(FileControlBlock& fcb, int op, void* args);
[[nodiscard]] inline int callDriver(FileControlBlock& fcb, Op op, void* args = nullptr) {
  return callDriver(fcb, opNumber(op), args);
}

// The driver entry of a block, resolved through the registry when missing;
// reports the declaration fault and answers 47 when there is none.
int resolveDriverEntry(FileControlBlock& fcb);

}  // namespace zor::data
