// The application's window declarations (app/windows) give each control the
// field equate its procedure addresses it by.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "ui/definition/definition_kinds.h"
#include "ui/definition/definition_source.h"

namespace zor::ui {
namespace {

DefinitionModule declared(const std::string& file) {
  std::string path = std::string(ZOR_APP_WINDOWS_DIR) + "/" + file;
  std::ifstream in(path);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto parsed = parseDeclarations(text, path);
  EXPECT_TRUE(parsed.ok()) << parsed.error;
  EXPECT_EQ(parsed.value ? parsed.value->size() : 0u, 1u) << path;
  return parsed.value && !parsed.value->empty() ? parsed.value->front() : DefinitionModule{};
}

// "1?SHEET1 2?TAB1 ..." in equate order.
std::string equates(const WindowDefinition& window) {
  std::string text;
  forEachControl(window, [&](const ControlDefinition& control, int) {
    text += (text.empty() ? "" : " ") + std::to_string(control.equate) + control.use;
  });
  return text;
}

TEST(DefinitionAppWindows, ControlsCarryTheEquatesTheProceduresUse) {
  DefinitionModule main = declared("main.win");
  ASSERT_EQ(main.owningName, "QV_GUI_SetupiniAdmin$QV_GUI_SetupiniAdmin001");
  EXPECT_EQ(main.windows[0].label, "P1$WINDOW");
  EXPECT_EQ(main.windows[0].title, "Pellmoor Setup.Ini GUI");
  EXPECT_EQ(equates(main.windows[0]),
            "1?SHEET1 2?TAB1 3?SIN:HELPDESCRIPTION 4?LIST 5?LIST:2 6?INSERT 7?CHANGE 8?DELETE "
            "9?INSERT:2 10?CHANGE:2 11?DELETE:2 12?BUTTON8 13?BUTTON8:2 14?CLOSE:2 15?CLOSE");

  DefinitionModule sections = declared("update_sections.win");
  EXPECT_EQ(sections.owningName, "QV_GUI_SetupiniAdmin$QV_GUI_SetupiniAdmin003");
  EXPECT_EQ(sections.windows[0].label, "P1$QUICKWINDOW");
  EXPECT_EQ(equates(sections.windows[0]),
            "1?CURRENTTAB 2?TAB:1 3?SEC:DESCRIPTION:PROMPT 4?SEC:DESCRIPTION 5?OK 6?CANCEL");

  DefinitionModule settings = declared("update_settings.win");
  EXPECT_EQ(settings.owningName, "QV_GUI_SetupiniAdmin$QV_GUI_SetupiniAdmin006");
  EXPECT_EQ(equates(settings.windows[0]),
            "1?CURRENTTAB 2?TAB:1 3?SIN:INISECTION:PROMPT 4?SIN:INISECTION 5?FLDLOOKUP "
            "6?SIN:SECTIONDESCRIPTION:PROMPT 7?SIN:SECTIONDESCRIPTION 8?SIN:DEFAULTVALUE:PROMPT "
            "9?SIN:DEFAULTVALUE 10?SIN:HELPDESCRIPTION:PROMPT 11?SIN:HELPDESCRIPTION "
            "12?SIN:VALUES:PROMPT 13?SIN:VALUES 14?SIN:STATUS 15?SIN:STATUS:RADIO1 "
            "16?SIN:STATUS:RADIO2 17?OK 18?CANCEL");
  const ControlDefinition* status = findControl(settings.windows[0], 14);
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status->kind, ControlKind::Option);
  EXPECT_EQ(status->children.at(1).value, "0");

  DefinitionModule select = declared("select_sections.win");
  EXPECT_EQ(select.owningName, "QV_GUI_SetupiniAdmin$QV_GUI_SetupiniAdmin007");
  EXPECT_EQ(select.windows[0].title, "Sections");
  EXPECT_EQ(equates(select.windows[0]), "1?LIST 2?SELECT 3?CLOSE");

  DefinitionModule setup = declared("setup_ini.win");
  EXPECT_EQ(setup.windows[0].title, "Setup.ini");
  EXPECT_EQ(equates(setup.windows[0]), "1?STRING1");
}

}  // namespace
}  // namespace zor::ui
