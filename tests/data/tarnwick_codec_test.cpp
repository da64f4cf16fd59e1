#include <gtest/gtest.h>

#include <random>

#include "data/tarnwick/byte_order.h"
#include "data/tarnwick/file_header.h"
#include "data/tarnwick/page.h"
#include "data/tarnwick/run_length.h"
#include "tests/data/tarnwick_test_support.h"

namespace zor::tarnwick {
namespace {

using testing::bytesOf;
using testing::randomBytes;

std::vector<uint8_t> unpack(const std::vector<uint8_t>& packed, size_t length) {
  std::vector<uint8_t> out(length);
  EXPECT_TRUE(unpackRuns(packed.data(), packed.size(), out.data(), length));
  return out;
}

// The packing rule byte by byte: each run of four or more equal bytes,
// taken whole, is a literal ending with its first byte and a repeat.
std::vector<uint8_t> packedByTheRule(const std::vector<uint8_t>& data) {
  std::vector<uint8_t> out;
  size_t literalStart = 0;
  for (size_t i = 0; i < data.size();) {
    size_t end = i + 1;
    while (end < data.size() && data[end] == data[i]) ++end;
    if (end - i >= 4) {
      appendVarint(out, static_cast<uint32_t>(i + 1 - literalStart));
      out.insert(out.end(), data.begin() + static_cast<ptrdiff_t>(literalStart),
                 data.begin() + static_cast<ptrdiff_t>(i + 1));
      appendVarint(out, static_cast<uint32_t>(end - i - 1));
      literalStart = end;
    }
    i = end;
  }
  if (literalStart < data.size() || data.empty()) {
    appendVarint(out, static_cast<uint32_t>(data.size() - literalStart));
    out.insert(out.end(), data.begin() + static_cast<ptrdiff_t>(literalStart), data.end());
  }
  return out;
}

TEST(TarnwickRunLength, RoundTripsRunsLiteralsAndEdges) {
  std::mt19937 random(7);
  std::vector<std::vector<uint8_t>> samples = {
      {}, {5}, std::vector<uint8_t>(1000, 0), std::vector<uint8_t>(3, 9)};
  for (int i = 0; i < 200; ++i) {
    std::vector<uint8_t> sample;
    while (sample.size() < 3000 && random() % 16 != 0) {
      const auto run = random() % 2 ? static_cast<size_t>(random() % 300) : 1;
      sample.insert(sample.end(), run, static_cast<uint8_t>(random() % 3));
      auto noise = randomBytes(random, random() % 10);
      sample.insert(sample.end(), noise.begin(), noise.end());
    }
    samples.push_back(sample);
  }
  // Literals whose counts take two and three bytes.
  samples.push_back(randomBytes(random, 200));
  samples.push_back(randomBytes(random, 20000));
  samples.back().insert(samples.back().end(), 9, 4);
  for (const auto& sample : samples) {
    std::vector<uint8_t> packed;
    packRuns(sample.data(), sample.size(), packed);
    EXPECT_EQ(unpack(packed, sample.size()), sample);
    // Pages already stored were packed this way: the bytes stay the same.
    EXPECT_EQ(packed, packedByTheRule(sample));
    // Handed over in pieces (empty ones, single bytes, cuts inside runs),
    // the body packs to the same bytes, after what `out` held already.
    for (int cuts = 0; cuts < 4; ++cuts) {
      std::vector<uint8_t> pieces = {0xee};
      RunPacker packer(pieces);
      for (size_t at = 0; at < sample.size();) {
        const size_t piece = std::min<size_t>(sample.size() - at, random() % (cuts == 0 ? 3 : 40));
        packer.add(sample.data() + at, piece);
        at += piece;
      }
      EXPECT_EQ(packer.finish(), sample.size());
      EXPECT_EQ(std::vector<uint8_t>(pieces.begin() + 1, pieces.end()), packed);
    }
  }
  std::vector<uint8_t> zeros(1000, 0), packed;
  packRuns(zeros.data(), zeros.size(), packed);
  EXPECT_LT(packed.size(), 8u);
}

TEST(TarnwickRunLength, VariableLengthCountsAndHostileInput) {
  std::vector<uint8_t> encoded;
  appendVarint(encoded, 127);
  appendVarint(encoded, 128);
  appendVarint(encoded, 300);
  EXPECT_EQ(encoded, (std::vector<uint8_t>{127, 128, 1, 128 + (300 & 127), 2}));

  uint8_t out[16];
  const uint8_t overflow[] = {2, 'a', 'b', 100};  // repeat past the end
  EXPECT_FALSE(unpackRuns(overflow, sizeof overflow, out, sizeof out));
  const uint8_t repeatFirst[] = {0, 3};  // nothing written yet to repeat
  EXPECT_FALSE(unpackRuns(repeatFirst, sizeof repeatFirst, out, sizeof out));
  const uint8_t truncated[] = {10, 'a'};
  EXPECT_FALSE(unpackRuns(truncated, sizeof truncated, out, sizeof out));
  const uint8_t endless[] = {0x80, 0x80, 0x80, 0x80, 0x80, 0x80};
  EXPECT_FALSE(unpackRuns(endless, sizeof endless, out, sizeof out));
  const uint8_t idle[] = {0, 0, 0, 0, 0, 0};  // pairs that add nothing end with the input
  EXPECT_FALSE(unpackRuns(idle, sizeof idle, out, sizeof out));
}

TEST(TarnwickKeys, CompareUnsignedThenShorterFirst) {
  const auto a = bytesOf("ab"), b = bytesOf("abc"), c = bytesOf("b");
  const std::vector<uint8_t> high = {0x80}, low = {0x7f};
  EXPECT_LT(compareKeys(a, b), 0);
  EXPECT_GT(compareKeys(b, a), 0);
  EXPECT_LT(compareKeys(b, c), 0);
  EXPECT_GT(compareKeys(high, low), 0);
  EXPECT_EQ(compareKeys(a, a), 0);
  EXPECT_EQ(compareKeys(Bytes{}, Bytes{}), 0);
  EXPECT_LT(compareKeys(Bytes{}, a), 0);
}

Page decodeOrFail(const std::vector<uint8_t>& bytes, uint32_t home) {
  Page page(home, 0);
  EXPECT_EQ(PageCodec::decode(bytes.data(), bytes.size(), home, page), PageFault::None);
  return page;
}

TEST(TarnwickPage, RoundTripsLeafAndInnerPages) {
  std::mt19937 random(3);
  Page leaf(1, 0);
  for (int i = 0; i < 40; ++i) {
    std::vector<uint8_t> key = {0, 0, 0, 7, 243};
    auto tail = randomBytes(random, random() % 6);
    key.insert(key.end(), tail.begin(), tail.end());
    const size_t at = leaf.lowerBound(key);
    if (at < leaf.count() && compareKeys(leaf.key(at), key) == 0) continue;
    leaf.insert(at, key, randomBytes(random, random() % 50));
  }
  std::vector<uint8_t> stored;
  leaf.encode(42, stored);
  EXPECT_EQ(stored.size() % kUnitSize, 0u);
  EXPECT_EQ(load32(stored.data()), 42u);
  EXPECT_EQ(load16(stored.data() + 8), leaf.measure());
  EXPECT_LE(load16(stored.data() + 6), leaf.measure());
  const Page back = decodeOrFail(stored, 42);
  ASSERT_EQ(back.count(), leaf.count());
  for (size_t i = 0; i < leaf.count(); ++i) {
    EXPECT_EQ(testing::toVector(back.item(i).key), testing::toVector(leaf.item(i).key));
    EXPECT_EQ(testing::toVector(back.item(i).data), testing::toVector(leaf.item(i).data));
  }

  Page inner(2, 3);
  inner.insert(0, {}, {}, 17);
  inner.insert(1, bytesOf("m"), {}, 99);
  inner.encode(2, stored);
  const Page innerBack = decodeOrFail(stored, 2);
  EXPECT_EQ(innerBack.level(), 3);
  EXPECT_EQ(innerBack.child(0), 17);
  EXPECT_EQ(innerBack.child(1), 99);
  EXPECT_EQ(innerBack.measure(), kPageHeaderSize + 0 + 9 + 1 + 9);
  EXPECT_EQ(innerBack.childSlotFor(bytesOf("a")), 0u);
  EXPECT_EQ(innerBack.childSlotFor(bytesOf("m")), 1u);
  EXPECT_EQ(innerBack.childSlotFor(bytesOf("z")), 1u);
}

TEST(TarnwickPage, AFrozenLeafKeepsItsStoredFormAndThawsToTheSameItems) {
  std::mt19937 random(5);
  Page leaf(-3, 0);
  for (int i = 0; i < 30; ++i) {
    std::vector<uint8_t> key = {0, 0, 0, 7, 243, static_cast<uint8_t>(i)};
    leaf.insert(leaf.count(), key, randomBytes(random, random() % 400));
  }
  std::vector<uint8_t> before;
  leaf.encode(9, before);
  const Page original = decodeOrFail(before, 9);
  const uint32_t measure = leaf.measure();

  leaf.freeze();
  ASSERT_TRUE(leaf.frozen());
  EXPECT_EQ(leaf.count(), 0u);  // the items are gone...
  EXPECT_EQ(leaf.number(), -3);
  EXPECT_EQ(leaf.measure(), measure);
  EXPECT_EQ(testing::toVector(leaf.firstKey()), testing::toVector(original.key(0)));
  std::vector<uint8_t> frozen;
  leaf.encode(9, frozen);  // ...and the stored form stays
  EXPECT_EQ(frozen, before);

  leaf.thaw();
  ASSERT_FALSE(leaf.frozen());
  ASSERT_EQ(leaf.count(), original.count());
  for (size_t i = 0; i < leaf.count(); ++i) {
    EXPECT_EQ(testing::toVector(leaf.item(i).key), testing::toVector(original.item(i).key));
    EXPECT_EQ(testing::toVector(leaf.item(i).data), testing::toVector(original.item(i).data));
  }
  EXPECT_EQ(leaf.number(), -3);
  leaf.erase(0);  // a thawed page changes as any other
  std::vector<uint8_t> after;
  leaf.encode(9, after);
  EXPECT_EQ(decodeOrFail(after, 9).count(), original.count() - 1);

  Page inner(4, 1);  // inner pages are never frozen
  inner.insert(0, {}, {}, 17);
  inner.freeze();
  EXPECT_FALSE(inner.frozen());
}

TEST(TarnwickPage, PacksOnlyWhenItGainsAndCapsSharedBytes) {
  std::mt19937 random(11);
  Page noisy(1, 0);
  noisy.insert(0, randomBytes(random, 8), randomBytes(random, 600));
  std::vector<uint8_t> stored;
  noisy.encode(1, stored);
  EXPECT_EQ(load16(stored.data() + 4), load16(stored.data() + 6));  // stored unpacked

  Page padded(1, 0);
  const std::vector<uint8_t> prefix(100, 'x');
  auto second = prefix;
  second.push_back('y');
  padded.insert(0, prefix, std::vector<uint8_t>(500, ' '));
  padded.insert(1, second, std::vector<uint8_t>(500, ' '));
  padded.encode(1, stored);
  EXPECT_LT(load16(stored.data() + 4), load16(stored.data() + 6));  // packed
  // The second item shares its first 63 bytes at most with the first.
  std::vector<uint8_t> body(load16(stored.data() + 6) - kPageHeaderSize);
  ASSERT_TRUE(unpackRuns(stored.data() + kPageHeaderSize,
                         load16(stored.data() + 4) - kPageHeaderSize, body.data(), body.size()));
  const size_t secondFlag = 1 + 4 + 600;
  EXPECT_EQ(body[secondFlag] & 63, 63);
  const Page back = decodeOrFail(stored, 1);
  EXPECT_EQ(testing::toVector(back.key(1)), second);
}

TEST(TarnwickPage, RefusesPagesThatDoNotDecode) {
  Page leaf(1, 0);
  leaf.insert(0, bytesOf("key"), bytesOf("value"));
  std::vector<uint8_t> stored;
  leaf.encode(5, stored);
  Page out(5, 0);
  EXPECT_EQ(PageCodec::decode(stored.data(), stored.size(), 6, out), PageFault::Home);
  std::vector<uint8_t> longer = stored;
  longer.resize(512, 0);
  EXPECT_EQ(PageCodec::decode(longer.data(), longer.size(), 5, out), PageFault::Length);
  auto extraCount = stored;
  store16(extraCount.data() + 10, 2);
  EXPECT_EQ(PageCodec::decode(extraCount.data(), extraCount.size(), 5, out), PageFault::Items);
  auto shorterUnpacked = stored;
  store16(shorterUnpacked.data() + 6, load16(stored.data() + 6) - 1);
  EXPECT_NE(PageCodec::decode(shorterUnpacked.data(), shorterUnpacked.size(), 5, out),
            PageFault::None);
  auto sharedFirst = stored;
  sharedFirst[kPageHeaderSize] |= 3;  // the first item cannot share bytes
  EXPECT_EQ(PageCodec::decode(sharedFirst.data(), sharedFirst.size(), 5, out), PageFault::Items);
}

TEST(TarnwickHeader, EncodesFieldsAndChecksZones) {
  FileHeader header = FileHeader::fresh();
  EXPECT_EQ(header.logicalEnd(), kHeaderSize + kUnitSize);
  header.zones[3] = {1, 7};
  header.zones[4] = {7, 7};
  for (int i = 5; i < kZoneCount; ++i) header.zones[i] = {20, 20};
  header.rootUnit = 4;
  header.changeCounter = 9;
  header.lastIdentifier = {0, 0, 1, 2};
  EXPECT_TRUE(header.zonesValid());
  EXPECT_EQ(header.zoneOf(4), 3);
  EXPECT_EQ(header.zoneOf(7), 0);
  EXPECT_EQ(header.logicalEndUnit(), 7u);
  uint8_t bytes[kHeaderSize];
  header.encode(bytes);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes + 14), 4), "tArN");
  for (int i : {0, 1, 2, 3, 4, 5, 18, 19}) EXPECT_EQ(bytes[i], 0);
  FileHeader back;
  ASSERT_TRUE(back.decode(bytes));
  EXPECT_EQ(back.rootUnit, 4u);
  EXPECT_EQ(back.changeCounter, 9u);
  EXPECT_EQ(back.lastIdentifier, header.lastIdentifier);
  EXPECT_EQ(back.zones[3].end, 7u);

  header.zones[3] = {1, 6};  // not a whole number of 3-unit pages
  EXPECT_FALSE(header.zonesValid());
  header.zones[3] = {1, 7};
  header.zones[4] = {6, 6};  // starts inside zone 3
  EXPECT_FALSE(header.zonesValid());
  bytes[14] = 'T';
  EXPECT_FALSE(back.decode(bytes));
}

}  // namespace
}  // namespace zor::tarnwick
