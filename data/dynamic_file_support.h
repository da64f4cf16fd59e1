#pragma once
// The dynamic file support: two entry points, found in the program itself or
// in an outside library loaded on demand, through which a FILE declared at
// run time is changed ("_Zor$CHANGE_FILE") and its driver is changed
// ("_Zor$CHANGE_DRIVER"). Loaded once per process under its own critical
// section; without it, the declaration fault SYSTEM 0 "Driver" (message 2,
// "Dynamic File Support Not Found") is reported.

#include <functional>
#include <string>

#include "platform/sync.h"

namespace zor::data {

struct FileControlBlock;

inline constexpr const char* kChangeFileEntryName = "_Zor$CHANGE_FILE";
inline constexpr const char* kChangeDriverEntryName = "_Zor$CHANGE_DRIVER";
inline constexpr const char* kDynamicFileLibraryName = "Z60dfx.dll";

using DynamicFileEntry = int (*)(FileControlBlock* fcb);

// Where the entry points are looked for; the platform's by default.
struct DynamicSymbolSource {
  std::function<void*(const std::string& name)> findInProgram;
  std::function<void*(const std::string& path)> loadLibrary;  // nullptr when it cannot be loaded
  std::function<void*(void* library, const std::string& name)> findInLibrary;
  std::function<void(void* library)> unloadLibrary;
};

DynamicSymbolSource platformSymbolSource();

class DynamicFileSupport {
 public:
  explicit DynamicFileSupport(DynamicSymbolSource source = platformSymbolSource());
  ~DynamicFileSupport();
  DynamicFileSupport(const DynamicFileSupport&) = delete;
  DynamicFileSupport& operator=(const DynamicFileSupport&) = delete;

  // Loads the support unless it is loaded; returns 0, or reports the fault
  // and returns 47. A failed attempt is tried again on the next call.
  int load();
  bool isLoaded() const;

  // Call the entry points (loading first); their result is passed on.
  int changeFile(FileControlBlock& fcb);
  int changeDriver(FileControlBlock& fcb);

 private:
  int callEntry(DynamicFileEntry DynamicFileSupport::*entry, FileControlBlock& fcb);

  DynamicSymbolSource source_;
  mutable platform::CriticalSection section_;
  void* library_ = nullptr;
  DynamicFileEntry changeFile_ = nullptr;
  DynamicFileEntry changeDriver_ = nullptr;
};

// The process's dynamic file support.
DynamicFileSupport& dynamicFileSupport();

// What happens before a declaration built at run time reaches its driver:
// the dynamic file support is loaded, then the declaration is checked
// against itself and its driver. Returns 0 or 47 (reported).
int prepareDynamicDeclaration(FileControlBlock& fcb,
                              DynamicFileSupport& support = dynamicFileSupport());

}  // namespace zor::data
