#pragma once
// The driver's open mode word: the low two bits give the access (0 read
// only), bits 4 and 5 the sharing (0 deny none, 0x20 deny write, 0x10 and
// 0x30 share nothing), bit 9 asks for a new file; a mode below 16 is taken
// as that mode plus 64 (deny none).

#include "platform/file.h"

namespace zor::tarnwick {

struct OpenMode {
  bool write = true;
  platform::Share share = platform::Share::DenyNone;
  bool create = false;  // replaces any existing file

  static OpenMode fromWord(int word);
};

}  // namespace zor::tarnwick
