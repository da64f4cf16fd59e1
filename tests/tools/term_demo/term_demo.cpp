// term_demo: a window with two lists, an entry, a message box and a popup
// menu on the terminal front end, for the end-to-end tests that drive it
// through tmux. Prints "term_demo ended" when the window has closed.
//   term_demo                  the demo window
//   term_demo --form           a resizable form laid out by the window
//                              resizer, showing its size in a prompt
//   term_demo FILE.win [LABEL] the live preview of a declared window

#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/window_resizer.h"
#include "runtime/fatal_error.h"
#include "ui/base/event_numbers.h"
#include "ui/definition/definition_source.h"
#include "ui/statements.h"
#include "ui/term/terminal_front_end.h"
#include "ui/window.h"
#include "ui/window_preview.h"

namespace {

// The demo's declarations once parsed: the modal window opens from them.
const std::vector<zor::ui::DefinitionModule>* gModules = nullptr;

constexpr const char* kDeclaration = R"(
definition term_demo$term_demo001

window DEMO "Terminal demo" at default default size 352 160 {
  list ?SECTIONS at 4 4 size 120 112 format "80L(2)|M~Section~@s20@" tip "The sections" vscroll
  list ?SETTINGS at 132 4 size 216 112
      format "60L(2)|M~Name~@s20@80L(2)|M~Default~@s20@" tip "The settings of the section"
  entry ?NAME at 4 124 size 120 8 picture @s20 tip "Type a name here"
  prompt ?ANSWER "Answer: none" at 132 124 size 200 8
  button ?ASK "&Ask" at 4 140 size 40 16 tip "Shows a message box"
  button ?MENU "&Menu" at 48 140 size 40 16 tip "Shows a popup menu"
  button ?FAIL "&Fail" at 92 140 size 40 16 tip "Stops with a fatal runtime error"
  button ?DETAILS "&Details" at 136 140 size 48 16 tip "Opens a modal window"
  button ?CLOSE "&Close" at 300 140 size 48 16 default
}

window DETAILS "Details" at default default size 160 72 modal {
  list ?ITEMS at 4 4 size 152 40 format "60L(2)|M~Item~@s20@" tip "The items"
  entry ?NOTE at 4 48 size 100 8 picture @s20
  button ?DONE "D&one" at 108 48 size 48 16 default
}

window FORM "Resizable form" at default default size 480 320 resize {
  prompt ?NAME:PROMPT "&Name:" at 4 4 size 28 8
  entry ?NAME at 36 4 size 200 8 picture @s40 tip "The name"
  list ?ROWS at 4 20 size 380 272 format "80L(2)|M~Section~@s20@" vscroll
  button ?SAVE "&Save" at 392 20 size 84 16 default
  button ?QUIT "&Quit" at 392 296 size 84 16
  prompt ?STATE "Size" at 4 300 size 160 8
}
)";

// The resizable form's resizer and what it shows.
zor::fw::WindowResizer gResizer;

void onFormEvent(zor::ui::Window& window) {
  using namespace zor::ui;
  if (event() == EVENT::OpenWindow) {
    gResizer.Bind(zor::fw::AppStrategy::Grow);
    // The size prompt keeps to the bottom edge.
    gResizer.SetControlStrategy(window.find("?STATE")->field(),
                                zor::fw::Position::Down * zor::fw::Position::FarEdge,
                                zor::fw::Sizing::LockHeight);
  }
  gResizer.TakeEvent();
  window.find("?STATE")->text =
      "Size: " + std::to_string(window.rect.width) + "x" + std::to_string(window.rect.height);
  Control* accepted = window.control(field());
  if (event() == EVENT::Accepted && accepted && accepted->useLabel() == "?QUIT") {
    post(EVENT::CloseWindow);
  }
}

std::string buttonName(unsigned button) {
  switch (button) {
    case zor::ui::BUTTON::Yes:
      return "Yes";
    case zor::ui::BUTTON::No:
      return "No";
    case zor::ui::BUTTON::Cancel:
      return "Cancel";
    default:
      return std::to_string(button);
  }
}

void onEvent(zor::ui::Window& window) {
  using namespace zor::ui;
  if (event() != EVENT::Accepted) return;
  Control* answer = window.find("?ANSWER");
  Control* accepted = window.control(field());
  if (!answer || !accepted) return;
  if (accepted->useLabel() == "?ASK") {
    unsigned button = message("Save the changes?|The list has changed.", "Question", ICON::Question,
                              BUTTON::Yes | BUTTON::No | BUTTON::Cancel, BUTTON::Yes);
    answer->text = "Answer: " + buttonName(button);
  } else if (accepted->useLabel() == "?MENU") {
    int chosen = popup("&Insert|&Change|~&Delete|-|&More{&First|&Second}|+C&heck");
    answer->text = "Menu: " + std::to_string(chosen);
  } else if (accepted->useLabel() == "?DETAILS" && gModules) {
    const WindowDefinition& details = gModules->front().windows[1];
    previewWindow(details, 6, [](Window& modal) {
      Control* pressed = modal.control(field());
      if (event() == EVENT::Accepted && pressed && pressed->useLabel() == "?DONE") {
        post(EVENT::CloseWindow);
      }
    });
    answer->text = "Details closed";
  } else if (accepted->useLabel() == "?FAIL") {
    zor::fatalRuntimeError(529, "the demo stops here");
  } else if (accepted->useLabel() == "?CLOSE") {
    post(EVENT::CloseWindow);
  }
}

}  // namespace

int main(int argc, char** argv) {
  using namespace zor::ui;
  if (!term::TerminalFrontEnd::available()) {
    std::fprintf(stderr, "term_demo: stdin and stdout must be a terminal\n");
    return 2;
  }
  std::string source = kDeclaration;
  std::string name = "term_demo";
  const bool form = argc > 1 && std::string(argv[1]) == "--form";
  if (argc > 1 && !form) {
    std::ifstream in(argv[1], std::ios::binary);
    source.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    name = argv[1];
    if (!in.good() && !in.eof()) {
      std::fprintf(stderr, "%s: cannot be read\n", argv[1]);
      return 1;
    }
  }
  auto parsed = parseDeclarations(source, name);
  if (!parsed.ok()) {
    std::fprintf(stderr, "%s\n", parsed.error.c_str());
    return 1;
  }
  gModules = &*parsed.value;
  const WindowDefinition* shown = nullptr;
  for (const DefinitionModule& module : *parsed.value) {
    for (const WindowDefinition& window : module.windows) {
      const bool wanted = form ? window.label == "FORM" : argc < 3 || window.label == argv[2];
      if (!shown && wanted) shown = &window;
    }
  }
  if (!shown) {
    std::fprintf(stderr, "%s: no such window\n", name.c_str());
    return 1;
  }
  try {
    term::TerminalFrontEnd terminal;
    previewWindow(*shown, 40, form ? onFormEvent : onEvent);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "term_demo: %s\n", error.what());
    return 1;
  }
  std::printf("term_demo ended\n");
  return 0;
}
