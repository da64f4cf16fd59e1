// The read path of the storage engine: bodies unpacked piece by piece,
// single items found in stored leaf pages without decoding them, and the
// windows of the file that pages are read through.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "data/tarnwick/byte_order.h"
#include "data/tarnwick/file_header.h"
#include "data/tarnwick/page.h"
#include "data/tarnwick/read_windows.h"
#include "data/tarnwick/run_length.h"
#include "tests/data/tarnwick_test_support.h"

namespace zor::tarnwick {
namespace {

using testing::bytesOf;
using testing::randomBytes;
using testing::toVector;

std::vector<uint8_t> runsAndNoise(std::mt19937& random) {
  std::vector<uint8_t> sample;
  while (sample.size() < 4000 && random() % 16 != 0) {
    sample.insert(sample.end(), random() % 300, static_cast<uint8_t>(random() % 3));
    const auto noise = randomBytes(random, random() % 10);
    sample.insert(sample.end(), noise.begin(), noise.end());
  }
  return sample;
}

TEST(TarnwickRunReader, PiecewiseReadsAndSkipsMatchTheWholeBody) {
  std::mt19937 random(5);
  for (int round = 0; round < 300; ++round) {
    const std::vector<uint8_t> sample = runsAndNoise(random);
    std::vector<uint8_t> packed;
    packRuns(sample.data(), sample.size(), packed);
    const bool asPacked = round % 4 != 0;
    const std::vector<uint8_t>& input = asPacked ? packed : sample;
    RunReader reader(input.data(), input.size(), sample.size(), asPacked);
    size_t at = 0;
    while (reader.left() > 0) {
      const size_t piece = std::min<size_t>(reader.left(), random() % 400);
      if (random() % 3 == 0) {
        ASSERT_TRUE(reader.skip(piece));
      } else {
        std::vector<uint8_t> out(piece);
        ASSERT_TRUE(reader.read(out.data(), piece));
        ASSERT_TRUE(std::equal(out.begin(), out.end(), sample.begin() + static_cast<long>(at)));
      }
      at += piece;
    }
    EXPECT_EQ(at, sample.size());
    uint8_t extra = 0;
    EXPECT_FALSE(reader.read(&extra, 1));  // nothing is handed out past the length
    EXPECT_TRUE(reader.restIsSound());
  }
}

TEST(TarnwickRunReader, BrokenInputFailsAndStaysFailed) {
  uint8_t out[16];
  const uint8_t truncated[] = {3, 'a', 'b', 'c', 20};  // repeats past the length
  RunReader reader(truncated, sizeof truncated, sizeof out, true);
  ASSERT_TRUE(reader.read(out, 3));
  EXPECT_FALSE(reader.read(out, 1));
  EXPECT_FALSE(reader.read(out, 1));
  EXPECT_FALSE(reader.restIsSound());

  // An empty literal keeps the byte of the pair before it for the repeat.
  const uint8_t emptyLiteral[] = {1, 'x', 2, 0, 3};
  RunReader repeats(emptyLiteral, sizeof emptyLiteral, 6, true);
  uint8_t six[6];
  ASSERT_TRUE(repeats.read(six, 6));
  EXPECT_EQ(std::vector<uint8_t>(six, six + 6), std::vector<uint8_t>(6, 'x'));

  const uint8_t sound[] = {2, 'a', 'b', 4};
  RunReader rest(sound, sizeof sound, 6, true);
  EXPECT_TRUE(rest.read(out, 1));
  EXPECT_TRUE(rest.restIsSound());
}

// A leaf page as the tree stores it, and its items in key order.
struct StoredLeaf {
  std::vector<uint8_t> bytes;
  std::vector<std::pair<std::vector<uint8_t>, std::vector<uint8_t>>> items;
};

StoredLeaf storeLeaf(
    const std::vector<std::pair<std::vector<uint8_t>, std::vector<uint8_t>>>& items,
    uint32_t home) {
  Page leaf(home, 0);
  StoredLeaf out;
  for (const auto& [key, data] : items) {
    const size_t at = leaf.lowerBound(key);
    if (at < leaf.count() && compareKeys(leaf.key(at), key) == 0) continue;
    leaf.insert(at, key, data);
  }
  for (size_t i = 0; i < leaf.count(); ++i) {
    out.items.emplace_back(toVector(leaf.item(i).key), toVector(leaf.item(i).data));
  }
  leaf.encode(home, out.bytes);
  return out;
}

std::vector<uint8_t> record(std::mt19937& random, size_t length) {
  std::vector<uint8_t> image(length, 0);
  const auto text = randomBytes(random, random() % 200);
  std::copy(text.begin(), text.end(), image.begin() + static_cast<long>(random() % 100));
  return image;
}

void expectFindsEveryItemAndNothingElse(const StoredLeaf& leaf, uint32_t home) {
  for (const auto& [key, data] : leaf.items) {
    std::vector<uint8_t> found(3, 9);
    bool present = false;
    ASSERT_EQ(
        PageCodec::findInLeaf(leaf.bytes.data(), leaf.bytes.size(), home, key, &found, present),
        PageFault::None);
    EXPECT_TRUE(present);
    EXPECT_EQ(found, data);
    EXPECT_EQ(
        PageCodec::findInLeaf(leaf.bytes.data(), leaf.bytes.size(), home, key, nullptr, present),
        PageFault::None);
    EXPECT_TRUE(present);
    for (const auto& absent : {std::vector<uint8_t>(key.begin(), key.end() - 1), [&key] {
                                 auto longer = key;
                                 longer.push_back(0);
                                 return longer;
                               }()}) {
      const bool listed = std::any_of(leaf.items.begin(), leaf.items.end(),
                                      [&absent](const auto& item) { return item.first == absent; });
      EXPECT_EQ(PageCodec::findInLeaf(leaf.bytes.data(), leaf.bytes.size(), home, absent, nullptr,
                                      present),
                PageFault::None);
      EXPECT_EQ(present, listed);
    }
  }
}

TEST(TarnwickLeafLookup, FindsWhatDecodingFindsInPackedAndPlainPages) {
  std::mt19937 random(21);
  for (int round = 0; round < 40; ++round) {
    std::vector<std::pair<std::vector<uint8_t>, std::vector<uint8_t>>> items;
    const int count = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < count; ++i) {
      std::vector<uint8_t> key = {0, 0, 0, 9, 243, 0, 0, 0, static_cast<uint8_t>(random())};
      // Plain pages: noise does not pack. Packed ones: mostly empty records.
      items.emplace_back(key, round % 3 == 0 ? randomBytes(random, 1000 + random() % 2000)
                                             : record(random, 3000 + random() % 3000));
    }
    const StoredLeaf leaf = storeLeaf(items, 7);
    expectFindsEveryItemAndNothingElse(leaf, 7);
  }
}

TEST(TarnwickLeafLookup, KeysSharingBytesPastTheirLengthAndLongKeys) {
  std::mt19937 random(8);
  // "ab" + data "c..." followed by the key "abc": the second item shares
  // bytes of the first one's data. Keys above 63 bytes share at most 63.
  const std::vector<uint8_t> longKey(100, 'k');
  auto longer = longKey;
  longer.push_back('z');
  const StoredLeaf leaf = storeLeaf({{bytesOf("ab"), bytesOf("cdefgh")},
                                     {bytesOf("abc"), bytesOf("defg")},
                                     {bytesOf("abcd"), {}},
                                     {longKey, std::vector<uint8_t>(700, 0)},
                                     {longer, record(random, 5000)}},
                                    3);
  expectFindsEveryItemAndNothingElse(leaf, 3);
}

TEST(TarnwickLeafLookup, ADamagedPageFailsAsDecodingFails) {
  std::mt19937 random(13);
  const std::vector<uint8_t> key = {0, 0, 0, 9, 243, 0, 0, 0, 4};
  const StoredLeaf leaf = storeLeaf(
      {{key, record(random, 6000)}, {{0, 0, 0, 9, 243, 0, 0, 0, 5}, record(random, 6000)}}, 11);
  int faults = 0;
  for (int round = 0; round < 2000; ++round) {
    std::vector<uint8_t> bytes = leaf.bytes;
    size_t at = random() % bytes.size();
    if (at == 12) continue;  // the level: a leaf is what is looked into
    bytes[at] = static_cast<uint8_t>(random());
    Page page(11, 0);
    const PageFault decoded = PageCodec::decode(bytes.data(), bytes.size(), 11, page);
    bool present = false;
    std::vector<uint8_t> data;
    EXPECT_EQ(PageCodec::findInLeaf(bytes.data(), bytes.size(), 11, key, &data, present), decoded)
        << "byte " << at;
    if (decoded != PageFault::None) ++faults;
  }
  EXPECT_GT(faults, 100);
  bool present = false;
  Page inner(11, 1);
  inner.insert(0, {}, {}, 5);
  std::vector<uint8_t> stored;
  inner.encode(11, stored);
  EXPECT_EQ(PageCodec::findInLeaf(stored.data(), stored.size(), 11, key, nullptr, present),
            PageFault::Items);
}

class ReadWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = testing::scratchPath(
        std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".bin");
    ASSERT_EQ(file_.open(path_, true, platform::Share::DenyNone, true), 0);
    std::mt19937 random(1);
    content_ = randomBytes(random, ReadWindows::kWindowSize * 2 + 1024);
    ASSERT_EQ(file_.write(0, content_.data(), content_.size()), 0);
  }
  std::vector<uint8_t> shown(uint64_t offset, size_t length, uint32_t generation) {
    const uint8_t* bytes = windows_.find(file_, offset, length, generation);
    return bytes == nullptr ? std::vector<uint8_t>() : std::vector<uint8_t>(bytes, bytes + length);
  }
  std::vector<uint8_t> expected(uint64_t offset, size_t length) const {
    return std::vector<uint8_t>(content_.begin() + static_cast<long>(offset),
                                content_.begin() + static_cast<long>(offset + length));
  }

  std::string path_;
  BlockFile file_;
  ReadWindows windows_;
  std::vector<uint8_t> content_;
};

TEST_F(ReadWindowsTest, ShowsTheFileAndLeavesStraddlersAndTheEndToTheCaller) {
  EXPECT_EQ(shown(512, 256, 1), expected(512, 256));
  EXPECT_EQ(shown(ReadWindows::kWindowSize - 256, 256, 1),
            expected(ReadWindows::kWindowSize - 256, 256));
  EXPECT_TRUE(shown(ReadWindows::kWindowSize - 256, 512, 1).empty());  // two windows
  const uint64_t last = ReadWindows::kWindowSize * 2;
  EXPECT_EQ(shown(last + 768, 256, 1), expected(last + 768, 256));
  EXPECT_TRUE(shown(last + 768, 512, 1).empty());  // past the end of the file
  EXPECT_EQ(windows_.size(), 2u);
}

TEST_F(ReadWindowsTest, AWindowCutShortByTheEndOfTheFileIsReadAgainOnceTheFileGrew) {
  const uint64_t last = ReadWindows::kWindowSize * 2;
  ASSERT_EQ(shown(last + 512, 256, 1), expected(last + 512, 256));
  // The owner appends past the end the window was read to.
  const std::vector<uint8_t> appended(4096, 0x3C);
  ASSERT_EQ(file_.write(content_.size(), appended.data(), appended.size()), 0);
  EXPECT_EQ(shown(content_.size() + 1024, 256, 1), std::vector<uint8_t>(256, 0x3C));
  EXPECT_EQ(shown(last + 512, 256, 1), expected(last + 512, 256));
  EXPECT_EQ(windows_.size(), 1u);
}

TEST_F(ReadWindowsTest, OwnWritesGoThroughAndOtherChangesMakeThemGo) {
  ASSERT_EQ(shown(1024, 256, 4), expected(1024, 256));
  // Another writer: the windows of the same count still show what they read.
  const std::vector<uint8_t> other(256, 0xAB);
  ASSERT_EQ(file_.write(1024, other.data(), other.size()), 0);
  EXPECT_EQ(shown(1024, 256, 4), expected(1024, 256));
  EXPECT_EQ(shown(1024, 256, 5), other);  // a new count reads again

  // The owner's writes are copied in, also across a window's edge, and the
  // windows carry over to the count its change completes.
  const std::vector<uint8_t> own(512, 0x5A);
  const uint64_t edge = ReadWindows::kWindowSize - 256;
  ASSERT_EQ(shown(edge, 256, 5).size(), 256u);
  ASSERT_EQ(shown(ReadWindows::kWindowSize, 256, 5).size(), 256u);
  ASSERT_EQ(file_.write(edge, own.data(), own.size()), 0);
  windows_.patch(edge, own.data(), own.size());
  windows_.carryOver(5, 6);
  EXPECT_EQ(shown(edge, 256, 6), std::vector<uint8_t>(256, 0x5A));
  EXPECT_EQ(shown(ReadWindows::kWindowSize, 256, 6), std::vector<uint8_t>(256, 0x5A));
  EXPECT_EQ(windows_.size(), 2u);
  // Carrying over from a count the windows do not show drops them.
  windows_.carryOver(9, 10);
  EXPECT_EQ(windows_.size(), 0u);
}

TEST_F(ReadWindowsTest, OnceFullReadsAWindowOnlyWhenItIsMissedAgainAndAgain) {
  std::vector<uint8_t> big(ReadWindows::kWindowSize * (ReadWindows::kMostWindows + 4), 1);
  ASSERT_EQ(file_.write(0, big.data(), big.size()), 0);
  for (size_t i = 0; i < ReadWindows::kMostWindows; ++i) {
    ASSERT_EQ(shown(i * ReadWindows::kWindowSize + 512, 256, 1).size(), 256u);
  }
  // Full: a page or two from a window at random is left to the caller...
  const uint64_t beyond = ReadWindows::kMostWindows * ReadWindows::kWindowSize;
  EXPECT_TRUE(shown(beyond + 512, 256, 1).empty());
  EXPECT_TRUE(shown(beyond + ReadWindows::kWindowSize + 512, 256, 1).empty());
  EXPECT_TRUE(shown(beyond + 1024, 256, 1).empty());
  // ...while reading on through one window reads it in place of another.
  EXPECT_EQ(shown(beyond + 2048, 256, 1).size(), 256u);
  EXPECT_EQ(shown(beyond + 4096, 256, 1).size(), 256u);
  EXPECT_EQ(windows_.size(), ReadWindows::kMostWindows);
  // A change elsewhere forgets the misses with the windows.
  EXPECT_EQ(shown(beyond + ReadWindows::kWindowSize + 512, 256, 2).size(), 256u);
}

// Records of a table's size through a whole file: read back after changes
// of this file object and of another one.
TEST(TarnwickReadPath, LargeRecordsReadBackAfterOwnAndOtherChanges) {
  testing::FatalHookGuard hook;
  const std::string path = testing::scratchPath("read_path_records.twk");
  std::mt19937 random(17);
  std::map<uint32_t, std::vector<uint8_t>> model;
  auto keyOf = [](uint32_t number) {
    std::vector<uint8_t> key = {0, 0, 0, 9, 243, 0, 0, 0, 0};
    storeBig32(key.data() + 5, number);
    return key;
  };
  TarnwickFile writer;
  ASSERT_EQ(writer.create(path), 0);
  for (uint32_t number = 1; number <= 300; ++number) {
    model[number] = record(random, 6255);
    ASSERT_EQ(writer.insert(keyOf(number), model[number]), 0);
    if (number % 50 == 0) {
      ASSERT_EQ(writer.commit(), 0);
    }
  }
  TarnwickFile reader;
  ASSERT_EQ(reader.open(path, OpenMode::fromWord(0x40)), 0);
  auto expectModel = [&](TarnwickFile& file) {
    std::vector<uint8_t> data;
    for (const auto& [number, image] : model) {
      ASSERT_TRUE(file.find(keyOf(number), &data)) << number;
      ASSERT_EQ(data, image) << number;
    }
    EXPECT_FALSE(file.find(keyOf(301)));
  };
  expectModel(writer);
  expectModel(reader);
  for (int round = 0; round < 5; ++round) {
    for (int i = 0; i < 20; ++i) {
      const uint32_t number = 1 + static_cast<uint32_t>(random() % 300);
      model[number] = record(random, 1000 + random() % 5255);
      ASSERT_EQ(writer.replace(keyOf(number), model[number]), 0);
    }
    ASSERT_EQ(writer.commit(), 0);
    expectModel(writer);
    reader.store().invalidateHeader();
    ASSERT_EQ(reader.refresh(), 0);
    expectModel(reader);
  }
  testing::expectSound(reader);
}

}  // namespace
}  // namespace zor::tarnwick
