#pragma once
// The file-open server behind every file manager: it performs the physical
// OPEN and CLOSE of a table and counts its users, so that a table opened by
// several procedures is opened once and closed when the last one lets it go.
// The count of each table lives in a process-wide list, created on first
// use and dropped again when the count is back at 0; every change of a
// count happens inside that table's own critical section.

#include <cstdint>

#include "data/file_control_block.h"

namespace zor::fw {

class FileOpener {
 public:
  virtual ~FileOpener() = default;
  // One more user: the physical OPEN when there was none (an answer of 52,
  // already open, counts as success). Answers the driver's error number; on
  // an error the count stays as it was.
  virtual int Open(data::FileControlBlock& file, uint32_t mode);
  // One user fewer: the physical CLOSE when this was the last one. An error
  // of CLOSE is answered at once and the count stays.
  virtual int Close(data::FileControlBlock& file);
  // The table's current number of users.
  int32_t Usage(const data::FileControlBlock& file) const;
};

// The opener file managers use unless they are given another.
FileOpener& defaultFileOpener();

}  // namespace zor::fw
