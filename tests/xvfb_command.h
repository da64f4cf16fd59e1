#pragma once
// What the desktop tests that run a program on Xvfb share: whether
// xvfb-run (with the xauth it needs) is installed, and the shell command
// that runs a program under it on Qt's X11 platform, its output kept in a
// log file.

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace zor::testing {

inline std::string shellWord(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

inline bool xvfbInstalled() {
  return std::system("command -v xvfb-run >/dev/null 2>&1 && command -v xauth >/dev/null 2>&1") ==
         0;
}

// `commandLine` is quoted for the shell already; `environment` adds
// NAME=value words. A minute at most. The search for a free display starts
// at a number of the process's own, so that tests run side by side do not
// race for the same one.
inline std::string onXvfb(const std::string& commandLine, const std::string& log,
                          const std::string& environment = "") {
  return "env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb " + environment +
         " timeout 60 xvfb-run -a -n " + std::to_string(100 + ::getpid() % 4000) +
         " -s '-screen 0 1280x1024x24' " + commandLine + " >" + shellWord(log) + " 2>&1";
}

}  // namespace zor::testing
