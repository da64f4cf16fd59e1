#include "ui/message_box_buttons.h"

#include "platform/message_box.h"

namespace zor::ui {
namespace {

struct ButtonRow {
  unsigned button;
  const char* text;
};

// In the order a box shows them.
constexpr ButtonRow kButtons[] = {
    {BUTTON::Ok, "O&k"},         {BUTTON::Yes, "&Yes"},     {BUTTON::No, "&No"},
    {BUTTON::Abort, "&Abort"},   {BUTTON::Retry, "&Retry"}, {BUTTON::Ignore, "&Ignore"},
    {BUTTON::Cancel, "&Cancel"}, {kHelpButton, "&Help"},
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

}  // namespace zor::ui
