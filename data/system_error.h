#pragma once
// The one place where a failure of the file layer (platform/file.h: the
// operating system's error number n) becomes an error number of the driver
// interface, so that ERRORCODE(), ERROR() and FILEERROR() tell what happened:
// "File Not Found", "Path Not Found", "Too Many Open Files" and "Access
// Denied" keep their numbers (2 to 5 mean the same in both tables); every
// other failure is 300 + n, whose text the runtime's table holds (339
// "Handle Disk Full", 330 "Read Fault"). A failure made by the
// fault-injection hook counts as a write fault (329).

namespace zor::data {

// 0 for 0. Apply it once, where the driver meets the file layer.
int driverErrorOf(int systemError);

}  // namespace zor::data
