// zor: the runtime console. Runs one registered command and exits with its
// code; "help" lists them all and "help COMMAND" explains one.

#include <string>
#include <vector>

#include "tools/common/guarded_main.h"
#include "tools/zor/command.h"

// No input ends the console on an exception: anything thrown becomes a
// message and exit 1.
int main(int argc, char** argv) {
  return zor::tool::runReportingExceptions("zor", [&] {
    return zor::tool::zorCommands().run(std::vector<std::string>(argv + 1, argv + argc));
  });
}
