// twk pack FILE: gives the file's free space back (the driver's PACK): every
// item is written into a new file beside it, which then takes its place.
// Needs the file alone: another program that has it open makes it refuse.

#include <filesystem>
#include <iostream>
#include <system_error>

#include "data/file_errors.h"
#include "data/tarnwick/pack.h"
#include "runtime/error_state.h"
#include "tools/twk/command.h"
#include "tools/twk/opened_file.h"

namespace zor::twk {
namespace {

int runPack(const Arguments& arguments) {
  if (arguments.size() != 1) return usageError("pack", "pack takes one file");
  const std::string& path = arguments[0];
  std::error_code ignored;
  if (std::filesystem::is_regular_file(path, ignored) &&
      std::filesystem::file_size(path, ignored) == 0) {
    std::cout << kEmptyFileNote << "; nothing to pack\n";
    return kExitOk;
  }
  return withFailuresReported(path, [&] {
    tarnwick::PackResult packed;
    const int error = tarnwick::packFile(path, &packed);
    if (error == data::kErrExclusiveAccessRequired) {
      std::cerr << "twk: " << path
                << ": another program has the file open; pack needs it alone (63)\n";
      return kExitFailure;
    }
    if (error != 0) {
      std::cerr << "twk: " << path << ": " << openProblem(path, error)
                << (error == data::kErrInvalidDataFile && !zor::fileErrorText().empty()
                        ? "; " + zor::fileErrorText() + " (see twk verify)"
                        : std::string())
                << '\n';
      return kExitFailure;
    }
    if (!packed.replaced) {
      std::cout << "already compact: " << packed.bytesBefore << " bytes, of which repacking "
                << packed.items << " items gives nothing back\n";
    } else {
      std::cout << "packed " << packed.items << " items: " << packed.bytesBefore
                << " bytes before, " << packed.bytesAfter << " after\n";
    }
    return kExitOk;
  });
}

const char* const kHelp =
    "Rewrites the file without its free space: every item is copied, in key\n"
    "order, into a new file beside it (FILE.packing), which is made durable\n"
    "and then takes the file's place in one step, when it is smaller (pages\n"
    "left sparse by deletions are filled again). A crash leaves either the old\n"
    "file or the packed one. Record numbers are kept. The file must not be\n"
    "open in another program, and must be sound (twk verify).\n";

CommandRegistrar packCommand{"pack", "FILE", "give free space back: rewrite the file compactly",
                             runPack, kHelp};

}  // namespace
}  // namespace zor::twk
