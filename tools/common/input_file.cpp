#include "tools/common/input_file.h"

#include <filesystem>
#include <system_error>

#include "data/file_errors.h"
#include "data/system_error.h"
#include "platform/file.h"
#include "platform/whole_file.h"
#include "runtime/error_state.h"

namespace zor::tool {

std::string fileProblem(const std::string& path, int driverError) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) return "is a folder, not a file";
  if (driverError == data::kErrFileNotFound) return "does not exist";
  return errorTextOf(driverError) + " (" + std::to_string(driverError) + ")";
}

namespace {

bool readProblem(const std::string& path, int error, std::string& problem) {
  if (error == 0) return true;
  problem = fileProblem(path, error);
  if (problem.front() >= 'A' && problem.front() <= 'Z') problem = "cannot be read: " + problem;
  return false;
}

}  // namespace

bool readInputFile(const std::string& path, std::string& text, std::string& problem) {
  return readProblem(path, data::driverErrorOf(platform::readWholeFile(path, text)), problem);
}

bool openInputFile(const std::string& path, std::ifstream& in, uint64_t& bytes,
                   std::string& problem) {
  // The file layer tells why a file cannot be read (and a folder opens, but
  // reads nothing, so it is asked first).
  if (platform::isFolder(path)) return readProblem(path, data::kErrAccessDenied, problem);
  platform::File probe;
  int error = probe.open(path, platform::Access::Read, platform::Share::DenyNone,
                         platform::Disposition::OpenExisting);
  if (error == 0) error = probe.size(bytes);
  if (!readProblem(path, data::driverErrorOf(error), problem)) return false;
  in.open(path, std::ios::binary);
  return in ? true : readProblem(path, data::kErrAccessDenied, problem);
}

}  // namespace zor::tool
