// How the terminal front end shows the canvas: the theme, the line-drawing
// frames and the composed screen with its status line.

#include <gtest/gtest.h>

#include <set>

#include "ui/base/event_numbers.h"
#include "ui/control.h"
#include "ui/control_factory.h"
#include "ui/message_layer.h"
#include "ui/statements.h"
#include "ui/term/colour_theme.h"
#include "ui/term/line_glyphs.h"
#include "ui/term/screen_composer.h"
#include "ui/window.h"
#include "ui/window_painter.h"

namespace zor::ui::term {
namespace {

constexpr CellStyle kStyles[] = {CellStyle::Normal,  CellStyle::Frame,    CellStyle::Title,
                                 CellStyle::Field,   CellStyle::Focused,  CellStyle::Selected,
                                 CellStyle::Default, CellStyle::Disabled, CellStyle::HotKey};

TEST(TermTheme, ColourUnlessTheTerminalHasNoneOrTheUserRefusesIt) {
  EXPECT_TRUE(chooseTheme(8, nullptr).usesColour());
  EXPECT_TRUE(chooseTheme(256, "").usesColour());
  EXPECT_FALSE(chooseTheme(256, "1").usesColour());
  EXPECT_FALSE(chooseTheme(0, nullptr).usesColour());
  EXPECT_FALSE(chooseTheme(2, nullptr).usesColour());
}

TEST(TermTheme, EveryMarkedStyleStandsOutFromNormalInBothThemes) {
  for (const ColourTheme& theme : {ColourTheme::colour(), ColourTheme::monochrome()}) {
    const CellLook& normal = theme.look(CellStyle::Normal);
    for (CellStyle style :
         {CellStyle::Title, CellStyle::Field, CellStyle::Focused, CellStyle::Selected,
          CellStyle::Default, CellStyle::Disabled, CellStyle::HotKey}) {
      EXPECT_NE(theme.look(style), normal) << static_cast<int>(style);
    }
  }
  // Without colour the focus and the selection are shown reversed.
  ColourTheme mono = ColourTheme::monochrome();
  EXPECT_EQ(mono.look(CellStyle::Focused).attributes, LOOK::Reverse);
  EXPECT_EQ(mono.look(CellStyle::Selected).attributes, LOOK::Reverse);
  EXPECT_EQ(mono.look(CellStyle::Normal), CellLook{});
  // The colour theme keeps the terminal's own background for plain text.
  EXPECT_EQ(ColourTheme::colour().look(CellStyle::Normal).background, Colour::Default);
}

TEST(TermTheme, EachStyleHasAColourPairOfItsOwn) {
  std::set<int> pairs;
  for (CellStyle style : kStyles) {
    int pair = ColourTheme::pairOf(style);
    EXPECT_GE(pair, 1);  // pair 0 cannot be changed
    pairs.insert(pair);
  }
  EXPECT_EQ(pairs.size(), std::size(kStyles));
}

std::u32string rowGlyphs(const Canvas& canvas, int y, bool lineDrawing = true) {
  std::u32string glyphs;
  for (int x = 0; x < canvas.width(); ++x) glyphs += glyphAt(canvas, x, y, lineDrawing);
  return glyphs;
}

TEST(TermGlyphs, FramesBecomeLineDrawing) {
  Canvas canvas(6, 4);
  canvas.frame({0, 0, 6, 4});
  canvas.put(0, 2, '+', CellStyle::Frame);  // a joint on the left side
  canvas.fill({1, 2, 4, 1}, '-', CellStyle::Frame);
  canvas.put(5, 2, '+', CellStyle::Frame);
  EXPECT_EQ(rowGlyphs(canvas, 0), U"┌────┐");
  EXPECT_EQ(rowGlyphs(canvas, 1), U"│    │");
  EXPECT_EQ(rowGlyphs(canvas, 2), U"├────┤");
  EXPECT_EQ(rowGlyphs(canvas, 3), U"└────┘");
  EXPECT_EQ(rowGlyphs(canvas, 0, false), U"+----+");
}

TEST(TermGlyphs, TextIsLeftAloneAndBytesReadAsLatin1) {
  Canvas canvas(8, 1);
  canvas.write(0, 0, "a-b|c+d");  // plain text, not a frame
  canvas.put(7, 0, static_cast<char>(0xE9));
  EXPECT_EQ(rowGlyphs(canvas, 0), U"a-b|c+dé");
  // A lone frame dash has nothing to join.
  Canvas lone(3, 1);
  lone.put(1, 0, '-', CellStyle::Frame);
  lone.put(0, 0, '+', CellStyle::Frame);
  EXPECT_EQ(rowGlyphs(lone, 0), U"──\u0020");
}

TEST(TermGlyphs, FramesJoinOnlyWithinTheirOwnLayer) {
  // A box whose bottom edge lies on another frame's edge.
  Canvas canvas(10, 4);
  canvas.frame({0, 0, 10, 4});
  canvas.frame({2, 1, 5, 3});
  EXPECT_EQ(rowGlyphs(canvas, 3), U"└─┴───┴──┘");  // one layer: everything joins
  ScreenLayers layers(10, 4);
  layers.cover({0, 0, 10, 4});
  layers.cover({2, 1, 5, 3});
  std::u32string bottom;
  for (int x = 0; x < 10; ++x) bottom += glyphAt(canvas, x, 3, true, &layers);
  EXPECT_EQ(bottom, U"└─└───┘──┘");
  EXPECT_EQ(layers.at(0, 0), 1);
  EXPECT_EQ(layers.at(3, 2), 2);
  EXPECT_EQ(layers.at(20, 2), 0);
  layers.cover({-5, -5, 100, 100});  // cut to the screen
  EXPECT_EQ(layers.at(9, 3), 3);
}

std::unique_ptr<Window> windowAt(int x, int y, int width, int height) {
  auto window = std::make_unique<Window>("Demo");
  window->rect = {x * kUnitsPerCellX, y * kUnitsPerCellY, width * kUnitsPerCellX,
                  height * kUnitsPerCellY};
  return window;
}

TEST(TermScreen, WindowsStayOnTheScreenAboveTheStatusLine) {
  auto window = windowAt(70, 20, 20, 5);  // 22 x 7 cells with the frame
  EXPECT_EQ(windowOrigin(*window, 100, 32), (Cell{70, 20}));
  EXPECT_EQ(windowOrigin(*window, 80, 24), (Cell{58, 16}));
  // Larger than the screen: the top-left corner stays visible.
  auto huge = windowAt(5, 5, 200, 100);
  EXPECT_EQ(windowOrigin(*huge, 80, 24), (Cell{0, 0}));
  EXPECT_EQ(desktopUnits(100, 32), (Rect{0, 0, 98 * kUnitsPerCellX, 29 * kUnitsPerCellY}));
}

TEST(TermScreen, StatusLineShowsThePointedOrFocusedControlsTip) {
  auto window = windowAt(1, 1, 20, 4);
  Control& first = window->add(makeControl(ControlKind::Prompt, "?FIRST"));
  first.tip = "first tip";
  Control& second = window->add(makeControl(ControlKind::Prompt, "?SECOND"));
  second.tip = "second tip";
  window->focus = first.field();
  EXPECT_EQ(statusTip(*window, 0), "first tip");
  EXPECT_EQ(statusTip(*window, second.field()), "second tip");
  second.tip.clear();
  EXPECT_EQ(statusTip(*window, second.field()), "first tip");

  Canvas screen = composeScreen({window.get()}, window.get(), 30, 8, "first tip");
  EXPECT_EQ(screen.row(1), " +- Demo -------------+");
  EXPECT_EQ(screen.row(7), " first tip");
  EXPECT_EQ(screen.at(1, 7).style, CellStyle::Title);
}

TEST(TermScreen, TheActiveWindowLiesOnTopAndTheOthersAreDimmed) {
  auto owner = windowAt(0, 0, 20, 4);
  auto modal = windowAt(4, 2, 8, 2);
  modal->title = "Box";
  Canvas screen = composeScreen({owner.get(), modal.get()}, modal.get(), 30, 10, {});
  EXPECT_EQ(screen.row(2), "|   +- Box --+       |");
  EXPECT_EQ(screen.at(0, 0).style, CellStyle::Disabled);
  EXPECT_EQ(screen.at(4, 2).style, CellStyle::Frame);
  // A hidden window is not drawn.
  modal->visible = false;
  EXPECT_EQ(composeScreen({owner.get(), modal.get()}, owner.get(), 30, 10, {}).row(2),
            "|                    |");
}

TEST(TermScreen, AResizeMovesOrSizesTheWindowsItConcerns) {
  auto window = windowAt(70, 20, 20, 5);
  EXPECT_FALSE(commandAfterResize(*window, 100, 32));
  EXPECT_EQ(commandAfterResize(*window, 80, 24),
            (ResizeCommand{SC_MOVE,
                           {58 * kUnitsPerCellX, 16 * kUnitsPerCellY, 20 * kUnitsPerCellX,
                            5 * kUnitsPerCellY}}));
  window->show = WindowShow::Maximized;
  window->rect = desktopUnits(100, 32);
  EXPECT_FALSE(commandAfterResize(*window, 100, 32));
  EXPECT_EQ(commandAfterResize(*window, 60, 20), (ResizeCommand{SC_SIZE, desktopUnits(60, 20)}));
  window->show = WindowShow::Iconized;
  EXPECT_FALSE(commandAfterResize(*window, 60, 20));
}

TEST(TermScreen, AResizableWindowTakesTheScreensSizeAndLaterItsOwnBack) {
  auto window = windowAt(5, 5, 120, 40);
  window->resizable = true;
  const Rect own = window->rect;
  EXPECT_FALSE(commandAfterResize(*window, 200, 60)) << "it fits";
  auto fitted = commandAfterResize(*window, 80, 24);
  ASSERT_TRUE(fitted);
  EXPECT_EQ(*fitted, (ResizeCommand{SC_SIZE, {0, 0, 78 * kUnitsPerCellX, 21 * kUnitsPerCellY}}));
  window->rect = fitted->target;
  // Only as large as the screen: nothing more to do, on this screen.
  EXPECT_FALSE(commandAfterResize(*window, 80, 24, own));
  // A larger screen gives back the size the window wants, no more.
  EXPECT_EQ(commandAfterResize(*window, 90, 30, own),
            (ResizeCommand{SC_SIZE, {0, 0, 88 * kUnitsPerCellX, 27 * kUnitsPerCellY}}));
  EXPECT_EQ(commandAfterResize(*window, 200, 60, own),
            (ResizeCommand{SC_SIZE, {0, 0, own.width, own.height}}));
  // A window that cannot be resized only moves back to show its corner.
  window->resizable = false;
  window->rect = own;
  EXPECT_EQ(commandAfterResize(*window, 80, 24),
            (ResizeCommand{SC_MOVE, {0, 0, own.width, own.height}}));
}

TEST(TermScreen, AWindowLargerThanTheScreenScrollsToTheFocusedControl) {
  auto window = windowAt(0, 0, 100, 40);  // 102 x 42 cells with the frame
  Control& left = window->add(makeControl(ControlKind::Entry, "?LEFT"));
  left.rect = {0, 0, 10 * kUnitsPerCellX, kUnitsPerCellY};
  Control& far = window->add(makeControl(ControlKind::Button, "?FAR"));
  far.text = "Far";
  far.rect = {90 * kUnitsPerCellX, 35 * kUnitsPerCellY, 8 * kUnitsPerCellX, 2 * kUnitsPerCellY};
  window->focus = left.field();
  EXPECT_EQ(windowOrigin(*window, 80, 24), (Cell{0, 0}));
  window->focus = far.field();
  const Cell origin = windowOrigin(*window, 80, 24);
  EXPECT_EQ(origin, (Cell{-20, -16}));
  // The button is drawn whole on the screen, above the status line.
  Canvas screen = composeScreen({window.get()}, window.get(), 80, 24, {});
  EXPECT_EQ(screen.row(20).substr(71), "[ Far ]");
  // Focus on a control wider than the screen shows its start.
  far.rect.width = 120 * kUnitsPerCellX;
  far.rect.x = 0;
  EXPECT_EQ(windowOrigin(*window, 80, 24).x, 0);
}

TEST(TermScreen, TheResizeCommandReachesTheProcedureAsMoveAndMoved) {
  auto window = windowAt(70, 20, 20, 5);
  window->open();
  auto command = commandAfterResize(*window, 80, 24);
  ASSERT_TRUE(command);
  postMessage(window->handle(), WM_SYSCOMMAND, command->command, 0,
              std::make_shared<Rect>(command->target));
  std::vector<uint32_t> events;
  while (events.size() < 3 && accept()) events.push_back(event());
  EXPECT_EQ(events, (std::vector<uint32_t>{EVENT::OpenWindow, EVENT::Move, EVENT::Moved}));
  EXPECT_EQ(windowOrigin(*window, 80, 24), (Cell{58, 16}));
  EXPECT_EQ(windowCells(*window).x, 58);
  window->close();
}

}  // namespace
}  // namespace zor::ui::term
