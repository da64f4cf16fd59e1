#include "ui/message_box_answers.h"

#include "platform/message_box.h"

namespace zor::ui {
namespace {

struct ButtonAnswer {
  unsigned button;
  int answer;
};

constexpr ButtonAnswer kAnswers[] = {
    {BUTTON::Ok, platform::IDOK},         {BUTTON::Yes, platform::IDYES},
    {BUTTON::No, platform::IDNO},         {BUTTON::Abort, platform::IDABORT},
    {BUTTON::Retry, platform::IDRETRY},   {BUTTON::Ignore, platform::IDIGNORE},
    {BUTTON::Cancel, platform::IDCANCEL}, {kHelpButton, kIdHelp},
};

}  // namespace

int answerOfButton(unsigned button) {
  for (const ButtonAnswer& row : kAnswers) {
    if (row.button == button) return row.answer;
  }
  return 0;
}

unsigned buttonOfAnswer(int answer) {
  for (const ButtonAnswer& row : kAnswers) {
    if (row.answer == answer) return row.button;
  }
  return 0;
}

}  // namespace zor::ui
