#include "framework/error_substitution.h"

#include <utility>

namespace zor::fw {

MarkerValues markerValues(const ErrorStatus& status, std::string procedure, std::string category,
                          std::optional<std::string> previous) {
  MarkerValues values;
  values.fileErrorCode = status.saveFileErrorCode;
  values.fileError = status.saveFileError;
  values.file = status.fileName;
  values.key = status.keyName;
  values.errorCode = std::to_string(status.saveErrorCode);
  if (status.saveErrorCode == 90 || status.saveErrorCode == 100) {
    values.errorText = status.saveFileError + " (" + status.saveFileErrorCode + ")";
  } else {
    values.errorText = status.saveError + " (" + values.errorCode + ")";
  }
  values.error = status.saveError;
  values.message = status.messageText;
  values.field = status.fieldName;
  values.procedure = std::move(procedure);
  values.category = std::move(category);
  values.previous = std::move(previous);
  return values;
}

std::string substituteMarkers(std::string_view text, const MarkerValues& values) {
  static const std::string kNothing;
  const std::pair<std::string_view, const std::string*> markers[] = {
      {"%FileErrorCode", &values.fileErrorCode},
      {"%FileError", &values.fileError},
      {"%File", &values.file},
      {"%Key", &values.key},
      {"%ErrorCode", &values.errorCode},
      {"%ErrorText", &values.errorText},
      {"%Error", &values.error},
      {"%Message", &values.message},
      {"%Field", &values.field},
      {"%Procedure", &values.procedure},
      {"%Category", &values.category},
      {"%Previous", values.previous ? &*values.previous : &kNothing},
  };
  std::string result;
  result.reserve(text.size());
  size_t at = 0;
  while (at < text.size() && result.size() < kSubstitutedTextLength) {
    const size_t percent = text.find('%', at);
    result.append(text.substr(at, percent - at));
    if (percent == text.npos) break;
    at = percent;
    bool replaced = false;
    for (const auto& [marker, value] : markers) {
      if (text.substr(at).starts_with(marker)) {
        result += *value;
        at += marker.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) result += text[at++];
  }
  if (result.size() > kSubstitutedTextLength) result.resize(kSubstitutedTextLength);
  return result;
}

}  // namespace zor::fw
