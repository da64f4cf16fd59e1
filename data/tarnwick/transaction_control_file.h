#pragma once
// The transaction control file: a Tarnwick file whose items are the
// numbers of transactions being committed (keys of 4 bytes, big-endian, in
// numeric order), and one item (key: a single zero byte) with the highest
// number ever entered. A number is added before the
// files of a transaction make their changes durable and removed once all of
// them have; a number left behind marks a transaction that never committed.
//
// Names. Without an explicit control file, each folder of the data files
// has its own, "tarnwick.tcf", written into markers folder-relative. The
// machine-wide fixed control file of the format's home system,
// "C:\tarNwicK.TCF", is kept here as kFixedControlFilePath, in a folder that
// survives a restart (unlike /tmp) and that every user may write.

#include <cstdint>
#include <memory>
#include <string>

#include "data/tarnwick/lock_space.h"
#include "data/tarnwick/tarnwick_file.h"
#include "data/tarnwick/transaction.h"

namespace zor::tarnwick {

inline constexpr const char* kDefaultControlFileName = "tarnwick.tcf";
inline constexpr const char* kFixedControlFileName = "C:\\tarNwicK.TCF";
inline constexpr const char* kFixedControlFilePath = "/var/tmp/tarNwicK.TCF";
inline constexpr const char* kControlFileFilter =
    "Transaction Control File (*.tcf)|*.tcf|All Files|*.*";
inline constexpr const char* kControlFilePickerTitle = "Select Transaction Control File";

// The folder of a data file ("." for a bare name).
std::string folderOf(const std::string& dataFile);
// The path a marker's control file name stands for, for a data file in
// `dataFolder`: the fixed name (either spelling, any case) is the fixed
// path, a relative name lies in the data file's folder, an absolute one
// stands as it is.
std::string resolveControlFileName(const std::string& name, const std::string& dataFolder);
// The name a marker records for an explicit control file: made absolute, so
// that it resolves the same from any folder.
std::string explicitControlFileName(const std::string& name);

class TransactionControlFile : public ControlFile {
 public:
  // Opens the file shared, creating an empty one when missing. Answers 0,
  // 5 while another process has it locked away, 36 for a file that is not a
  // Tarnwick file, or the system's error.
  int open(const std::string& path);
  void close();
  bool isOpen() { return file_.isOpen(); }

  int enter(uint32_t proposed, uint32_t& entered) override;
  int holds(uint32_t number, bool& held) override;
  int remove(uint32_t number) override;
  // The highest number the file ever held (kept in an item of its own, so
  // that a number is never handed out twice), if any.
  int highWater(std::optional<uint32_t>& number);

  TarnwickFile& file() { return file_; }

 private:
  // Runs `edit` as one durable change under the writer lock.
  template <typename Edit>
  int change(Edit edit);
  std::optional<uint32_t> readHighWater();

  TarnwickFile file_;
  std::unique_ptr<LockSpace> locks_;
};

// Opens control files as Tarnwick files.
class TransactionControlFileOpener : public ControlFileOpener {
 public:
  int open(const std::string& path, std::unique_ptr<ControlFile>& file) override;
};

}  // namespace zor::tarnwick
