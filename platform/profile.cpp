#include "platform/profile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>

#include "platform/file.h"
#include "platform/ini_document.h"
#include "platform/sync.h"
#include "platform/whole_file.h"

namespace zor::platform {
namespace {

// One critical section serialises every profile operation of the process,
// so that two threads' read-change-write sequences never interleave.
CriticalSection& profileLock() {
  static CriticalSection instance;
  return instance;
}

// The document of a file; nullopt when the file exists but cannot be read
// (a write must then fail rather than replace what it could not see).
std::optional<IniDocument> load(const std::string& file) {
  std::string text;
  const int error = readWholeFile(file, text);
  if (error == kFileNotFound || error == kPathNotFound) return IniDocument();
  if (error != kFileOk) return std::nullopt;
  return IniDocument(text);
}

std::optional<std::string> lookUp(const std::string& section, const std::string& key,
                                  const std::string& file) {
  std::lock_guard guard(profileLock());
  const std::optional<IniDocument> document = load(file);
  return document ? document->value(section, key) : std::nullopt;
}

// Loads, changes and stores a file. `change` answers whether the document
// changed; an unchanged document is not written (a missing file stays missing).
bool edit(const std::string& file, const std::function<bool(IniDocument&)>& change) {
  std::lock_guard guard(profileLock());
  const FolderLock otherProcesses(file);
  std::optional<IniDocument> document = load(file);
  if (!document) return false;
  const std::string before = document->text();
  if (!change(*document)) return false;
  const std::string after = document->text();
  return after == before || replaceWholeFile(file, after) == kFileOk;
}

std::string unquoted(std::string value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

struct UserProfileOverride {
  std::mutex mutex;
  std::string path;
};

UserProfileOverride& userOverride() {
  static UserProfileOverride instance;
  return instance;
}

}  // namespace

std::string getPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& fallback, const std::string& file) {
  const std::optional<std::string> value = lookUp(section, key, file);
  return value ? unquoted(*value) : fallback;
}

int getPrivateProfileInt(const std::string& section, const std::string& key, int fallback,
                         const std::string& file) {
  const std::string text = getPrivateProfileString(section, key, "", file);
  if (text.empty()) return fallback;
  // The leading decimal number, as far as it goes; no digits read as 0.
  size_t i = 0;
  const bool negative = text[0] == '-';
  if (text[0] == '-' || text[0] == '+') ++i;
  long long number = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    number = number * 10 + (text[i] - '0');
    if (number > INT_MAX + 1LL) break;  // saturate rather than overflow
  }
  if (negative) number = -number;
  if (number > INT_MAX) return INT_MAX;
  if (number < INT_MIN) return INT_MIN;
  return int(number);
}

bool writePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& file) {
  return edit(file, [&](IniDocument& document) { return document.set(section, key, value); });
}

bool deletePrivateProfileKey(const std::string& section, const std::string& key,
                             const std::string& file) {
  return edit(file, [&](IniDocument& document) {
    document.removeKey(section, key);
    return true;  // a key that is not there is deleted already
  });
}

bool deletePrivateProfileSection(const std::string& section, const std::string& file) {
  return edit(file, [&](IniDocument& document) {
    document.removeSection(section);
    return true;
  });
}

std::vector<std::string> privateProfileSectionNames(const std::string& file) {
  std::lock_guard guard(profileLock());
  const std::optional<IniDocument> document = load(file);
  return document ? document->sectionNames() : std::vector<std::string>{};
}

std::vector<std::string> privateProfileKeys(const std::string& section, const std::string& file) {
  std::lock_guard guard(profileLock());
  const std::optional<IniDocument> document = load(file);
  return document ? document->keys(section) : std::vector<std::string>{};
}

std::string userProfilePath() {
  {
    UserProfileOverride& o = userOverride();
    std::lock_guard guard(o.mutex);
    if (!o.path.empty()) return o.path;
  }
  return userConfigFile("ZOR_PROFILE", "profile.ini");
}

std::string userConfigFile(const char* variable, const char* name) {
  if (const char* explicitPath = std::getenv(variable); explicitPath && *explicitPath) {
    return explicitPath;
  }
  std::string config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
    config = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    config = std::string(home) + "/.config";
  } else {
    config = ".";
  }
  return config + "/zorvane/" + name;
}

void setUserProfilePath(const std::string& path) {
  UserProfileOverride& o = userOverride();
  std::lock_guard guard(o.mutex);
  o.path = path;
}

std::string getProfileString(const std::string& section, const std::string& key,
                             const std::string& fallback) {
  return getPrivateProfileString(section, key, fallback, userProfilePath());
}

bool writeProfileString(const std::string& section, const std::string& key,
                        const std::string& value) {
  return writeUserFileString(section, key, value, userProfilePath());
}

bool writeUserFileString(const std::string& section, const std::string& key,
                         const std::string& value, const std::string& file) {
  // The per-user folder is ours to create on the first write.
  const std::filesystem::path folder = std::filesystem::path(file).parent_path();
  if (!folder.empty()) {
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
  }
  return writePrivateProfileString(section, key, value, file);
}

}  // namespace zor::platform
