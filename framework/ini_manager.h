#pragma once
// Stores small named settings of the program between runs, bound at start-up
// to the program's INI file. Start-up shell: binding, the update step and
// release; window-state persistence comes with the window controller.

#include <string>

#include "platform/sync.h"

namespace zor::fw {

class INIManager {
 public:
  enum StorageKind { kIniFile = 0, kRegistry = 1, kNone = 2 };

  virtual ~INIManager() = default;
  // `nvType` is the storage kind, `extraData` its extra argument.
  virtual void Init(const std::string& fileName, long nvType, long extraData);
  virtual void Kill();
  // Writes pending changes of the sector list (nothing is pending yet).
  virtual void Update();

  const std::string& FileName() const { return fileName_; }
  long NVType() const { return nvType_; }
  bool bound() const { return bound_; }

 private:
  std::string fileName_;
  long nvType_ = kIniFile;
  long extraData_ = 0;
  bool bound_ = false;
  platform::CriticalSection critSect_;
};

}  // namespace zor::fw
