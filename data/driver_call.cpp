#include "data/driver_call.h"

#include "data/declaration_error.h"
#include "data/driver_registry.h"
#include "data/file_control_block.h"
#include "data/file_errors.h"
#include "runtime/error_state.h"

namespace zor::data {

int resolveDriverEntry(FileControlBlock& fcb) {
  if (fcb.driver != nullptr) return kNoError;
  const int file = static_cast<int>(DeclarationCategory::File);
  if (fcb.driverName.empty()) {
    return reportDeclarationFault({file, 0, "DRIVER", FaultKind::Declaration, 1, {}});
  }
  const DriverDescriptor* driver = findDriver(fcb.driverName);
  if (driver == nullptr)
    return reportDeclarationFault({file, 0, fcb.driverName, FaultKind::Declaration, 4, {}});
  if (driver->entry == nullptr)
    return reportDeclarationFault({file, 0, fcb.driverName, FaultKind::Declaration, 2, {}});
  fcb.driver = driver->entry;
  return kNoError;
}

int callDriver(FileControlBlock& fcb, int op, void* args) {
  clearError();
  int result = resolveDriverEntry(fcb);
  if (result == kNoError) result = fcb.driver(op, &fcb, args);
  if (result == kNoError) {
    clearError();  // a failure the driver met and overcame is no error
    return result;
  }
  // A failure of the operating system carries its number and text into
  // FILEERRORCODE() and FILEERROR(), unless the driver gave a detail of its
  // own (a declaration fault, a lock check).
  ErrorValue error = errorValueOf(result);
  if (!fileErrorCode().empty() || !fileErrorText().empty()) {
    error.fileCode = fileErrorCode();
    error.fileText = fileErrorText();
  }
  setError(error);
  return result;
}

}  // namespace zor::data
