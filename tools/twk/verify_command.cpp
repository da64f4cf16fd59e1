// twk verify FILE: walks the whole file and checks it, its structure and then
// its tables; prints "ok" and exits 0, or one line per problem and exits 1.

#include <iostream>
#include <string>
#include <vector>

#include "data/tarnwick/table_verify.h"
#include "data/tarnwick/verify.h"
#include "tools/twk/command.h"
#include "tools/twk/opened_file.h"

namespace zor::twk {
namespace {

int verifyFile(tarnwick::TarnwickFile& file) {
  const tarnwick::FileSurvey survey = tarnwick::surveyFile(file.store());
  std::vector<std::string> problems = survey.problems;
  // The tables are read through the tree, so they are checked only when the
  // structure beneath them is sound.
  if (survey.ok()) problems = tarnwick::checkTables(file).problems;
  if (problems.empty()) {
    std::cout << "ok\n";
    return kExitOk;
  }
  for (const std::string& problem : problems) std::cout << problem << '\n';
  return kExitFailure;
}

int runVerify(const Arguments& arguments) {
  if (arguments.size() != 1) return usageError("verify", "verify takes one file");
  return withOpenFile(arguments[0], verifyFile);
}

CommandRegistrar verifyCommand{"verify", "FILE", "check the whole file; ok or one line per problem",
                               runVerify};

}  // namespace
}  // namespace zor::twk
