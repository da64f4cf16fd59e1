#include "tools/twk/opened_file.h"

#include <iostream>
#include <stdexcept>

#include "data/file_errors.h"
#include "data/tarnwick/shared_access.h"
#include "data/tarnwick/transaction_settle.h"
#include "runtime/fatal_error.h"
#include "tools/common/input_file.h"
#include "tools/twk/command.h"

namespace zor::twk {

namespace {

struct InternalFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace

std::string openProblem(const std::string& path, int error) {
  if (error == data::kErrInvalidDataFile) return "not a Tarnwick file (Invalid Data File, 36)";
  return tool::fileProblem(path, error);
}

int withFailuresReported(const std::string& path, const std::function<int()>& body) {
  const FatalErrorHook previous = setFatalErrorHook([](int, const std::string& message) {
    throw InternalFailure(message.substr(0, message.find('\n')));
  });
  int result = kExitFailure;
  try {
    result = body();
  } catch (const InternalFailure& failure) {
    std::cerr << "twk: " << path << ": " << failure.what() << '\n';
    result = kExitFailure;
  }
  setFatalErrorHook(previous);
  return result;
}

bool saidEmpty(tarnwick::TarnwickFile& file) {
  uint64_t bytes = 0;
  if (file.store().file().size(bytes) != 0 || bytes != 0) return false;
  std::cout << kEmptyFileNote << '\n';
  return true;
}

int withOpenFile(const std::string& path, const std::function<int(tarnwick::TarnwickFile&)>& body,
                 bool settleOnDisk) {
  return withFailuresReported(path, [&] {
    tarnwick::TarnwickFile file;
    // Settling a change a stopped writer left needs write access; without
    // it the change is settled in memory, as a read-only program sees it.
    tarnwick::OpenMode mode = tarnwick::OpenMode::fromWord(settleOnDisk ? 0x42 : 0x40);
    int error = file.open(path, mode, tarnwick::settleByControlFile(path),
                          tarnwick::TarnwickFile::Settle::Later);
    if (error == data::kErrAccessDenied && settleOnDisk) {
      mode = tarnwick::OpenMode::fromWord(0x40);
      error = file.open(path, mode, tarnwick::settleByControlFile(path),
                        tarnwick::TarnwickFile::Settle::Later);
    }
    // The command reads one state of the file: it holds a reader slot
    // throughout, so that another process's change is never copied home
    // under its eyes (it would show as damage that is not there).
    tarnwick::SharedAccess access(file, mode);
    if (error == 0) error = access.beginRead();
    if (error != 0) {
      std::cerr << "twk: " << path << ": " << openProblem(path, error) << '\n';
      return kExitFailure;
    }
    const int result = body(file);
    access.endRead();
    return result;
  });
}

}  // namespace zor::twk
