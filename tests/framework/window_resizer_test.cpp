#include "framework/window_resizer.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/control_types.h"
#include "framework/error_reporter.h"
#include "framework/window_controller.h"
#include "ui/headless/headless_session.h"
#include "ui/key_codes.h"
#include "ui/messages.h"
#include "ui/properties.h"
#include "ui/system_commands.h"
#include "ui/window.h"
#include "ui/window_builder.h"

namespace zor::fw {
namespace {

constexpr const char* kOwner = "FrameworkTests$FRAMEWORKTESTS";
constexpr int kDesignedWidth = 200;
constexpr int kDesignedHeight = 120;

std::unique_ptr<ui::Window> openForm() {
  return ui::openWindow(kOwner, "FORM");
}

ui::Rect rectOf(const ui::Window& window, const std::string& use) {
  const ui::Control* control = window.find(use);
  EXPECT_NE(control, nullptr) << use;
  return control ? control->rect : ui::Rect{};
}

std::map<std::string, ui::Rect> allRects(const ui::Window& window) {
  std::map<std::string, ui::Rect> rects;
  for (const auto& control : window.controls()) rects[control->useLabel()] = control->rect;
  return rects;
}

void sizeTo(ui::Window& window, WindowResizer& resizer, int width, int height) {
  window.rect.width = width;
  window.rect.height = height;
  resizer.Resize();
}

bool inside(const ui::Rect& inner, const ui::Rect& outer) {
  return inner.x >= outer.x && inner.y >= outer.y &&
         inner.x + inner.width <= outer.x + outer.width &&
         inner.y + inner.height <= outer.y + outer.height;
}

// Every control but the tabs lies inside its parent and inside the client
// area, in units and in the cells it is drawn in, and is never empty.
void expectAllInside(const ui::Window& window, const std::string& context) {
  const ui::Rect client{0, 0, window.rect.width, window.rect.height};
  for (const auto& control : window.controls()) {
    if (control->kind() == ui::ControlKind::Tab) continue;
    const ui::Rect& r = control->rect;
    const std::string what = context + " " + control->useLabel();
    EXPECT_GE(r.width, 1) << what;
    EXPECT_GE(r.height, 1) << what;
    EXPECT_TRUE(inside(r, client)) << what;
    EXPECT_TRUE(inside(ui::unitsToCells(r), ui::unitsToCells(client))) << what;
    // Inside the parent; inside the sheet where it has no room for the
    // body of its tab.
    const ui::Control* parent = window.control(control->parent);
    if (parent && (parent->rect.width <= 0 || parent->rect.height <= 0)) {
      parent = window.control(parent->parent);
    }
    if (parent) {
      EXPECT_TRUE(inside(r, parent->rect)) << what << " in " << parent->useLabel();
      EXPECT_TRUE(inside(ui::unitsToCells(r), ui::unitsToCells(parent->rect)))
          << what << " in " << parent->useLabel();
    }
  }
}

TEST(WindowResizer, ControlsStayInsideTheirParentsAndTheWindowAtEverySize) {
  const std::vector<std::pair<int, int>> sizes = {{1, 1},     {10, 6},    {50, 30},   {99, 61},
                                                  {199, 121}, {200, 120}, {333, 177}, {1000, 700}};
  for (uint8_t strategy = AppStrategy::Scale; strategy <= AppStrategy::Centre; ++strategy) {
    std::vector<std::map<std::string, ui::Rect>> immediate;
    for (uint8_t defer : {0, 1}) {
      auto window = openForm();
      WindowResizer resizer;
      resizer.Bind(strategy, 0, defer);
      for (size_t at = 0; at < sizes.size(); ++at) {
        const auto [width, height] = sizes[at];
        const std::string context = "strategy " + std::to_string(strategy) + " at " +
                                    std::to_string(width) + "x" + std::to_string(height);
        sizeTo(*window, resizer, width, height);
        expectAllInside(*window, context);
        if (defer == 0) {
          immediate.push_back(allRects(*window));
        } else {
          EXPECT_EQ(allRects(*window), immediate[at]) << context << ": deferred moves differ";
        }
      }
      // Back at the designed size, every strategy gives the design back.
      sizeTo(*window, resizer, kDesignedWidth, kDesignedHeight);
      for (const ResizerControl& entry : *resizer.ControlQueue) {
        const ui::Rect r = window->control(entry.ID)->rect;
        EXPECT_EQ((ResizerRect{r.x, r.y, r.width, r.height}), entry.Pos)
            << "strategy " << int(strategy) << " control " << entry.ID;
      }
      window->close();
    }
  }
}

TEST(WindowResizer, EachStrategyPlacesTheControlsByItsRules) {
  struct Case {
    uint8_t strategy;
    int width, height;
    std::map<std::string, ui::Rect> expected;
  };
  const std::vector<Case> cases = {
      // Nothing moves.
      {AppStrategy::Keep,
       300,
       180,
       {{"?OK", {152, 4, 44, 16}}, {"?LIST", {8, 44, 100, 36}}, {"?ON", {156, 32, 36, 8}}}},
      {AppStrategy::Keep, 800, 600, {{"?NAME", {36, 4, 100, 8}}, {"?CANCEL", {152, 100, 44, 16}}}},
      // The block stays centred: everything moves by half the growth.
      {AppStrategy::Centre,
       300,
       180,
       {{"?OK", {202, 34, 44, 16}},
        {"?LIST", {58, 74, 100, 36}},
        {"?ON", {206, 62, 36, 8}},
        {"?AREA", {54, 138, 20, 8}}}},
      {AppStrategy::Centre,
       160,
       100,
       // Kept inside the smaller window: moved back rather than shrunk.
       {{"?NAME", {16, 0, 100, 8}}, {"?CANCEL", {116, 84, 44, 16}}}},
      // Buttons keep to their nearest edges; the sheet and the list in it
      // grow with constant margins; entries widen and keep their height.
      {AppStrategy::Grow,
       300,
       180,
       {{"?OK", {252, 4, 44, 16}},
        {"?CANCEL", {252, 160, 44, 16}},
        {"?SHEET", {4, 20, 240, 124}},
        {"?LIST", {8, 44, 200, 96}},
        {"?MORE", {212, 44, 28, 16}},
        {"?NAME", {54, 4, 150, 8}},
        {"?KIND", {228, 60, 66, 8}},
        {"?NOTE", {6, 132, 210, 24}}}},
      // A smaller window scales proportional controls down in its ratio.
      {AppStrategy::Scale,
       100,
       60,
       {{"?NAME", {18, 2, 50, 8}}, {"?NOTE", {2, 44, 70, 8}}, {"?AREA", {2, 54, 10, 4}}}},
      // Offsets stay; lists, texts and groups grow.
      {AppStrategy::Anchor,
       300,
       180,
       {{"?NOTE", {4, 88, 240, 76}}, {"?NAME", {36, 4, 200, 8}}, {"?OK", {252, 4, 44, 16}}}},
  };
  for (const Case& c : cases) {
    auto window = openForm();
    WindowResizer resizer;
    resizer.Bind(c.strategy);
    sizeTo(*window, resizer, c.width, c.height);
    for (const auto& [use, rect] : c.expected) {
      EXPECT_EQ(rectOf(*window, use), rect)
          << "strategy " << int(c.strategy) << " at " << c.width << "x" << c.height << " " << use;
    }
    resizer.Restore();
    EXPECT_EQ(rectOf(*window, "?LIST"), (ui::Rect{8, 44, 100, 36}));
    window->close();
  }
}

TEST(WindowResizer, ChoosesTheControlsAndTheirTypesAndLeavesTheRestAlone) {
  auto window = openForm();
  window->find("?FRAME")->setProperty(ui::PROP::KeepPlace, "1");
  WindowResizer resizer;
  resizer.Bind(AppStrategy::Grow);
  std::map<int32_t, int32_t> types;
  for (const ResizerControl& entry : *resizer.ControlQueue) types[entry.ID] = entry.Type;
  // The tab (its body follows the sheet) and the control marked to keep its
  // place take no part; the window system's codes 19, 20, 22 and 24 (drop
  // list, spin, region, box) are types 8, 16, 4 and 6 and do.
  EXPECT_EQ(types.count(window->find("?TAB")->field()), 0u);
  EXPECT_EQ(types.count(window->find("?FRAME")->field()), 0u);
  EXPECT_EQ(types[window->find("?KIND")->field()], ControlType::Entry);
  EXPECT_EQ(types[window->find("?COUNT")->field()], ControlType::Spin);
  EXPECT_EQ(types[window->find("?AREA")->field()], ControlType::Region);
  EXPECT_EQ(types[window->find("?STATUS")->field()], ControlType::Option);
  EXPECT_EQ(types.size(), window->controls().size() - 2);
  for (const ResizerControl& entry : *resizer.ControlQueue) {
    const bool parent =
        entry.ID == window->find("?SHEET")->field() || entry.ID == window->find("?STATUS")->field();
    EXPECT_EQ(entry.HasChildren, parent ? 1 : 0) << entry.ID;
  }
  EXPECT_EQ(resizer.ControlQueue->front().ParentID, 0);
  EXPECT_EQ(rectOf(*window, "?LIST").x, 8);

  sizeTo(*window, resizer, 300, 180);
  EXPECT_EQ(rectOf(*window, "?FRAME"), (ui::Rect{28, 108, 20, 8}));
  EXPECT_EQ(rectOf(*window, "?TAB"), (ui::Rect{4, 28, 240, 116})) << "the body follows its sheet";
  EXPECT_EQ(resizer.PreviousWin, (ResizerRect{0, 0, 300, 180}));
  // Parents come before their children in the moves.
  int32_t sheetPriority = -1;
  for (const ResizerMove& move : *resizer.ResizeList) {
    if (move.ControlID == window->find("?SHEET")->field()) sheetPriority = move.Priority;
    if (move.ControlID == window->find("?LIST")->field()) {
      EXPECT_EQ(sheetPriority, 0) << "the sheet moved first";
      EXPECT_EQ(move.Priority, 2);
      EXPECT_EQ(move.Before, (ResizerRect{8, 44, 100, 36}));
    }
  }
  // One control's strategies overridden: fixed, whatever the size.
  EXPECT_TRUE(resizer.SetControlStrategy(window->find("?NAME")->field(), 257, 3));
  EXPECT_FALSE(resizer.SetControlStrategy(window->find("?FRAME")->field(), 257, 3));
  sizeTo(*window, resizer, 400, 200);
  EXPECT_EQ(rectOf(*window, "?NAME"), (ui::Rect{36, 4, 100, 8}));
  window->close();
}

TEST(WindowResizer, AWindowGivenAnotherSizeBeforeBindIsLaidOutAtOnce) {
  auto window = openForm();
  window->rect.width = 300;  // as a stored window place restores it
  window->rect.height = 180;
  WindowResizer resizer;
  resizer.Bind(AppStrategy::Grow);
  EXPECT_EQ(resizer.OrigWin.Width, kDesignedWidth);
  EXPECT_EQ(resizer.OrigWin.Height, kDesignedHeight);
  EXPECT_EQ(rectOf(*window, "?OK"), (ui::Rect{252, 4, 44, 16}));
  EXPECT_EQ(rectOf(*window, "?LIST"), (ui::Rect{8, 44, 200, 96}));
  window->close();
}

// A form procedure that binds its resizer the way the program's forms do.
class ResizingForm : public WindowController {
 public:
  ResizingForm() : WindowController(kOwner, "FORM") {}
  uint8_t Bind() override {
    if (uint8_t level = WindowController::Bind()) return level;
    OpenWindow();
    resizer.Bind(AppStrategy::Grow);
    RegisterComponent(resizer);
    RESIZE = &resizer;
    return Level::Benign;
  }
  WindowResizer resizer;
};

TEST(WindowResizer, FollowsTheWindowsSizeEventsInAHeadlessSession) {
  ResizingForm form;
  ui::headless::HeadlessSession session;
  session.start([&] { form.Run(); });
  ASSERT_NE(session.window(), nullptr);
  const ui::Rect desktop = ui::desktopArea();

  session.resize(300, 180);
  session.run();
  EXPECT_EQ(rectOf(*session.window(), "?OK"), (ui::Rect{252, 4, 44, 16}));
  // The button is drawn in its new cells (client cell 63 is canvas column 64).
  const std::string buttonRow = session.canvas().row(2);
  EXPECT_GE(buttonRow.find("OK"), 64u) << session.snapshot();
  EXPECT_LT(buttonRow.find("OK"), 75u) << session.snapshot();

  session.systemCommand(ui::SC_MAXIMIZE);
  session.run();
  EXPECT_EQ(rectOf(*session.window(), "?OK").x, desktop.width - 48);

  session.systemCommand(ui::SC_RESTORE);
  session.run();
  EXPECT_EQ(rectOf(*session.window(), "?OK").x, 252);

  session.resize(120, 64);
  session.run();
  expectAllInside(*session.window(), "headless 120x64");
  EXPECT_EQ(form.resizer.PreviousWin.Width, 120);

  session.press(ui::KEY::Escape);
  session.run();
  EXPECT_TRUE(session.finished());
  EXPECT_EQ(form.resizer.ControlQueue, nullptr) << "released with the window";
}

}  // namespace
}  // namespace zor::fw
