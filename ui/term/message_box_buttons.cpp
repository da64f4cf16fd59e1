#include "ui/term/message_box_buttons.h"

#include "platform/message_box.h"

namespace zor::ui::term {
namespace {

struct ButtonRow {
  unsigned button;
  const char* text;
  int answer;
};

// In the order a box shows them.
constexpr ButtonRow kButtons[] = {
    {BUTTON::Ok, "O&k", platform::IDOK},
    {BUTTON::Yes, "&Yes", platform::IDYES},
    {BUTTON::No, "&No", platform::IDNO},
    {BUTTON::Abort, "&Abort", platform::IDABORT},
    {BUTTON::Retry, "&Retry", platform::IDRETRY},
    {BUTTON::Ignore, "&Ignore", platform::IDIGNORE},
    {BUTTON::Cancel, "&Cancel", platform::IDCANCEL},
    {kHelpButton, "&Help", kIdHelp},
};

}  // namespace

std::vector<unsigned> buttonsOfMask(unsigned mask) {
  std::vector<unsigned> buttons;
  for (const ButtonRow& row : kButtons) {
    if (mask & row.button) buttons.push_back(row.button);
  }
  if (buttons.empty()) buttons.push_back(BUTTON::Ok);
  return buttons;
}

std::vector<unsigned> buttonsOfFlags(unsigned flags) {
  using namespace ui::BUTTON;
  switch (flags & 0xFu) {
    case platform::MB_OKCANCEL:
      return {Ok, Cancel};
    case platform::MB_ABORTRETRYIGNORE:
      return {Abort, Retry, Ignore};
    case platform::MB_YESNOCANCEL:
      return {Yes, No, Cancel};
    case platform::MB_YESNO:
      return {Yes, No};
    case platform::MB_RETRYCANCEL:
      return {Retry, Cancel};
    default:
      return {Ok};
  }
}

unsigned defaultButtonOfFlags(unsigned flags) {
  return buttonOfAnswer(platform::defaultMessageBoxAnswer(flags));
}

std::string buttonText(unsigned button) {
  for (const ButtonRow& row : kButtons) {
    if (row.button == button) return row.text;
  }
  return {};
}

int answerOfButton(unsigned button) {
  for (const ButtonRow& row : kButtons) {
    if (row.button == button) return row.answer;
  }
  return 0;
}

unsigned buttonOfAnswer(int answer) {
  for (const ButtonRow& row : kButtons) {
    if (row.answer == answer) return row.button;
  }
  return 0;
}

}  // namespace zor::ui::term
