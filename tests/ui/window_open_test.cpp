#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/ui/controls_test_forms.h"
#include "tests/ui/ui_test_support.h"
#include "ui/base/event_numbers.h"
#include "ui/button_control.h"
#include "ui/control_factory.h"
#include "ui/definition/definition_block.h"
#include "ui/definition/definition_source.h"
#include "ui/definition/definition_writer.h"
#include "ui/headless/scripted_input.h"
#include "ui/key_codes.h"
#include "ui/statements.h"
#include "ui/system_commands.h"
#include "ui/window_builder.h"
#include "ui/window_painter.h"

namespace zor::ui {
namespace {

using test::fatalCodeOf;
using test::fatalErrorOf;

// The form goes through the binary block and back, as the program reads it.
WindowDefinition throughBlock(const WindowDefinition& definition) {
  auto read = readDefinitionBlock(writeDefinitionBlock({definition}));
  EXPECT_TRUE(read.ok()) << read.error;
  return read.value ? read.value->front() : WindowDefinition{};
}

TEST(WindowOpen, ControlsNumberedInRecordOrderWithChildrenAfterParents) {
  auto window = openWindow(throughBlock(test::sheetForm()));
  ASSERT_EQ(window->controls().size(), 7u);
  const char* uses[] = {"?SHEET", "?TAB1", "?FIRST", "?LIST", "?TAB2", "?SECOND", "?CLOSE"};
  int parents[] = {0, 1, 2, 2, 1, 5, 0};
  for (int field = 1; field <= 7; ++field) {
    EXPECT_EQ(window->control(field)->useLabel(), uses[field - 1]);
    EXPECT_EQ(window->control(field)->field(), field);
    EXPECT_EQ(window->control(field)->parent, parents[field - 1]) << uses[field - 1];
  }
  EXPECT_EQ(window->find("?close"), window->control(7));
  EXPECT_EQ(window->find("?NOTHERE"), nullptr);
  EXPECT_EQ(window->acceptState().queue.numbers(),
            std::vector<uint32_t>{carried(EVENT::OpenWindow)});
  EXPECT_EQ(window->focus, 3) << "the first control that takes the focus";
}

TEST(WindowOpen, KindsKeywordsAndWindowClasses) {
  auto window = buildWindow(test::customerForm());
  EXPECT_EQ(window->find("?NAME")->keyword(), "ENTRY");
  EXPECT_EQ(window->find("?NAME")->windowClass(), "ZorEdit");
  EXPECT_EQ(window->find("?SAVE")->windowClass(), "ZorButton");
  EXPECT_EQ(window->find("?NAME:PROMPT")->property(PROP::ClassName), "ZorPrompt");
  EXPECT_EQ(window->find("?STATUS")->property(PROP::Keyword), "OPTION");
  // The button class names each of the kinds it serves.
  EXPECT_EQ(window->find("?VIP")->keyword(), "CHECK");
  EXPECT_EQ(window->find("?ACTIVE")->keyword(), "RADIO");
  EXPECT_EQ(window->find("?SAVE")->keyword(), "BUTTON");
  EXPECT_EQ(buttonClassKeyword(ControlKind::Option), "BUTTON");
  auto sheets = buildWindow(test::sheetForm());
  EXPECT_EQ(sheets->find("?LIST")->windowClass(), "ZorList");
  EXPECT_EQ(sheets->find("?SHEET")->windowClass(), "ZorSheet");
  EXPECT_EQ(sheets->find("?TAB1")->windowClass(), "ZorTab");
}

TEST(WindowOpen, AttributesGeometryAndDefaultPlacement) {
  WindowDefinition definition = test::customerForm();
  definition.rect = {DefaultPosition, DefaultPosition, 200, 88};
  definition.attributes = WindowAttr::Resize | WindowAttr::Modal;
  auto window = buildWindow(throughBlock(definition));
  EXPECT_EQ(window->rect.width, 200);
  Rect desktop = desktopArea();
  EXPECT_EQ(window->rect.x, desktop.x + (desktop.width - 200) / 2) << "centred on the desktop";
  EXPECT_TRUE(window->resizable);
  EXPECT_TRUE(window->modal);
  EXPECT_TRUE(window->find("?SECRET")->hidden);
  EXPECT_FALSE(window->find("?NEVER")->enabled);
  EXPECT_TRUE(window->find("?SAVE")->isDefault);
  EXPECT_EQ(window->find("?AMOUNT")->property(PROP::Picture), "@n9.2");
  EXPECT_EQ(window->find("?NAME")->property(PROP::Use), "CUS:NAME");
  EXPECT_EQ(window->find("?NAME")->rect, (Rect{32, 8, 48, 8}));
  // A tab's body is its sheet less the header row.
  auto sheets = buildWindow(test::sheetForm());
  EXPECT_EQ(sheets->find("?TAB2")->rect, (Rect{0, 8, 160, 56}));
}

TEST(WindowOpen, MalformedDefinitionsAndWrongStatesAreRuntimeErrors) {
  WindowDefinition misnumbered = test::customerForm();
  misnumbered.controls[1].equate = 7;
  test::FatalError error = fatalErrorOf([&] { buildWindow(misnumbered); });
  EXPECT_EQ(error.code, 529);
  EXPECT_NE(std::string(error.what()).find("?NAME"), std::string::npos) << error.what();

  WindowDefinition stray = test::customerForm();
  stray.controls.push_back(test::made(ControlKind::Tab, "?STRAY", "Stray", {}));
  EXPECT_EQ(fatalCodeOf([&] { buildWindow(stray); }), 529);
  EXPECT_EQ(fatalCodeOf([] { openWindow("NOSUCH$MODULE", "NOSUCH$WINDOW"); }), 529);

  auto window = openWindow(test::customerForm());
  EXPECT_EQ(fatalCodeOf([&] { window->open(); }), 535);
  window->close();
  EXPECT_EQ(fatalCodeOf([&] { window->close(); }), 536);
}

TEST(WindowOpen, CreatingControlsUnderAModalWindowIsRefused) {
  auto below = openWindow(test::customerForm());
  Control& created = createControl(*below, ControlKind::Button, "?MORE");
  EXPECT_EQ(created.field(), 15);
  WindowDefinition dialog = test::sheetForm();
  dialog.attributes = WindowAttr::Modal;
  auto modal = openWindow(dialog);
  EXPECT_EQ(fatalCodeOf([&] { createControl(*below, ControlKind::Button, "?LATE"); }), 541);
  EXPECT_EQ(createControl(*modal, ControlKind::Entry, "?OWN", 2).parent, 2);
  modal->close();
  EXPECT_EQ(createControl(*below, ControlKind::Button, "?LATE").field(), 16);
}

TEST(WindowOpen, WindowAndSystemProperties) {
  auto window = openWindow(test::customerForm());
  EXPECT_EQ(getProperty(0, PROP::Text), "Customer");
  setProperty(0, PROP::Text, "Client");
  EXPECT_EQ(window->title, "Client");
  setProperty(SystemTarget, PROP::Icon, "program.ico");
  EXPECT_EQ(getProperty(0, PROP::Icon), "program.ico") << "the program's default icon";
  setProperty(0, PROP::Icon, "own.ico");
  EXPECT_EQ(getProperty(0, PROP::Icon), "own.ico");
  EXPECT_EQ(getProperty(SystemTarget, PROP::Icon), "program.ico");
  setProperty(SystemTarget, PROP::Icon, "");

  setProperty(0, PROP::Timer, "25");
  EXPECT_EQ(getProperty(0, PROP::Timer), "25");
  setProperty(12, PROP::Hide, "1");
  EXPECT_TRUE(window->control(12)->hidden);
  setProperty(12, PROP::Hide, "0");
  EXPECT_EQ(getProperty(12, PROP::Hide), "");
  setProperty(4, PROP::Xpos, "36");
  EXPECT_EQ(window->control(4)->rect.x, 36);
  setProperty(4, PROP::Type, "1");
  EXPECT_EQ(getProperty(4, PROP::Type), std::to_string(ControlKind::Entry)) << "read only";
  EXPECT_EQ(getProperty(99, PROP::Text), "");
  setProperty(99, PROP::Text, "ignored");
  setProperty(0, PROP::Maximize, "1");
  EXPECT_EQ(window->acceptState().preEvents.size(), 1u) << "maximising asks the procedure first";
}

TEST(WindowOpen, ControlPropertiesThroughTheStatements) {
  auto window = openWindow(test::sheetForm());
  EXPECT_EQ(getProperty(1, PROP::Selected), "1");
  setProperty(1, PROP::Selected, "2");
  EXPECT_EQ(getProperty(1, PROP::Selected), "2");
  setProperty(1, PROP::Selected, "9");
  EXPECT_EQ(getProperty(1, PROP::Selected), "2") << "no ninth tab";
  EXPECT_EQ(getProperty(7, PROP::Text), "&Close");
  setProperty(7, PROP::Default, "1");
  EXPECT_TRUE(window->control(7)->isDefault);
  setProperty(3, PROP::Picture, "@n6");
  EXPECT_EQ(getProperty(3, PROP::Picture), "@n6");
  setProperty(3, PROP::Text, "1234567");
  EXPECT_EQ(getProperty(3, PROP::Text), "0") << "seven characters do not fit @n6: the zero stays";
  setProperty(3, PROP::Text, "123");
  EXPECT_EQ(getProperty(3, PROP::Text), "123");
  setProperty(4, PROP::Format, "40L~Name~@s10@");
  EXPECT_EQ(getProperty(4, PROP::Format), "40L~Name~@s10@");
  EXPECT_EQ(getProperty(4, PROP::Choice), "0") << "no rows";
  setProperty(3, 0x7F00, "kept", 2);
  EXPECT_EQ(getProperty(3, 0x7F00, 2), "kept") << "numbers without an effect are stored";
  EXPECT_EQ(getProperty(3, 0x7F00, 1), "");
}

// The application's own declarations, as wincc compiles them.
WindowDefinition applicationWindow(const std::string& file) {
  std::string path = std::string(ZOR_APP_WINDOWS_DIR) + "/" + file;
  std::ifstream in(path);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto parsed = parseDeclarations(text, path);
  EXPECT_TRUE(parsed.ok()) << parsed.error;
  if (!parsed.value || parsed.value->empty() || parsed.value->front().windows.empty()) return {};
  return throughBlock(parsed.value->front().windows.front());
}

TEST(WindowOpen, TheApplicationsWindowsOpenWithTheirEquatesAndTabOrder) {
  auto main = buildWindow(applicationWindow("main.win"));
  ASSERT_EQ(main->controls().size(), 15u);
  EXPECT_EQ(main->control(1)->keyword(), "SHEET");
  EXPECT_EQ(main->control(2)->keyword(), "TAB");
  EXPECT_EQ(main->control(3)->keyword(), "TEXT");
  EXPECT_EQ(main->control(4)->windowClass(), "ZorList");
  EXPECT_EQ(main->control(5)->windowClass(), "ZorList");
  for (int field = 6; field <= 15; ++field) {
    EXPECT_EQ(main->control(field)->keyword(), "BUTTON");
    EXPECT_EQ(main->control(field)->parent, field <= 11 ? 2 : 0)
        << "the six buttons inside the tab come before the four after the sheet";
  }
  EXPECT_NE(paintWindow(*main).text().find("[ Load Setup.ini ]"), std::string::npos);

  auto form = openWindow(applicationWindow("update_settings.win"));
  std::vector<int> order{form->focus};
  for (int i = 0; i < 9; ++i) {
    headless::deliverInput(*form, headless::KeyInput{KEY::Tab, 0});
    order.push_back(form->focus);
  }
  EXPECT_EQ(order, (std::vector<int>{4, 5, 7, 9, 11, 13, 15, 17, 18, 4}));
  for (const char* file : {"setup_ini.win", "select_sections.win", "update_sections.win"}) {
    auto other = buildWindow(applicationWindow(file));
    EXPECT_FALSE(paintWindow(*other).text().empty()) << file;
  }
}

}  // namespace
}  // namespace zor::ui
