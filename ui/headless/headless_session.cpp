#include "ui/headless/headless_session.h"

#include <algorithm>

#include "platform/threads.h"
#include "ui/message_layer.h"
#include "ui/window.h"
#include "ui/window_painter.h"

namespace zor::ui::headless {

HeadlessSession::HeadlessSession() = default;

HeadlessSession::~HeadlessSession() {
  if (!thread_.joinable()) return;
  {
    std::unique_lock lock(mutex_);
    stopping_ = true;
    turn_ = Turn::Procedure;
  }
  turnChanged_.notify_all();
  thread_.join();
}

void HeadlessSession::start(std::function<void()> procedure) {
  {
    std::lock_guard lock(mutex_);
    if (started_) return;
    started_ = true;
  }
  thread_ = platform::startThread([this, procedure = std::move(procedure)] {
    {
      std::unique_lock lock(mutex_);
      turnChanged_.wait(lock, [this] { return turn_ == Turn::Procedure; });
    }
    FrontEnd* previous = setFrontEnd(this);
    std::exception_ptr failure;
    try {
      procedure();
    } catch (...) {
      failure = std::current_exception();
    }
    setFrontEnd(previous);
    {
      std::lock_guard lock(mutex_);
      failure_ = failure;
      finished_ = true;
      windows_.clear();
      turn_ = Turn::Test;
    }
    turnChanged_.notify_all();
  });
  handOver();
  rethrow();
}

void HeadlessSession::handOver() {
  std::unique_lock lock(mutex_);
  if (finished_ || !started_) return;
  turn_ = Turn::Procedure;
  turnChanged_.notify_all();
  turnChanged_.wait(lock, [this] { return turn_ == Turn::Test; });
}

void HeadlessSession::rethrow() {
  std::exception_ptr failure;
  {
    std::lock_guard lock(mutex_);
    failure = std::exchange(failure_, nullptr);
  }
  if (failure) std::rethrow_exception(failure);
}

void HeadlessSession::run() {
  handOver();
  rethrow();
}

bool HeadlessSession::finished() const {
  std::lock_guard lock(mutex_);
  return finished_;
}

void HeadlessSession::queue(Input input) {
  std::lock_guard lock(mutex_);
  inputs_.push_back(std::move(input));
}

void HeadlessSession::press(uint32_t code, char character) {
  queue(KeyInput{code, character});
}

void HeadlessSession::type(std::string_view text) {
  for (const KeyInput& key : keysFor(text)) queue(key);
}

void HeadlessSession::click(std::string useLabel) {
  queue(ClickInput{std::move(useLabel), {}, false});
}

void HeadlessSession::doubleClick(std::string useLabel) {
  queue(ClickInput{std::move(useLabel), {}, true});
}

void HeadlessSession::clickAt(int column, int row) {
  queue(ClickInput{{}, {column, row}, false});
}

void HeadlessSession::wheelAt(int column, int row, int notches) {
  queue(WheelInput{{column, row}, notches});
}

void HeadlessSession::dragAt(int fromColumn, int fromRow, int toColumn, int toRow) {
  queue(DragInput{{fromColumn, fromRow}, {toColumn, toRow}});
}

void HeadlessSession::resize(int width, int height) {
  queue(CommandInput{SC_SIZE, {0, 0, width, height}, true});
}

void HeadlessSession::systemCommand(uintptr_t command, Rect target) {
  queue(CommandInput{command, target});
}

// The following run on the procedure's thread, while it has the turn.

int HeadlessSession::popupMenu(std::string_view menu, std::optional<Cell>) {
  return menus_.show(menu);
}

void HeadlessSession::windowOpened(Window& window) {
  std::lock_guard lock(mutex_);
  windows_.push_back(&window);
}

void HeadlessSession::windowClosed(Window& window) {
  std::lock_guard lock(mutex_);
  windows_.erase(std::remove(windows_.begin(), windows_.end(), &window), windows_.end());
}

void HeadlessSession::idle(Window& window) {
  std::unique_lock lock(mutex_);
  for (;;) {
    while (inputs_.empty() && !stopping_) {
      turn_ = Turn::Test;
      turnChanged_.notify_all();
      turnChanged_.wait(lock, [this] { return turn_ == Turn::Procedure; });
    }
    if (stopping_) {
      lock.unlock();
      postQuitMessage(0);
      return;
    }
    Input next = std::move(inputs_.front());
    inputs_.pop_front();
    lock.unlock();
    std::string problem = postInput(window, next);
    lock.lock();
    if (problem.empty()) return;
    problems_.push_back(problem);  // nothing was posted: give the next input
  }
}

// The following run on the test's thread, while the procedure waits.

Window* HeadlessSession::window() const {
  std::lock_guard lock(mutex_);
  return windows_.empty() ? nullptr : windows_.back();
}

Canvas HeadlessSession::canvas() const {
  Window* shown = window();
  return shown ? paintWindow(*shown) : Canvas(0, 0);
}

std::string HeadlessSession::snapshot() const {
  return canvas().text();
}

Canvas HeadlessSession::screen(int width, int height) const {
  Canvas canvas(width, height);
  std::vector<Window*> open;
  {
    std::lock_guard lock(mutex_);
    open = windows_;
  }
  for (const Window* shown : open) {
    if (!shown->visible) continue;
    Rect cells = windowCells(*shown);
    paintWindow(canvas, *shown, {cells.x, cells.y});
  }
  return canvas;
}

std::vector<std::string> HeadlessSession::problems() const {
  std::lock_guard lock(mutex_);
  return problems_;
}

}  // namespace zor::ui::headless
