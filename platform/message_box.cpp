#include "platform/message_box.h"

#include <cstdio>
#include <mutex>
#include <vector>

namespace zor::platform {
namespace {

struct HookSlot {
  std::mutex mutex;
  MessageBoxHook hook;
};

HookSlot& slot() {
  static HookSlot instance;
  return instance;
}

}  // namespace

MessageBoxHook setMessageBoxHook(MessageBoxHook hook) {
  HookSlot& s = slot();
  std::lock_guard guard(s.mutex);
  std::swap(s.hook, hook);
  return hook;
}

int defaultMessageBoxAnswer(unsigned flags) {
  // The buttons of each button set, left to right.
  static const std::vector<int> kButtonSets[] = {
      {IDOK},        {IDOK, IDCANCEL},    {IDABORT, IDRETRY, IDIGNORE}, {IDYES, IDNO, IDCANCEL},
      {IDYES, IDNO}, {IDRETRY, IDCANCEL},
  };
  const unsigned set = flags & 0xFu;
  const std::vector<int>& buttons =
      set < std::size(kButtonSets) ? kButtonSets[set] : kButtonSets[0];
  // A default button the set does not have falls back to the first one.
  const unsigned index = (flags >> 8) & 0xFu;
  return index < buttons.size() ? buttons[index] : buttons[0];
}

int messageBox(const std::string& text, const std::string& caption, unsigned flags) {
  MessageBoxHook hook;
  {
    HookSlot& s = slot();
    std::lock_guard guard(s.mutex);
    hook = s.hook;  // called outside the lock: a hook may show further boxes
  }
  if (hook) return hook(text, caption, flags);
  const std::string line = caption + ": " + text + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  return defaultMessageBoxAnswer(flags);
}

}  // namespace zor::platform
