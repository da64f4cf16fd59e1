// Alert keys: a key a control or its window alerts reaches the procedure as
// an AlertKey event for the focused control, with KEYCODE() telling the
// key, and is not typed into the control.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/ui/controls_test_forms.h"
#include "ui/base/event_numbers.h"
#include "ui/headless/headless_session.h"
#include "ui/key_codes.h"
#include "ui/statements.h"
#include "ui/window.h"
#include "ui/window_builder.h"

namespace zor::ui::headless {
namespace {

TEST(AlertKeys, ReachTheProcedureInsteadOfTheControl) {
  constexpr uint32_t kCtrlH = KEY::Ctrl | 'H';
  constexpr uint32_t kF2 = 0x71;
  std::vector<std::pair<int, uint32_t>> alerts;  // (field, key)
  std::string name;
  HeadlessSession session;
  session.start([&] {
    auto window = openWindow(test::customerForm());
    Control* entry = window->find("?NAME");
    entry->bind({[&] { return name; }, [&](const std::string& v) { name = v; }});
    entry->alert(kCtrlH);
    entry->alert(KEY::Enter);
    window->alert(kF2);
    while (accept()) {
      if (event() == EVENT::AlertKey) alerts.emplace_back(field(), keyCode());
    }
    window->close();
  });
  const int nameField = session.window()->find("?NAME")->field();
  session.type("ab");
  session.press(kCtrlH);
  session.press(KEY::Enter);  // alerted: the default button is not pressed
  session.press(kF2);
  session.press(KEY::Tab);
  session.press(kCtrlH);  // the next control does not alert it
  session.press(kF2);     // the window does, whatever has the focus
  session.press(KEY::Escape);
  session.run();
  ASSERT_TRUE(session.finished());
  const int nextField = nameField + 2;  // the amount entry, after its prompt
  EXPECT_EQ(alerts,
            (std::vector<std::pair<int, uint32_t>>{
                {nameField, kCtrlH}, {nameField, KEY::Enter}, {nameField, kF2}, {nextField, kF2}}));
  EXPECT_EQ(name, "ab");
}

}  // namespace
}  // namespace zor::ui::headless
