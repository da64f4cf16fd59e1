#include "app/front_end_choice.h"

#include <cstdio>
#include <exception>

#include "ui/term/terminal_front_end.h"
#if ZOR_HAVE_DESKTOP
#include "ui/qt/qt_front_end.h"
#endif

namespace qv {
namespace {

constexpr std::string_view kOption = "--ui=";

}  // namespace

FrontEndOption readFrontEndOption(const std::vector<std::string>& arguments) {
  FrontEndOption option;
  for (const std::string& argument : arguments) {
    if (argument.compare(0, kOption.size(), kOption) != 0) continue;
    std::string value = argument.substr(kOption.size());
    if (value == "gui") {
      option.asked = FrontEndKind::Desktop;
    } else if (value == "term") {
      option.asked = FrontEndKind::Terminal;
    } else if (value == "headless") {
      option.asked = FrontEndKind::Headless;
    } else {
      option.error = "unknown front end '" + value + "' (use --ui=gui, --ui=term or --ui=headless)";
      option.asked.reset();
    }
  }
  return option;
}

std::optional<FrontEndKind> chooseFrontEnd(std::optional<FrontEndKind> asked, bool stdinIsTerminal,
                                           bool stdoutIsTerminal, bool display) {
  bool terminal = stdinIsTerminal && stdoutIsTerminal;
  if (!asked) {
    if (display) return FrontEndKind::Desktop;
    return terminal ? FrontEndKind::Terminal : FrontEndKind::Headless;
  }
  if (*asked == FrontEndKind::Terminal && !terminal) return std::nullopt;
  if (*asked == FrontEndKind::Desktop && !display) return std::nullopt;
  return asked;
}

bool desktopBuilt() {
  return ZOR_HAVE_DESKTOP != 0;
}

bool displayPresent() {
#if ZOR_HAVE_DESKTOP
  return zor::ui::qt::QtFrontEnd::available();
#else
  return false;
#endif
}

std::string unavailableReason(FrontEndKind asked) {
  switch (asked) {
    case FrontEndKind::Desktop:
      return desktopBuilt() ? "--ui=gui needs a display"
                            : "--ui=gui: this build has no desktop front end (Qt 6 was not found)";
    case FrontEndKind::Terminal:
      return "--ui=term needs a terminal";
    default:
      return {};
  }
}

ActiveFrontEnd::ActiveFrontEnd(FrontEndKind kind) : kind_(kind) {
#if ZOR_HAVE_DESKTOP
  if (kind_ == FrontEndKind::Desktop) {
    try {
      desktop_ = std::make_unique<zor::ui::qt::QtFrontEnd>(
          zor::ui::qt::QtFrontEnd::Options{1.0, "QV_GUI_SetupiniAdmin"});
      return;
    } catch (const std::exception& error) {
      bool terminal = zor::ui::term::TerminalFrontEnd::available();
      std::fprintf(stderr, "%s; going on %s\n", error.what(),
                   terminal ? "in the terminal" : "without windows");
      kind_ = terminal ? FrontEndKind::Terminal : FrontEndKind::Headless;
    }
  }
#endif
  if (kind_ != FrontEndKind::Terminal) return;
  try {
    terminal_ = std::make_unique<zor::ui::term::TerminalFrontEnd>();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s; going on without the terminal\n", error.what());
    kind_ = FrontEndKind::Headless;
  }
}

ActiveFrontEnd::~ActiveFrontEnd() = default;

}  // namespace qv
