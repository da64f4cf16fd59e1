#pragma once
// The one place that ties the runtime's message-box button codes (MESSAGE's
// BUTTON::Ok ... and Help) to the platform's message-box answers:
//
//   button   runtime code   platform answer
//   Ok            1         IDOK     (1)
//   Yes           2         IDYES    (6)
//   No            4         IDNO     (7)
//   Abort         8         IDABORT  (3)
//   Retry        16         IDRETRY  (4)
//   Ignore       32         IDIGNORE (5)
//   Cancel       64         IDCANCEL (2)
//   Help        128         kIdHelp  (9)

#include "ui/base/message_box_codes.h"

namespace zor::ui {

// A box may offer Help besides MESSAGE's buttons (ui/statements.h).
inline constexpr unsigned kHelpButton = 128;
// The platform has no answer for Help; this is the one the standard box gives.
inline constexpr int kIdHelp = 9;

// The platform answer of a button and back; 0 for unknown values.
int answerOfButton(unsigned button);
unsigned buttonOfAnswer(int answer);

}  // namespace zor::ui
