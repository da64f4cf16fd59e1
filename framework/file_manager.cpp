#include "framework/file_manager.h"

namespace zor::fw {

void FileManager::Init() {
  Initialized = false;
}

void FileManager::Kill() {
  Initialized = false;
}

}  // namespace zor::fw
