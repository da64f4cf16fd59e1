#pragma once
// The faults of a LOGOUT, each reported with a numbered message. A program
// may replace a message with its message resource 260000 + number.
//
// A fault is reported as error 48 ("Unable To Log Transaction") for
// ERRORCODE(), with the message's number as FILEERRORCODE() and its text as
// FILEERROR(), so a caller tells a refused LOGOUT from a file error by the
// number and the user reads why.

#include <string>

namespace zor::data {

enum class LogoutFault : int {
  CannotCreateLogRecord = 1,
  LoggedOutOnAnotherThread = 2,
  WhoAmI = 3,
  CannotStartTransaction = 4,
  DifferentDrivers = 5,
  CannotLock = 6,
  CannotLogout = 7,
};

inline constexpr int kLogoutFaultMessageBase = 260000;

// "Cannot create Log Record" ... "Cannot LOGOUT file"; "" for a number
// outside 1..7.
const char* builtInLogoutFaultText(int number);

// The program's message resource for the fault, else the built-in text.
std::string logoutFaultMessage(LogoutFault fault);

// Sets the error state for the fault as above; answers 48.
int reportLogoutFault(LogoutFault fault);

}  // namespace zor::data
