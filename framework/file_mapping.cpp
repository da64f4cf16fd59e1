#include "framework/file_mapping.h"

#include <map>
#include <mutex>

namespace zor::fw {

namespace {

struct Registry {
  std::mutex mutex;
  std::map<const data::FileControlBlock*, FileManager*> FileMapping;
  std::map<const data::FileControlBlock*, RelationManager*> RelationMapping;
};

Registry& registry() {
  static Registry* shared = new Registry;  // outlives every thread's managers
  return *shared;
}

template <class Manager>
void forget(std::map<const data::FileControlBlock*, Manager*>& mapping, const Manager* manager) {
  std::erase_if(mapping, [manager](const auto& entry) { return entry.second == manager; });
}

template <class Manager>
Manager* lookUp(const std::map<const data::FileControlBlock*, Manager*>& mapping,
                const data::FileControlBlock& file) {
  auto found = mapping.find(&file);
  return found == mapping.end() ? nullptr : found->second;
}

}  // namespace

void registerFileManager(const data::FileControlBlock& file, FileManager* manager) {
  std::lock_guard guard(registry().mutex);
  registry().FileMapping[&file] = manager;
}

void registerRelationManager(const data::FileControlBlock& file, RelationManager* manager) {
  std::lock_guard guard(registry().mutex);
  registry().RelationMapping[&file] = manager;
}

void unregisterFileManager(const FileManager* manager) {
  std::lock_guard guard(registry().mutex);
  forget(registry().FileMapping, manager);
}

void unregisterRelationManager(const RelationManager* manager) {
  std::lock_guard guard(registry().mutex);
  forget(registry().RelationMapping, manager);
}

FileManager* fileManagerOf(const data::FileControlBlock& file) {
  std::lock_guard guard(registry().mutex);
  return lookUp(registry().FileMapping, file);
}

RelationManager* relationManagerOf(const data::FileControlBlock& file) {
  std::lock_guard guard(registry().mutex);
  return lookUp(registry().RelationMapping, file);
}

}  // namespace zor::fw
