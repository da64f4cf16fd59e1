#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "data/system_error.h"
#include "data/tarnwick/byte_order.h"
#include "data/tarnwick/error_numbers.h"
#include "data/tarnwick/internal_failure.h"
#include "data/tarnwick/page_cache.h"
#include "platform/fault_injection.h"
#include "tests/data/tarnwick_test_support.h"

namespace zor::tarnwick {
namespace {

using testing::bytesOf;
using testing::FatalStop;
using testing::readRaw;

// A write the fault plan fails, as the engine answers it: a write fault (329).
const int kInjectedWriteFault = data::driverErrorOf(platform::kInjectedFault);
using testing::writeRaw;

class TarnwickFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = testing::scratchPath(
        std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".twk");
  }
  void TearDown() override { platform::clearFaultPlan(); }
  // A file holding items "k0".."k{count-1}", each in its own committed state.
  void makeFile(int count) {
    TarnwickFile file;
    ASSERT_EQ(file.create(path_), 0);
    for (int i = 0; i < count; ++i) {
      ASSERT_EQ(file.insert(bytesOf("k" + std::to_string(i)), std::vector<uint8_t>(100, 'a')), 0);
    }
    ASSERT_EQ(file.commit(), 0);
  }
  // Starts a change that adds "new" and removes "k0", and fails its write
  // number `step` (counted from the start of the commit).
  int failChangeAt(TarnwickFile& file, uint64_t step) {
    EXPECT_EQ(file.insert(bytesOf("new"), bytesOf("value")), 0);
    EXPECT_EQ(file.erase(bytesOf("k0")), 0);
    platform::setFaultPlan({platform::FaultKind::Fail, platform::FaultStep::WriteOrFlush, step});
    const int error = file.commit();
    platform::clearFaultPlan();
    return error;
  }

  std::string path_;
  testing::FatalHookGuard hook_;
};

TEST_F(TarnwickFileTest, OpenAnswersMissingShortForeignAndEmptyFiles) {
  TarnwickFile file;
  EXPECT_EQ(file.open(path_ + ".missing", OpenMode{}), kFileNotFound);
  for (size_t length : {1, 100, 511}) {
    writeRaw(path_, std::vector<uint8_t>(length, 0));
    EXPECT_EQ(file.open(path_, OpenMode{}), kInvalidDataFile) << length;
  }
  makeFile(3);
  auto bytes = readRaw(path_);
  bytes[15] = 'a';  // "tarN"
  writeRaw(path_, bytes);
  EXPECT_EQ(file.open(path_, OpenMode{}), kInvalidDataFile);

  // An empty file is a new Tarnwick file; its first change writes the header.
  writeRaw(path_, {});
  ASSERT_EQ(file.open(path_, OpenMode{}), 0);
  EXPECT_FALSE(file.find(bytesOf("x")));
  ASSERT_EQ(file.insert(bytesOf("x"), bytesOf("1")), 0);
  ASSERT_EQ(file.commit(), 0);
  file.close();
  bytes = readRaw(path_);
  ASSERT_GE(bytes.size(), kHeaderSize);
  EXPECT_EQ(std::string(bytes.begin() + 14, bytes.begin() + 18), "tArN");
  ASSERT_EQ(file.open(path_, OpenMode::fromWord(0)), 0);  // read only, deny none
  EXPECT_TRUE(file.find(bytesOf("x")));
  EXPECT_EQ(file.insert(bytesOf("y"), bytesOf("2")), kAccessDenied);
}

TEST_F(TarnwickFileTest, SharingViolationAnswersAccessDenied) {
  makeFile(1);
  TarnwickFile first, second;
  ASSERT_EQ(first.open(path_, OpenMode::fromWord(0x12)), 0);  // read/write, share nothing
  EXPECT_EQ(second.open(path_, OpenMode::fromWord(0x42)), kAccessDenied);
  first.close();
  EXPECT_EQ(second.open(path_, OpenMode::fromWord(0x42)), 0);
}

TEST_F(TarnwickFileTest, OpenModeWordMapsAccessSharingAndCreate) {
  EXPECT_EQ(OpenMode::fromWord(2).share, platform::Share::DenyNone);
  EXPECT_TRUE(OpenMode::fromWord(2).write);
  EXPECT_FALSE(OpenMode::fromWord(0x40).write);
  EXPECT_EQ(OpenMode::fromWord(0x22).share, platform::Share::DenyWrite);
  EXPECT_EQ(OpenMode::fromWord(0x32).share, platform::Share::Exclusive);
  EXPECT_TRUE(OpenMode::fromWord(0x242).create);
}

TEST_F(TarnwickFileTest, DurableChangeIsRolledForwardAtOpen) {
  makeFile(50);
  {
    TarnwickFile file;
    ASSERT_EQ(file.open(path_, OpenMode{}), 0);
    // Steps: pending region, flush, header announce, flush, then the first
    // write at home fails: the change is durable but not yet home.
    EXPECT_EQ(failChangeAt(file, 5), kInjectedWriteFault);
    EXPECT_EQ(file.stickyError(), kInjectedWriteFault);
    // The store shows what the next open will find.
    EXPECT_TRUE(file.find(bytesOf("new")));
    EXPECT_EQ(file.insert(bytesOf("more"), {}), kInjectedWriteFault);
  }
  const auto before = readRaw(path_);
  {
    TarnwickFile reader;  // read only: sees the change, writes nothing
    ASSERT_EQ(reader.open(path_, OpenMode::fromWord(0x40)), 0);
    EXPECT_TRUE(reader.find(bytesOf("new")));
    EXPECT_FALSE(reader.find(bytesOf("k0")));
    // What settling found, for the utilities that say so: in memory only.
    EXPECT_TRUE(reader.settledChange().found);
    EXPECT_TRUE(reader.settledChange().stands);
    EXPECT_FALSE(reader.settledChange().onDisk);
  }
  EXPECT_EQ(readRaw(path_), before);
  TarnwickFile file;
  ASSERT_EQ(file.open(path_, OpenMode{}), 0);
  EXPECT_TRUE(file.settledChange().found && file.settledChange().stands);
  EXPECT_TRUE(file.settledChange().onDisk);
  EXPECT_FALSE(file.header().pending());
  EXPECT_TRUE(file.find(bytesOf("new")));
  EXPECT_FALSE(file.find(bytesOf("k0")));
  EXPECT_TRUE(file.find(bytesOf("k49")));
  testing::expectSound(file);
}

TEST_F(TarnwickFileTest, DeciderCanDropAnInterruptedChange) {
  makeFile(50);
  {
    TarnwickFile file;
    ASSERT_EQ(file.open(path_, OpenMode{}), 0);
    EXPECT_NE(failChangeAt(file, 5), 0);
  }
  TarnwickFile file;
  bool asked = false;
  auto decider = [&](TarnwickFile& pending) {
    asked = true;
    return !pending.find(bytesOf("new"));  // sees the change as it stands
  };
  ASSERT_EQ(file.open(path_, OpenMode{}, decider), 0);
  EXPECT_TRUE(asked);
  EXPECT_FALSE(file.header().pending());
  EXPECT_FALSE(file.find(bytesOf("new")));
  EXPECT_TRUE(file.find(bytesOf("k0")));
  testing::expectSound(file);
}

TEST_F(TarnwickFileTest, FailedWriteBeforeDurabilityLeavesTheOldState) {
  makeFile(50);
  for (uint64_t step : {1, 2, 3}) {
    TarnwickFile file;
    ASSERT_EQ(file.open(path_, OpenMode{}), 0);
    EXPECT_NE(failChangeAt(file, step), 0);
    EXPECT_FALSE(file.find(bytesOf("new")));
    EXPECT_TRUE(file.find(bytesOf("k0")));
    EXPECT_NE(file.insert(bytesOf("again"), {}), 0);  // the error sticks until closed
  }
  TarnwickFile file;
  ASSERT_EQ(file.open(path_, OpenMode{}), 0);
  EXPECT_FALSE(file.find(bytesOf("new")));
  EXPECT_TRUE(file.find(bytesOf("k0")));
  testing::expectSound(file);
}

TEST_F(TarnwickFileTest, CorruptPageStopsWithANumberedInternalFailure) {
  makeFile(200);
  TarnwickFile probe;
  ASSERT_EQ(probe.open(path_, OpenMode{}), 0);  // which leaves every page at home
  const uint32_t root = probe.header().rootUnit;
  probe.close();
  auto bytes = readRaw(path_);
  bytes[unitOffset(root) + 1] ^= 0x40;  // the root names another home
  writeRaw(path_, bytes);
  TarnwickFile file;
  ASSERT_EQ(file.open(path_, OpenMode{}), 0);
  try {
    file.find(bytesOf("k1"));
    FAIL() << "no internal failure";
  } catch (const FatalStop& stop) {
    EXPECT_NE(std::string(stop.what()).find("Possible data corruption in file (7)"),
              std::string::npos)
        << stop.what();
    EXPECT_EQ(lastDriverFault(), 7);
  }
  EXPECT_FALSE(surveyFile(file.store()).ok());
}

TEST_F(TarnwickFileTest, AnotherOpenSeesCompletedChangesByTheChangeCounter) {
  makeFile(300);
  TarnwickFile writer, reader;
  ASSERT_EQ(writer.open(path_, OpenMode{}), 0);
  ASSERT_EQ(reader.open(path_, OpenMode::fromWord(0x40)), 0);
  std::vector<uint8_t> data;
  ASSERT_TRUE(reader.find(bytesOf("k7"), &data));  // now cached by the reader
  ASSERT_EQ(writer.replace(bytesOf("k7"), bytesOf("changed")), 0);
  ASSERT_EQ(writer.commit(), 0);
  // While its header copy counts as current the reader keeps its cache...
  ASSERT_EQ(reader.refresh(), 0);
  ASSERT_TRUE(reader.find(bytesOf("k7"), &data));
  EXPECT_EQ(data, std::vector<uint8_t>(100, 'a'));
  // ...and once it is not, the advanced change counter drops the cache.
  reader.store().invalidateHeader();
  ASSERT_EQ(reader.refresh(), 0);
  ASSERT_TRUE(reader.find(bytesOf("k7"), &data));
  EXPECT_EQ(data, bytesOf("changed"));
  testing::expectSound(reader);
}

TEST(TarnwickPageCache, KeepsAHundredLeavesDroppingTheLeastRecentlyUsed) {
  PageCache cache;
  for (int i = 1; i < static_cast<int>(PageCache::kLeavesAtMost); ++i) {
    cache.add(std::make_shared<Page>(i, 0));
  }
  // Pages used once long ago stay while there is room: a lookup's inner
  // pages come back only every few dozen lookups.
  EXPECT_EQ(cache.size(), PageCache::kLeavesAtMost - 1);
  EXPECT_TRUE(cache.find(1));
  cache.add(std::make_shared<Page>(100, 0));
  cache.add(std::make_shared<Page>(101, 0));  // page 2 is now the least recently used
  EXPECT_EQ(cache.size(), PageCache::kLeavesAtMost);
  EXPECT_FALSE(cache.find(2));
  EXPECT_TRUE(cache.find(1));
  // Pages in constant use stay however many others pass through.
  for (int i = 102; i <= 400; ++i) {
    for (int j = i - 20; j < i; ++j) cache.find(j);
    cache.find(1);
    cache.add(std::make_shared<Page>(i, 0));
    EXPECT_LE(cache.size(), PageCache::kLeavesAtMost);
  }
  EXPECT_TRUE(cache.find(1));
  EXPECT_TRUE(cache.find(399));
  EXPECT_FALSE(cache.find(250));
  // A trimmed page nobody else holds is handed out for reuse.
  EXPECT_TRUE(cache.takeSpare());
  EXPECT_FALSE(cache.takeSpare());
}

TEST(TarnwickPageCache, InnerPagesStayWhileLeavesStreamThrough) {
  PageCache cache;
  const int inner = static_cast<int>(PageCache::kInnerPagesAtMost) - 1;
  for (int i = 1; i <= inner; ++i) cache.add(std::make_shared<Page>(i, 1));
  for (int i = 0; i < 5000; ++i) cache.add(std::make_shared<Page>(100000 + i, 0));
  EXPECT_EQ(cache.size(), static_cast<size_t>(inner) + PageCache::kLeavesAtMost);
  EXPECT_TRUE(cache.find(1));
  EXPECT_TRUE(cache.find(inner));
  // Past their own limit the least recently used inner page goes.
  cache.add(std::make_shared<Page>(inner + 1, 1));
  cache.add(std::make_shared<Page>(inner + 2, 1));
  EXPECT_FALSE(cache.find(2));
  EXPECT_TRUE(cache.find(1));
  EXPECT_TRUE(cache.remove(inner + 2));
  EXPECT_FALSE(cache.find(inner + 2));
  cache.clear();
  EXPECT_EQ(cache.size(), 0u);
}

}  // namespace
}  // namespace zor::tarnwick
