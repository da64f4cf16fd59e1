#include "platform/resources.h"

#include <memory>
#include <mutex>

#include "platform/ascii_case.h"

namespace zor::platform {
namespace {

struct ResourceRegistry {
  std::mutex mutex;
  std::vector<std::string> modules;                // registration order
  std::vector<std::unique_ptr<Resource>> current;  // registration order
  // Replaced resources stay alive: a handle or locked pointer taken before
  // the replacement must not dangle.
  std::vector<std::unique_ptr<Resource>> replaced;
};

ResourceRegistry& registry() {
  static ResourceRegistry instance;
  return instance;
}

bool matches(const Resource& resource, const std::string& name, const std::string& type) {
  return equalsIgnoringCase(resource.name, name) && equalsIgnoringCase(resource.type, type);
}

}  // namespace

void registerResource(const std::string& module, const std::string& name, const std::string& type,
                      const void* data, size_t size) {
  auto resource = std::make_unique<Resource>();
  resource->module = module;
  resource->name = name;
  resource->type = type;
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (bytes != nullptr) resource->bytes.assign(bytes, bytes + size);

  ResourceRegistry& r = registry();
  std::lock_guard guard(r.mutex);
  bool knownModule = false;
  for (const std::string& known : r.modules) knownModule |= equalsIgnoringCase(known, module);
  if (!knownModule) r.modules.push_back(module);
  for (auto& existing : r.current) {
    if (equalsIgnoringCase(existing->module, module) && matches(*existing, name, type)) {
      r.replaced.push_back(std::move(existing));
      existing = std::move(resource);
      return;
    }
  }
  r.current.push_back(std::move(resource));
}

std::vector<std::string> registeredModules() {
  ResourceRegistry& r = registry();
  std::lock_guard guard(r.mutex);
  return r.modules;
}

ResourceHandle findResource(const std::string& module, const std::string& name,
                            const std::string& type) {
  ResourceRegistry& r = registry();
  std::lock_guard guard(r.mutex);
  // Module by module in the order they registered, so the first module
  // that has the resource wins when no module is named.
  for (const std::string& candidate : r.modules) {
    if (!module.empty() && !equalsIgnoringCase(candidate, module)) continue;
    for (const auto& resource : r.current) {
      if (equalsIgnoringCase(resource->module, candidate) && matches(*resource, name, type)) {
        return resource.get();
      }
    }
  }
  return nullptr;
}

}  // namespace zor::platform
