// End-to-end tests of the terminal front end: term_demo runs inside a tmux
// session of its own (its own server socket), the tests press keys with
// send-keys and read the screen with capture-pane, as a person would see
// it. Skipped when tmux or a UTF-8 locale is missing.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <signal.h>
#include <array>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto kDeadline = std::chrono::seconds(10);

std::string run(const std::string& command, int* exitCode = nullptr) {
  std::string out;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return out;
  std::array<char, 512> buffer;
  while (fgets(buffer.data(), buffer.size(), pipe) != nullptr) out += buffer.data();
  int status = pclose(pipe);
  if (exitCode) *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

std::string shellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// A UTF-8 locale this machine has, or "".
std::string utf8Locale() {
  for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8", "en_US.utf8"}) {
    if (locale_t made = newlocale(LC_CTYPE_MASK, name, nullptr)) {
      freelocale(made);
      return name;
    }
  }
  return {};
}

class TmuxSession {
 public:
  // Starts `shellCommand` in a detached session of the given size.
  TmuxSession(const std::string& shellCommand, int width, int height, const std::string& locale) {
    static int counter = 0;
    socket_ = "zor-term-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
    int code = -1;
    std::string out =
        run(tmux("-f /dev/null new-session -d -s demo -x " + std::to_string(width) + " -y " +
                 std::to_string(height) + " " +
                 shellQuoted("LANG=" + locale + " LC_ALL=" + locale + " TERM=screen " +
                             "exec sh -c " + shellQuoted(shellCommand))),
            &code);
    started_ = code == 0;
    if (!started_) ADD_FAILURE() << "tmux did not start: " << out;
  }
  ~TmuxSession() { run(tmux("kill-server")); }

  std::string tmux(const std::string& arguments) const {
    return "env -u TMUX tmux -u -L " + socket_ + " " + arguments;
  }
  void keys(const std::string& keys) const { run(tmux("send-keys -t demo " + keys)); }
  // Bytes as the terminal would send them.
  void type(const std::string& bytes) const {
    run(tmux("send-keys -t demo -l " + shellQuoted(bytes)));
  }
  std::string screen() const { return run(tmux("capture-pane -p -t demo")); }
  std::string query(const std::string& format) const {
    return run(tmux("display-message -p -t demo " + shellQuoted(format)));
  }
  void killServer() const { run(tmux("kill-server")); }
  void command(const std::string& arguments) const { run(tmux(arguments)); }

  // Polls the screen until every text shows; false (and the last screen
  // shown in `last`) at the deadline.
  bool waitFor(const std::vector<std::string>& texts, std::string* last = nullptr) const {
    auto until = Clock::now() + kDeadline;
    std::string shown;
    do {
      shown = screen();
      bool all = true;
      for (const std::string& text : texts) all = all && shown.find(text) != std::string::npos;
      if (all) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (Clock::now() < until);
    if (last) *last = shown;
    for (const std::string& text : texts) {
      if (shown.find(text) == std::string::npos) return false;
    }
    return true;
  }
  bool waitGone(const std::string& text) const {
    auto until = Clock::now() + kDeadline;
    while (Clock::now() < until) {
      if (screen().find(text) == std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }
  bool started() const { return started_; }

 private:
  std::string socket_;
  bool started_ = false;
};

class TermTmux : public ::testing::Test {
 protected:
  void SetUp() override {
    int code = -1;
    run("tmux -V", &code);
    if (code != 0) GTEST_SKIP() << "tmux is not installed";
    locale_ = utf8Locale();
    if (locale_.empty()) GTEST_SKIP() << "no UTF-8 locale";
    dir_ = fs::temp_directory_path() /
           ("zor-term-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    if (!dir_.empty()) fs::remove_all(dir_, ignored);
  }

  // term_demo, then its exit code into the file "exit" and a line on the screen.
  std::string demoCommand(const std::string& arguments = {}) const {
    std::string exitFile = (dir_ / "exit").string();
    return "trap '' HUP; " + shellQuoted(ZOR_TERM_DEMO) + " " + arguments +
           "; code=$?; echo $code > " + shellQuoted(exitFile) + "; echo exit=$code; read line";
  }

  std::string waitForFile(const std::string& name) const {
    auto until = Clock::now() + kDeadline;
    while (Clock::now() < until) {
      std::ifstream in(dir_ / name);
      std::string line;
      if (std::getline(in, line) && !line.empty()) return line;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return {};
  }

  std::string locale_;
  fs::path dir_;
};

std::string lineWith(const std::string& screen, const std::string& text) {
  std::istringstream lines(screen);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.find(text) != std::string::npos) return line;
  }
  return {};
}

// The screen cell where `text` shows first ({-1, -1} when it does not):
// columns count characters, not the bytes of their UTF-8 encoding.
std::pair<int, int> cellOf(const std::string& screen, const std::string& text) {
  std::istringstream lines(screen);
  std::string line;
  for (int row = 0; std::getline(lines, line); ++row) {
    size_t at = line.find(text);
    if (at == std::string::npos) continue;
    int column = 0;
    for (size_t i = 0; i < at; ++i) {
      if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80) ++column;
    }
    return {column, row};
  }
  return {-1, -1};
}

// The character at a cell of a line, columns counted in characters.
std::string characterAt(const std::string& line, int column) {
  int at = -1;
  for (size_t i = 0; i < line.size(); ++i) {
    if ((static_cast<unsigned char>(line[i]) & 0xC0) == 0x80) continue;
    if (++at != column) continue;
    size_t length = 1;
    while (i + length < line.size() &&
           (static_cast<unsigned char>(line[i + length]) & 0xC0) == 0x80) {
      ++length;
    }
    return line.substr(i, length);
  }
  return {};
}

// The frame of the window whose title row holds `title`: its corner cells.
struct FrameCells {
  int left = -1, top = -1, right = -1, bottom = -1;
  bool holds(std::pair<int, int> cell, int width) const {
    return cell.first > left && cell.first + width < right && cell.second > top &&
           cell.second < bottom;
  }
};

FrameCells frameOf(const std::string& screen, const std::string& title) {
  FrameCells frame;
  std::vector<std::string> rows;
  std::istringstream lines(screen);
  for (std::string line; std::getline(lines, line);) rows.push_back(line);
  frame.top = cellOf(screen, title).second;
  if (frame.top < 0) return frame;
  const std::string& titleRow = rows[static_cast<size_t>(frame.top)];
  for (int column = 0; !characterAt(titleRow, column).empty(); ++column) {
    std::string shown = characterAt(titleRow, column);
    if (shown == "┌" && frame.left < 0) frame.left = column;
    if (shown == "┐") frame.right = column;
  }
  for (size_t row = static_cast<size_t>(frame.top) + 1; row < rows.size(); ++row) {
    if (characterAt(rows[row], frame.left) == "└") {
      frame.bottom = static_cast<int>(row);
      break;
    }
  }
  return frame;
}

// A mouse report as the terminal sends it (the X10 encoding): button code,
// column and row, each plus 32, the cell counted from 1.
std::string mouseReport(int button, std::pair<int, int> cell) {
  std::string report = "\033[M";
  report += static_cast<char>(32 + button);
  report += static_cast<char>(32 + cell.first + 1);
  report += static_cast<char>(32 + cell.second + 1);
  return report;
}

TEST_F(TermTmux, ListsShowTheirHeadersAndTheHighlightMoves) {
  TmuxSession session(demoCommand(), 100, 32, locale_);
  ASSERT_TRUE(session.started());
  std::string shown;
  // The frame in line-drawing characters, both headers, the rows and the
  // focused list's tip on the status line.
  ASSERT_TRUE(session.waitFor(
      {"┌─ Terminal demo ─", "Section", "Name", "Default", "Row 1", "The sections"}, &shown))
      << shown;
  session.keys("Down Down");
  ASSERT_TRUE(session.waitFor({"> Row 2"}, &shown)) << shown;
  // Tab to the second list: its tip shows and its rows take the keys.
  session.keys("Tab End");
  ASSERT_TRUE(session.waitFor({"The settings of the section", "Value 40.2"}, &shown)) << shown;
  EXPECT_NE(lineWith(shown, "Value 40.2").find(">"), std::string::npos) << shown;
  session.keys("Escape");
  EXPECT_EQ(waitForFile("exit"), "0");
}

TEST_F(TermTmux, ClicksAndTheWheelOperateListsAndButtons) {
  constexpr int kPress = 0, kRelease = 3, kWheelUp = 64, kWheelDown = 65;
  TmuxSession session(demoCommand(), 100, 32, locale_);
  ASSERT_TRUE(session.started());
  std::string shown;
  ASSERT_TRUE(session.waitFor({"Row 5", "[ Ask ]"}, &shown)) << shown;
  auto click = [&](std::pair<int, int> cell) {
    session.type(mouseReport(kPress, cell));
    session.type(mouseReport(kRelease, cell));
  };
  click(cellOf(shown, "Row 5"));
  ASSERT_TRUE(session.waitFor({"> Row 5"}, &shown)) << shown;
  // Three notches down scroll the list by whole rows.
  std::pair<int, int> list = cellOf(shown, "Row 3");
  for (int notch = 0; notch < 3; ++notch) session.type(mouseReport(kWheelDown, list));
  auto until = Clock::now() + kDeadline;
  while (Clock::now() < until && cellOf(shown = session.screen(), "│ │ Row 1 ").first >= 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_LT(cellOf(shown, "│ │ Row 1 ").first, 0) << shown;  // the first list's top row
  // The list has the vscroll attribute: its bar's up arrow scrolls a row up.
  std::pair<int, int> upArrow = cellOf(shown, "^");
  ASSERT_GE(upArrow.first, 0) << shown;
  click(upArrow);
  ASSERT_TRUE(session.waitFor({"│ │ Row 9 "}, &shown)) << shown;
  // As many notches up bring the first row back: up is up.
  for (int notch = 0; notch < 3; ++notch) session.type(mouseReport(kWheelUp, list));
  ASSERT_TRUE(session.waitFor({"│ │ Row 1 "}, &shown)) << shown;
  // A click on a button presses it; a click on a box's button answers it.
  click(cellOf(shown, "[ Ask ]"));
  ASSERT_TRUE(session.waitFor({"Save the changes?"}, &shown)) << shown;
  std::pair<int, int> no = cellOf(shown, "[ No ]");
  click({no.first + 2, no.second});
  ASSERT_TRUE(session.waitFor({"Answer: No"}, &shown)) << shown;
}

TEST_F(TermTmux, AModalWindowLiesOverItsOwnerAndTakesTheKeys) {
  TmuxSession session(demoCommand(), 100, 32, locale_);
  ASSERT_TRUE(session.started());
  std::string shown;
  ASSERT_TRUE(session.waitFor({"Answer: none", "[ Details ]"}, &shown)) << shown;
  session.keys("M-d");
  ASSERT_TRUE(session.waitFor({"┌─ Details ─", "Item", "[>Done<]"}, &shown)) << shown;
  // Its frame keeps its corners where it lies on the owner's list frame.
  std::string edge = "└";
  for (int cell = 0; cell < 40; ++cell) edge += "─";
  edge += "┘";
  std::string bottom = lineWith(shown, edge);
  ASSERT_FALSE(bottom.empty()) << shown;
  EXPECT_EQ(bottom.find("┴"), std::string::npos) << shown;
  session.keys("Tab x y");
  ASSERT_TRUE(session.waitFor({"[xy "}, &shown)) << shown;
  // Keys typed ahead go to the window that waits when they come: Esc
  // closes the modal window, Alt+M then opens the owner's menu.
  session.keys("Escape M-m");
  ASSERT_TRUE(session.waitFor({"Details closed", "Insert", "More   >"}, &shown)) << shown;
  EXPECT_EQ(shown.find("─ Details ─"), std::string::npos) << shown;
}

TEST_F(TermTmux, MessageBoxAnswersTheButtonPressed) {
  TmuxSession session(demoCommand(), 100, 32, locale_);
  ASSERT_TRUE(session.started());
  std::string shown;
  ASSERT_TRUE(session.waitFor({"Answer: none"}, &shown)) << shown;
  session.keys("M-a");
  ASSERT_TRUE(session.waitFor({"─ Question ─", "(?) Save the changes?", "The list has changed.",
                               "[>Yes<]  [ No ]  [ Cancel ]"},
                              &shown))
      << shown;
  session.keys("Right Enter");
  ASSERT_TRUE(session.waitFor({"Answer: No"}, &shown)) << shown;
  EXPECT_EQ(shown.find("Save the changes?"), std::string::npos) << shown;
  // Esc presses Cancel.
  session.keys("M-a");
  ASSERT_TRUE(session.waitFor({"Save the changes?"}, &shown)) << shown;
  session.keys("Escape");
  ASSERT_TRUE(session.waitFor({"Answer: Cancel"}, &shown)) << shown;
}

TEST_F(TermTmux, ColoursOrMonochromeAttributesMarkTheFocus) {
  // capture-pane -e keeps the attributes as escape sequences.
  for (bool monochrome : {true, false}) {
    std::string command = (monochrome ? "export NO_COLOR=1; " : "") + demoCommand();
    TmuxSession session(command, 100, 32, locale_);
    ASSERT_TRUE(session.started());
    std::string shown;
    ASSERT_TRUE(session.waitFor({"Answer: none"}, &shown)) << shown;
    session.keys("M-a");
    ASSERT_TRUE(session.waitFor({"[>Yes<]"}, &shown)) << shown;
    std::string styled = run(session.tmux("capture-pane -e -p -t demo"));
    std::string button = lineWith(styled, "Yes<]");
    if (monochrome) {
      EXPECT_NE(button.find("\033[7m[>Yes<]"), std::string::npos) << button;
      EXPECT_EQ(styled.find("\033[46m"), std::string::npos);  // no colour at all
    } else {
      EXPECT_NE(button.find("46m[>Yes<]"), std::string::npos) << button;  // on cyan
    }
  }
}

TEST_F(TermTmux, PopupMenuAnswersThePositionChosen) {
  TmuxSession session(demoCommand(), 100, 32, locale_);
  ASSERT_TRUE(session.started());
  std::string shown;
  ASSERT_TRUE(session.waitFor({"Answer: none"}, &shown)) << shown;
  session.keys("M-m");
  ASSERT_TRUE(session.waitFor({"Insert", "Change", "Delete", "More   >", "* Check"}, &shown))
      << shown;
  EXPECT_NE(shown.find("├"), std::string::npos) << shown;  // the separator
  // Insert, Change, (Delete is disabled) More, into its submenu, Second.
  session.keys("Down Down Right");
  ASSERT_TRUE(session.waitFor({"First", "Second"}, &shown)) << shown;
  session.keys("Down Enter");
  ASSERT_TRUE(session.waitFor({"Menu: 7"}, &shown)) << shown;
  // Esc typed right before an Alt key stays an Escape of its own.
  session.keys("M-a");
  ASSERT_TRUE(session.waitFor({"Save the changes?"}, &shown)) << shown;
  session.keys("Escape M-m");
  ASSERT_TRUE(session.waitFor({"Answer: Cancel", "Insert"}, &shown)) << shown;
  session.keys("Escape");
  ASSERT_TRUE(session.waitFor({"Menu: 0"}, &shown)) << shown;
}

TEST_F(TermTmux, ResizeRedrawsTheWindowOnTheSmallerScreen) {
  TmuxSession session(demoCommand(), 100, 32, locale_);
  ASSERT_TRUE(session.started());
  std::string shown;
  ASSERT_TRUE(session.waitFor({"Terminal demo"}, &shown)) << shown;
  EXPECT_EQ(lineWith(shown, "Terminal demo").find("┌"), 5u) << shown;
  session.command("resize-window -t demo -x 60 -y 20");
  auto until = Clock::now() + kDeadline;
  while (Clock::now() < until &&
         lineWith(shown = session.screen(), "Terminal demo").find("┌") != 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(lineWith(shown, "Terminal demo").find("┌"), 0u) << shown;
  // The status line moved to the new bottom row.
  std::istringstream lines(shown);
  std::vector<std::string> rows;
  for (std::string line; std::getline(lines, line);) rows.push_back(line);
  ASSERT_EQ(rows.size(), 20u) << shown;
  EXPECT_NE(rows.back().find("The sections"), std::string::npos) << shown;
  // Still working after the resize.
  session.keys("Down");
  EXPECT_TRUE(session.waitFor({"> Row 1"}, &shown)) << shown;
}

TEST_F(TermTmux, AResizableFormFollowsTheTerminalAndKeepsItsControlsInside) {
  // The form is 120 x 40 cells inside its frame: too large for 80 x 24.
  TmuxSession session(demoCommand("--form"), 80, 24, locale_);
  ASSERT_TRUE(session.started());
  struct Step {
    int width, height;
    const char* size;  // the client area in dialog units
  };
  const Step steps[] = {
      {80, 24, "Size: 312x168"}, {200, 60, "Size: 480x320"}, {80, 24, "Size: 312x168"}};
  bool first = true;
  for (const Step& step : steps) {
    if (!first) {
      session.command("resize-window -t demo -x " + std::to_string(step.width) + " -y " +
                      std::to_string(step.height));
    }
    first = false;
    std::string shown;
    FrameCells frame;
    // The screen may be read while the frame is still being drawn: read it
    // again until the frame is whole.
    for (int read = 0; read < 40; ++read) {
      ASSERT_TRUE(session.waitFor({step.size, "Resizable form"}, &shown)) << shown;
      frame = frameOf(shown, "Resizable form");
      if (frame.bottom > frame.top) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const std::string at = std::to_string(step.width) + "x" + std::to_string(step.height);
    ASSERT_GE(frame.left, 0) << at << "\n" << shown;
    ASSERT_GT(frame.bottom, frame.top) << at << "\n" << shown;
    EXPECT_LT(frame.right, step.width) << at << "\n" << shown;
    EXPECT_LT(frame.bottom, step.height - 1) << at << ": above the status line\n" << shown;
    for (const std::string text : {"Name:", "Section", "Row 1", "Save", "Quit", step.size}) {
      EXPECT_TRUE(frame.holds(cellOf(shown, text), static_cast<int>(text.size())))
          << at << ": " << text << "\n"
          << shown;
    }
  }
  session.keys("Escape");
  EXPECT_EQ(waitForFile("exit"), "0");
}

TEST_F(TermTmux, EscapeEndsTheProgramAndTheTerminalIsRestored) {
  TmuxSession session(demoCommand(), 100, 32, locale_);
  ASSERT_TRUE(session.started());
  std::string shown;
  ASSERT_TRUE(session.waitFor({"Terminal demo"}, &shown)) << shown;
  EXPECT_EQ(session.query("#{alternate_on}#{mouse_any_flag}"), "11\n");
  session.keys("Escape");
  ASSERT_TRUE(session.waitFor({"term_demo ended", "exit=0"}, &shown)) << shown;
  EXPECT_EQ(session.query("#{alternate_on}#{mouse_any_flag}#{cursor_flag}"), "001\n");
}

TEST_F(TermTmux, AFatalErrorShowsItsBoxThenRestoresTheTerminal) {
  TmuxSession session(demoCommand(), 100, 32, locale_);
  ASSERT_TRUE(session.started());
  std::string shown;
  ASSERT_TRUE(session.waitFor({"Terminal demo"}, &shown)) << shown;
  session.keys("M-f");
  ASSERT_TRUE(
      session.waitFor({"─ Runtime error ─", "(X) Unable to open WINDOW : the demo stops here",
                       "Do you want to GPF?", "[ Yes ]  [>No<]"},
                      &shown))
      << shown;
  session.keys("Enter");
  ASSERT_TRUE(session.waitFor({"exit=3"}, &shown)) << shown;
  EXPECT_EQ(session.query("#{alternate_on}#{mouse_any_flag}#{cursor_flag}"), "001\n");
}

TEST_F(TermTmux, TerminationRestoresTheTerminalAndAHangUpClosesTheWindow) {
  {
    // SIGTERM: the terminal is given back, then the default action ends it.
    std::string pidFile = (dir_ / "pid").string();
    std::string command = "tty=$(tty); " + shellQuoted(ZOR_TERM_DEMO) + " <\"$tty\" & echo $! > " +
                          shellQuoted(pidFile) + "; wait $!; echo exit=$?; read line";
    TmuxSession session(command, 100, 32, locale_);
    ASSERT_TRUE(session.started());
    std::string shown;
    ASSERT_TRUE(session.waitFor({"Terminal demo"}, &shown)) << shown;
    pid_t pid = static_cast<pid_t>(std::stol(waitForFile("pid")));
    ASSERT_GT(pid, 0);
    kill(pid, SIGTERM);
    ASSERT_TRUE(session.waitFor({"exit=143"}, &shown)) << shown;
    EXPECT_EQ(session.query("#{alternate_on}#{mouse_any_flag}#{cursor_flag}"), "001\n");
  }
  {
    // A hang-up closes the window, and the program ends normally, even with
    // a message box open (it answers its default button).
    TmuxSession session(demoCommand(), 100, 32, locale_);
    ASSERT_TRUE(session.started());
    std::string shown;
    ASSERT_TRUE(session.waitFor({"Terminal demo"}, &shown)) << shown;
    session.keys("M-a");
    ASSERT_TRUE(session.waitFor({"Save the changes?"}, &shown)) << shown;
    session.killServer();
    EXPECT_EQ(waitForFile("exit"), "0");
  }
}

TEST_F(TermTmux, AnUnknownTerminalTypeIsRefusedWithoutTouchingTheScreen) {
  std::string command =
      "TERM=no-such-terminal " + shellQuoted(ZOR_TERM_DEMO) + "; echo exit=$?; read line";
  TmuxSession session(command, 100, 32, locale_);
  ASSERT_TRUE(session.started());
  std::string shown;
  ASSERT_TRUE(session.waitFor(
      {"term_demo: the terminal cannot be used (TERM=no-such-terminal)", "exit=1"}, &shown))
      << shown;
  EXPECT_EQ(session.query("#{alternate_on}#{mouse_any_flag}"), "00\n");
}

TEST_F(TermTmux, PreviewShowsTheApplicationsMainWindowWithMadeUpRows) {
  std::string file = std::string(ZOR_APP_WINDOWS) + "/main.win";
  std::string command =
      shellQuoted(ZOR_TERM_DEMO) + " " + shellQuoted(file) + "; echo exit=$?; read line";
  TmuxSession session(command, 130, 40, locale_);
  ASSERT_TRUE(session.started());
  std::string shown;
  ASSERT_TRUE(session.waitFor(
      {"Description", "Section Description", "Default Value", "Row 1", "Value 1.3"}, &shown))
      << shown;
  session.keys("Escape");
  ASSERT_TRUE(session.waitFor({"exit=0"}, &shown)) << shown;
}

}  // namespace
