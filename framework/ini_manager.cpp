#include "framework/ini_manager.h"

#include <mutex>

namespace zor::fw {

void INIManager::Init(const std::string& fileName, long nvType, long extraData) {
  std::lock_guard guard(critSect_);
  fileName_ = fileName.substr(0, 260);
  nvType_ = nvType;
  extraData_ = extraData;
  bound_ = true;
}

void INIManager::Kill() {
  std::lock_guard guard(critSect_);
  bound_ = false;
}

void INIManager::Update() {
  std::lock_guard guard(critSect_);
}

}  // namespace zor::fw
