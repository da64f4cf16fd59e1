#pragma once
// The text driver's entry. The text driver is not part of this program's
// work: its entry answers every operation with 80 ("Unsupported File Driver
// Function") and changes nothing.

namespace zor::data {

struct FileControlBlock;

int asciiDriverEntry(int op, FileControlBlock* fcb, void* args);

}  // namespace zor::data
