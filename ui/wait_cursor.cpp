#include "ui/wait_cursor.h"

#include "ui/properties.h"
#include "ui/statements.h"
#include "ui/window.h"

namespace zor::ui {

bool showsWaitCursor(const Window& window) {
  return window.property(PROP::Cursor) == CURSOR::Wait ||
         systemProperty(PROP::Cursor) == CURSOR::Wait;
}

WaitCursor::WaitCursor() : previous_(systemProperty(PROP::Cursor)) {
  setProperty(SystemTarget, PROP::Cursor, std::string(CURSOR::Wait));
}

WaitCursor::~WaitCursor() {
  setProperty(SystemTarget, PROP::Cursor, previous_);
}

}  // namespace zor::ui
