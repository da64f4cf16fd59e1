#include "data/tarnwick/file_copy.h"

#include <algorithm>
#include <vector>

#include "data/system_error.h"
#include "data/tarnwick/shared_access.h"
#include "data/tarnwick/tarnwick_file.h"
#include "platform/file_environment.h"

namespace zor::tarnwick {

int copyTarnwickFile(const std::string& from, const std::string& to) {
  TarnwickFile source;
  const OpenMode mode = OpenMode::fromWord(0x40);  // read only, deny none
  int error = source.open(from, mode, {}, TarnwickFile::Settle::Later);
  if (error != 0) return error;
  SharedAccess access(source, mode);
  if (error = access.beginRead(); error != 0) return error;
  platform::File target;
  // The target's answers come from the file layer and are mapped here; the
  // source's come through BlockFile, already mapped.
  error = data::driverErrorOf(platform::fileEnvironment().open(
      target, to, platform::Access::ReadWrite, platform::Share::DenyWrite,
      platform::Disposition::CreateAlways));
  BlockFile& bytes = source.store().file();
  uint64_t size = 0;
  if (error == 0) error = bytes.size(size);
  std::vector<uint8_t> chunk(size_t{1} << 16);
  for (uint64_t at = 0; error == 0 && at < size; at += chunk.size()) {
    // Whole blocks of 64 bytes are read; the last may come back short.
    const size_t want =
        static_cast<size_t>(std::min<uint64_t>(chunk.size(), (size - at + 63) / 64 * 64));
    size_t done = 0;
    error = bytes.read(at, chunk.data(), want, done);
    if (error == 0)
      error =
          data::driverErrorOf(target.write(at, chunk.data(), std::min<uint64_t>(done, size - at)));
  }
  if (error == 0) error = data::driverErrorOf(target.flush());
  access.endRead();
  return error;
}

}  // namespace zor::tarnwick
