#include "runtime/error_state.h"

namespace zor {

namespace {

// Each thread sees the outcome of its own last operation.
struct ErrorState {
  int code = 0;
  std::string fileCode;
  std::string fileText;
};

thread_local ErrorState tState;

}  // namespace

void setErrorCode(int code) {
  tState.code = code;
}

void clearError() {
  tState = ErrorState{};
}

int errorCode() {
  return tState.code;
}

std::string errorText() {
  return tState.code == 0 ? std::string() : errorTextOf(tState.code);
}

void setFileError(const std::string& code, const std::string& text) {
  tState.fileCode = code;
  tState.fileText = text;
}

std::string fileErrorCode() {
  return tState.fileCode;
}

std::string fileErrorText() {
  return tState.fileText;
}

bool isSystemError(int code) {
  return code > kSystemErrorBase && code < kSystemErrorBase + 100;
}

ErrorValue currentError() {
  return {tState.code, errorText(), tState.fileCode, tState.fileText};
}

void setError(const ErrorValue& error) {
  tState = ErrorState{error.code, error.fileCode, error.fileText};
}

ErrorValue errorValueOf(int code) {
  ErrorValue value{code, code == 0 ? std::string() : errorTextOf(code), {}, {}};
  if (isSystemError(code)) {
    value.fileCode = std::to_string(code - kSystemErrorBase);
    value.fileText = value.text;
  }
  return value;
}

}  // namespace zor
