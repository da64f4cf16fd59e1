#include "platform/registry.h"

#include <cstdio>
#include <filesystem>
#include <mutex>

#include "platform/profile.h"

namespace zor::platform {
namespace {

struct RegistryOverride {
  std::mutex mutex;
  std::string path;
};

RegistryOverride& registryOverride() {
  static RegistryOverride instance;
  return instance;
}

// No stored value can hold a line break, so this never reads as a value.
constexpr const char* kMissing = "\n";

}  // namespace

std::string registryPath() {
  {
    RegistryOverride& o = registryOverride();
    std::lock_guard guard(o.mutex);
    if (!o.path.empty()) return o.path;
  }
  return userConfigFile("ZOR_REGISTRY", "registry.ini");
}

void setRegistryPath(const std::string& path) {
  RegistryOverride& o = registryOverride();
  std::lock_guard guard(o.mutex);
  o.path = path;
}

std::string registrySection(uint32_t root, std::string_view keyPath) {
  while (keyPath.starts_with('\\')) keyPath.remove_prefix(1);
  while (keyPath.ends_with('\\')) keyPath.remove_suffix(1);
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(root));
  return std::string(hex) + "\\" + std::string(keyPath);
}

std::optional<std::string> regQueryString(uint32_t root, std::string_view keyPath,
                                          const std::string& name) {
  std::string value =
      getPrivateProfileString(registrySection(root, keyPath), name, kMissing, registryPath());
  if (value == kMissing) return std::nullopt;
  return value;
}

bool regSetString(uint32_t root, std::string_view keyPath, const std::string& name,
                  const std::string& value) {
  // Quoted, so that blanks and quotes at either end come back as written.
  return writeUserFileString(registrySection(root, keyPath), name, '"' + value + '"',
                             registryPath());
}

bool regDeleteValue(uint32_t root, std::string_view keyPath, const std::string& name) {
  const std::string path = registryPath();
  if (!std::filesystem::exists(path)) return true;
  return deletePrivateProfileKey(registrySection(root, keyPath), name, path);
}

}  // namespace zor::platform
