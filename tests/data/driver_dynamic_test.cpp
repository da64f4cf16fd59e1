#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/dynamic_file_support.h"
#include "data/file_control_block.h"
#include "data/file_errors.h"
#include "runtime/error_state.h"
#include "runtime/type_codes.h"

namespace zor::data {
namespace {

int changedFiles = 0;
int changeFileEntry(FileControlBlock*) {
  return ++changedFiles == 1 ? 0 : 52;
}
int changeDriverEntry(FileControlBlock*) {
  return 7;
}

void* symbol(DynamicFileEntry entry) {
  return reinterpret_cast<void*>(entry);
}

// Records where the support looked for its entry points.
struct FakeSymbols {
  std::vector<std::string> looked;
  bool inProgram = false;
  bool libraryPresent = false;
  int unloaded = 0;
  int library = 0;

  DynamicSymbolSource source() {
    return DynamicSymbolSource{
        [this](const std::string& name) -> void* {
          looked.push_back("program " + name);
          if (!inProgram) return nullptr;
          return name == kChangeFileEntryName ? symbol(&changeFileEntry)
                                              : symbol(&changeDriverEntry);
        },
        [this](const std::string& path) -> void* {
          looked.push_back("load " + path);
          return libraryPresent ? &library : nullptr;
        },
        [this](void*, const std::string& name) -> void* {
          looked.push_back("library " + name);
          return name == kChangeFileEntryName ? symbol(&changeFileEntry)
                                              : symbol(&changeDriverEntry);
        },
        [this](void*) { ++unloaded; },
    };
  }
};

TEST(DynamicFileSupportTest, WithoutEntryPointsOrLibraryReportsNotFound) {
  FakeSymbols symbols;
  DynamicFileSupport support(symbols.source());
  FileControlBlock fcb;
  EXPECT_EQ(support.changeFile(fcb), kErrInvalidRecordDeclaration);
  EXPECT_FALSE(support.isLoaded());
  EXPECT_EQ(fileErrorCode(), "SYSTEM : 0 : Driver : S00002");
  EXPECT_EQ(fileErrorText(), "Dynamic File Support Not Found");
  EXPECT_EQ(symbols.looked,
            (std::vector<std::string>{"program _Zor$CHANGE_FILE", "program _Zor$CHANGE_DRIVER",
                                      "load Z60dfx.dll"}));
  // A failed load is tried again.
  EXPECT_EQ(support.load(), kErrInvalidRecordDeclaration);
  EXPECT_EQ(symbols.looked.size(), 6u);
}

TEST(DynamicFileSupportTest, EntryPointsInTheProgramComeFirstAndLoadOnce) {
  FakeSymbols symbols;
  symbols.inProgram = true;
  symbols.libraryPresent = true;
  DynamicFileSupport support(symbols.source());
  FileControlBlock fcb;
  changedFiles = 0;
  EXPECT_EQ(support.changeFile(fcb), 0);
  EXPECT_EQ(support.changeFile(fcb), 52);  // the entry's result is passed on
  EXPECT_EQ(support.changeDriver(fcb), 7);
  EXPECT_EQ(symbols.looked.size(), 2u);  // looked up once, never loaded the library
}

TEST(DynamicFileSupportTest, LibraryIsLoadedOnDemandAndUnloadedAtTheEnd) {
  FakeSymbols symbols;
  symbols.libraryPresent = true;
  {
    DynamicFileSupport support(symbols.source());
    EXPECT_EQ(support.load(), 0);
    EXPECT_TRUE(support.isLoaded());
    EXPECT_EQ(symbols.looked.back(), "library _Zor$CHANGE_DRIVER");
  }
  EXPECT_EQ(symbols.unloaded, 1);
}

TEST(DynamicFileSupportTest, PreparingADeclarationLoadsTheSupportThenChecksIt) {
  FileControlBlock fcb;
  fcb.driverName = "ASCII";
  fcb.record.resize(10);
  FieldDescriptor text;
  text.type = kString;
  text.size = 10;
  fcb.addField(text, "T:TEXT");

  FakeSymbols missing;
  DynamicFileSupport without(missing.source());
  EXPECT_EQ(prepareDynamicDeclaration(fcb, without), kErrInvalidRecordDeclaration);
  EXPECT_EQ(fileErrorText(), "Dynamic File Support Not Found");

  FakeSymbols present;
  present.inProgram = true;
  DynamicFileSupport with(present.source());
  EXPECT_EQ(prepareDynamicDeclaration(fcb, with), 0);
  fcb.addField(text, "T:TEXT");
  EXPECT_EQ(prepareDynamicDeclaration(fcb, with), kErrInvalidRecordDeclaration);
  EXPECT_EQ(fileErrorCode(), "FIELD : 2 : T:TEXT : S00002");
}

TEST(DynamicFileSupportTest, TheProcessWideSupportFindsNothingInThisProgram) {
  FileControlBlock fcb;
  EXPECT_EQ(dynamicFileSupport().changeDriver(fcb), kErrInvalidRecordDeclaration);
  EXPECT_EQ(errorCode(), kErrInvalidRecordDeclaration);
  EXPECT_EQ(fileErrorText(), "Dynamic File Support Not Found");
}

}  // namespace
}  // namespace zor::data
