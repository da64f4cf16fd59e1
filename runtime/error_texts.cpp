// The runtime's built-in error texts, except the file errors (2..97 and
// 300 + a system error) that live beside the driver interface, and the
// locale's overrides of them.

#include <map>
#include <mutex>
#include <string>

#include "runtime/error_state.h"

namespace zor {

namespace {

struct NumberedText {
  int code;
  const char* text;
};

// Faults of the language run time.
constexpr NumberedText kLanguageErrors[] = {
    {401, "Array index out of range"}, {402, "String slice out of range"},
    {403, "Stack overflow"},           {404, "Heap exhausted"},
    {405, "Reference is NULL"},        {406, "Invalid parameter"},
    {407, "Invalid type conversion"},  {408, "Invalid QUEUE operation"},
    {409, "Invalid FILE operation"},   {410, "Invalid VIEW operation"},
    {411, "Invalid numeric value"},    {412, "Invalid procedure call"},
};

// Faults of the window system.
constexpr NumberedText kWindowErrors[] = {
    {520, "Mismatch with ZWVBX.DLL detected"},
    {521, "VBX control is too complex"},
    {522, "Event posted to a report control"},
    {526, "Unable to open APPLICATION (APPLICATION already active)"},
    {527, "Unable to open APPLICATION (system is MODAL)"},
    {528, "Unable to open APPLICATION"},
    {529, "Unable to open WINDOW"},
    {530, "Unable to open MDI window (No APPLICATION active)"},
    {531, "Unable to open MDI window (system is MODAL)"},
    {532, "Unable to open MDI window on APPLICATION's thread"},
    {533, "Unable to open MDI WINDOW"},
    {534, "Too many keystrokes PRESSed"},
    {535, "Window is already open"},
    {536, "Window is not open"},
    {537, "ACCEPT loop requires a window"},
    {540, "Unable to process ACCEPT (system is MODAL)"},
    {541, "Unable to create control (system is MODAL)"},
    {542, "Unable to complete operation (system is MODAL)"},
    {544, "Too Many VBX Hooks"},
    {545, "Attempt to execute a modal event for not current thread"},
};

// Faults of the expression evaluator.
constexpr NumberedText kExpressionErrors[] = {
    {1010, "Invalid expression for EVALUATE"},
    {1011, "BIND has not been called for"},
    {1012, "Mismatched PUSHBIND/POPBIND"},
    {1013, "No evaluator exists"},
    {1014, "Unknown evaluation context"},
    {1015, "Not-omittable parameter of built-in function is omitted"},
};

template <size_t N>
const char* lookUp(const NumberedText (&table)[N], int code) {
  for (const NumberedText& entry : table) {
    if (entry.code == code) return entry.text;
  }
  return nullptr;
}

// Internal errors 501..515 read "Internal error 01" .. "Internal error 15".
std::string internalErrorText(int code) {
  int number = code - 500;
  return std::string("Internal error ") + static_cast<char>('0' + number / 10) +
         static_cast<char>('0' + number % 10);
}

std::string builtInText(int code) {
  const char* text = nullptr;
  if ((code >= 2 && code <= 97) || (code > 300 && code < 400)) {
    text = fileErrorTextOf(code);
  } else if (code >= 401 && code <= 412) {
    text = lookUp(kLanguageErrors, code);
  } else if (code >= 501 && code <= 515) {
    return internalErrorText(code);
  } else if (code >= 520 && code <= 545) {
    text = lookUp(kWindowErrors, code);
  } else if (code >= 1010 && code <= 1015) {
    text = lookUp(kExpressionErrors, code);
  }
  return text != nullptr ? text : "";
}

// Overrides come from the locale environment and apply to the whole process.
std::mutex gOverrideMutex;
std::map<int, std::string> gOverrides;

}  // namespace

std::string errorTextOf(int code) {
  {
    std::lock_guard<std::mutex> lock(gOverrideMutex);
    auto found = gOverrides.find(code);
    if (found != gOverrides.end()) return found->second;
  }
  return builtInText(code);
}

void setErrorTextOverride(int code, const std::string& text) {
  std::lock_guard<std::mutex> lock(gOverrideMutex);
  gOverrides[code] = text;
}

}  // namespace zor
