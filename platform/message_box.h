#pragma once
// Message boxes go through a hook that the active front end installs
// (terminal: a modal box; headless: scripted answers). Without a hook the
// default button is answered and the text goes to stderr.

#include <functional>
#include <string>

namespace zor::platform {

// Button sets and icons, as the flags of the standard message box.
enum MessageBoxFlags : unsigned {
  MB_OK = 0x0,
  MB_OKCANCEL = 0x1,
  MB_ABORTRETRYIGNORE = 0x2,
  MB_YESNOCANCEL = 0x3,
  MB_YESNO = 0x4,
  MB_RETRYCANCEL = 0x5,
  MB_ICONHAND = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONEXCLAMATION = 0x30,
  MB_ICONASTERISK = 0x40,
  MB_DEFBUTTON1 = 0x000,
  MB_DEFBUTTON2 = 0x100,
  MB_DEFBUTTON3 = 0x200,
  MB_SYSTEMMODAL = 0x1000,
  MB_TASKMODAL = 0x2000,
};

enum MessageBoxAnswer : int {
  IDOK = 1,
  IDCANCEL = 2,
  IDABORT = 3,
  IDRETRY = 4,
  IDIGNORE = 5,
  IDYES = 6,
  IDNO = 7,
};

using MessageBoxHook =
    std::function<int(const std::string& text, const std::string& caption, unsigned flags)>;

// Installs a hook and returns the previous one.
MessageBoxHook setMessageBoxHook(MessageBoxHook hook);
int messageBox(const std::string& text, const std::string& caption, unsigned flags);
// The answer of the default button of a flag set.
int defaultMessageBoxAnswer(unsigned flags);

}  // namespace zor::platform
