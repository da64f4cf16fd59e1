#pragma once
// The native driver's entry: every operation runs through the driver frame
// (data/driver_frame.h) and is carried out on the per-file object that OPEN
// sets up (open_table.h).

namespace zor::data {
struct FileControlBlock;
}

namespace zor::tarnwick {

int tarnwickDriverEntry(int op, data::FileControlBlock* fcb, void* args);

// Makes the driver known to the registry under "TARNWICK". The program
// calls it at start-up (a static initializer in a static library would be
// dropped by the linker); calling it again does no harm.
void registerTarnwickDriver();

}  // namespace zor::tarnwick
