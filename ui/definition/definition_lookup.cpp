#include "ui/definition/definition_lookup.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/ascii_case.h"
#include "platform/resources.h"
#include "platform/sync.h"

namespace zor::ui {
namespace {

// The definitions lock guards the shared buffer and the remembered module.
struct SharedDefinitions {
  platform::SpinLock lock;
  std::vector<uint8_t> buffer;
  std::string module;
};

SharedDefinitions& shared() {
  static SharedDefinitions instance;
  return instance;
}

// The remembered module first, then the others in registration order.
std::vector<std::string> searchOrder() {
  std::vector<std::string> modules = platform::registeredModules();
  std::string start = rememberedDefinitionModule();
  auto found = std::find_if(modules.begin(), modules.end(), [&](const std::string& module) {
    return platform::equalsIgnoringCase(module, start);
  });
  if (found != modules.end()) std::rotate(modules.begin(), found, found + 1);
  return modules;
}

// The block of `resource` when its owning name is the wanted one.
bool namesOwner(platform::ResourceHandle resource, const std::string& owningName,
                std::span<const uint8_t>& block) {
  std::span<const uint8_t> bytes(platform::lockResource(resource),
                                 platform::sizeofResource(resource));
  DefinitionResult<DefinitionResourceParts> parts = splitDefinitionResource(bytes);
  if (!parts.ok() || !platform::equalsIgnoringCase(parts.value->owningName, owningName)) {
    return false;
  }
  block = parts.value->block;
  return true;
}

}  // namespace

DefinitionResult<FoundWindowDefinition> findWindowDefinition(const std::string& owningName,
                                                             const std::string& label) {
  const std::string name = definitionResourceName(owningName);
  for (const std::string& module : searchOrder()) {
    platform::ResourceHandle resource =
        platform::findResource(module, name, DefinitionResourceType);
    std::span<const uint8_t> block;
    if (resource == nullptr || !namesOwner(resource, owningName, block)) continue;

    SharedDefinitions& s = shared();
    std::lock_guard guard(s.lock);
    s.buffer.assign(block.begin(), block.end());
    DefinitionResult<WindowDefinition> window = readWindowDefinition(s.buffer, label);
    if (!window.ok()) {
      return DefinitionResult<FoundWindowDefinition>::failure(
          "definition " + owningName + " in module " + module + ": " + window.error);
    }
    if (window.value) {
      s.module = module;
      return {FoundWindowDefinition{module, std::move(*window.value)}, {}};
    }
  }
  return {};
}

std::string rememberedDefinitionModule() {
  SharedDefinitions& s = shared();
  std::lock_guard guard(s.lock);
  return s.module;
}

void forgetDefinitionModule() {
  SharedDefinitions& s = shared();
  std::lock_guard guard(s.lock);
  s.module.clear();
}

}  // namespace zor::ui
