// Window declarations: the text format, its error messages and the
// numbering of the controls.

#include <gtest/gtest.h>

#include <random>

#include "tests/ui/definition/definition_test_windows.h"
#include "ui/definition/definition_format.h"
#include "ui/definition/definition_source.h"

namespace zor::ui {
namespace {

// The same windows as test::sampleForm(), declared.
const char* const SampleForm = R"win(# A settings form.
definition QV_GUI_SetupiniAdmin$QV_GUI_SetupiniAdmin006
window P1$QUICKWINDOW "Update Information" size default 180 font "Arial" 8 at default default
    icon "form.ico" system modal {
  sheet ?CURRENTTAB at 4 4 size 252 150 {
    tab ?TAB:1 "&1) General" {
      prompt ?SIN:VALUES:PROMPT "Values: (Comma Seperated)" at 8 20 size 60 10
      entry ?SIN:VALUES at 72 20 size 120 10 picture @s49 bind SIN:VALUES readonly required
      text ?SIN:HELPDESCRIPTION at 72 36 size 170 40 bind SIN:HELPDESCRIPTION vscroll
      option ?SIN:STATUS "Status" at 72 80 size 120 30 bind SIN:STATUS {
        radio ?SIN:STATUS:RADIO1 "active" at 80 90 size 40 10 value 1
        radio ?SIN:STATUS:RADIO2 "obsolute" at 130 90 size 40 10 value "0"
      }
      list ?LIST at 8 112 size 230 30 format "196L(2)|M~Description~@s49@"
          tip "Browsing Records" font "Courier New" 10 bold colour 0xFF
      CHECK ?MARK "Marked" at 8 144 size 60 10
    }
  }
  button ?OK "&Save" at 150 160 size 50 14 tip "Save Data to Database and Close Window"
      cursor "hand.cur" default
  button ?CANCEL "&Cancel" at 204 160 size 50 14 tip "Cancel operation without Saving"
      cursor "hand.cur"
}
window P1$WINDOW "Sections" at 10 20 size 200 100 {
  button ?CLOSE "Close" at 150 80 size 40 14
}
)win";

TEST(DefinitionSource, DeclarationsGiveTheDefinitionsTheyDescribe) {
  auto parsed = parseDeclarations(SampleForm, "form.win");
  ASSERT_TRUE(parsed.ok()) << parsed.error;
  ASSERT_EQ(parsed.value->size(), 1u);
  DefinitionModule expected = test::sampleForm();
  expected.windows[0].rect.width = DefaultPosition;
  EXPECT_EQ(parsed.value->front(), expected);
}

TEST(DefinitionSource, ControlsAreNumberedParentsBeforeChildren) {
  auto parsed = parseDeclarations(R"(
definition P$M001
window W {
  sheet ?SHEET1 { tab ?TAB1 { text ?T list ?A list ?B button ?B1 button ?B2 } }
  button ?C1 button ?C2
}
definition P$M002
window W { option ?O { radio ?R1 radio ?R2 } group ?G { entry ?E } }
definition p$m001
window W2 { prompt ?X }
)",
                                  "n.win");
  ASSERT_TRUE(parsed.ok()) << parsed.error;
  ASSERT_EQ(parsed.value->size(), 2u);  // "p$m001" names the first module again
  const DefinitionModule& first = (*parsed.value)[0];
  ASSERT_EQ(first.windows.size(), 2u);
  std::string order;
  forEachControl(first.windows[0], [&](const ControlDefinition& control, int depth) {
    order += std::to_string(control.equate) + control.use + "/" + std::to_string(depth) + " ";
  });
  EXPECT_EQ(order, "1?SHEET1/0 2?TAB1/1 3?T/2 4?A/2 5?B/2 6?B1/2 7?B2/2 8?C1/0 9?C2/0 ");
  const WindowDefinition& second = (*parsed.value)[1].windows[0];
  EXPECT_EQ(findControl(second, 3)->use, "?R2");
  EXPECT_EQ(findControl(second, 5)->use, "?E");
  EXPECT_EQ(findControl(second, 6), nullptr);
}

void expectError(const std::string& source, const std::string& error) {
  auto parsed = parseDeclarations(source, "bad.win");
  EXPECT_FALSE(parsed.value) << source;
  EXPECT_EQ(parsed.error, error) << source;
}

TEST(DefinitionSource, MalformedDeclarationsNameFileLineAndColumn) {
  const std::string head = "definition P$M\n";
  expectError("window W {}",
              "bad.win:1:1: a window needs a 'definition' line naming its owner before it");
  expectError(
      "definition PM",
      "bad.win:1:12: the owning name must be program$module, e.g. QV_GUI_SetupiniAdmin$Module001");
  expectError("definition P$M\nwindow W { button ?A", "bad.win:2:10: this '{' has no matching '}'");
  expectError(head + "window W {\n  buton ?A\n}",
              "bad.win:3:3: expected a control kind, found 'buton'");
  expectError(head + "window W {\n  button ?A sise 4 4\n}",
              "bad.win:3:13: unknown control property 'sise'");
  expectError(head + "window W { button ?A at 4 }",
              "bad.win:2:27: expected y (a whole number), found '}'");
  expectError(head + "window W { button ?A at 4 x1 }",
              "bad.win:2:27: expected y (a whole number), found 'x1'");
  expectError(head + "window W { button ?A at 4 99999999999 }",
              "bad.win:2:27: y 99999999999 is out of range (-32768 to 32767)");
  expectError(head + "window W { button ?A at 1 1 at 2 2 }", "bad.win:2:29: 'at' is given twice");
  expectError(head + "window W { button ?A \"unclosed }",
              "bad.win:2:22: text has no closing quote on its line");
  expectError(head + "window W { button ?A \"a\\q\" }",
              "bad.win:2:26: unknown escape \\q (use \\\", \\\\, \\n or \\t)");
  expectError(head + "window W { tab ?T }",
              "bad.win:2:12: TAB cannot stand here: a TAB belongs directly inside a SHEET");
  expectError(head + "window W { sheet ?S { button ?B } }",
              "bad.win:2:23: BUTTON cannot stand here: a SHEET holds only TAB controls");
  expectError(head + "window W { button ?B { } }",
              "bad.win:2:22: BUTTON takes no controls inside it");
  expectError(head + "window W { entry ?E picture s49 }",
              "bad.win:2:29: a picture starts with '@', e.g. @s49");
  expectError(head + "window W { entry ?E entry ?e }",
              "bad.win:2:27: ?e is already used in this window");
  expectError(head + "window W { list ?L bold }", "bad.win:2:20: 'bold' needs a 'font' before it");
  expectError(head + "window W { }\nwindow w { }",
              "bad.win:3:8: window w is declared twice for P$M");
  expectError(head + "window W { button ?A\nwindow X { }",
              "bad.win:3:1: 'window' inside a window: a '}' is missing before it");
  expectError(head + "window W { } }",
              "bad.win:2:14: expected 'definition' or 'window', found '}'");
  expectError(head + "window W frame { }", "bad.win:2:10: unknown window property 'frame'");
  expectError(head + "window W { ?A }", "bad.win:2:12: expected a control kind, found '?A'");
  expectError(std::string("definition P$M\x01"), "bad.win:1:15: unexpected control character 0x01");
}

TEST(DefinitionSource, FormattedDeclarationsReadBackUnchanged) {
  auto parsed = parseDeclarations(SampleForm, "form.win");
  ASSERT_TRUE(parsed.ok()) << parsed.error;
  std::string text = formatDeclarations(*parsed.value);
  EXPECT_NE(text.find("      radio ?SIN:STATUS:RADIO2 \"obsolute\" at 130 90 size 40 10 "
                      "value \"0\"  # 8\n"),
            std::string::npos)
      << text;
  auto again = parseDeclarations(text, "formatted.win");
  ASSERT_TRUE(again.ok()) << again.error << "\n" << text;
  EXPECT_EQ(*again.value, *parsed.value);
}

TEST(DefinitionSource, DamagedDeclarationsGiveAnErrorNeverACrash) {
  const std::string good = SampleForm;
  const std::string alphabet = "{}\"\\#?$@ \nabuttonsheettabat0123456789-x";
  std::mt19937 random(11);
  int refused = 0;
  for (int round = 0; round < 600; ++round) {
    std::string damaged = good;
    int changes = 1 + int(random() % 5);
    for (int i = 0; i < changes && !damaged.empty(); ++i) {
      size_t at = random() % damaged.size();
      switch (random() % 4) {
        case 0:
          damaged.erase(at, 1 + random() % 8);
          break;
        case 1:
          damaged.insert(at, 1, alphabet[random() % alphabet.size()]);
          break;
        case 2:
          damaged[at] = char(random());
          break;
        default:
          damaged.resize(at);
          break;
      }
    }
    auto parsed = parseDeclarations(damaged, "fuzz.win");
    if (parsed.ok()) {
      // Whatever reads also formats into text that reads back the same.
      auto again = parseDeclarations(formatDeclarations(*parsed.value), "again.win");
      EXPECT_TRUE(again.ok()) << again.error << "\n" << damaged;
      if (again.ok()) {
        EXPECT_EQ(*again.value, *parsed.value) << damaged;
      }
      continue;
    }
    ++refused;
    EXPECT_FALSE(parsed.value);
    EXPECT_EQ(parsed.error.rfind("fuzz.win:", 0), 0u) << parsed.error;
  }
  EXPECT_GT(refused, 100);
}

}  // namespace
}  // namespace zor::ui
