#pragma once
// The event engine: turns messages, timer ticks, system commands and posted
// events into events queued per window, and hands them to the procedure one
// at a time through the accept loop. A window's queue is touched only by its
// own thread; other threads reach it with QUERY_POSTEDEVENT messages.

#include <cstdint>
#include <functional>
#include <memory>

#include "ui/event.h"
#include "ui/event_queue.h"
#include "ui/messages.h"

namespace zor::ui {

class Window;

// Unless event delivery is enabled, only CloseWindow and CloseDown are
// queued. Enabled at start.
void setEventDelivery(bool enabled);
bool eventDelivery();

// A new event record for the window. Mouse and key fields come from `from`
// when the event is made from another one, else from the calling thread's
// last keystroke and the window's pointer position.
std::unique_ptr<Event> makeEvent(const Window& window, uint32_t event, int field,
                                 const Event* from = nullptr);

// Queues an event on a window of the calling thread (field 0: a window
// event) and wakes the loop. False when the event was not queued.
bool post(Window& window, uint32_t event, int field = 0, MergeMode mode = MergeMode::Replace);
// Posts to a window of any thread. A window of another thread receives the
// event through a QUERY_POSTEDEVENT message; the event of a window that no
// longer exists goes to its thread, which drops it. False (and the record is
// destroyed) when it cannot be posted at all.
bool postEvent(WindowHandle window, uint32_t event, int field = 0);

// A pre-event the procedure may refuse (Move, Size, Restore, Maximize,
// Iconize): while the window is accepting, the event is delivered before the
// queued events (pre-events keep their own order) and `carryOut` runs once
// the procedure has handled it without cycling. A window outside its loop carries out at once.
// Returns whether the procedure was asked.
bool runNow(Window& window, uint32_t event, std::function<void()> carryOut);

// One accept-loop step: the next event's number for the procedure, 0 when the
// loop has ended, -1 after OpenFailed. Calling it again finishes the event
// delivered before (and acts on a CloseWindow that was not refused).
int nextEvent(Window& window);
// The procedure refuses (cycles on) the event being delivered.
void refuseEvent(Window& window);
// The event being delivered, or null.
const Event* currentEvent(const Window& window);

// A QUERY_POSTEDEVENT message: the event handed over from another thread is
// queued on its window when that window is still open on this thread,
// otherwise destroyed here.
void receivePostedEvent(const Message& message);

// The application's message hook of the calling thread: true consumes a
// message before it is dispatched.
void setMessageHook(std::function<bool(const Message&)> hook);

}  // namespace zor::ui
