// twk send FILE[\!TABLE] TEXT...: opens the table shared through the driver,
// as a program does, sends each TEXT with SEND and prints each answer on a
// line of its own (an empty line for an empty answer). The declaration is
// the table's stored definition, so any table of the file opens. Several
// texts go to the one open table, so settings that last only while it is
// open (DecimalCheck, FULLBUILD) can be changed and read back.

#include <iostream>

#include "data/file_control_block.h"
#include "data/file_errors.h"
#include "data/file_statements.h"
#include "data/tarnwick/driver_switches.h"
#include "data/tarnwick/table_name.h"
#include "data/tarnwick/tarnwick_driver.h"
#include "runtime/error_state.h"
#include "tools/twk/command.h"
#include "tools/twk/opened_file.h"
#include "tools/twk/table_argument.h"

namespace zor::twk {
namespace {

namespace statement = data::statement;

// "Access Denied (5)", with the driver's own detail when it gave one.
std::string driverErrorText(int error) {
  std::string text = errorTextOf(error) + " (" + std::to_string(error) + ")";
  if (!fileErrorText().empty()) text += ": " + fileErrorText();
  return text;
}

// Declares `fcb` from the table's stored definition, for the driver.
int declareFromStoredTable(const TableArgument& argument, data::FileControlBlock& fcb) {
  return withOpenFile(argument.file, [&](tarnwick::TarnwickFile& file) {
    FoundTable found;
    if (!findTableIn(file, argument, found)) return kExitFailure;
    found.definition.declareInto(fcb);
    fcb.driverName = "TARNWICK";
    fcb.name = argument.file + "\\!" + found.name;
    return kExitOk;
  });
}

int sendTexts(const std::string& path, data::FileControlBlock& fcb,
              const std::vector<std::string>& texts) {
  int error = statement::share(fcb, statement::kReadWriteDenyNone);
  // A file this user may only read still answers the texts that read.
  if (error == data::kErrAccessDenied) error = statement::share(fcb, statement::kReadOnlyDenyNone);
  if (error != data::kNoError) {
    std::cerr << "twk: " << path << ": the table cannot be opened: " << driverErrorText(error)
              << '\n';
    return kExitFailure;
  }
  int result = kExitOk;
  std::string answer;
  for (const std::string& text : texts) {
    error = statement::send(fcb, text, answer);
    if (error != data::kNoError) {
      std::cerr << "twk: " << path << ": \"" << text << "\" was refused: " << driverErrorText(error)
                << '\n';
      result = kExitFailure;
      break;
    }
    std::cout << answer << '\n';
    // The driver takes any text and ignores what it does not know; a person
    // is told, and the run fails, rather than left to read an empty line as
    // an answer.
    if (!tarnwick::isDriverSwitch(text)) {
      std::cerr << "twk: \"" << text
                << "\" is no switch of the driver and was ignored (twk help send lists them)\n";
      result = kExitFailure;
    }
  }
  statement::close(fcb);
  return result;
}

int runSend(const Arguments& arguments) {
  if (arguments.size() < 2) return usageError("send", "send takes FILE[\\!TABLE] and a TEXT");
  const TableArgument argument = splitTableArgument(arguments[0]);
  // The driver adds its default extension to a name without one, and would
  // then look for another file than the one named here.
  if (tarnwick::withDefaultExtension(argument.file) != argument.file) {
    std::cerr << "twk: " << argument.file
              << ": send needs the file's name with its extension (the driver adds "
              << tarnwick::kDefaultExtension << " to a name without one)\n";
    return kExitFailure;
  }
  data::FileControlBlock fcb;
  if (int result = declareFromStoredTable(argument, fcb); result != kExitOk) return result;
  tarnwick::registerTarnwickDriver();
  const std::vector<std::string> texts(arguments.begin() + 1, arguments.end());
  return withFailuresReported(argument.file, [&] { return sendTexts(argument.file, fcb, texts); });
}

const char* const kHelp =
    "Opens the table through the driver, shared as a program opens it, sends\n"
    "each TEXT with SEND and prints each answer on a line of its own: the\n"
    "setting before the text changed it. The switches (any case; a value\n"
    "after \"=\" or a blank):\n"
    "\n"
    "  DecimalCheck[=OFF]   compare the places of DECIMAL fields at open (ON)\n"
    "  FULLBUILD[=ON]       the table's full-build setting\n"
    "  FLAGS[=N]            the number kept with the table's record count\n"
    "  TCF[=FILE]           the transaction control file, for the process\n"
    "  PNM=TEXT, PNMQ=N     a table name of the file, by name or by number\n"
    "  REGISTER             the driver's name\n"
    "\n"
    "Settings other than FLAGS last while the table is open, so several texts\n"
    "in one run see each other. A text that is no switch is ignored by the\n"
    "driver; twk says so and exits 1.\n";

CommandRegistrar sendCommand{"send", "FILE[\\!TABLE] TEXT...",
                             "send driver switches to a table; one answer a line", runSend, kHelp};

}  // namespace
}  // namespace zor::twk
