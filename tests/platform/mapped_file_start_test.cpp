#include "platform/mapped_file_start.h"

#include <gtest/gtest.h>

#include <setjmp.h>
#include <sys/mman.h>

#include <csignal>
#include <cstring>
#include <vector>

#include "tests/platform/test_support.h"

namespace zor::platform {
namespace {

// Reads a byte the compiler cannot leave out.
void touchByte(const volatile char* at) {
  static_cast<void>(*at);
}

sigjmp_buf theirJump;

// The mapping follows what another handle writes, and a file cut to nothing
// answers false instead of a bus error; a bus error anywhere else still
// reaches the handler the program had set.
TEST(MappedFileStartTest, FollowsOtherWritersAndSurvivesAFileCutShort) {
  struct sigaction theirs {
  }, before{};
  theirs.sa_handler = [](int) { siglongjmp(theirJump, 1); };
  theirs.sa_flags = SA_NODEFER;
  sigemptyset(&theirs.sa_mask);
  ASSERT_EQ(sigaction(SIGBUS, &theirs, &before), 0);

  testing::TempDir dir;
  const std::string path = dir.file("start.bin");
  File writer;
  ASSERT_EQ(writer.open(path, Access::ReadWrite, Share::DenyNone, Disposition::CreateAlways), 0);
  File reader;
  ASSERT_EQ(reader.open(path, Access::Read, Share::DenyNone, Disposition::OpenExisting), 0);
  MappedFileStart start;
  ASSERT_TRUE(start.map(reader, 512));

  // A fault outside a read, on a mapping of the empty file of our own.
  void* own = mmap(nullptr, 4096, PROT_READ, MAP_SHARED, reader.nativeHandle(), 0);
  ASSERT_NE(own, MAP_FAILED);
  volatile bool reached = false;
  if (sigsetjmp(theirJump, 0) == 0) {
    touchByte(static_cast<const volatile char*>(own));
  } else {
    reached = true;
  }
  munmap(own, 4096);
  EXPECT_TRUE(reached) << "their handler saw the fault";

  std::vector<uint8_t> seen(512);
  ASSERT_TRUE(start.map(reader, 512));  // in place again over theirs
  EXPECT_FALSE(start.read(seen.data(), seen.size())) << "the file is empty";
  std::vector<uint8_t> bytes(512, 7);
  ASSERT_EQ(writer.write(0, bytes.data(), bytes.size()), 0);
  ASSERT_TRUE(start.read(seen.data(), seen.size()));
  EXPECT_EQ(seen, bytes);
  EXPECT_FALSE(start.read(seen.data(), 513)) << "longer than mapped";
  bytes[100] = 42;
  ASSERT_EQ(writer.write(0, bytes.data(), bytes.size()), 0);
  ASSERT_TRUE(start.read(seen.data(), seen.size()));
  EXPECT_EQ(seen[100], 42) << "another handle's write shows at once";
  ASSERT_EQ(writer.truncate(0), 0);
  EXPECT_FALSE(start.read(seen.data(), seen.size())) << "cut short while mapped";
  sigaction(SIGBUS, &before, nullptr);

  start.unmap();
  EXPECT_FALSE(start.read(seen.data(), 1)) << "nothing mapped";

  // The mapping keeps no hold on the handle's locks: they go when it closes.
  constexpr uint64_t kLock = uint64_t{1} << 31;
  ASSERT_EQ(reader.lock(kLock, 1), 0);
  ASSERT_TRUE(start.map(reader, 512));
  reader.close();
  EXPECT_EQ(writer.lock(kLock, 1), 0);
}

}  // namespace
}  // namespace zor::platform
