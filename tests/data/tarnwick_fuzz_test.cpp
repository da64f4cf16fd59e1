// Damaged files: random bytes, real files cut short and real files with
// flipped bits are opened, walked, checked and changed. Each must end in an
// error number, a clean refusal or the orderly fatal stop, never in
// undefined behaviour or a hang.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/data/tarnwick_change_script.h"
#include "tests/data/tarnwick_test_support.h"

namespace zor::tarnwick {
namespace {

using testing::FatalStop;
using testing::readRaw;
using testing::writeRaw;

bool longTests() {
  const char* value = std::getenv("ZOR_LONG_TESTS");
  return value != nullptr && std::string(value) == "1";
}

struct Outcomes {
  int refused = 0;   // open answered an error number
  int stopped = 0;   // an internal failure stopped the walk
  int survived = 0;  // everything ran to the end
};

// Opens, walks both ways, looks up, checks, changes and reopens the file.
void exercise(const std::string& path, Outcomes& outcomes) {
  TarnwickFile file;
  if (file.open(path, OpenMode{}) != 0) {
    ++outcomes.refused;
    return;
  }
  try {
    surveyFile(file.store());
    Cursor cursor = file.cursor();
    int steps = 0;
    for (bool more = cursor.first(); more && steps < 100000; more = cursor.next()) ++steps;
    for (bool more = cursor.last(); more && steps < 200000; more = cursor.previous()) ++steps;
    ASSERT_LT(steps, 200000);
    for (uint32_t i = 0; i < 20; ++i) file.find(testing::scriptKey(i * 31));
    const auto script = testing::makeScript(steps, 3, 20, 600);
    testing::ItemModel model = testing::readAll(file);
    for (const auto& change : script) {
      testing::applyChange(file, change, model);
      if (file.commit() != 0) break;
    }
    file.close();
    if (file.open(path, OpenMode{}) == 0) {
      surveyFile(file.store());
      testing::readAll(file);
    }
    ++outcomes.survived;
  } catch (const FatalStop& stop) {
    EXPECT_NE(std::string(stop.what()).find("Possible data corruption in file ("),
              std::string::npos);
    ++outcomes.stopped;
  }
}

class TarnwickFuzz : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = testing::scratchPath("fuzz.twk");
    original_ = testing::scratchPath("fuzz_original.twk");
    TarnwickFile file;
    ASSERT_EQ(file.create(original_), 0);
    testing::ItemModel model;
    for (const auto& change : testing::makeScript(3, 12, 60, 2000)) {
      ASSERT_EQ(testing::applyChange(file, change, model), 0);
      ASSERT_EQ(file.commit(), 0);
    }
    file.close();
    real_ = readRaw(original_);
    ASSERT_GT(real_.size(), 20000u);
  }

  int rounds() const { return longTests() ? 3000 : 120; }

  std::string path_, original_;
  std::vector<uint8_t> real_;
  testing::FatalHookGuard hook_;
};

TEST_F(TarnwickFuzz, RandomBytesAreRefusedOrStopCleanly) {
  std::mt19937 random(21);
  Outcomes outcomes;
  for (int round = 0; round < rounds(); ++round) {
    auto bytes = testing::randomBytes(random, random() % 6000);
    if (bytes.size() >= 18 && round % 2 == 0) std::copy(kMagic, kMagic + 4, bytes.begin() + 14);
    if (bytes.size() >= kHeaderSize && round % 4 == 0) {
      // A plausible header over random pages.
      FileHeader header = FileHeader::fresh();
      header.zones[1] = {1, static_cast<uint32_t>((bytes.size() - kHeaderSize) / kUnitSize)};
      for (int i = 2; i < kZoneCount; ++i)
        header.zones[i] = {header.zones[1].end, header.zones[1].end};
      header.rootUnit = 1;
      header.pendingStart = header.pendingEnd = static_cast<uint32_t>(header.logicalEnd());
      header.encode(bytes.data());
    }
    writeRaw(path_, bytes);
    exercise(path_, outcomes);
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(outcomes.refused, 0);
}

TEST_F(TarnwickFuzz, TruncatedFilesAreRefusedOrStopCleanly) {
  std::mt19937 random(22);
  Outcomes outcomes;
  for (int round = 0; round < rounds(); ++round) {
    const size_t length = random() % real_.size();
    writeRaw(path_,
             std::vector<uint8_t>(real_.begin(), real_.begin() + static_cast<ptrdiff_t>(length)));
    exercise(path_, outcomes);
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(outcomes.refused, 0);
}

TEST_F(TarnwickFuzz, FlippedBitsAreCaughtOrHarmless) {
  std::mt19937 random(23);
  Outcomes outcomes;
  for (int round = 0; round < rounds(); ++round) {
    auto bytes = real_;
    const int flips = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < flips; ++i) {
      // Half of the flips land in the header, where every field matters.
      const size_t at = random() % 2 ? random() % kHeaderSize : random() % bytes.size();
      bytes[at] ^= static_cast<uint8_t>(1u << (random() % 8));
    }
    writeRaw(path_, bytes);
    exercise(path_, outcomes);
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(outcomes.stopped + outcomes.refused, 0);
  EXPECT_GT(outcomes.survived, 0);
}

}  // namespace
}  // namespace zor::tarnwick
