// A smoke test of the desktop front end on a real X server: the screens
// tool draws the program's main window, its notice box and a form under
// Xvfb with Qt's X11 platform. Skipped where xvfb-run (and the xauth it
// needs) is not installed, or the build has no desktop front end.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/xvfb_command.h"

namespace {

namespace fs = std::filesystem;
using zor::testing::shellWord;

TEST(DesktopOnXvfb, TheProgramsWindowsAndABoxAreDrawnOnAnXServer) {
#ifndef ZOR_SCREENS_TOOL
  GTEST_SKIP() << "this build has no desktop front end";
#else
  if (!zor::testing::xvfbInstalled()) {
    GTEST_SKIP() << "xvfb-run (with xauth) is not installed";
  }
  fs::path work = fs::path(::testing::TempDir()) / ("xvfb_" + std::to_string(::getpid()));
  fs::create_directories(work);
  fs::path out = work / "screens";
  std::string command =
      "cd " + shellWord(work.string()) + " && " +
      zor::testing::onXvfb(shellWord(ZOR_SCREENS_TOOL) + " " + shellWord(out.string()) + " " +
                               shellWord(std::string(ZOR_APP_WINDOWS) + "/update_sections.win"),
                           (work / "log").string());
  int status = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "see " << (work / "log");
  for (const char* picture : {"main.png", "notice.png", "update_sections.png"}) {
    EXPECT_TRUE(fs::exists(out / picture)) << picture;
    EXPECT_GT(fs::exists(out / picture) ? fs::file_size(out / picture) : 0, 1000u) << picture;
  }
  if (!HasFailure()) fs::remove_all(work);
#endif
}

}  // namespace
