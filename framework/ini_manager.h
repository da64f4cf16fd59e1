#pragma once
// Stores small named settings of the program between runs: one object per
// program, bound at start-up to the program's INI file. Its main client is
// the window controller, which restores a window's position, size and
// maximized state when the window opens and saves them when it closes,
// under a section named after the window's procedure.
//
// Storage kinds (settings_store.h): 0 the INI file `FileName`; 1 the
// per-user registry store of platform/registry.h (in the user's config
// folder, ~/.config/zorvane/registry.ini unless $ZOR_REGISTRY names
// another file), under the key `FileName` "\" section and the root
// `ExtraData` (0: HKEY_CLASSES_ROOT); 2 nowhere. A damaged file (binary
// data, lines over 64 KB, over 1 MB, unreadable) is kept as it is and left
// alone: reads give their defaults, writes do nothing, and the user is told
// once per binding.
//
// Values are read into 1000-character strings and queue records built in
// 5000-character strings; longer ones are cut. Every operation holds
// `CritSect`.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/sector_name.h"
#include "framework/window_state.h"
#include "platform/sync.h"
#include "runtime/queue.h"
#include "runtime/ufo.h"
#include "ui/window.h"

namespace zor::fw {

class SettingsStore;

class INIManager {
 public:
  enum StorageKind : long { kIniFile = 0, kRegistry = 1, kNone = 2 };

  // What the store is asked for in place of a missing entry.
  static constexpr const char* kUnknown = "---Unknown---";
  static constexpr size_t kFileNameLength = 260;
  static constexpr size_t kValueLength = 1000;
  static constexpr size_t kQueueValueLength = 5000;
  static constexpr size_t kMostQueueFields = 4;
  // The sector list's parts are CSTRING(100).
  static constexpr size_t kSectorPartLength = 99;
  static constexpr const char* kSectorsSection = "__Dont_Touch_Me__";
  static constexpr const char* kSectorsEntry = "Sectors";

  INIManager();
  virtual ~INIManager();
  INIManager(const INIManager&) = delete;
  INIManager& operator=(const INIManager&) = delete;

  // Binds to the file (at most 260 characters of its name) and loads the
  // sector list.
  virtual void Bind(const std::string& fileName, long nvType = kIniFile, long extraData = 0);
  // Saves the sector list when sectors were registered since it was loaded
  // (added to what the store holds by then, so that two copies of the
  // program keep each other's sectors) and unbinds.
  virtual void Release();
  // The update step of the program's end: saves the sector list as
  // Release would, and stays bound.
  virtual void Update();

  // Writes one entry; false when it was not written (not bound, damaged
  // file, or a name or value the store cannot keep, such as a line break).
  virtual bool Update(const std::string& section, const std::string& entry,
                      const std::string& value);
  virtual bool DeleteEntry(const std::string& section, const std::string& entry);
  // The entry, or `defaultValue` when it is missing.
  virtual std::string Fetch(const std::string& section, const std::string& entry,
                            const std::string& defaultValue = {});
  // Assigns the entry to the variable (converted to its type); a missing
  // entry leaves it unchanged and answers false.
  virtual bool FetchInto(const std::string& section, const std::string& entry, Ufo& variable);
  bool FetchInto(const std::string& section, const std::string& entry, std::string& variable);

  // A queue as the entry's record count plus one entry per record, named
  // entry "_" n (from 1), holding the named fields (one to four, by their
  // label in the queue's layout) joined by "," (stored_fields.h). False,
  // with nothing written or loaded, for fields that cannot be stored (none,
  // more than four, unknown, or of a type that is no number or text).
  // LoadQueue adds one record per stored one; the fields not named start
  // empty.
  virtual bool SaveQueue(const std::string& section, const std::string& entry, const Queue& queue,
                         const std::vector<std::string>& fields);
  virtual bool LoadQueue(const std::string& section, const std::string& entry, Queue& queue,
                         const std::vector<std::string>& fields);

  // "Maximize" and "Minimize" ("Yes"/"No"), then "XPos", "YPos", "Width"
  // and "Height", each deleted when the window has no such value (it is
  // maximised or minimised, or not resizable).
  virtual void SaveWindow(const std::string& section, ui::Window& window);
  // Reads what SaveWindow stored and applies it (window_state.h). Without a
  // "Maximize" entry of "Yes" or "No" the window keeps its designed place
  // and the record's Got is 0. "Minimize" is read as a one-byte number, so
  // the "Yes" stored for a minimised window reads as 0; the restored window
  // is never minimised either way.
  virtual WindowPosition RestoreWindow(const std::string& section, ui::Window& window);

  static std::string MakeSectorName(std::string_view family, std::string_view item,
                                    std::string_view type);
  static SectorName SplitSectorName(std::string_view name);
  // Adds the name's parts (each cut to 99 characters) to the sector list
  // unless they are there already.
  void RegisterSector(std::string_view sectionName);
  // The listed sectors whose parts equal the given ones; an empty part
  // matches anything.
  std::vector<SectorName> ListSectors(std::string_view family, std::string_view item,
                                      std::string_view type) const;

  std::string FileName() const;
  long NVType() const;
  long ExtraData() const;
  bool bound() const;
  // Why the store is left alone, "" while it is in use.
  std::string Problem() const;

 protected:
  // Tells the user that the store is left alone (once per binding).
  virtual void ReportProblem(const std::string& text);

 private:
  struct Sectors;
  // The store, or null when none is in use; reports a problem found.
  SettingsStore* store();
  std::optional<std::string> read(const std::string& section, const std::string& entry);
  void saveSectors();

  std::string fileName_;
  std::unique_ptr<Sectors> sectors_;
  long nvType_ = kIniFile;
  long extraData_ = 0;
  mutable platform::CriticalSection critSect_;
  std::unique_ptr<SettingsStore> store_;
  bool problemReported_ = false;
};

}  // namespace zor::fw
