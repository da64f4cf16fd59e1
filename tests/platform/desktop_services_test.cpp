// Message boxes, system parameters, resources, the clock and dynamic
// libraries: the small services of the platform layer.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/clock.h"
#include "platform/dynamic_library.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "platform/resources.h"
#include "platform/system_parameters.h"
#include "tests/platform/test_support.h"

namespace zor::platform {
namespace {

TEST(MessageBox, DefaultButtonFollowsTheButtonSet) {
  EXPECT_EQ(defaultMessageBoxAnswer(MB_OK), IDOK);
  EXPECT_EQ(defaultMessageBoxAnswer(MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
  EXPECT_EQ(defaultMessageBoxAnswer(MB_YESNOCANCEL | MB_DEFBUTTON3 | MB_ICONQUESTION), IDCANCEL);
  EXPECT_EQ(defaultMessageBoxAnswer(MB_YESNO | MB_ICONEXCLAMATION), IDYES);
  EXPECT_EQ(defaultMessageBoxAnswer(MB_ABORTRETRYIGNORE | MB_DEFBUTTON2), IDRETRY);
  EXPECT_EQ(defaultMessageBoxAnswer(MB_RETRYCANCEL | MB_DEFBUTTON2 | MB_SYSTEMMODAL), IDCANCEL);
  // A default button beyond the set, or an unknown set, falls back to the first.
  EXPECT_EQ(defaultMessageBoxAnswer(MB_YESNO | MB_DEFBUTTON3), IDYES);
  EXPECT_EQ(defaultMessageBoxAnswer(0xF), IDOK);
}

TEST(MessageBox, HookAnswersOrTheDefaultGoesToStderr) {
  std::string seen;
  MessageBoxHook previous =
      setMessageBoxHook([&](const std::string& text, const std::string& caption, unsigned flags) {
        seen = caption + "|" + text + "|" + std::to_string(flags);
        return IDNO;
      });
  EXPECT_EQ(messageBox("Save?", "Save Record", MB_YESNO), IDNO);
  EXPECT_EQ(seen, "Save Record|Save?|4");
  setMessageBoxHook(previous);

  ::testing::internal::CaptureStderr();
  EXPECT_EQ(messageBox("Possible data corruption", "Runtime error", MB_OKCANCEL | MB_DEFBUTTON2),
            IDCANCEL);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Runtime error: Possible data corruption\n");
}

class SystemParameters : public ::testing::Test {
 protected:
  void SetUp() override {
    setUserProfilePath(dir_.file("profile.ini"));
    resetSystemParameterSession();
  }
  void TearDown() override {
    resetSystemParameterSession();
    setUserProfilePath("");
  }
  uint32_t dragFullWindows() {
    uint32_t value = 99;
    EXPECT_TRUE(systemParametersInfo(SPI_GETDRAGFULLWINDOWS, 0, &value, 0));
    return value;
  }
  testing::TempDir dir_;
};

TEST_F(SystemParameters, DragFullWindowsLivesInTheUserProfile) {
  EXPECT_EQ(dragFullWindows(), 0u);  // never stored: off
  const int setsBefore = systemParameterSetCount();
  ASSERT_TRUE(writeProfileString("Desktop", "DragFullWindows", "1"));
  EXPECT_EQ(dragFullWindows(), 1u);
  EXPECT_EQ(systemParameterSetCount(), setsBefore);  // reading changes nothing

  uint32_t unused = 0;
  ASSERT_TRUE(systemParametersInfo(SPI_SETDRAGFULLWINDOWS, 0, &unused,
                                   SPIF_UPDATEINIFILE | SPIF_SENDCHANGE));
  EXPECT_EQ(dragFullWindows(), 0u);
  EXPECT_EQ(getProfileString("desktop", "dragfullwindows", ""), "0");
  EXPECT_EQ(systemParameterSetCount(), setsBefore + 1);
}

TEST_F(SystemParameters, ChangeWithoutUpdateFlagLastsForTheSessionOnly) {
  ASSERT_TRUE(systemParametersInfo(SPI_SETDRAGFULLWINDOWS, 1, nullptr, 0));
  EXPECT_EQ(dragFullWindows(), 1u);
  EXPECT_EQ(getProfileString("Desktop", "DragFullWindows", "missing"), "missing");
  resetSystemParameterSession();
  EXPECT_EQ(dragFullWindows(), 0u);
  EXPECT_FALSE(systemParametersInfo(SPI_GETDRAGFULLWINDOWS, 0, nullptr, 0));
  EXPECT_FALSE(systemParametersInfo(0x1234, 0, nullptr, 0));
}

TEST(Resources, LookUpByModuleNameAndTypeWithoutCase) {
  const char first[] = "first", second[] = "second", replaced[] = "replaced!";
  registerResource("ResTestA", "MAIN", "WINDOW", first, sizeof first);
  registerResource("ResTestB", "main", "window", second, sizeof second);
  const ResourceHandle any = findResource("", "Main", "Window");
  ASSERT_NE(any, nullptr);
  EXPECT_EQ(any->module, "ResTestA");  // modules in registration order
  ResourceHandle fromB = findResource("restestb", "MAIN", "WINDOW");
  ASSERT_NE(fromB, nullptr);
  EXPECT_STREQ(reinterpret_cast<const char*>(lockResource(fromB)), "second");
  EXPECT_EQ(sizeofResource(fromB), sizeof second);
  EXPECT_EQ(findResource("ResTestA", "MAIN", "ICON"), nullptr);
  EXPECT_EQ(findResource("NoSuchModule", "MAIN", "WINDOW"), nullptr);
  EXPECT_EQ(lockResource(nullptr), nullptr);
  EXPECT_EQ(sizeofResource(nullptr), 0u);

  // Replacing keeps what an earlier handle points at intact.
  const uint8_t* oldBytes = lockResource(fromB);
  registerResource("ResTestB", "Main", "Window", replaced, sizeof replaced);
  EXPECT_STREQ(reinterpret_cast<const char*>(oldBytes), "second");
  EXPECT_STREQ(
      reinterpret_cast<const char*>(lockResource(findResource("ResTestB", "main", "window"))),
      "replaced!");
  const auto modules = registeredModules();
  EXPECT_EQ(std::count(modules.begin(), modules.end(), "ResTestB"), 1);
}

TEST(Clock, TicksAdvanceAndLocalTimeCanBeFixed) {
  const uint64_t before = tickCount();
  sleepMs(5);
  EXPECT_GE(tickCount() - before, 5u);

  const LocalDateTime now = localNow();
  EXPECT_GE(now.year, 2000);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12 && now.hundredths >= 0 && now.hundredths < 100);
  setFixedLocalNow(LocalDateTime{1999, 12, 31, 23, 59, 58, 99});
  EXPECT_EQ(localNow().year, 1999);
  EXPECT_EQ(localNow().hundredths, 99);
  setFixedLocalNow(std::nullopt);
  EXPECT_GE(localNow().year, 2000);
}

TEST(DynamicLibrary, LoadsLibrariesAndFindsSymbols) {
  EXPECT_NE(findProgramSymbol("malloc"), nullptr);
  EXPECT_EQ(findProgramSymbol("zor_no_such_symbol_anywhere"), nullptr);

  std::string error;
  EXPECT_EQ(loadLibrary("/nonexistent/libzor-missing.so", error), nullptr);
  EXPECT_FALSE(error.empty());
  void* math = loadLibrary("libm.so.6", error);
  ASSERT_NE(math, nullptr) << error;
  EXPECT_TRUE(error.empty());
  auto* cosine = reinterpret_cast<double (*)(double)>(findLibrarySymbol(math, "cos"));
  ASSERT_NE(cosine, nullptr);
  EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
  EXPECT_EQ(findLibrarySymbol(math, "zor_no_such_symbol"), nullptr);
  EXPECT_EQ(findLibrarySymbol(nullptr, "cos"), nullptr);
  unloadLibrary(math);
  unloadLibrary(nullptr);
}

}  // namespace
}  // namespace zor::platform
