#include "data/tarnwick/transaction_control_file.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "data/system_error.h"
#include "data/tarnwick/byte_order.h"
#include "data/tarnwick/error_numbers.h"
#include "platform/ascii_case.h"

namespace zor::tarnwick {

namespace {

constexpr uint8_t kHighWaterKey[1] = {0};

std::array<uint8_t, 4> keyOf(uint32_t number) {
  std::array<uint8_t, 4> key;
  storeBig32(key.data(), number);
  return key;
}

HeaderAccess headerOf(TarnwickFile& file) {
  return {[&file] { return file.refresh(); }, [&file] { file.store().invalidateHeader(); }};
}

// A control file whose first change never completed (shorter than its
// header, or with a header of zero bytes only) has never held a number: a
// write cut short while it was being made leaves it so. It starts again
// empty instead of refusing every later transaction. Checked under the
// writer byte, which a process making the file holds meanwhile.
int restartIfNeverCompleted(platform::File& file) {
  uint64_t bytes = 0;
  if (const int error = data::driverErrorOf(file.size(bytes)); error != 0 || bytes == 0)
    return error;
  LockSpace locks(file, true);
  if (const int error = locks.take(LockMode::Writer, 0, true); error != 0) return error;
  std::array<uint8_t, kHeaderSize> header{};
  size_t read = 0;
  int error = file.size(bytes);
  if (error == 0 && bytes > 0) error = file.read(0, header.data(), header.size(), read);
  if (error == 0 && bytes > 0 &&
      (read < kHeaderSize ||
       std::all_of(header.begin(), header.end(), [](uint8_t b) { return b == 0; })))
    error = file.truncate(0);
  locks.release(LockMode::Writer);
  return data::driverErrorOf(error);
}

}  // namespace

std::string folderOf(const std::string& dataFile) {
  const auto folder = std::filesystem::path(dataFile).parent_path();
  return folder.empty() ? std::string(".") : folder.string();
}

std::string resolveControlFileName(const std::string& name, const std::string& dataFolder) {
  if (platform::equalsIgnoringCase(name, kFixedControlFileName) || name == kFixedControlFilePath)
    return kFixedControlFilePath;
  const std::filesystem::path path(name);
  if (path.is_absolute()) return name;
  return (std::filesystem::path(dataFolder) / path).string();
}

std::string explicitControlFileName(const std::string& name) {
  if (platform::equalsIgnoringCase(name, kFixedControlFileName)) return kFixedControlFilePath;
  std::error_code ignored;
  const auto absolute = std::filesystem::absolute(name, ignored);
  return absolute.empty() ? name : absolute.lexically_normal().string();
}

int TransactionControlFile::open(const std::string& path) {
  close();
  // Made empty first when missing, without replacing a file another process
  // creates at the same moment; an empty file opens as a new Tarnwick file.
  platform::File maker;
  const int made = maker.open(path, platform::Access::ReadWrite, platform::Share::DenyNone,
                              platform::Disposition::OpenAlways);
  if (made != 0) return data::driverErrorOf(made);
  if (const int error = restartIfNeverCompleted(maker); error != 0) return error;
  maker.close();
  OpenMode mode;
  mode.share = platform::Share::DenyNone;
  // A change found pending is settled inside the first access, under the
  // locks, never beside a writer still at work.
  const int error = file_.open(path, mode, {}, TarnwickFile::Settle::Later);
  if (error != 0) return error;
  locks_ = std::make_unique<LockSpace>(file_.store().file().file(), true);
  file_.store().invalidateHeader();
  return 0;
}

void TransactionControlFile::close() {
  locks_.reset();
  file_.close();
}

std::optional<uint32_t> TransactionControlFile::readHighWater() {
  std::optional<uint32_t> number;
  std::vector<uint8_t> data;
  if (file_.find(kHighWaterKey, &data) && data.size() == 4) number = loadBig32(data.data());
  Cursor cursor = file_.cursor();
  if (cursor.last() && cursor.key().size() == 4) {
    const uint32_t held = loadBig32(cursor.key().data());
    if (!number || held > *number) number = held;
  }
  return number;
}

int TransactionControlFile::highWater(std::optional<uint32_t>& number) {
  AccessBracket access(*locks_, headerOf(file_), true);
  number.reset();
  if (access.result() != 0) return access.result();
  number = readHighWater();
  return 0;
}

int TransactionControlFile::holds(uint32_t number, bool& held) {
  AccessBracket access(*locks_, headerOf(file_), true);
  held = false;
  if (access.result() != 0) return access.result();
  held = file_.find(keyOf(number));
  return 0;
}

int TransactionControlFile::enter(uint32_t proposed, uint32_t& entered) {
  return change([&] {
    const auto highest = readHighWater();
    if (highest && *highest >= proposed) {
      if (*highest == UINT32_MAX) return kUnableToLogTransaction;
      proposed = *highest + 1;
    }
    entered = proposed;
    const auto key = keyOf(entered);
    const int error = file_.put(key, {});
    return error != 0 ? error : file_.put(kHighWaterKey, key);
  });
}

int TransactionControlFile::remove(uint32_t number) {
  return change([&] {
    const int error = file_.erase(keyOf(number));
    return error == kItemNotFound ? 0 : error;
  });
}

template <typename Edit>
int TransactionControlFile::change(Edit edit) {
  locks_->beginChange();
  int error = 0;
  {
    AccessBracket access(*locks_, headerOf(file_), true);
    error = access.result();
    if (error == 0) {
      ChangeScope scope(file_);
      error = edit();
      if (error == 0 && file_.changing()) {
        // Copying pages home waits until no reader is inside an access.
        error = locks_->take(LockMode::Exclusive, 0, true);
        if (error == 0) {
          error = scope.commit();
          locks_->release(LockMode::Exclusive);
        }
      }
    }
  }
  locks_->endChange();
  return error;
}

}  // namespace zor::tarnwick

namespace zor::tarnwick {

int TransactionControlFileOpener::open(const std::string& path,
                                       std::unique_ptr<ControlFile>& file) {
  auto control = std::make_unique<TransactionControlFile>();
  const int error = control->open(path);
  if (error == 0) file = std::move(control);
  return error;
}

}  // namespace zor::tarnwick
