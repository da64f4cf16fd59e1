#pragma once
// Entry points looked up in the program itself, or in a shared library
// loaded on demand.

#include <string>

namespace zor::platform {

// The address of an exported symbol of the running program, or nullptr.
void* findProgramSymbol(const std::string& name);
// Loads a shared library (nullptr when it cannot be loaded; `error` tells why).
void* loadLibrary(const std::string& path, std::string& error);
void* findLibrarySymbol(void* library, const std::string& name);
void unloadLibrary(void* library);

}  // namespace zor::platform
