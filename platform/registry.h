#pragma once
// The registry of the system the program was designed for, as a per-user
// store of our own: one INI file, $ZOR_REGISTRY when set, else
// $XDG_CONFIG_HOME/zorvane/registry.ini (or ~/.config/zorvane/registry.ini).
// Every key is a section named after its root (eight hex digits) and its
// path, "[80000000\Software\Pellmoor\Main]", and its values are the entries
// of that section. Only string values are kept; key paths and value names
// compare without case, as the registry's do. The file is created, with its
// folder, on the first write. Tests point the store at a file of their own
// with setRegistryPath.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zor::platform {

inline constexpr uint32_t HKEY_CLASSES_ROOT = 0x80000000;
inline constexpr uint32_t HKEY_CURRENT_USER = 0x80000001;
inline constexpr uint32_t HKEY_LOCAL_MACHINE = 0x80000002;
inline constexpr uint32_t HKEY_USERS = 0x80000003;

std::string registryPath();
// "" goes back to the default.
void setRegistryPath(const std::string& path);

// The section that holds a key: the root in hex, "\", the key path without
// leading or trailing "\".
std::string registrySection(uint32_t root, std::string_view keyPath);

// The value, or nothing when the key or the value is missing.
std::optional<std::string> regQueryString(uint32_t root, std::string_view keyPath,
                                          const std::string& name);
// Creates the key when missing. False when the store cannot be written or
// the name or value cannot be kept (a line break, "=" in the name).
bool regSetString(uint32_t root, std::string_view keyPath, const std::string& name,
                  const std::string& value);
// True when the value is gone (or was never there).
bool regDeleteValue(uint32_t root, std::string_view keyPath, const std::string& name);

}  // namespace zor::platform
