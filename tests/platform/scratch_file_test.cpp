#include "platform/scratch_file.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/fault_injection.h"

namespace zor::platform {
namespace {

std::vector<uint8_t> bytesOf(size_t length, uint8_t seed) {
  std::vector<uint8_t> bytes(length);
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
  return bytes;
}

// Pieces come back as they went in, wherever they lie; nothing is read
// past what was appended or after clear(), and a scratch file is no step
// of a fault plan (a crash sweep counts the same steps with or without it).
TEST(ScratchFileTest, KeepsWhatWasAppendedUntilCleared) {
  ScratchFile scratch;
  std::vector<uint8_t> back(10);
  EXPECT_FALSE(scratch.read(0, back.data(), 1)) << "nothing appended yet";

  setFaultPlan({FaultKind::None, FaultStep::WriteOrFlush});
  std::vector<std::pair<uint64_t, std::vector<uint8_t>>> pieces;
  for (size_t length : {1u, 700u, 65536u, 3u}) {
    pieces.emplace_back(0, bytesOf(length, static_cast<uint8_t>(length)));
    ASSERT_TRUE(scratch.append(pieces.back().second.data(), length, pieces.back().first));
  }
  EXPECT_EQ(faultStepCount(), 0u);
  clearFaultPlan();
  EXPECT_EQ(pieces[1].first, 1u);
  for (auto it = pieces.rbegin(); it != pieces.rend(); ++it) {
    back.assign(it->second.size(), 0);
    ASSERT_TRUE(scratch.read(it->first, back.data(), back.size()));
    EXPECT_EQ(back, it->second);
  }
  const uint64_t end = pieces.back().first + pieces.back().second.size();
  EXPECT_FALSE(scratch.read(end - 2, back.data(), 3)) << "past the end";

  scratch.clear();
  EXPECT_FALSE(scratch.read(0, back.data(), 1));
  uint64_t at = 99;
  ASSERT_TRUE(scratch.append(pieces[0].second.data(), 1, at));
  EXPECT_EQ(at, 0u) << "a cleared file starts again at its beginning";
}

}  // namespace
}  // namespace zor::platform
