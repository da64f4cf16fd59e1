#include "ui/term/terminal_front_end.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <clocale>
#include <cstdlib>

#include "platform/threads.h"
#include "ui/message_box_buttons.h"
#include "ui/message_layer.h"
#include "ui/system_commands.h"
#include "ui/term/popup_menu_view.h"
#include "ui/term/screen_composer.h"
#include "ui/window.h"
#include "ui/window_input.h"
#include "ui/window_painter.h"

namespace zor::ui::term {
namespace {

// Modal boxes look at the hang-up flag this often while they wait.
constexpr int kModalPollMs = 200;

std::atomic<TerminalFrontEnd*> gActive{nullptr};

int64_t nowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

TerminalFrontEnd* activeTerminal() {
  return gActive.load();
}

bool TerminalFrontEnd::available() {
  return isatty(STDIN_FILENO) && isatty(STDOUT_FILENO);
}

TerminalFrontEnd::TerminalFrontEnd()
    : guard_(watcher_.wakeFd()), thread_(platform::threadNumber()) {
  // Only the character type follows the user's locale: numbers and dates
  // keep the runtime's own formatting.
  std::setlocale(LC_CTYPE, "");
  terminal_.emplace();
  guard_.arm();
  previousDesktop_ = desktopArea();
  setDesktopArea(desktopUnits(terminal_->width(), terminal_->height()));
  previousBoxHook_ = platform::setMessageBoxHook(
      [this](const std::string& text, const std::string& caption, unsigned flags) {
        MessageBoxContent content{text, caption, flags & 0xF0u, buttonsOfFlags(flags),
                                  defaultButtonOfFlags(flags)};
        return answerOfButton(messageBox(content));
      });
  previousFatalHook_ = setFatalErrorHook([this](int, const std::string& message) {
    // "Yes" asks for a crash a debugger can catch; the default is a plain stop.
    unsigned answer = messageBox(
        {message, "Runtime error", platform::MB_ICONHAND, {BUTTON::Yes, BUTTON::No}, BUTTON::No});
    {
      std::lock_guard lock(mutex_);
      terminal_.reset();
    }
    if (answer == BUTTON::Yes) std::abort();
  });
  previousFrontEnd_ = setFrontEnd(this);
  gActive.store(this);
}

TerminalFrontEnd::~TerminalFrontEnd() {
  gActive.store(nullptr);
  setFrontEnd(previousFrontEnd_);
  setFatalErrorHook(std::move(previousFatalHook_));
  platform::setMessageBoxHook(std::move(previousBoxHook_));
  setDesktopArea(previousDesktop_);
  std::lock_guard lock(mutex_);
  terminal_.reset();
}

void TerminalFrontEnd::windowOpened(Window& window) {
  std::lock_guard lock(mutex_);
  windows_.push_back(&window);
}

void TerminalFrontEnd::windowClosed(Window& window) {
  std::lock_guard lock(mutex_);
  windows_.erase(std::remove(windows_.begin(), windows_.end(), &window), windows_.end());
  fitted_.erase(&window);
  asked_.erase(&window);
  if (active_ == &window) active_ = nullptr;
  pointerField_ = 0;
}

bool TerminalFrontEnd::terminalGone() const {
  return TerminalGuard::hungUp() || watcher_.inputGone() || Terminal::inputClosed();
}

Canvas TerminalFrontEnd::compose(ScreenLayers& layers) const {
  int width = terminal_->width();
  int height = terminal_->height();
  // Another thread's box draws over an empty screen: this thread's windows
  // may be changing under it.
  if (platform::threadNumber() != thread_) {
    return composeScreen({}, nullptr, width, height, {}, &layers);
  }
  std::vector<const Window*> shown(windows_.begin(), windows_.end());
  std::string tip = active_ ? statusTip(*active_, pointerField_) : std::string();
  return composeScreen(shown, active_, width, height, tip, &layers);
}

void TerminalFrontEnd::showScreen() {
  ScreenLayers layers(terminal_->width(), terminal_->height());
  Canvas screen = compose(layers);
  terminal_->show(screen, &layers);
}

void TerminalFrontEnd::idle(Window& window) {
  std::lock_guard lock(mutex_);
  if (!terminal_) return;
  if (terminalGone()) {
    hungUp(window);
    return;
  }
  // A window opened before the front end came is shown all the same.
  if (std::find(windows_.begin(), windows_.end(), &window) == windows_.end()) {
    windows_.push_back(&window);
  }
  active_ = &window;
  // A resizable window larger than the screen is sized to it before it is
  // drawn; the loop handles Size and Sized and comes back here.
  if (window.resizable && fit(window)) return;
  for (;;) {
    showScreen();
    // One input at a time: it may close this window or open another, and
    // the next input belongs to whichever window waits then. The loop
    // handles what was posted and comes back here; what ncurses still
    // holds is read then. With nothing posted the loop would wait for
    // good: the watcher must wake it.
    Delivery delivered;
    for (;;) {
      TerminalInput input = terminal_->read(0);
      if (std::holds_alternative<NoInput>(input)) break;
      Delivery one = deliver(window, input);
      if (one.posted) return;
      delivered.redraw = delivered.redraw || one.redraw;
    }
    if (!delivered.redraw) break;
  }
  watcher_.arm(window.handle());
}

void TerminalFrontEnd::cursorChanged() {
  std::lock_guard lock(mutex_);
  if (terminal_ && !terminalGone() && platform::threadNumber() == thread_) showScreen();
}

TerminalFrontEnd::Delivery TerminalFrontEnd::deliver(Window& window, const TerminalInput& input) {
  if (const auto* key = std::get_if<KeyStroke>(&input)) {
    return {postMessage(window.handle(), WM_KEYDOWN, key->code,
                        static_cast<unsigned char>(key->character)),
            false};
  }
  if (const auto* mouse = std::get_if<MouseInput>(&input)) {
    // Redrawn either way: the tip follows the pointer.
    return {deliverMouse(window, *mouse), true};
  }
  if (std::holds_alternative<ResizeInput>(input)) return {resized(), true};
  return {};
}

bool TerminalFrontEnd::deliverMouse(Window& window, const MouseInput& mouse) {
  pointer_ = mouse.cell;
  Cell origin = clientOrigin(windowOrigin(window, terminal_->width(), terminal_->height()));
  Cell client{mouse.cell.x - origin.x, mouse.cell.y - origin.y};
  pointerField_ = controlAt(window, client);
  bool posted = false;
  for (const MouseMessage& message : mouse_.report(mouse.report, mouse.cell, nowMs())) {
    // Plain movement only moves the tip; a drag goes to the window.
    if (message.message == WM_MOUSEMOVE && message.wParam == 0) continue;
    Cell cell{message.cell.x - origin.x, message.cell.y - origin.y};
    posted =
        postMessage(window.handle(), message.message, message.wParam, packCell(cell)) || posted;
  }
  return posted;
}

// A resize moves the windows that no longer fit back onto the screen, sizes
// maximised ones to the new screen and resizable ones to the size they want
// that fits, through the same system commands a user's move and size would
// give (so the procedures see Move/Moved and Size/Sized).
bool TerminalFrontEnd::resized() {
  terminal_->refreshSize();
  setDesktopArea(desktopUnits(terminal_->width(), terminal_->height()));
  bool posted = false;
  for (Window* window : windows_) {
    if (window->isOpen()) posted = fit(*window) || posted;
  }
  return posted;
}

bool TerminalFrontEnd::fit(Window& window) {
  auto fitting = fitted_.find(&window);
  // Sized since by the user or the program: that is the size it wants now.
  if (fitting != fitted_.end() && (window.rect.width != fitting->second.given.width ||
                                   window.rect.height != fitting->second.given.height)) {
    fitted_.erase(fitting);
    fitting = fitted_.end();
  }
  std::optional<Rect> wanted;
  if (fitting != fitted_.end()) {
    wanted = window.rect;
    wanted->width = fitting->second.wanted.width;
    wanted->height = fitting->second.wanted.height;
  }
  auto asked = asked_.find(&window);
  if (asked != asked_.end() && window.rect == asked->second.second.target) {
    asked_.erase(asked);  // carried out
    asked = asked_.end();
  }
  auto command = commandAfterResize(window, terminal_->width(), terminal_->height(), wanted);
  if (!command) return false;
  if (asked != asked_.end() && asked->second == std::make_pair(window.rect, *command)) {
    return false;
  }
  asked_[&window] = {window.rect, *command};
  if (window.resizable && window.show == WindowShow::Normal && command->command == SC_SIZE) {
    Rect want = wanted.value_or(window.rect);
    if (command->target.width == want.width && command->target.height == want.height) {
      fitted_.erase(&window);
    } else {
      fitted_[&window] = {want, command->target};
    }
  }
  return postMessage(window.handle(), WM_SYSCOMMAND, command->command, 0,
                     std::make_shared<Rect>(command->target));
}

// The terminal is gone: each waiting window is asked once to close; one
// that refuses (and waits again) ends the loops with WM_QUIT.
void TerminalFrontEnd::hungUp(Window& window) {
  if (closeAsked_ == window.handle()) {
    postQuitMessage(0);
    return;
  }
  closeAsked_ = window.handle();
  postMessage(window.handle(), WM_CLOSE);
}

template <class View, class Answer>
Answer TerminalFrontEnd::modal(View& view, Answer fallback) {
  for (;;) {
    if (!terminal_ || terminalGone()) return fallback;
    ScreenLayers layers(terminal_->width(), terminal_->height());
    Canvas screen = compose(layers);
    view.paint(screen);
    view.cover(layers);
    terminal_->show(screen, &layers);
    TerminalInput input = terminal_->read(kModalPollMs);
    if (const auto* key = std::get_if<KeyStroke>(&input)) {
      if (auto answer = view.key(*key)) return *answer;
    } else if (const auto* mouse = std::get_if<MouseInput>(&input)) {
      pointer_ = mouse->cell;
      for (const MouseMessage& message : mouse_.report(mouse->report, mouse->cell, nowMs())) {
        if (message.message != WM_LBUTTONDOWN && message.message != WM_LBUTTONDBLCLK) continue;
        if (auto answer = view.click(message.cell)) return *answer;
      }
    } else if (std::holds_alternative<ResizeInput>(input)) {
      terminal_->refreshSize();
      setDesktopArea(desktopUnits(terminal_->width(), terminal_->height()));
      view.layout(terminal_->width(), terminal_->height());
    }
  }
}

namespace {

// A message box answers through optional like the menu does: 0 is "open".
struct BoxAdapter {
  MessageBoxView& view;
  void paint(Canvas& canvas) const { view.paint(canvas); }
  std::optional<unsigned> key(const KeyStroke& key) {
    unsigned button = view.key(key);
    return button ? std::optional<unsigned>(button) : std::nullopt;
  }
  std::optional<unsigned> click(Cell cell) {
    unsigned button = view.click(cell);
    return button ? std::optional<unsigned>(button) : std::nullopt;
  }
  void layout(int width, int height) { view.layout(width, height); }
  void cover(ScreenLayers& layers) const { layers.cover(view.area()); }
};

struct MenuAdapter {
  PopupMenuView& view;
  void paint(Canvas& canvas) const { view.paint(canvas); }
  std::optional<int> key(const KeyStroke& key) { return view.key(key); }
  std::optional<int> click(Cell cell) { return view.click(cell); }
  void layout(int, int) {}
  void cover(ScreenLayers& layers) const {
    for (size_t level = 0; level < view.depth(); ++level) layers.cover(view.box(level));
  }
};

}  // namespace

unsigned TerminalFrontEnd::messageBox(const MessageBoxContent& content) {
  std::lock_guard lock(mutex_);
  unsigned fallback = content.defaultButton     ? content.defaultButton
                      : content.buttons.empty() ? BUTTON::Ok
                                                : content.buttons.front();
  if (!terminal_) return fallback;
  MessageBoxView view(content, terminal_->width(), terminal_->height());
  BoxAdapter adapter{view};
  return modal(adapter, fallback);
}

int TerminalFrontEnd::popupMenu(std::string_view menu, std::optional<Cell> at) {
  std::lock_guard lock(mutex_);
  if (!terminal_) return 0;
  std::vector<MenuItem> items = parseMenu(menu);
  if (items.empty()) return 0;
  Cell anchor{terminal_->width() / 2, terminal_->height() / 2};
  if (at) {
    anchor = *at;
  } else if (pointer_) {
    anchor = *pointer_;
  } else if (active_) {
    Cell origin = windowOrigin(*active_, terminal_->width(), terminal_->height());
    Rect cells = windowCells(*active_);
    anchor = {origin.x + cells.width / 3, origin.y + cells.height / 3};
  }
  PopupMenuView view(std::move(items), anchor, terminal_->width(), terminal_->height());
  MenuAdapter adapter{view};
  return modal(adapter, 0);
}

}  // namespace zor::ui::term
