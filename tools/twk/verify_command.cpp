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

int verifyFile(const std::string& path, tarnwick::TarnwickFile& file) {
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
  return withOpenFile(path, [&](tarnwick::TarnwickFile& file) { return verifyFile(path, file); });
}

CommandRegistrar verifyCommand{
    "verify", "FILE", "check locking and the whole file; ok or one line per problem", runVerify};

}  // namespace
}  // namespace zor::twk
