// twk verify FILE: first checks that the file system under the file keeps
// byte-range locks, and says so in one line; then walks the whole file and
// checks it, its structure and then its tables, and prints "ok" or one line
// per problem. Exits 1 on any problem, and also where locks are ignored:
// programs sharing such a file are not kept apart, so it is not safe to
// use. A lock check that could not run (the test byte busy, the file not
// writable here) is reported but fails nothing.

#include <iostream>
#include <string>
#include <vector>

#include "data/tarnwick/lock_self_test.h"
#include "data/tarnwick/table_verify.h"
#include "data/tarnwick/verify.h"
#include "tools/twk/command.h"
#include "tools/twk/opened_file.h"

namespace zor::twk {
namespace {

// Prints the lock check's sentence; answers whether the file is unsafe to
// share.
bool locksIgnored(const std::string& path) {
  const tarnwick::LockSelfTestResult result = tarnwick::checkLocksHonoured(path);
  std::cout << tarnwick::describeLockSelfTest(result, path) << '\n';
  return result.outcome == tarnwick::LockSelfTestOutcome::Ignored;
}

// One line on a change a stopped writer left, settled as opening the file
// settles it; the file is then judged as the driver sees it.
void reportSettledChange(const tarnwick::TarnwickFile& file) {
  const tarnwick::TarnwickFile::SettledChange& settled = file.settledChange();
  if (!settled.found) return;
  std::cout << "A change left unfinished by a program that stopped "
            << (settled.onDisk ? (settled.stands ? "was completed" : "was dropped")
                               : (settled.stands ? "will be completed" : "will be dropped"))
            << (settled.stands ? "" : " (its transaction had not committed)")
            << (settled.onDisk
                    ? ", as opening the file does.\n"
                    : " when the file is opened for writing; checked as that leaves it.\n");
}

int verifyFile(const std::string& path, tarnwick::TarnwickFile& file) {
  if (saidEmpty(file)) return kExitFailure;
  reportSettledChange(file);
  const bool unsafe = locksIgnored(path);
  const tarnwick::FileSurvey survey = tarnwick::surveyFile(file.store());
  std::vector<std::string> problems = survey.problems;
  // The tables are read through the tree, so they are checked only when the
  // structure beneath them is sound.
  if (survey.ok()) problems = tarnwick::checkTables(file).problems;
  if (problems.empty() && !unsafe) {
    std::cout << "ok\n";
    return kExitOk;
  }
  for (const std::string& problem : problems) std::cout << problem << '\n';
  return kExitFailure;
}

int runVerify(const Arguments& arguments) {
  if (arguments.size() != 1) return usageError("verify", "verify takes one file");
  const std::string& path = arguments[0];
  return withOpenFile(
      path, [&](tarnwick::TarnwickFile& file) { return verifyFile(path, file); }, true);
}

const char* const kHelp =
    "First checks that the file system keeps byte-range locks on the file\n"
    "(programs sharing it depend on them) and says so. Then checks the whole\n"
    "file: the header and zones, every page, the order of the items, and each\n"
    "table's definition, records, key entries and counters. Prints ok, or one\n"
    "line per problem and exits 1; a file system that ignores locks fails too.\n"
    "\n"
    "A change that a program stopped in the middle of (a crash, a power cut)\n"
    "is settled first, exactly as opening the file settles it: completed, or\n"
    "dropped when its transaction had not committed. One line says so; this is\n"
    "no damage. When the file may not be written here, it is settled in memory\n"
    "only.\n";

CommandRegistrar verifyCommand{"verify", "FILE",
                               "check locking and the whole file; ok or one line per problem",
                               runVerify, kHelp};

}  // namespace
}  // namespace zor::twk
