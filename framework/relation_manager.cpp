#include "framework/relation_manager.h"

namespace zor::fw {

void RelationManager::Bind(FileManager* fileManager, int threaded) {
  Me = fileManager;
  Threaded = threaded != 0;
}

void RelationManager::Release() {
  Me = nullptr;
}

}  // namespace zor::fw
