// The program's own window declarations, damaged: numbers swapped for the
// extremes of every range (positions, sizes, list field numbers such as
// #2147483647#), characters changed, and compiled blocks with their words
// overwritten. Whatever still reads is built into a window and drawn; every
// input must end in a message or a window, never outside memory, in an
// overflow or without end. A few hundred inputs in CI; many more with
// ZOR_LONG_TESTS=1.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tests/ui/ui_test_support.h"
#include "ui/definition/definition_block.h"
#include "ui/definition/definition_source.h"
#include "ui/definition/definition_writer.h"
#include "ui/window.h"
#include "ui/window_builder.h"
#include "ui/window_painter.h"

namespace zor::ui {
namespace {

int rounds(int normal) {
  return std::getenv("ZOR_LONG_TESTS") != nullptr ? normal * 50 : normal;
}

std::vector<std::string> realDeclarations() {
  std::vector<std::string> texts;
  const std::pair<const char*, std::vector<const char*>> folders[] = {
      {ZOR_APP_WINDOWS_DIR,
       {"main.win", "select_sections.win", "setup_ini.win", "update_sections.win",
        "update_settings.win"}},
      {ZOR_FRAMEWORK_WINDOWS_DIR, {"edit_in_place.win", "error_reporter.win", "popup_toolbox.win"}},
      {ZOR_DRIVER_WINDOWS_DIR, {"string_builder.win", "table_picker.win"}}};
  for (const auto& [folder, files] : folders) {
    for (const char* file : files) {
      std::ifstream in(std::string(folder) + "/" + file, std::ios::binary);
      texts.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  }
  return texts;
}

const char* const kExtremes[] = {"2147483647", "-2147483648", "4294967295", "134217728",
                                 "32768",      "-32769",      "65536",      "0"};

// Replaces one run of digits with an extreme, or changes one character.
std::string damage(std::string text, std::mt19937& random) {
  if (text.empty()) return text;
  const size_t at = random() % text.size();
  if (random() % 3 != 0) {
    size_t start = text.find_first_of("0123456789", at);
    if (start == std::string::npos) start = text.find_first_of("0123456789");
    if (start == std::string::npos) return text;
    const size_t end = text.find_first_not_of("0123456789", start);
    text.replace(start, (end == std::string::npos ? text.size() : end) - start,
                 kExtremes[random() % std::size(kExtremes)]);
    return text;
  }
  text[at] = "{}\"#@|~()[]-9 x\n"[random() % 16];
  return text;
}

// Builds and draws every window of the modules; a definition the window
// system cannot build is a fatal runtime error, which the trap turns into
// an exception (the program would show it and end).
void buildAndDraw(const std::vector<DefinitionModule>& modules) {
  for (const DefinitionModule& module : modules) {
    for (const WindowDefinition& definition : module.windows) {
      test::FatalErrorTrap trap;
      try {
        std::unique_ptr<Window> window = buildWindow(definition);
        const Canvas canvas = paintWindow(*window);
        EXPECT_LE(canvas.width(), 1024);
        EXPECT_LE(canvas.height(), 512);
      } catch (const test::FatalError& error) {
        EXPECT_NE(error.code, 0) << error.what();
      }
    }
  }
}

TEST(DefinitionFuzz, DamagedDeclarationsAreRefusedOrBuiltAndDrawn) {
  const std::vector<std::string> real = realDeclarations();
  std::mt19937 random(41);
  int refused = 0, built = 0;
  for (int round = 0; round < rounds(300); ++round) {
    std::string text = real[random() % real.size()];
    for (int changes = 1 + static_cast<int>(random() % 3); changes > 0; --changes)
      text = damage(text, random);
    auto parsed = parseDeclarations(text, "fuzz.win");
    if (!parsed.ok()) {
      ++refused;
      EXPECT_EQ(parsed.error.rfind("fuzz.win:", 0), 0u) << parsed.error;
      continue;
    }
    ++built;
    buildAndDraw(*parsed.value);
    for (const DefinitionModule& module : *parsed.value) {
      const std::vector<uint8_t> block = writeDefinitionResource(module);
      auto read = readDefinitionResource(block);
      ASSERT_TRUE(read.ok()) << read.error;
      EXPECT_EQ(*read.value, module);
    }
  }
  EXPECT_GT(refused, 0);
  EXPECT_GT(built, 0);
}

TEST(DefinitionFuzz, DamagedBlocksAreRefusedOrBuiltAndDrawn) {
  std::vector<std::vector<uint8_t>> blocks;
  for (const std::string& text : realDeclarations()) {
    auto parsed = parseDeclarations(text, "real.win");
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    for (const DefinitionModule& module : *parsed.value)
      blocks.push_back(writeDefinitionResource(module));
  }
  const uint32_t words[] = {0x80000000u, 0x7FFFFFFFu, 0xFFFFFFFFu, 0x08000000u, 0x8000u, 0};
  std::mt19937 random(42);
  int refused = 0;
  for (int round = 0; round < rounds(300); ++round) {
    std::vector<uint8_t> block = blocks[random() % blocks.size()];
    for (int changes = 1 + static_cast<int>(random() % 3); changes > 0; --changes) {
      const size_t at = (random() % (block.size() / 4)) * 4;
      const uint32_t word = random() % 2 ? words[random() % std::size(words)] : random();
      for (size_t b = 0; b < 4 && at + b < block.size(); ++b)
        block[at + b] = static_cast<uint8_t>(word >> (8 * b));
    }
    auto read = readDefinitionResource(block);
    if (!read.ok()) {
      ++refused;
      continue;
    }
    buildAndDraw({*read.value});
  }
  EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace zor::ui
