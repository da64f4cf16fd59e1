// The binary window definition block: writer and reader round trip, the
// offsets counted from two bytes before the block, positions left to the
// runtime, and malformed blocks refused without reading past the end.

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "tests/ui/definition/definition_test_windows.h"
#include "ui/definition/definition_block.h"
#include "ui/definition/definition_writer.h"

namespace zor::ui {
namespace {

namespace K = ControlKind;

uint32_t u32At(const std::vector<uint8_t>& bytes, size_t index) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | bytes[index + i];
  return value;
}

// Little-endian bytes with offsets as the block counts them.
struct BlockBuilder {
  std::vector<uint8_t> bytes;
  uint32_t offset() const { return uint32_t(bytes.size() + 2); }
  void u8(uint8_t value) { bytes.push_back(value); }
  void u32(uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(uint8_t(value >> shift));
  }
  void text(const char* value) { bytes.insert(bytes.end(), value, value + std::strlen(value) + 1); }
  void set(uint32_t atOffset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[atOffset - 2 + i] = uint8_t(value >> (8 * i));
  }
};

// One window with one PROMPT, written by hand.
std::vector<uint8_t> handBuiltBlock() {
  BlockBuilder b;
  b.u32(6);  // the window record follows at block byte 4, offset 6
  b.u8(0x19);
  b.u32(0);                   // next window
  b.u32(WindowAttr::System);  // attributes
  b.u32(0);                   // reserved
  for (uint32_t v : {0x80000000u, 0x80000000u, 120u, 60u}) b.u32(v);
  uint32_t firstControl = b.offset();
  b.u32(0);
  uint32_t label = b.offset();
  b.u32(0);
  b.u32(0);  // no font
  uint32_t title = b.offset();
  b.u32(0);
  b.u32(0);  // no icon
  b.set(firstControl, b.offset());
  b.u8(K::Prompt);
  b.u32(0);  // next
  b.u32(0);  // attributes
  b.u32(0);  // reserved
  b.u32(1);  // equate
  uint32_t use = b.offset();
  b.u32(0);
  for (uint32_t v : {4u, 8u, 60u, 10u, 0u}) b.u32(v);  // x y w h, unused
  uint32_t promptText = b.offset();
  b.u32(0);
  for (int i = 0; i < 8; ++i) b.u32(0);  // tip, data, format ... children: none
  b.set(label, b.offset());
  b.text("P1$WINDOW");
  b.set(title, b.offset());
  b.text("Setup.ini");
  b.set(use, b.offset());
  b.text("?STRING1");
  b.set(promptText, b.offset());
  b.text("Please select your Pellmoor Setup.ini File");
  return b.bytes;
}

TEST(DefinitionBlock, OffsetsCountFromTwoBytesBeforeTheBlock) {
  std::vector<uint8_t> block = handBuiltBlock();
  auto read = readDefinitionBlock(block);
  ASSERT_TRUE(read.ok()) << read.error;
  ASSERT_EQ(read.value->size(), 1u);
  const WindowDefinition& window = read.value->front();
  EXPECT_EQ(window.label, "P1$WINDOW");
  EXPECT_EQ(window.title, "Setup.ini");
  EXPECT_EQ(window.rect, (DefinitionRect{DefaultPosition, DefaultPosition, 120, 60}));
  ASSERT_EQ(window.controls.size(), 1u);
  const ControlDefinition& prompt = window.controls[0];
  EXPECT_EQ(prompt.kind, K::Prompt);
  EXPECT_EQ(prompt.use, "?STRING1");
  EXPECT_EQ(prompt.text, "Please select your Pellmoor Setup.ini File");
  EXPECT_EQ(prompt.rect, (DefinitionRect{4, 8, 60, 10}));

  // The writer lays out the same: first record straight after the first
  // u32, references pointing two bytes past the index they name.
  std::vector<uint8_t> written = writeDefinitionBlock(*read.value);
  EXPECT_EQ(u32At(written, 0), 6u);
  EXPECT_EQ(written[4], 0x19);
  uint32_t labelOffset = u32At(written, 4 + 33);
  EXPECT_STREQ(reinterpret_cast<const char*>(&written[labelOffset - 2]), "P1$WINDOW");
  uint32_t controlOffset = u32At(written, 4 + 29);
  EXPECT_EQ(written[controlOffset - 2], K::Prompt);
  EXPECT_EQ(u32At(written, controlOffset - 2 + 13), 1u);  // the equate
}

TEST(DefinitionBlock, WriterAndReaderRoundTrip) {
  DefinitionModule form = test::sampleForm();
  std::vector<uint8_t> resource = writeDefinitionResource(form);
  EXPECT_STREQ(reinterpret_cast<const char*>(resource.data()), form.owningName.c_str());
  auto read = readDefinitionResource(resource);
  ASSERT_TRUE(read.ok()) << read.error;
  EXPECT_EQ(*read.value, form);

  // Equal texts are stored once.
  std::string bytes(resource.begin(), resource.end());
  EXPECT_EQ(bytes.find("hand.cur"), bytes.rfind("hand.cur"));
}

TEST(DefinitionBlock, ReadsOneWindowByLabelWithoutRegardToCase) {
  DefinitionModule form = test::sampleForm();
  std::vector<uint8_t> block = writeDefinitionBlock(form.windows);
  auto second = readWindowDefinition(block, "p1$window");
  ASSERT_TRUE(second.ok() && second.value) << second.error;
  EXPECT_EQ(*second.value, form.windows[1]);
  auto none = readWindowDefinition(block, "P1$OTHER");
  EXPECT_TRUE(none.ok());
  EXPECT_FALSE(none.value);
}

TEST(DefinitionBlock, DefaultPositionsAreKept) {
  WindowDefinition window;
  window.label = "P1$WINDOW";
  window.rect = {DefaultPosition, 12, DefaultPosition, 40};
  window.controls = {test::control(K::Button, "?OK", {DefaultPosition, DefaultPosition, 40, 14})};
  std::vector<uint8_t> block = writeDefinitionBlock({window});
  EXPECT_EQ(u32At(block, 4 + 13), 0x80000000u);
  EXPECT_EQ(u32At(block, 4 + 21), 0x80000000u);
  auto read = readDefinitionBlock(block);
  ASSERT_TRUE(read.ok()) << read.error;
  EXPECT_EQ(read.value->front().rect.x, DefaultPosition);
  EXPECT_EQ(read.value->front().rect.y, 12);
  EXPECT_EQ(read.value->front().controls[0].rect.x, DefaultPosition);
}

void expectRefused(const std::vector<uint8_t>& block, const std::string& part) {
  auto read = readDefinitionBlock(block);
  EXPECT_FALSE(read.ok());
  EXPECT_FALSE(read.value);
  EXPECT_NE(read.error.find(part), std::string::npos) << read.error;
}

TEST(DefinitionBlock, MalformedBlocksAreRefused) {
  std::vector<uint8_t> good = writeDefinitionBlock(test::sampleForm().windows);
  uint32_t window = u32At(good, 0);
  uint32_t firstControl = u32At(good, window - 2 + 29);
  auto with = [&](size_t index, uint32_t value) {
    std::vector<uint8_t> bad = good;
    for (int i = 0; i < 4; ++i) bad[index + i] = uint8_t(value >> (8 * i));
    return bad;
  };

  expectRefused({}, "runs past the end");
  expectRefused({1, 0}, "runs past the end");
  expectRefused(with(0, 1), "lies before the block");
  expectRefused(with(0, uint32_t(good.size()) + 2), "runs past the end");
  expectRefused(with(0, firstControl), "instead of 0x19");
  expectRefused(with(window - 2 + 1, window), "cycle");  // window is its own next
  // The first control (the sheet) names itself as its next sibling.
  expectRefused(with(firstControl - 2 + 1, firstControl), "cycle");
  // The window's title points at the last byte, the NUL taken away.
  std::vector<uint8_t> open = with(window - 2 + 41, uint32_t(good.size()) + 1);
  open.back() = 'x';
  expectRefused(open, "no terminating NUL");

  std::vector<uint8_t> unknown = good;
  unknown[firstControl - 2] = 0x7F;
  expectRefused(unknown, "unknown kind 0x7F");
  std::vector<uint8_t> tabAtTop = good;
  tabAtTop[firstControl - 2] = K::Tab;  // a TAB directly in the window
  expectRefused(tabAtTop, "belongs directly inside a SHEET");

  for (size_t length = 0; length < good.size(); length += 7) {
    auto read = readDefinitionBlock(std::span(good).first(length));
    EXPECT_FALSE(read.ok()) << "truncated to " << length;
  }
  auto split = splitDefinitionResource(std::vector<uint8_t>{'A', '$', 'B'});
  EXPECT_NE(split.error.find("no terminating NUL"), std::string::npos);
}

TEST(DefinitionBlock, DeepNestingIsRefused) {
  // Groups inside groups, deeper than any window needs.
  WindowDefinition window;
  window.label = "P1$WINDOW";
  std::vector<ControlDefinition>* level = &window.controls;
  for (int depth = 0; depth <= DefinitionLayout::MaxNesting; ++depth) {
    level->push_back(test::control(K::Group, "?G" + std::to_string(depth)));
    level = &level->back().children;
  }
  expectRefused(writeDefinitionBlock({window}), "nested more than");
}

TEST(DefinitionBlock, RandomDamageGivesAnErrorOrAWindowNeverACrash) {
  std::vector<uint8_t> good = writeDefinitionBlock(test::sampleForm().windows);
  std::mt19937 random(7);
  int refused = 0;
  for (int round = 0; round < 2000; ++round) {
    std::vector<uint8_t> damaged = good;
    int changes = 1 + int(random() % 4);
    for (int i = 0; i < changes; ++i) damaged[random() % damaged.size()] = uint8_t(random());
    auto read = readDefinitionBlock(damaged);
    EXPECT_NE(read.ok(), read.error.size() > 0);
    if (!read.ok()) {
      ++refused;
      continue;
    }
    // Whatever reads writes back into a block that reads the same.
    auto again = readDefinitionBlock(writeDefinitionBlock(*read.value));
    EXPECT_TRUE(again.ok()) << again.error;
    if (again.ok()) {
      EXPECT_EQ(*again.value, *read.value);
    }
  }
  EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace zor::ui
