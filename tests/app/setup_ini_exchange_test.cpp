// Importing a Setup.ini into the database and exporting it again: a file of
// 300 keys comes back as it was and a second import changes nothing;
// documented keys keep their help and status; malformed files are refused
// with their line and change nothing.

#include "app/setup_ini_exchange.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include "tests/app/app_test_support.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/dictionary.h"
#include "app/record_layouts.h"
#include "app/tables.h"
#include "data/file_statements.h"

namespace qv {
namespace {

namespace st = zor::data::statement;

class SetupIniExchangeTest : public testing::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    dictionarySetUp();
  }
  void TearDown() override {
    dictionaryTearDown();
    st::close(sectionsTable());
    st::close(setupIniTable());
    TempFolderTest::TearDown();
  }

  static void write(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
  }
  static std::string read(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // Ten sections of thirty keys, some with one or two lines of help, in
  // the form export writes.
  static std::string setupIni() {
    std::string text;
    for (int section = 0; section < 10; ++section) {
      if (section > 0) text += "\n";
      text += "[Section" + std::to_string(section) + "]\n";
      for (int key = 0; key < 30; ++key) {
        if (key % 3 == 1) text += "; What key " + std::to_string(key) + " does.\n";
        if (key % 3 == 2) text += "; Line one; with = signs.\n; Line 'two'.\n";
        text += "Key" + std::to_string(key) + "=" + (key % 5 == 0 ? "" : std::to_string(key * 7)) +
                "\n";
      }
    }
    return text;
  }
};

TEST_F(SetupIniExchangeTest, ImportAndExportGiveBackEveryKeyAndAReimportChangesNothing) {
  write("in.ini", setupIni());
  ExchangeReport first = importSetupIni("in.ini");
  ASSERT_TRUE(first.ok()) << first.summary(false);
  EXPECT_EQ(first.sectionsAdded, 10);
  EXPECT_EQ(first.settingsAdded, 300);

  ExchangeReport exported = exportSetupIni("out.ini");
  ASSERT_TRUE(exported.ok()) << exported.summary(true);
  EXPECT_EQ(exported.settingsKept, 300);
  EXPECT_EQ(read("out.ini"), setupIni());

  ExchangeReport second = importSetupIni("out.ini");
  ASSERT_TRUE(second.ok());
  EXPECT_EQ(second.sectionsAdded, 0);
  EXPECT_EQ(second.sectionsKept, 10);
  EXPECT_EQ(second.settingsAdded, 0);
  EXPECT_EQ(second.settingsUpdated, 0);
  EXPECT_EQ(second.settingsKept, 300);
  EXPECT_EQ(second.summary(false),
            "sections: 0 added, 10 kept; settings: 0 added, 0 updated, 300 kept, 0 repeated keys "
            "skipped");
}

TEST_F(SetupIniExchangeTest, DocumentedKeysKeepTheirHelpAndStatus) {
  write("in.ini", "[Graphics]\n; Pixels across.\nWidth=800\nWidth=1024\nHeight=600\n");
  ASSERT_TRUE(importSetupIni("in.ini").ok());
  // Height becomes obsolete.
  zor::fw::FileManager& settings = *threadDictionary().setupIni.access;
  ASSERT_EQ(threadDictionary().sections.relate->Open(), zor::fw::Level::Benign);
  int32_t id = 2;
  std::memcpy(setupIniTable().record.data() + setup_ini::kId, &id, 4);
  ASSERT_EQ(settings.FetchByKey(setupIniIdKey()), zor::fw::Level::Benign);
  setupIniTable().record[setup_ini::kStatus] = 0;
  ASSERT_EQ(settings.Update(), zor::fw::Level::Benign);
  threadDictionary().sections.relate->Close();

  write("again.ini", "[GRAPHICS]\n; Another text.\nwidth=640\nHeight=600\nDepth=32\n");
  ExchangeReport again = importSetupIni("again.ini");
  ASSERT_TRUE(again.ok()) << again.summary(false);
  EXPECT_EQ(again.sectionsKept, 1);
  EXPECT_EQ(again.settingsUpdated, 1) << "Width's default follows the file";
  EXPECT_EQ(again.settingsKept, 1);
  EXPECT_EQ(again.settingsAdded, 1);

  ExchangeReport exported = exportSetupIni("out.ini");
  ASSERT_TRUE(exported.ok());
  EXPECT_EQ(read("out.ini"), "[Graphics]\n; Pixels across.\nWidth=640\nDepth=32\n")
      << "Width kept its help, the obsolete Height is left out";
  EXPECT_EQ(exported.settingsSkipped, 1);
  // A setting whose name was left empty on the form is left out too.
  ASSERT_EQ(threadDictionary().sections.relate->Open(), zor::fw::Level::Benign);
  id = 3;
  std::memcpy(setupIniTable().record.data() + setup_ini::kId, &id, 4);
  ASSERT_EQ(settings.FetchByKey(setupIniIdKey()), zor::fw::Level::Benign);
  std::memset(setupIniTable().record.data() + setup_ini::kSectionDescription, 0,
              setup_ini::kSectionDescriptionSize);
  ASSERT_EQ(settings.Update(), zor::fw::Level::Benign);
  threadDictionary().sections.relate->Close();
  exported = exportSetupIni("out.ini");
  EXPECT_EQ(read("out.ini"), "[Graphics]\n; Pixels across.\nWidth=640\n");
  EXPECT_EQ(exported.settingsSkipped, 2);

  // A section gone from its table (a damaged or replaced section.edt): its
  // settings cannot be written and are counted as left out.
  st::close(sectionsTable());
  std::filesystem::remove("section.edt");
  exported = exportSetupIni("out.ini");
  ASSERT_TRUE(exported.ok()) << exported.summary(true);
  EXPECT_EQ(exported.settingsKept, 0);
  EXPECT_EQ(exported.settingsSkipped, 3);
  // Folders are named as such, both ways.
  std::filesystem::create_directory("folder.ini");
  EXPECT_EQ(exportSetupIni("folder.ini").problem,
            "folder.ini cannot be written: it is a folder, not a file");
  EXPECT_EQ(importSetupIni("folder.ini").problem,
            "folder.ini cannot be read: it is a folder, not a file");
}

TEST_F(SetupIniExchangeTest, AMalformedFileIsRefusedWithItsLineAndChangesNothing) {
  const struct {
    const char* text;
    int line;
    const char* why;
  } cases[] = {
      {"Width=800\n", 1, "a key before any section"},
      {"[Graphics]\nWidth=800\nnonsense\n", 3, "a line that is no section, key or comment"},
      {"[Graphics\nWidth=800\n", 1, "a section name without its closing ']'"},
      {"[Graphics]\n=800\n", 2, "a key without a name"},
      {"[]\n", 1, "an empty section name"},
  };
  for (const auto& c : cases) {
    write("bad.ini", c.text);
    ExchangeReport report = importSetupIni("bad.ini");
    EXPECT_FALSE(report.ok()) << c.text;
    EXPECT_EQ(report.problemLine, c.line) << c.text;
    EXPECT_EQ(report.problem, c.why) << c.text;
  }
  write("long.ini", "[Graphics]\n" + std::string(100, 'k') + "=1\n");
  EXPECT_EQ(importSetupIni("long.ini").summary(false),
            "long.ini, line 2: a key name longer than 99 characters");
  EXPECT_FALSE(importSetupIni("missing.ini").ok());
  ASSERT_TRUE(exportSetupIni("out.ini").ok());
  EXPECT_EQ(read("out.ini"), "") << "nothing was imported";
}

}  // namespace
}  // namespace qv
