#include "runtime/error_state.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/message_box.h"
#include "runtime/fatal_error.h"

namespace zor {
namespace {

TEST(ErrorState, IsKeptPerThread) {
  clearError();
  setErrorCode(1011);
  setFileError("5", "Access Denied");
  int otherCode = -1;
  std::string otherFileCode = "unset";
  std::thread([&] {
    otherCode = errorCode();
    otherFileCode = fileErrorCode();
    setErrorCode(545);
  }).join();
  EXPECT_EQ(otherCode, 0);
  EXPECT_EQ(otherFileCode, "");
  EXPECT_EQ(errorCode(), 1011);
  EXPECT_EQ(errorText(), "BIND has not been called for");
  EXPECT_EQ(fileErrorText(), "Access Denied");
  clearError();
  EXPECT_EQ(errorCode(), 0);
  EXPECT_EQ(errorText(), "");
  EXPECT_EQ(fileErrorCode(), "");
}

TEST(ErrorTexts, BuiltInRangesAndOverrides) {
  EXPECT_EQ(errorTextOf(501), "Internal error 01");
  EXPECT_EQ(errorTextOf(515), "Internal error 15");
  EXPECT_EQ(errorTextOf(545), "Attempt to execute a modal event for not current thread");
  EXPECT_EQ(errorTextOf(1015), "Not-omittable parameter of built-in function is omitted");
  EXPECT_EQ(errorTextOf(89), "Record Changed By Another Station");  // file errors
  EXPECT_EQ(errorTextOf(305), "Access Denied");
  EXPECT_EQ(errorTextOf(523), "");  // a gap in the window errors
  EXPECT_EQ(errorTextOf(0), "");
  EXPECT_FALSE(errorTextOf(401).empty());
  setErrorTextOverride(545, "Wrong thread");
  EXPECT_EQ(errorTextOf(545), "Wrong thread");
  setErrorTextOverride(545, "Attempt to execute a modal event for not current thread");
}

TEST(FatalError, MessageLayout) {
  EXPECT_EQ(fatalErrorMessage(501, "Make UFO Error"),
            "Internal error 01 : Make UFO Error\nDo you want to GPF?");
}

TEST(FatalErrorDeathTest, ShowsTheBoxThenStops) {
  EXPECT_EXIT(
      {
        platform::setMessageBoxHook(
            [](const std::string& text, const std::string& caption, unsigned) {
              fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
              return static_cast<int>(platform::IDNO);
            });
        fatalRuntimeError(529, "Main");
      },
      ::testing::ExitedWithCode(3), "\\[Runtime error\\] Unable to open WINDOW : Main");
}

TEST(FatalErrorDeathTest, HookGetsTheMessageAndTheProcessStillStops) {
  EXPECT_EXIT(
      {
        setFatalErrorHook([](int code, const std::string& message) {
          fprintf(stderr, "hook %d %s\n", code, message.c_str());
        });
        fatalRuntimeError(536, "detail");
      },
      ::testing::ExitedWithCode(3), "hook 536 Window is not open : detail");
}

}  // namespace
}  // namespace zor
