#include "data/tarnwick/open_mode.h"

namespace zor::tarnwick {

OpenMode OpenMode::fromWord(int word) {
  if (word < 16) word += 64;
  OpenMode mode;
  mode.write = (word & 3) != 0;
  switch (word & 0x30) {
    case 0x00:
      mode.share = platform::Share::DenyNone;
      break;
    case 0x20:
      mode.share = platform::Share::DenyWrite;
      break;
    default:
      mode.share = platform::Share::Exclusive;
      break;
  }
  mode.create = (word & 0x200) != 0;
  return mode;
}

}  // namespace zor::tarnwick
