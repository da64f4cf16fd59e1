#include "tools/twk/command.h"

namespace zor::twk {

tool::CommandTable& twkCommands() {
  static tool::CommandTable commands{"twk"};
  return commands;
}

}  // namespace zor::twk
