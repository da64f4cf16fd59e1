#include "app/program.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/dictionary.h"
#include "app/program_globals.h"
#include "platform/profile.h"
#include "platform/program_path.h"
#include "platform/system_parameters.h"
#include "platform/threads.h"
#include "runtime/locale.h"
#include "ui/properties.h"
#include "ui/statements.h"

namespace {

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    profile_ = std::filesystem::temp_directory_path() /
               ("qv_program_test_" + std::to_string(::getpid()) + ".ini");
    std::filesystem::remove(profile_);
    zor::platform::setUserProfilePath(profile_.string());
    zor::platform::resetSystemParameterSession();
  }
  void TearDown() override {
    qv::dictionaryTearDown();
    zor::platform::setUserProfilePath("");
    std::filesystem::remove(profile_);
  }

  static int32_t dragFullWindows() {
    int32_t value = -1;
    zor::platform::systemParametersInfo(zor::platform::SPI_GETDRAGFULLWINDOWS, 0, &value, 0);
    return value;
  }
  static void setDragFullWindows(uint32_t value) {
    int32_t unused = 0;
    zor::platform::systemParametersInfo(zor::platform::SPI_SETDRAGFULLWINDOWS, value, &unused, 0);
  }

  std::filesystem::path profile_;
};

TEST_F(ProgramTest, DragFullWindowsIsOffWhileRunningAndRestoredAfter) {
  setDragFullWindows(1);
  int setsBefore = zor::platform::systemParameterSetCount();
  int32_t seenInside = -1;
  qv::ProgramParts parts;
  parts.mainWindow = [&] { seenInside = dragFullWindows(); };

  ASSERT_TRUE(qv::runProgramBody(parts));
  EXPECT_EQ(seenInside, 0);
  EXPECT_EQ(dragFullWindows(), 1);
  EXPECT_EQ(zor::platform::systemParameterSetCount() - setsBefore, 2);
}

TEST_F(ProgramTest, SettingOtherThanOneIsNeverChanged) {
  for (int32_t before : {0, 2}) {
    // Stored as the desktop keeps it, so that values other than 0 and 1 reach the program.
    zor::platform::writeProfileString("Desktop", "DragFullWindows", std::to_string(before));
    int setsBefore = zor::platform::systemParameterSetCount();
    qv::ProgramParts parts;
    parts.mainWindow = [] {};
    ASSERT_TRUE(qv::runProgramBody(parts));
    EXPECT_EQ(zor::platform::systemParameterSetCount(), setsBefore) << before;
    EXPECT_EQ(zor::platform::getProfileString("Desktop", "DragFullWindows", ""),
              std::to_string(before));
    qv::dictionaryTearDown();
  }
}

TEST_F(ProgramTest, GlobalsExistWhileTheMainWindowRunsAndAreReleasedAfter) {
  bool checked = false;
  qv::ProgramParts parts;
  parts.mainWindow = [&] {
    qv::ProgramGlobals& globals = qv::programGlobals();
    ASSERT_EQ(globals.errorReporter, &zor::fw::ErrorReporter::Global());
    ASSERT_TRUE(globals.textMatcher);
    EXPECT_TRUE(globals.textMatcher->option1());
    EXPECT_FALSE(globals.textMatcher->option2());
    EXPECT_EQ(qv::TextMatcher::Self, globals.textMatcher.get());
    ASSERT_TRUE(globals.iniManager && globals.iniManager->bound());
    EXPECT_EQ(globals.iniManager->FileName(), "QV_GUI_SetupiniAdmin.INI");
    EXPECT_EQ(globals.defaultWindowIcon, "~Security.ico");
    EXPECT_EQ(zor::ui::getProperty(zor::ui::SystemTarget, zor::ui::PROP::Icon), "~Security.ico");

    qv::ThreadDictionary& dictionary = qv::threadDictionary();
    ASSERT_NE(dictionary.setupIni.access, nullptr);
    ASSERT_NE(dictionary.sections.access, nullptr);
    EXPECT_EQ(dictionary.setupIni.access->FileNameValue, "SetupINI");
    EXPECT_EQ(dictionary.sections.access->FileNameValue, "Sections");
    EXPECT_EQ(dictionary.setupIni.relate->Me, dictionary.setupIni.access);
    EXPECT_EQ(dictionary.sections.access->Errors, globals.errorReporter);
    checked = true;
  };
  ASSERT_TRUE(qv::runProgramBody(parts));
  EXPECT_TRUE(checked);
  EXPECT_FALSE(qv::programGlobals().iniManager);
  EXPECT_FALSE(qv::programGlobals().textMatcher);
  EXPECT_EQ(qv::TextMatcher::Self, nullptr);
  // The file objects stay until the end of thread 1.
  EXPECT_NE(qv::threadDictionary().sections.access, nullptr);
  qv::dictionaryTearDown();
  EXPECT_EQ(qv::threadDictionary().sections.access, nullptr);
  EXPECT_EQ(qv::threadDictionary().setupIni.relate, nullptr);
}

TEST_F(ProgramTest, EveryOtherThreadGetsItsOwnFileObjects) {
  qv::registerThreadHooks();
  qv::dictionarySetUp();
  zor::fw::FileManager* mainSections = qv::threadDictionary().sections.access;
  zor::fw::FileManager* threadSections = nullptr;
  int threadNumber = 0;
  bool tornDownAtEnd = false;
  int hook = zor::platform::addThreadHooks([](int) {},
                                           [&](int) {
                                             // Hooks end in reverse order: this one runs before the
                                             // dictionary's.
                                             tornDownAtEnd =
                                                 qv::threadDictionary().sections.access != nullptr;
                                           });
  std::thread worker = zor::platform::startThread([&] {
    threadNumber = zor::platform::threadNumber();
    threadSections = qv::threadDictionary().sections.access;
  });
  worker.join();
  zor::platform::removeThreadHooks(hook);
  EXPECT_GT(threadNumber, 1);
  ASSERT_NE(threadSections, nullptr);
  EXPECT_NE(threadSections, mainSections);
  EXPECT_TRUE(tornDownAtEnd);
  EXPECT_EQ(qv::threadDictionary().sections.access, mainSections);
}

TEST(WindowSystemGuard, InitialisesOnlyOnce) {
  int calls = 0;
  auto init = [&] {
    ++calls;
    return true;
  };
  bool first = qv::initialiseWindowSystemOnce(init);
  bool second = qv::initialiseWindowSystemOnce(init);
  EXPECT_EQ(first, second);
  EXPECT_LE(calls, 1);
}

}  // namespace

namespace {

TEST(RuntimeStart, LocaleReadsTheEnvironmentFileBesideTheProgram) {
  // The program path names the environment file; the test program has none,
  // so the locale keeps its defaults and start-up still succeeds.
  qv::startRuntime();
  EXPECT_FALSE(zor::platform::programPath().empty());
  EXPECT_NE(zor::environmentFilePath().find(".ENV"), std::string::npos);
}

}  // namespace
