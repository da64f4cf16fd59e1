#include "framework/settings_store.h"

#include "framework/settings_file_check.h"
#include "platform/profile.h"
#include "platform/registry.h"

namespace zor::fw {
namespace {

// The profile layer gives back a value without the blanks around it and
// without one pair of enclosing quotes; a value that would lose either is
// written inside one more pair of quotes, so that it reads back as written.
std::string protectedValue(const std::string& value) {
  if (value.empty()) return value;
  const char first = value.front(), last = value.back();
  const bool enclosed = value.size() >= 2 && first == last && (first == '"' || first == '\'');
  const bool blankEdge = first == ' ' || first == '\t' || last == ' ' || last == '\t';
  return enclosed || blankEdge ? '"' + value + '"' : value;
}

std::string described(const std::string& file, const std::string& problem) {
  return problem.empty() ? problem : file + " " + problem;
}

// The profile layer reads a missing entry as the fallback; no stored value
// holds a line break, so this one cannot be mistaken for a value.
constexpr const char* kMissing = "\n";

class IniFileStore : public SettingsStore {
 public:
  explicit IniFileStore(std::string file) : file_(std::move(file)) {}

  std::optional<std::string> read(const std::string& section, const std::string& entry) override {
    if (!problem().empty()) return std::nullopt;
    std::string value = platform::getPrivateProfileString(section, entry, kMissing, file_);
    if (value == kMissing) return std::nullopt;
    return value;
  }
  bool write(const std::string& section, const std::string& entry,
             const std::string& value) override {
    return problem().empty() &&
           platform::writePrivateProfileString(section, entry, protectedValue(value), file_);
  }
  bool remove(const std::string& section, const std::string& entry) override {
    return problem().empty() && platform::deletePrivateProfileKey(section, entry, file_);
  }
  std::string problem() override { return described(file_, check_.problem(file_)); }

 private:
  std::string file_;
  SettingsFileCheck check_;
};

class RegistryStore : public SettingsStore {
 public:
  RegistryStore(std::string keyPath, uint32_t root) : keyPath_(std::move(keyPath)), root_(root) {}

  std::optional<std::string> read(const std::string& section, const std::string& entry) override {
    if (!problem().empty()) return std::nullopt;
    return platform::regQueryString(root_, key(section), entry);
  }
  bool write(const std::string& section, const std::string& entry,
             const std::string& value) override {
    return problem().empty() && platform::regSetString(root_, key(section), entry, value);
  }
  bool remove(const std::string& section, const std::string& entry) override {
    return problem().empty() && platform::regDeleteValue(root_, key(section), entry);
  }
  std::string problem() override {
    const std::string path = platform::registryPath();
    return described(path, check_.problem(path));
  }

 private:
  std::string key(const std::string& section) const {
    return keyPath_.ends_with('\\') ? keyPath_ + section : keyPath_ + "\\" + section;
  }

  std::string keyPath_;
  uint32_t root_;
  SettingsFileCheck check_;
};

class NoStore : public SettingsStore {
 public:
  std::optional<std::string> read(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  bool write(const std::string&, const std::string&, const std::string&) override { return true; }
  bool remove(const std::string&, const std::string&) override { return true; }
};

}  // namespace

std::unique_ptr<SettingsStore> makeSettingsStore(long kind, const std::string& fileName,
                                                 long extraData) {
  switch (kind) {
    case 0:
      return std::make_unique<IniFileStore>(fileName);
    case 1: {
      const uint32_t root =
          extraData == 0 ? platform::HKEY_CLASSES_ROOT : static_cast<uint32_t>(extraData);
      return std::make_unique<RegistryStore>(fileName, root);
    }
    default:
      return std::make_unique<NoStore>();
  }
}

}  // namespace zor::fw
