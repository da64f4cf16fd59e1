#pragma once
// The wait cursor: while the program works on something the user has to
// wait for (a delete, a save), the cursor property (PROP::Cursor) of the
// program as a whole (the system target) or of one window holds
// CURSOR::Wait. The desktop front end shows a busy pointer; the
// character-cell front ends mark the window's frame " Busy ". Setting the
// property tells the thread's front end at once, since a front end
// otherwise draws only while an accept loop waits.
//
//   {
//     ui::WaitCursor busy;  // the program's cursor becomes the wait cursor
//     ... the long work ...
//   }                       // and is put back as it was

#include <string>
#include <string_view>

namespace zor::ui {

class Window;

namespace CURSOR {
inline constexpr std::string_view Wait = "wait";
}  // namespace CURSOR

// Whether the window shows the wait cursor: its own, or the program's.
bool showsWaitCursor(const Window& window);

// Shows the program's wait cursor for its lifetime.
class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  std::string previous_;
};

}  // namespace zor::ui
