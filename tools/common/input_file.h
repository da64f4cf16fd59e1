#pragma once
// Reading a file named on a tool's command line, with a reason a user can
// act on when it cannot be read: a folder, a missing file, or the system's
// failure by its number and text.

#include <cstdint>
#include <fstream>
#include <string>

namespace zor::tool {

// Reads the whole file; on failure answers false and sets `problem` to
// "is a folder, not a file", "does not exist" or "cannot be read: TEXT (N)".
bool readInputFile(const std::string& path, std::string& text, std::string& problem);

// Opens the file to be read a piece at a time and tells its size; fails as
// readInputFile does.
bool openInputFile(const std::string& path, std::ifstream& in, uint64_t& bytes,
                   std::string& problem);

// Why `path` cannot serve as a file: "is a folder, not a file" for a folder,
// else the driver error's text and number ("Access Denied (5)").
std::string fileProblem(const std::string& path, int driverError);

}  // namespace zor::tool
