#pragma once
// Where the INI manager keeps its entries, by storage kind:
//   0  the INI file, through the profile layer (private-profile semantics);
//   1  the per-user registry store (platform/registry.h): the key is the
//      file name, "\" unless it ends in one, and the section, under the
//      root given as extra data (0: HKEY_CLASSES_ROOT);
//   2  nowhere: writes do nothing, reads find nothing.
// A file that is damaged (settings_file_check.h) is neither read nor
// written; problem() says why.

#include <memory>
#include <optional>
#include <string>

namespace zor::fw {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // Nothing when the entry is missing.
  virtual std::optional<std::string> read(const std::string& section, const std::string& entry) = 0;
  // False when nothing was written.
  virtual bool write(const std::string& section, const std::string& entry,
                     const std::string& value) = 0;
  virtual bool remove(const std::string& section, const std::string& entry) = 0;
  // Why the store is left alone ("<file> holds binary data at byte 7"), ""
  // while it is usable.
  virtual std::string problem() { return {}; }
};

std::unique_ptr<SettingsStore> makeSettingsStore(long kind, const std::string& fileName,
                                                 long extraData);

}  // namespace zor::fw
