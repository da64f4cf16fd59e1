#include "data/system_error.h"

#include "data/file_errors.h"
#include "platform/file.h"

namespace zor::data {

int driverErrorOf(int systemError) {
  switch (systemError) {
    case platform::kFileOk:
    case platform::kFileNotFound:
    case platform::kPathNotFound:
    case platform::kTooManyOpenFiles:
    case platform::kAccessDenied:
      return systemError;
    case platform::kInjectedFault:
      return kSystemErrorBase + platform::kWriteFault;
    default:
      return kSystemErrorBase + systemError;
  }
}

}  // namespace zor::data
