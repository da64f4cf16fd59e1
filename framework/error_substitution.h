#pragma once
// The markers of the error table's messages and the values they stand for.

#include <optional>
#include <string>
#include <string_view>

#include "framework/error_reporter.h"

namespace zor::fw {

// The longest text a substituted message keeps.
inline constexpr size_t kSubstitutedTextLength = 2000;

struct MarkerValues {
  std::string fileErrorCode;
  std::string fileError;
  std::string file;
  std::string key;
  std::string errorCode;
  std::string errorText;
  std::string error;
  std::string message;
  std::string field;
  std::string procedure;
  std::string category;
  std::optional<std::string> previous;  // none: %Previous is removed
};

// The values of a status record. %ErrorText is the runtime's error text and
// code, except for codes 90 and 100 (a file-system error behind a driver
// error), where it is the driver's file-system text and code.
MarkerValues markerValues(const ErrorStatus& status, std::string procedure, std::string category,
                          std::optional<std::string> previous);

// Replaces every marker of `text` by its value, markers tried in the order
// %FileErrorCode %FileError %File %Key %ErrorCode %ErrorText %Error %Message
// %Field %Procedure %Category %Previous, so that the longer of two markers
// that start alike wins. Values are not searched again. The result is cut at
// kSubstitutedTextLength.
std::string substituteMarkers(std::string_view text, const MarkerValues& values);

}  // namespace zor::fw
