// Malformed, random and huge format strings: reading them always ends, the
// validator and the list agree, and whatever reads fully writes back to a
// text that reads to the same records.

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "runtime/queue.h"
#include "runtime/type_codes.h"
#include "ui/list_box/list_format_parser.h"
#include "ui/list_box/list_format_writer.h"
#include "ui/list_box/list_view.h"

namespace zor::ui {
namespace {

// Every valid text reads leniently too, to the same records; what is
// written reads strictly and writes again to itself.
void checkFormat(const std::string& text) {
  size_t strict = validateListFormat(text);
  ListParseResult lenient = parseListFormat(text);
  ASSERT_LE(strict, text.size() + 1) << text;
  ASSERT_LE(lenient.stop, text.size() + 1) << text;
  if (strict == 0) {
    ASSERT_TRUE(lenient.ok()) << text;
  } else if (lenient.ok()) {
    // The strict reading refuses only a justification letter or an
    // unterminated picture.
    char refused = text[strict - 1];
    ASSERT_TRUE(refused == '@' || std::string_view("LRCD").find(refused) == std::string_view::npos)
        << text;
  }
  if (!lenient.ok()) return;
  std::string written = writeListFormat(lenient.format);
  ASSERT_EQ(validateListFormat(written), 0u) << text << " -> " << written;
  ListParseResult again = parseListFormat(written);
  ASSERT_EQ(writeListFormat(again.format), written) << text;
  ASSERT_EQ(again.format.columns.size(), lenient.format.columns.size());
  for (size_t i = 0; i < again.format.columns.size(); ++i) {
    ASSERT_EQ(again.format.columns[i].field, lenient.format.columns[i].field) << text;
  }
}

std::string randomText(std::mt19937& random, std::string_view alphabet, size_t most) {
  std::string text(random() % (most + 1), ' ');
  for (char& c : text) {
    c = alphabet.empty() ? static_cast<char>(random() & 0xFF)
                         : alphabet[random() % alphabet.size()];
  }
  return text;
}

TEST(ListFormatFuzz, RandomBytes) {
  std::mt19937 random(1234);
  for (int i = 0; i < 3000; ++i) checkFormat(randomText(random, {}, 48));
}

TEST(ListFormatFuzz, RandomFormatAlphabet) {
  std::mt19937 random(99);
  const std::string_view alphabet = "0123456789LRCDlrcdEZQ/?@#*IJYPT|_FMSH~()[],'\"-hAB1 sn.";
  for (int i = 0; i < 6000; ++i) checkFormat(randomText(random, alphabet, 40));
}

TEST(ListFormatFuzz, MutationsOfRealFormats) {
  std::mt19937 random(7);
  const std::string seeds[] = {
      "12L(2)|MJ~Status~@p p@120L(2)|M~Section Description~@s99@92L(2)|M~Default Value~@s49@",
      "[40L~A~/40L*#4#~B~](80)|~Both~C(2)20RE(0FFH,,1,2)Z(3)Q'tip'T(LB)?",
      "117L(1)|F~Name~L(2)@s40@217L(2)|M~Message~S(255)H(4)@n-12.2@YP"};
  for (int i = 0; i < 4000; ++i) {
    std::string text = seeds[random() % 3];
    for (int edits = 1 + random() % 3; edits > 0; --edits) {
      size_t at = random() % (text.size() + 1);
      switch (random() % 3) {
        case 0:
          text.insert(at, 1, static_cast<char>(random() & 0xFF));
          break;
        case 1:
          if (at < text.size()) text.erase(at, 1);
          break;
        default:
          if (at < text.size()) text[at] = static_cast<char>(random() & 0xFF);
          break;
      }
    }
    checkFormat(text);
  }
}

TEST(ListFormatFuzz, HugeTextsEndQuickly) {
  checkFormat("10L~" + std::string(1 << 20, 'h') + "~");
  checkFormat("10L~" + std::string(1 << 20, '\n') + "~");
  checkFormat("10L@" + std::string(100000, 's') + "@");
  checkFormat("10L@" + std::string(100000, 's'));
  checkFormat(std::string(100000, '['));
  checkFormat(std::string(100000, '9'));
  checkFormat("10LE(" + std::string(100000, '0') + "1H)");
  std::string many;
  for (int i = 0; i < 20000; ++i) many += "2147483647L*IJTYP/";
  checkFormat(many);
  ListParseResult wide = parseListFormat(many, ListFont{1000, 1000});
  ASSERT_TRUE(wide.ok());
  EXPECT_GT(wide.format.columns.back().field, 0);
}

TEST(ListFormatFuzz, RandomFormatsRenderOverRows) {
  FieldDescriptor text;
  text.type = kCString;
  text.size = 8;
  FieldDescriptor number;
  number.type = kLong;
  number.offset = 8;
  number.size = 4;
  Queue queue({text, number}, 12);
  uint8_t row[12] = {'a', 'b', 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F};
  for (int i = 0; i < 5; ++i) queue.add(row);
  std::mt19937 random(5);
  const std::string_view alphabet = "0123456789LRCD*IJYPT|_FM/?~@sn.#[]()-";
  ListView view;
  view.setQueue(&queue);
  view.setSize(30, 8);
  ListCells cells;
  for (int i = 0; i < 3000; ++i) {
    if (view.setFormat(randomText(random, alphabet, 30)) != 0) continue;
    view.select(static_cast<size_t>(random() % 6));
    view.setHorizontalOffset(static_cast<int>(random() % 40));
    view.render(cells);
    view.key(ListKey::Down);
    view.click(static_cast<int>(random() % 30), static_cast<int>(random() % 8));
  }
  // Measures far beyond any screen, in a large font, scrolled to the end.
  view.setFont(ListFont{1000, 1});
  ASSERT_EQ(view.setFormat("2147483647L(2147483647)~h~R(2147483647)2147483647R@n9@#2#0L1C"), 0u);
  view.setHorizontalOffset(std::numeric_limits<int>::max());
  view.render(cells);
  EXPECT_GT(view.columnAt(29), 0);
  view.click(29, 0);
}

TEST(ListStringStore, TextsAreSharedAndDroppedWithTheirLastUser) {
  ListStringStore store;
  {
    StoredText a = store.store("Status");
    StoredText b = store.store("Status");
    StoredText copy = a;
    StoredText moved = std::move(b);
    EXPECT_EQ(store.size(), 1u);
    EXPECT_EQ(store.users("Status"), 3u);
    EXPECT_EQ(a.view().data(), moved.view().data());
    EXPECT_TRUE(store.store("").empty());
    copy = store.store("Other");
    EXPECT_EQ(store.users("Status"), 2u);
    EXPECT_EQ(store.size(), 2u);
  }
  EXPECT_EQ(store.size(), 0u);
}

TEST(ListStringStore, FormatsReleaseTheirTexts) {
  ListStringStore& global = ListStringStore::global();
  size_t before = global.size();
  {
    ListParseResult a = parseListFormat("10L~unique header 1~@s77@");
    ListParseResult b = a;
    EXPECT_EQ(global.users("unique header 1"), 2u);
    EXPECT_EQ(global.users("@s77"), 2u);
  }
  EXPECT_EQ(global.size(), before);
}

TEST(ListStringStore, ListsOnSeveralThreadsShareTheStore) {
  ListStringStore& global = ListStringStore::global();
  size_t before = global.size();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < 300; ++i) {
        ListParseResult a = parseListFormat("10L~shared~@s9@20R~thread " + std::to_string(t) + "~");
        ListParseResult copy = a;
        ASSERT_EQ(copy.format.columns[0].header.view(), "shared");
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(global.size(), before);
}

}  // namespace
}  // namespace zor::ui
