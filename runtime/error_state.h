#pragma once
// The runtime's current error state: ERRORCODE() and ERROR(), plus the
// driver's file-system error (FILEERRORCODE(), FILEERROR()). Per thread.

#include <string>

namespace zor {

void setErrorCode(int code);
void clearError();
int errorCode();          // ERRORCODE()
std::string errorText();  // ERROR(): the text of the current error number

// The operating-system error behind error 90 / 300+n, as the driver saw it.
void setFileError(const std::string& code, const std::string& text);
std::string fileErrorCode();
std::string fileErrorText();

// The text of any runtime error number (file errors 2..97 and 300 + system
// error, 401..412, 501..515, 520..545, 1010..1015); a locale message
// override (ZORMSGn) replaces the built-in text.
std::string errorTextOf(int code);
void setErrorTextOverride(int code, const std::string& text);

// Texts of the file errors 2..97; defined beside the driver interface's
// error table. Returns nullptr for a number without a text.
const char* fileErrorTextOf(int code);

}  // namespace zor
