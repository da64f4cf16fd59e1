#pragma once
// The one place that ties the runtime's message-box button codes to the
// platform's message-box flags and answers:
//
//   button   runtime code   text      platform answer
//   Ok            1         "O&k"     IDOK     (1)
//   Yes           2         "&Yes"    IDYES    (6)
//   No            4         "&No"     IDNO     (7)
//   Abort         8         "&Abort"  IDABORT  (3)
//   Retry        16         "&Retry"  IDRETRY  (4)
//   Ignore       32         "&Ignore" IDIGNORE (5)
//   Cancel       64         "&Cancel" IDCANCEL (2)
//   Help        128         "&Help"   kIdHelp  (9)
//
// The platform's flags name a fixed button set (MB_OK ... MB_RETRYCANCEL)
// and the default button by its place in the set (MB_DEFBUTTON1..3).

#include <string>
#include <vector>

#include "ui/statements.h"

namespace zor::ui::term {

// MESSAGE's buttons are ui::BUTTON (ui/statements.h); the box offers Help
// besides them.
inline constexpr unsigned kHelpButton = 128;

// The platform has no answer for Help; this is the one the standard box gives.
inline constexpr int kIdHelp = 9;

// The buttons of a runtime button mask, in the order a box shows them.
std::vector<unsigned> buttonsOfMask(unsigned mask);
// The buttons of the platform flags' set, in order, and its default button.
std::vector<unsigned> buttonsOfFlags(unsigned flags);
unsigned defaultButtonOfFlags(unsigned flags);

// "O&k", "&Yes" ...; empty for an unknown code.
std::string buttonText(unsigned button);
// The platform answer of a button and back; 0 for unknown values.
int answerOfButton(unsigned button);
unsigned buttonOfAnswer(int answer);

}  // namespace zor::ui::term
