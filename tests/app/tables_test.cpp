// The application's two tables on the native driver: their declarations,
// and the rules the application relies on (sections unique without regard
// to case, settings sharing a section, settings without a section left out
// of the section key).

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/record_layouts.h"
#include "app/tables.h"
#include "data/file_errors.h"
#include "data/file_statements.h"
#include "data/tarnwick/table_verify.h"
#include "data/tarnwick/tarnwick_driver.h"
#include "runtime/type_codes.h"

namespace qv {
namespace {

namespace st = zor::data::statement;

void putCString(std::vector<uint8_t>& record, uint32_t offset, uint32_t size,
                const std::string& text) {
  std::memset(record.data() + offset, 0, size);
  std::memcpy(record.data() + offset, text.data(), text.size());
}

std::string cstringAt(const std::vector<uint8_t>& record, uint32_t offset) {
  return std::string(reinterpret_cast<const char*>(record.data() + offset));
}

class TablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    zor::tarnwick::registerTarnwickDriver();
    previous_ = std::filesystem::current_path();
    folder_ = std::filesystem::temp_directory_path() /
              ("qv_tables_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    std::filesystem::current_path(folder_);
  }

  void TearDown() override {
    st::close(sectionsTable());
    st::close(setupIniTable());
    for (const char* file : {"section.edt", "Setup.edt"}) {
      if (std::filesystem::exists(file)) {
        const zor::tarnwick::TableCheck check = zor::tarnwick::checkTables(file);
        EXPECT_TRUE(check.ok()) << file;
      }
    }
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(folder_);
  }

  // Opens a table, creating it when missing, as the file managers do.
  static void openOrCreate(zor::data::FileControlBlock& fcb) {
    int result = st::open(fcb, st::kReadWriteDenyNone);
    if (result == zor::data::kErrFileNotFound) {
      ASSERT_EQ(st::create(fcb), 0);
      result = st::open(fcb, st::kReadWriteDenyNone);
    }
    ASSERT_EQ(result, 0);
  }

  static int addSection(const std::string& description) {
    zor::data::FileControlBlock& fcb = sectionsTable();
    putCString(fcb.record, sections::kDescription, sections::kDescriptionSize, description);
    return st::add(fcb);
  }

  static int addSetting(int32_t id, const std::string& section, const std::string& name) {
    zor::data::FileControlBlock& fcb = setupIniTable();
    std::fill(fcb.record.begin(), fcb.record.end(), 0);
    std::memcpy(fcb.record.data() + setup_ini::kId, &id, 4);
    putCString(fcb.record, setup_ini::kIniSection, setup_ini::kIniSectionSize, section);
    putCString(fcb.record, setup_ini::kSectionDescription, setup_ini::kSectionDescriptionSize,
               name);
    putCString(fcb.record, setup_ini::kHelpDescription, setup_ini::kHelpDescriptionSize,
               std::string(5000, 'h'));
    fcb.record[setup_ini::kStatus] = 1;
    return st::add(fcb);
  }

  std::filesystem::path previous_;
  std::filesystem::path folder_;
};

TEST_F(TablesTest, DeclarationsAreTheDictionarys) {
  const zor::data::FileControlBlock& sections = sectionsTable();
  EXPECT_EQ(sections.name, "section.edt");
  EXPECT_EQ(sections.prefix, "SEC");
  EXPECT_EQ(sections.record.size(), 50u);
  EXPECT_TRUE(sections.isThreaded());
  ASSERT_EQ(sections.keys.size(), 1u);
  EXPECT_EQ(sections.keys[0].label, "SEC:P_Description");
  EXPECT_EQ(sections.keys[0].attributes,
            zor::data::kKeyPrimary | zor::data::kKeyNoCase | zor::data::kKeyOpt);

  const zor::data::FileControlBlock& settings = setupIniTable();
  EXPECT_EQ(settings.name, "Setup.edt");
  EXPECT_EQ(settings.record.size(), 6255u);
  ASSERT_EQ(settings.fields.size(), 7u);
  std::vector<uint32_t> offsets;
  for (const zor::FieldDescriptor& field : settings.fields) offsets.push_back(field.offset);
  EXPECT_EQ(offsets, (std::vector<uint32_t>{0, 4, 54, 154, 204, 6204, 6254}));
  EXPECT_EQ(setupIniIdKey().label, "SIN:p_ID");
  EXPECT_EQ(setupIniIdKey().attributes, zor::data::kKeyPrimary | zor::data::kKeyNoCase);
  EXPECT_EQ(setupIniSectionKey().label, "SIN:P_Section");
  EXPECT_EQ(setupIniSectionKey().attributes,
            zor::data::kKeyDup | zor::data::kKeyNoCase | zor::data::kKeyOpt);
}

TEST_F(TablesTest, SectionsAreUniqueWithoutRegardToCase) {
  openOrCreate(sectionsTable());
  ASSERT_EQ(addSection("General"), 0);
  EXPECT_EQ(addSection("GENERAL"), zor::data::kErrDuplicateKey);
  ASSERT_EQ(addSection("Video"), 0);
  ASSERT_EQ(st::close(sectionsTable()), 0);
  // Reopened with the same declaration, the stored definition matches.
  openOrCreate(sectionsTable());
  int64_t count = 0;
  ASSERT_EQ(st::records(sectionsTable(), count), 0);
  EXPECT_EQ(count, 2);
  putCString(sectionsTable().record, 0, 50, "video");
  ASSERT_EQ(st::get(sectionsTable(), sectionsDescriptionKey()), 0);
  EXPECT_EQ(cstringAt(sectionsTable().record, 0), "Video");
}

TEST_F(TablesTest, SettingsShareSectionsAndThoseWithoutOneStayOutOfTheSectionKey) {
  openOrCreate(setupIniTable());
  ASSERT_EQ(addSetting(1, "Video", "Width"), 0);
  ASSERT_EQ(addSetting(2, "General", "Language"), 0);
  ASSERT_EQ(addSetting(3, "video", "Height"), 0);
  ASSERT_EQ(addSetting(4, "", "Orphan"), 0);
  EXPECT_EQ(addSetting(4, "General", "Again"), zor::data::kErrDuplicateKey);
  int64_t inSectionKey = 0;
  ASSERT_EQ(st::records(setupIniTable(), setupIniSectionKey(), inSectionKey), 0);
  EXPECT_EQ(inSectionKey, 3);
  // The settings of section "VIDEO", in the section key's order.
  zor::data::FileControlBlock& fcb = setupIniTable();
  putCString(fcb.record, setup_ini::kIniSection, setup_ini::kIniSectionSize, "VIDEO");
  ASSERT_EQ(st::setToKeyValue(fcb, setupIniSectionKey()), 0);
  std::vector<std::string> names;
  while (st::next(fcb) == 0 && cstringAt(fcb.record, setup_ini::kIniSection) != "General") {
    names.push_back(cstringAt(fcb.record, setup_ini::kSectionDescription));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Width", "Height"}));
  int32_t id = 2;
  std::memcpy(fcb.record.data() + setup_ini::kId, &id, 4);
  ASSERT_EQ(st::get(fcb, setupIniIdKey()), 0);
  EXPECT_EQ(cstringAt(fcb.record, setup_ini::kSectionDescription), "Language");
  EXPECT_EQ(cstringAt(fcb.record, setup_ini::kHelpDescription), std::string(5000, 'h'));
}

}  // namespace
}  // namespace qv
