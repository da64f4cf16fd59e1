// The application's dictionary on the framework's managers: the tables are
// created on first use, sections are unique without regard to case,
// settings are numbered after the highest SIN:ID, and renaming or deleting
// a section clears its settings' section without deleting any of them.

#include "app/dictionary.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include "tests/app/app_test_support.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/record_layouts.h"
#include "app/tables.h"
#include "data/file_statements.h"
#include "framework/error_reporter.h"

namespace qv {
namespace {

namespace Level = zor::fw::Level;

std::string cstringAt(const std::vector<uint8_t>& record, uint32_t offset) {
  return std::string(reinterpret_cast<const char*>(record.data() + offset));
}
void putCString(std::vector<uint8_t>& record, uint32_t offset, uint32_t size,
                const std::string& text) {
  std::memset(record.data() + offset, 0, size);
  std::memcpy(record.data() + offset, text.data(), text.size());
}

class DictionaryTest : public testing::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    dictionarySetUp();
  }
  void TearDown() override {
    if (opened_) sections().Close();
    dictionaryTearDown();
    zor::data::statement::close(sectionsTable());
    zor::data::statement::close(setupIniTable());
    TempFolderTest::TearDown();
  }

  static zor::fw::RelationManager& sections() { return *threadDictionary().sections.relate; }
  static zor::fw::FileManager& sectionFiles() { return *threadDictionary().sections.access; }
  static zor::fw::FileManager& settingFiles() { return *threadDictionary().setupIni.access; }

  void open() {
    ASSERT_EQ(sections().Open(), Level::Benign);
    opened_ = true;
  }
  static uint8_t addSection(const std::string& name) {
    sectionFiles().PrimeRecord();
    putCString(sectionsTable().record, sections::kDescription, sections::kDescriptionSize, name);
    return sectionFiles().Insert();
  }
  static int32_t addSetting(const std::string& section, const std::string& name) {
    std::vector<uint8_t>& record = setupIniTable().record;
    settingFiles().PrimeRecord();
    putCString(record, setup_ini::kIniSection, setup_ini::kIniSectionSize, section);
    putCString(record, setup_ini::kSectionDescription, setup_ini::kSectionDescriptionSize, name);
    EXPECT_EQ(settingFiles().Insert(), Level::Benign) << name;
    int32_t id = 0;
    std::memcpy(&id, record.data() + setup_ini::kId, 4);
    return id;
  }
  static void findSection(const std::string& name) {
    putCString(sectionsTable().record, sections::kDescription, sections::kDescriptionSize, name);
    ASSERT_EQ(sectionFiles().FetchByKey(sectionsDescriptionKey()), Level::Benign) << name;
  }
  // Every setting as "name:section", in SIN:ID order.
  static std::vector<std::string> settings() {
    std::vector<std::string> rows;
    EXPECT_EQ(settingFiles().SetOrder(setupIniIdKey()), Level::Benign);
    while (settingFiles().ReadNext() == Level::Benign) {
      const std::vector<uint8_t>& record = setupIniTable().record;
      rows.push_back(cstringAt(record, setup_ini::kSectionDescription) + ":" +
                     cstringAt(record, setup_ini::kIniSection));
    }
    return rows;
  }

  bool opened_ = false;
};

TEST_F(DictionaryTest, TablesAreCreatedOnFirstOpen) {
  EXPECT_FALSE(std::filesystem::exists("section.edt"));
  open();
  EXPECT_TRUE(std::filesystem::exists("section.edt"));
  EXPECT_TRUE(std::filesystem::exists("Setup.edt"));
  EXPECT_EQ(sectionFiles().Create, 1);
  EXPECT_EQ(sectionFiles().LockRecover, 10);
  EXPECT_EQ(settingFiles().HasAutoInc, 1);
}

TEST_F(DictionaryTest, ASectionDifferingOnlyInCaseIsADuplicate) {
  open();
  EXPECT_EQ(addSection("Graphics"), Level::Benign);
  EXPECT_EQ(addSection("GRAPHICS"), Level::Notify);
  const zor::fw::ErrorStatus status = zor::fw::ErrorReporter::Global().Status();
  EXPECT_EQ(status.errorBuffer.id, 15);
  EXPECT_EQ(status.fileName, "Sections");
  EXPECT_EQ(status.keyName, "SEC:P_Description");
  EXPECT_EQ(status.messageText, "SEC:P_Description (SEC:DESCRIPTION)");
}

TEST_F(DictionaryTest, RenamingOrDeletingASectionClearsItsSettingsAndDeletesNone) {
  open();
  ASSERT_EQ(addSection("Graphics"), Level::Benign);
  ASSERT_EQ(addSection("Sound"), Level::Benign);
  EXPECT_EQ(addSetting("Graphics", "Width"), 1);
  EXPECT_EQ(addSetting("Sound", "Volume"), 2);
  EXPECT_EQ(addSetting("graphics", "Height"), 3);
  EXPECT_EQ(addSetting("", "Loose"), 4);

  findSection("GRAPHICS");
  putCString(sectionsTable().record, sections::kDescription, sections::kDescriptionSize, "Video");
  ASSERT_EQ(sections().Update(), Level::Benign);
  EXPECT_EQ(settings(), (std::vector<std::string>{"Width:", "Volume:Sound", "Height:", "Loose:"}));

  findSection("Sound");
  ASSERT_EQ(sections().Delete(0), Level::Benign);
  EXPECT_EQ(settings(), (std::vector<std::string>{"Width:", "Volume:", "Height:", "Loose:"}));

  // Numbering goes on after the highest number in use.
  EXPECT_EQ(addSetting("Video", "Depth"), 5);
}

}  // namespace
}  // namespace qv
