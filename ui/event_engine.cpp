#include "ui/event_engine.h"

#include <atomic>
#include <string>
#include <utility>

#include "platform/threads.h"
#include "runtime/fatal_error.h"
#include "ui/base/event_numbers.h"
#include "ui/message_layer.h"
#include "ui/thread_state.h"
#include "ui/window.h"

namespace zor::ui {
namespace {

std::atomic<bool> deliveryEnabled{true};
thread_local std::function<bool(const Message&)> messageHook;

bool isCloseEvent(uint32_t number) {
  return number == carried(EVENT::CloseWindow) || number == carried(EVENT::CloseDown);
}

bool endsLoopAfterDelivery(uint32_t number) {
  uint32_t event = uncarried(number);
  return event == EVENT::BuildFile || event == EVENT::BuildKey || event == EVENT::BuildDone;
}

// Queues an event record on a window of the calling thread, applying the
// delivery switch and the control's event flag.
bool enqueue(Window& window, std::unique_ptr<Event> event, MergeMode mode) {
  if (!window.isOpen()) return false;
  if (!eventDelivery() && !isCloseEvent(event->number)) return false;
  if (event->field != 0) {
    Control* control = window.control(event->field);
    if (!control || !control->eventsEnabled) return false;
  }
  window.acceptState().queue.push(std::move(event), mode);
  wakeWindow(window.handle());
  return true;
}

enum class Finish { Continue, EndLoop };

// Runs the finish operation of the event just delivered and acts on it.
Finish finishCurrent(Window& window) {
  AcceptState& state = window.acceptState();
  std::unique_ptr<Event> event = std::move(state.current);
  bool refused = std::exchange(state.refused, false);
  if (!event) return Finish::Continue;
  if (event->finish) event->finish(*event, refused);
  if (event->number == carried(EVENT::CloseWindow) && !refused) {
    state.phase = LoopPhase::Closing;
    return Finish::EndLoop;
  }
  return endsLoopAfterDelivery(event->number) ? Finish::EndLoop : Finish::Continue;
}

// Steps 7 and 8: the oldest event, or one made for a pending accept; a
// Selected event whose control no longer has the focus is dropped.
std::unique_ptr<Event> takeEvent(Window& window) {
  AcceptState& state = window.acceptState();
  for (;;) {
    std::unique_ptr<Event> event;
    if (!state.preEvents.empty()) {
      event = std::move(state.preEvents.front());
      state.preEvents.pop_front();
    } else {
      event = state.queue.take();
    }
    if (!event && std::exchange(state.pendingAccept, false)) {
      Control* focused = window.control(window.focus);
      if (focused && focused->completeEntry()) {
        event = makeEvent(window, EVENT::Accepted, window.focus);
      }
    }
    if (event && event->number == carried(EVENT::Selected) && event->field != window.focus) {
      continue;
    }
    return event;
  }
}

// Step 6 for a message the loop received.
void handleLoopMessage(Window& window, Message& message) {
  AcceptState& state = window.acceptState();
  Message setUse;
  bool refresh = false;
  while (peekMessage(setUse, window.handle(), QUERY_SETUSE, QUERY_SETUSE, true)) refresh = true;
  if (message.message == QUERY_SETUSE && message.window == window.handle()) refresh = true;
  if (refresh) state.refreshPending = true;
  if (message.message == QUERY_SETUSE && message.window == window.handle()) return;
  if (message.message == QUERY_TOTOP) {
    bringWindowToTop(message.window);
    return;
  }
  if (message.message == WM_TIMER && message.wParam == kLoopTimerId &&
      message.window == window.handle()) {
    if (window.idleWork) window.idleWork();
    return;
  }
  if (message.window == 0) {
    if (message.message == QUERY_POSTEDEVENT) receivePostedEvent(message);
    return;
  }
  if (message.window == window.handle() && window.preTranslate && window.preTranslate(message)) {
    return;
  }
  if (messageHook && messageHook(message)) return;
  dispatchMessage(message);
}

}  // namespace

void receivePostedEvent(const Message& message) {
  if (!message.payload) return;
  auto handed = std::static_pointer_cast<Event>(message.payload);
  auto event = std::make_unique<Event>(std::move(*handed));
  Window* window = ownWindow(event->window);
  if (!window) return;
  event->mouseX = window->pointerX;
  event->mouseY = window->pointerY;
  enqueue(*window, std::move(event), MergeMode::Replace);
}

void setEventDelivery(bool enabled) {
  deliveryEnabled = enabled;
}
bool eventDelivery() {
  return deliveryEnabled;
}

std::unique_ptr<Event> makeEvent(const Window& window, uint32_t event, int field,
                                 const Event* from) {
  auto record = std::make_unique<Event>();
  record->number = carried(event);
  record->window = window.handle();
  record->field = field;
  if (from) {
    record->mouseX = from->mouseX;
    record->mouseY = from->mouseY;
    record->keyCode = from->keyCode;
    record->keyState = from->keyState;
    record->keyChar = from->keyChar;
  } else {
    Keystroke key = lastKeystroke();
    record->mouseX = window.pointerX;
    record->mouseY = window.pointerY;
    record->keyCode = key.code;
    record->keyState = key.state;
    record->keyChar = key.character;
  }
  return record;
}

bool post(Window& window, uint32_t event, int field, MergeMode mode) {
  return enqueue(window, makeEvent(window, event, field), mode);
}

bool postEvent(WindowHandle handle, uint32_t event, int field) {
  if (Window* own = ownWindow(handle)) return post(*own, event, field);
  auto record = std::make_shared<Event>();
  Keystroke key = lastKeystroke();
  record->number = carried(event);
  record->window = handle;
  record->field = field;
  record->keyCode = key.code;
  record->keyState = key.state;
  record->keyChar = key.character;
  if (postMessage(handle, QUERY_POSTEDEVENT, 0, 0, record)) return true;
  int owner = windowThread(handle);
  return owner != 0 && owner != platform::threadNumber() &&
         postThreadMessage(owner, QUERY_POSTEDEVENT, 0, 0, record);
}

bool runNow(Window& window, uint32_t event, std::function<void()> carryOut) {
  AcceptState& state = window.acceptState();
  if (!window.isOpen() || state.phase != LoopPhase::Accepting || !eventDelivery()) {
    carryOut();
    return false;
  }
  auto record = makeEvent(window, event, 0);
  record->finish = [carryOut = std::move(carryOut)](const Event&, bool refused) {
    if (!refused) carryOut();
  };
  state.preEvents.push_back(std::move(record));
  wakeWindow(window.handle());
  return true;
}

int nextEvent(Window& window) {
  if (!window.isOpen()) fatalRuntimeError(536, window.title);
  if (window.thread() != platform::threadNumber()) fatalRuntimeError(545, window.title);
  AcceptState& state = window.acceptState();
  if (finishCurrent(window) == Finish::EndLoop) return 0;
  for (;;) {
    if (state.phase != LoopPhase::Accepting || !window.isOpen()) return 0;
    if (std::exchange(state.refreshPending, false)) {
      for (const auto& control : window.controls()) control->display();
    }
    if (std::unique_ptr<Event> event = takeEvent(window)) {
      if (event->number == carried(EVENT::OpenFailed)) {
        if (event->finish) event->finish(*event, false);
        state.phase = LoopPhase::Closing;
        return -1;
      }
      state.current = std::move(event);
      return static_cast<int>(uncarried(state.current->number));
    }
    Message message;
    if (!peekMessage(message, window.handle(), 0, kAnyMessageLast, false) && window.runIdle()) {
      // Events the idle work (or the front end) queues wake the wait below;
      // it may also have closed the window.
      if (!window.isOpen() || state.phase != LoopPhase::Accepting) return 0;
    }
    while (peekMessage(message, window.handle(), QUERY_DOCKQUERY, QUERY_DOCKQUERY, true)) {
      dispatchMessage(message);
    }
    if (!getMessage(message)) {
      postQuitMessage(static_cast<int>(message.wParam));  // outer loops see it too
      return 0;
    }
    handleLoopMessage(window, message);
  }
}

void refuseEvent(Window& window) {
  if (window.acceptState().current) window.acceptState().refused = true;
}

const Event* currentEvent(const Window& window) {
  return window.acceptState().current.get();
}

void setMessageHook(std::function<bool(const Message&)> hook) {
  messageHook = std::move(hook);
}

}  // namespace zor::ui
