#include "tools/common/input_file.h"

#include <filesystem>
#include <system_error>

#include "data/file_errors.h"
#include "data/system_error.h"
#include "platform/whole_file.h"
#include "runtime/error_state.h"

namespace zor::tool {

std::string fileProblem(const std::string& path, int driverError) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) return "is a folder, not a file";
  if (driverError == data::kErrFileNotFound) return "does not exist";
  return errorTextOf(driverError) + " (" + std::to_string(driverError) + ")";
}

bool readInputFile(const std::string& path, std::string& text, std::string& problem) {
  const int error = data::driverErrorOf(platform::readWholeFile(path, text));
  if (error == 0) return true;
  problem = fileProblem(path, error);
  if (problem.front() >= 'A' && problem.front() <= 'Z') problem = "cannot be read: " + problem;
  return false;
}

}  // namespace zor::tool
