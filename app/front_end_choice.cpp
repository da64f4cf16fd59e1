#include "app/front_end_choice.h"

#include <cstdio>
#include <exception>

#include "ui/term/terminal_front_end.h"

namespace qv {
namespace {

constexpr std::string_view kOption = "--ui=";

}  // namespace

FrontEndOption readFrontEndOption(const std::vector<std::string>& arguments) {
  FrontEndOption option;
  for (const std::string& argument : arguments) {
    if (argument.compare(0, kOption.size(), kOption) != 0) continue;
    std::string value = argument.substr(kOption.size());
    if (value == "term") {
      option.asked = FrontEndKind::Terminal;
    } else if (value == "headless") {
      option.asked = FrontEndKind::Headless;
    } else {
      option.error = "unknown front end '" + value + "' (use --ui=term or --ui=headless)";
      option.asked.reset();
    }
  }
  return option;
}

std::optional<FrontEndKind> chooseFrontEnd(std::optional<FrontEndKind> asked, bool stdinIsTerminal,
                                           bool stdoutIsTerminal) {
  bool terminal = stdinIsTerminal && stdoutIsTerminal;
  if (!asked) return terminal ? FrontEndKind::Terminal : FrontEndKind::Headless;
  if (*asked == FrontEndKind::Terminal && !terminal) return std::nullopt;
  return asked;
}

ActiveFrontEnd::ActiveFrontEnd(FrontEndKind kind) : kind_(kind) {
  if (kind != FrontEndKind::Terminal) return;
  try {
    terminal_ = std::make_unique<zor::ui::term::TerminalFrontEnd>();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s; going on without the terminal\n", error.what());
    kind_ = FrontEndKind::Headless;
  }
}

ActiveFrontEnd::~ActiveFrontEnd() = default;

}  // namespace qv
