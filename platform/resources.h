#pragma once
// Embedded resources: each program module registers its resources (name,
// type, bytes) at start-up; look-up by module, name and type mirrors the
// find / load / lock / size sequence. Names and types compare without case.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zor::platform {

struct Resource {
  std::string module;
  std::string name;
  std::string type;
  std::vector<uint8_t> bytes;
};

using ResourceHandle = const Resource*;

// Registers (or replaces) a resource of `module`. Handles and locked bytes
// stay valid for the life of the process, even after a replacement.
void registerResource(const std::string& module, const std::string& name, const std::string& type,
                      const void* data, size_t size);
std::vector<std::string> registeredModules();

// Empty module name: search every module in registration order.
ResourceHandle findResource(const std::string& module, const std::string& name,
                            const std::string& type);
inline const uint8_t* lockResource(ResourceHandle handle) {
  return handle ? handle->bytes.data() : nullptr;
}
inline size_t sizeofResource(ResourceHandle handle) {
  return handle ? handle->bytes.size() : 0;
}

}  // namespace zor::platform
