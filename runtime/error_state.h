#pragma once
// The runtime's current error state: ERRORCODE() and ERROR(), plus the
// driver's file-system error (FILEERRORCODE(), FILEERROR()). Per thread.
//
// Error numbers form one space from the file layer up: the file errors
// 2..97, 300 + an operating-system error, the language, internal, window and
// expression errors. Each number has its text in one place (errorTextOf).

#include <string>

namespace zor {

// A failure n of the operating system is error kSystemErrorBase + n.
inline constexpr int kSystemErrorBase = 300;
bool isSystemError(int code);

void setErrorCode(int code);
void clearError();
int errorCode();          // ERRORCODE()
std::string errorText();  // ERROR(): the text of the current error number

// The operating-system error behind error 90 / 300+n, as the driver saw it.
void setFileError(const std::string& code, const std::string& text);
std::string fileErrorCode();
std::string fileErrorText();

// One error as it travels between the layers: its number and text and the
// file-system detail behind it.
struct ErrorValue {
  int code = 0;          // ERRORCODE()
  std::string text;      // ERROR()
  std::string fileCode;  // FILEERRORCODE()
  std::string fileText;  // FILEERROR()
  explicit operator bool() const { return code != 0; }
};

// The thread's current error as one value.
ErrorValue currentError();
// Makes `error` the current one; its text is always errorTextOf(code).
void setError(const ErrorValue& error);
// The value of an error number. For 300 + n (a failure of the operating
// system) the file-system detail is the system's number n and its text.
ErrorValue errorValueOf(int code);

// The text of any runtime error number (file errors 2..97 and 300 + system
// error, 401..412, 501..515, 520..545, 1010..1015); a locale message
// override (ZORMSGn) replaces the built-in text.
std::string errorTextOf(int code);
void setErrorTextOverride(int code, const std::string& text);

// Texts of the file errors 2..97; defined beside the driver interface's
// error table. Returns nullptr for a number without a text.
const char* fileErrorTextOf(int code);

}  // namespace zor
