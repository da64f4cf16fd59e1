#include "data/logout_faults.h"

#include <iterator>

#include "data/file_errors.h"
#include "data/message_resource.h"
#include "runtime/error_state.h"

namespace zor::data {

namespace {

constexpr const char* kTexts[] = {
    "Cannot create Log Record",
    "File logged out on another thread",
    "Internal error: WHO AM I",
    "Could not start transaction",
    "Attempting to LOGOUT files from different file drivers",
    "Cannot obtain a lock on the file",
    "Cannot LOGOUT file",
};

}  // namespace

const char* builtInLogoutFaultText(int number) {
  if (number < 1 || number > static_cast<int>(std::size(kTexts))) return "";
  return kTexts[number - 1];
}

std::string logoutFaultMessage(LogoutFault fault) {
  const int number = static_cast<int>(fault);
  if (std::string text = messageResourceText(kLogoutFaultMessageBase + number); !text.empty())
    return text;
  return builtInLogoutFaultText(number);
}

int reportLogoutFault(LogoutFault fault) {
  setErrorCode(kErrUnableToLogTransaction);
  setFileError(std::to_string(static_cast<int>(fault)), logoutFaultMessage(fault));
  return kErrUnableToLogTransaction;
}

}  // namespace zor::data
