// twk verify FILE: walks the whole file and checks it; prints "ok" and exits
// 0, or one line per problem and exits 1.

#include <iostream>

#include "data/tarnwick/verify.h"
#include "tools/twk/command.h"
#include "tools/twk/opened_file.h"

namespace zor::twk {
namespace {

int verifyFile(tarnwick::TarnwickFile& file) {
  const tarnwick::FileSurvey survey = tarnwick::surveyFile(file.store());
  if (survey.ok()) {
    std::cout << "ok\n";
    return kExitOk;
  }
  for (const std::string& problem : survey.problems) std::cout << problem << '\n';
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
