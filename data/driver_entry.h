#pragma once
// The one function through which a driver carries out every operation: the
// operation number, the FILE control block and one argument word that points
// to the operation's argument structure (driver_arguments.h). Returns an
// error number, 0 on success (file_errors.h).

namespace zor::data {

struct FileControlBlock;

using DriverEntry = int (*)(int op, FileControlBlock* fcb, void* args);

}  // namespace zor::data
