// Finding window definitions among the registered resources: the search
// order over modules, the owning-name check, and the main window that the
// build compiles into this test program.

#include <gtest/gtest.h>

#include <thread>

#include "platform/resources.h"
#include "tests/ui/definition/definition_test_windows.h"
#include "ui/definition/definition_lookup.h"
#include "ui/definition/definition_writer.h"

namespace zor::ui {
namespace {

namespace K = ControlKind;

// Registers a definition of `owningName` with one window `label` holding
// one button whose text tells the copies apart.
void registerWindow(const std::string& module, const std::string& owningName,
                    const std::string& label, const std::string& marker) {
  WindowDefinition window;
  window.label = label;
  window.controls = {test::control(K::Button, "?OK")};
  window.controls[0].text = marker;
  numberControls(window);
  std::vector<uint8_t> bytes = writeDefinitionResource({owningName, {window}});
  platform::registerResource(module, definitionResourceName(owningName), "DABDUMP", bytes.data(),
                             bytes.size());
}

std::string markerOf(const DefinitionResult<FoundWindowDefinition>& found) {
  if (!found.ok()) return "error: " + found.error;
  if (!found.value) return "none";
  return found.value->module + ":" + found.value->window.controls.at(0).text;
}

TEST(DefinitionLookup, SkipsResourcesThatNameAnotherProcedure) {
  // Both modules hold a "Look001_RSC"; only the second names the wanted owner.
  registerWindow("LookupDllA", "OtherProgram$Look001", "P1$WINDOW", "wrong owner");
  registerWindow("LookupDllB", "LookupProgram$Look001", "P1$WINDOW", "right owner");
  auto found = findWindowDefinition("LookupProgram$Look001", "P1$WINDOW");
  EXPECT_EQ(markerOf(found), "LookupDllB:right owner");
  EXPECT_EQ(rememberedDefinitionModule(), "LookupDllB");
  EXPECT_EQ(markerOf(findWindowDefinition("LookupProgram$Look001", "P1$OTHER")), "none");
  EXPECT_EQ(markerOf(findWindowDefinition("Nobody$Look999", "P1$WINDOW")), "none");
}

TEST(DefinitionLookup, StartsWithTheModuleOfThePreviousFind) {
  registerWindow("OrderDllA", "OrderProgram$Order001", "P1$WINDOW", "first");
  registerWindow("OrderDllB", "OrderProgram$Order001", "P1$WINDOW", "second");
  registerWindow("OrderDllB", "OrderProgram$Order002", "P1$WINDOW", "only in B");
  forgetDefinitionModule();
  EXPECT_EQ(markerOf(findWindowDefinition("OrderProgram$Order001", "P1$WINDOW")),
            "OrderDllA:first");
  EXPECT_EQ(markerOf(findWindowDefinition("OrderProgram$Order002", "P1$WINDOW")),
            "OrderDllB:only in B");
  // Now B is searched first, so B's copy of Order001 wins.
  EXPECT_EQ(markerOf(findWindowDefinition("OrderProgram$Order001", "P1$WINDOW")),
            "OrderDllB:second");
}

TEST(DefinitionLookup, AMalformedMatchingDefinitionIsReported) {
  const char bytes[] = "Broken$Broken001\0\x06\0\0\0\x19";
  platform::registerResource("BrokenDll", "Broken001_RSC", "DABDUMP", bytes, sizeof bytes - 1);
  auto found = findWindowDefinition("Broken$Broken001", "P1$WINDOW");
  EXPECT_FALSE(found.value);
  EXPECT_NE(found.error.find("runs past the end"), std::string::npos) << found.error;
}

TEST(DefinitionLookup, ThreadsShareTheDefinitionBufferSafely) {
  registerWindow("ThreadDll", "ThreadProgram$Thread001", "P1$WINDOW", "shared");
  std::vector<std::thread> threads;
  std::atomic<int> found{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 25; ++i) {
        auto result = findWindowDefinition("ThreadProgram$Thread001", "P1$WINDOW");
        if (result.value && result.value->window.controls[0].text == "shared") ++found;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(found, 100);
}

// The main window, compiled from tests/ui/definition/definition_main_window.win by
// wincc when this program is built.
TEST(DefinitionLookup, FindsTheMainWindowCompiledIntoTheProgram) {
  auto found = findWindowDefinition("QV_GUI_SetupiniAdmin$QV_GUI_SetupiniAdmin001", "P1$WINDOW");
  ASSERT_TRUE(found.ok() && found.value) << found.error;
  EXPECT_EQ(found.value->module, "QV_GUI_SetupiniAdmin");
  const WindowDefinition& window = found.value->window;
  EXPECT_EQ(window.title, "Pellmoor Setup.Ini GUI");
  EXPECT_EQ(window.font->typeface, "MS Sans Serif");
  EXPECT_EQ(window.rect.x, DefaultPosition);

  const std::vector<std::pair<uint8_t, std::string>> expected = {
      {K::Sheet, "?SHEET1"},     {K::Tab, "?TAB1"},        {K::Text, "?SIN:HELPDESCRIPTION"},
      {K::List, "?LIST"},        {K::List, "?LIST:2"},     {K::Button, "?INSERT"},
      {K::Button, "?CHANGE"},    {K::Button, "?DELETE"},   {K::Button, "?INSERT:2"},
      {K::Button, "?CHANGE:2"},  {K::Button, "?DELETE:2"}, {K::Button, "?BUTTON8"},
      {K::Button, "?BUTTON8:2"}, {K::Button, "?CLOSE:2"},  {K::Button, "?CLOSE"}};
  for (uint32_t equate = 1; equate <= expected.size(); ++equate) {
    const ControlDefinition* control = findControl(window, equate);
    ASSERT_NE(control, nullptr) << equate;
    EXPECT_EQ(control->kind, expected[equate - 1].first) << equate;
    EXPECT_EQ(control->use, expected[equate - 1].second) << equate;
  }
  EXPECT_EQ(findControl(window, 16), nullptr);
  // The six list buttons are inside the tab; the four others follow the sheet.
  ASSERT_EQ(window.controls.size(), 5u);
  EXPECT_EQ(window.controls[0].children[0].children.size(), 9u);
  EXPECT_EQ(findControl(window, 2)->text, "Setup.ini Values");
  EXPECT_EQ(findControl(window, 4)->format, "196L(2)|M~Description~@s49@");
  EXPECT_EQ(findControl(window, 5)->tip, "Browsing Records");
  EXPECT_EQ(findControl(window, 12)->text, "Load Setup.ini");
  EXPECT_EQ(findControl(window, 14)->text, "About");
  EXPECT_TRUE(findControl(window, 15)->has(ControlAttr::Default));
}

}  // namespace
}  // namespace zor::ui
