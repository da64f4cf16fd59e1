#pragma once
// PACK: gives a file's free space back. Under exclusive access (a change a
// stopped writer left is settled first, and the pending region copied home,
// as open does; a damaged tree is refused, not copied) every item of the
// file is written, in key order, into a new file beside it, which ends with
// its pages (no pending region, no room kept for one); the new file is made
// durable and then takes the old one's place in one rename, when its pages
// take less room (pages left sparse by deletions are filled again; a file
// that is dense already stays as it is).
// A crash at any point leaves either the old file or the packed one, each
// whole; at worst a stray "NAME.packing" beside it, which the next PACK
// replaces. The old file itself is only read.

#include <cstdint>
#include <string>

namespace zor::tarnwick {

struct PackResult {
  uint64_t bytesBefore = 0;
  uint64_t bytesAfter = 0;
  uint64_t items = 0;
  bool replaced = false;  // false: the file was as small already
};

// Answers 0, 2 (no such file), 63 when another handle has the file open
// (PACK needs it alone), 36 for no Tarnwick file or a damaged one (the
// first problem in FILEERROR()), or the error of reading or writing. The
// identifiers given out so far stay given out.
[[nodiscard]] int packFile(const std::string& path, PackResult* result = nullptr);

// The name of the new file while it is being written.
std::string packingPath(const std::string& path);

}  // namespace zor::tarnwick
