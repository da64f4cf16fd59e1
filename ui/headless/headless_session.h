#pragma once
// Runs a window procedure without a screen: the procedure runs on a thread
// of its own, and the test and the procedure take turns. The procedure runs
// until its accept loop would wait for input; the test then looks at the
// windows (their canvas as text), queues keys and clicks, and calls run(),
// which hands the input over one item at a time, each to the window whose
// loop is waiting, until the loop waits with nothing left or the procedure
// returns. Message boxes and popup menus are answered from scripts.
//
//   HeadlessSession session;
//   session.start([&] { auto window = openWindow(form); while (accept()) {...} });
//   session.type("Ada");
//   session.press(KEY::Tab);
//   session.click("?OK");
//   session.run();
//   EXPECT_EQ(session.snapshot(), "...");

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "ui/canvas.h"
#include "ui/front_end.h"
#include "ui/headless/message_box_script.h"
#include "ui/headless/popup_menu_script.h"
#include "ui/headless/scripted_input.h"

namespace zor::ui::headless {

class HeadlessSession : private FrontEnd {
 public:
  HeadlessSession();
  // Ends a procedure still waiting (its loop receives WM_QUIT) and joins it.
  ~HeadlessSession() override;
  HeadlessSession(const HeadlessSession&) = delete;
  HeadlessSession& operator=(const HeadlessSession&) = delete;

  // Starts the procedure and returns once it waits for input or has ended.
  // What it throws is thrown again here (and by run()).
  void start(std::function<void()> procedure);

  void press(uint32_t code, char character = 0);
  void type(std::string_view text);
  void click(std::string useLabel);
  void doubleClick(std::string useLabel);
  // A cell of the waiting window's canvas (see snapshot()).
  void clickAt(int column, int row);
  // Wheel notches over a cell (positive: up), and a drag with the button
  // held from one cell to another.
  void wheelAt(int column, int row, int notches);
  void dragAt(int fromColumn, int fromRow, int toColumn, int toRow);
  // The user sizes the waiting window's client area to width x height dialog
  // units where it stands (Size, then Sized), or gives a system command
  // (SC_MAXIMIZE, SC_RESTORE ...; ui/messages.h).
  void resize(int width, int height);
  void systemCommand(uintptr_t command, Rect target = {});
  // The answer to the next message box.
  void answer(int answer) { boxes_.answer(answer); }
  // The position chosen from the next popup menu (0 cancels; so does a
  // menu with no choice waiting).
  void choose(int position) { menus_.choose(position); }

  // Hands the queued input over; returns once the procedure waits with no
  // input left, or has ended.
  void run();
  bool finished() const;

  // Between turns: the innermost open window of the procedure, or null.
  Window* window() const;
  // That window painted on a canvas of its own size, and as text.
  Canvas canvas() const;
  std::string snapshot() const;
  // Every open window of the procedure painted at its place on a canvas of
  // the given size, in opening order.
  Canvas screen(int width, int height) const;

  const MessageBoxScript& messageBoxes() const { return boxes_; }
  const PopupMenuScript& popupMenus() const { return menus_; }
  // Inputs that could not be given (a click on a control not shown).
  std::vector<std::string> problems() const;

 private:
  enum class Turn { Test, Procedure };

  void windowOpened(Window& window) override;
  void windowClosed(Window& window) override;
  void idle(Window& window) override;
  int popupMenu(std::string_view menu, std::optional<Cell> at) override;
  void queue(Input input);
  // Gives the procedure the turn and waits until it is the test's again.
  void handOver();
  void rethrow();

  MessageBoxScript boxes_;
  PopupMenuScript menus_;
  mutable std::mutex mutex_;
  std::condition_variable turnChanged_;
  Turn turn_ = Turn::Test;
  bool started_ = false;
  bool finished_ = false;
  bool stopping_ = false;
  std::deque<Input> inputs_;
  std::vector<Window*> windows_;
  std::vector<std::string> problems_;
  std::exception_ptr failure_;
  std::thread thread_;
};

}  // namespace zor::ui::headless
