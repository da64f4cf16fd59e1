#include "platform/power_cut.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/fault_injection.h"
#include "tests/platform/test_support.h"

namespace zor::platform {
namespace {

using testing::runInChild;
using testing::TempDir;

constexpr size_t kSector = PowerCutEnvironment::kSectorSize;

std::string contentsOf(const std::string& path) {
  File file;
  if (file.open(path, Access::Read, Share::DenyNone, Disposition::OpenExisting) != kFileOk)
    return "<missing>";
  uint64_t size = 0;
  file.size(size);
  std::string text(size, '\0');
  size_t done = 0;
  file.read(0, text.data(), text.size(), done);
  return text;
}

// Three sectors flushed as 'a', then rewritten twice ('b', 'c') and the file
// extended by a fourth ('d') without a flush.
void writeScene(PowerCutEnvironment& environment, const std::string& path) {
  File file;
  ASSERT_EQ(
      environment.open(file, path, Access::ReadWrite, Share::DenyNone, Disposition::CreateAlways),
      kFileOk);
  ASSERT_EQ(file.write(0, std::string(3 * kSector, 'a').data(), 3 * kSector), kFileOk);
  ASSERT_EQ(file.flush(), kFileOk);
  ASSERT_EQ(file.write(0, std::string(3 * kSector, 'b').data(), 3 * kSector), kFileOk);
  ASSERT_EQ(file.write(kSector, std::string(kSector, 'c').data(), kSector), kFileOk);
  ASSERT_EQ(file.write(3 * kSector, std::string(kSector, 'd').data(), kSector), kFileOk);
}

TEST(PowerCut, DropLosesEverySectorWrittenSinceTheLastFlush) {
  TempDir dir;
  const std::string path = dir.file("f.dat");
  PowerCutEnvironment environment({0, PowerLoss::Drop, 0});
  writeScene(environment, path);
  environment.loseUnflushed();
  EXPECT_EQ(contentsOf(path), std::string(3 * kSector, 'a'));
  EXPECT_EQ(environment.flushes(), 1u);
}

TEST(PowerCut, TearKeepsEachSectorAtOneOfItsVersions) {
  TempDir dir;
  const std::string path = dir.file("f.dat");
  // Each sector ends at its flushed contents or at a version written since,
  // whole; over many cuts every version of every sector turns up.
  std::set<std::string> seen[4];
  for (uint32_t seed = 0; seed < 40; ++seed) {
    PowerCutEnvironment environment({0, PowerLoss::Tear, seed});
    writeScene(environment, path);
    environment.loseUnflushed();
    const std::string now = contentsOf(path);
    ASSERT_TRUE(now.size() == 3 * kSector || now.size() == 4 * kSector) << now.size();
    for (size_t sector = 0; sector < now.size() / kSector; ++sector) {
      const std::string part = now.substr(sector * kSector, kSector);
      ASSERT_EQ(part, std::string(kSector, part[0])) << "sector " << sector << " is torn";
      seen[sector].insert(part.substr(0, 1));
    }
    if (now.size() == 3 * kSector) seen[3].insert("-");
  }
  EXPECT_EQ(seen[0], (std::set<std::string>{"a", "b"}));
  EXPECT_EQ(seen[1], (std::set<std::string>{"a", "b", "c"}));
  EXPECT_EQ(seen[3], (std::set<std::string>{"-", "d"}));
}

TEST(PowerCut, APlanCutsAtTheChosenFlushAndEndsTheProcess) {
  TempDir dir;
  const std::string path = dir.file("f.dat");
  const int status = runInChild([&] {
    PowerCutEnvironment environment({2, PowerLoss::Drop, 0});
    setFileEnvironment(&environment);
    File file;
    fileEnvironment().open(file, path, Access::ReadWrite, Share::DenyNone,
                           Disposition::CreateAlways);
    file.write(0, std::string(kSector, 'a').data(), kSector);
    file.flush();
    file.write(0, std::string(kSector, 'b').data(), kSector);
    file.flush();  // the power goes here
    return 0;
  });
  EXPECT_EQ(status, kFaultStopExitCode);
  EXPECT_EQ(contentsOf(path), std::string(kSector, 'a'));
  EXPECT_EQ(&fileEnvironment(), &systemFileEnvironment());
}

}  // namespace
}  // namespace zor::platform
