#include "framework/popup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/base/event_numbers.h"
#include "ui/headless/headless_session.h"
#include "ui/key_codes.h"
#include "ui/menu_string.h"
#include "ui/statements.h"
#include "ui/window.h"
#include "ui/window_builder.h"

namespace zor::fw {
namespace {

constexpr const char* kOwner = "FrameworkTests$FRAMEWORKTESTS";
// The buttons of the test window.
constexpr int32_t kInsert = 2, kChange = 3, kDelete = 4, kPrint = 5;
constexpr uint32_t kMoreEvent = 0x500;

// Insert, Change (its text comes from the button), Delete (disabled),
// Print (hidden), a separator, a submenu two deep, a checked item, an item
// with a resource icon and one whose text holds the menu's own characters.
void addItems(Popup& popup) {
  popup.AddButtonItem("Insert", "&Insert", kInsert);
  popup.AddButtonItem("Change", "stale text", kChange);
  popup.AddButtonItem("Delete", "&Delete", kDelete);
  popup.AddButtonItem("Print", "&Print", kPrint);
  popup.AppendSeparator();
  popup.AppendItem("&More", "More");
  popup.Item(popup.AppendItem("&First"))->Depth = 1;
  popup.Item(popup.AppendItem("&Deep"))->Depth = 3;  // one level at a time
  popup.Item(popup.AppendItem("Se&cond"))->Depth = 1;
  popup.CheckItem("Second", true);
  popup.Item("Second")->Event = static_cast<int32_t>(kMoreEvent);
  popup.Item(popup.AppendItem("&Last"))->Icon = "~last.ico";
  popup.AppendItem("A|B{C}", "Odd");
}

// The parsed menu's entries in the order of their positions.
void flatten(const std::vector<ui::MenuItem>& items, std::vector<const ui::MenuItem*>& out) {
  for (const auto& item : items) {
    out.push_back(&item);
    flatten(item.children, out);
  }
}

TEST(Popup, TheMenuStringCountsItsEntriesAsTheFrontEndDoes) {
  auto window = ui::openWindow(kOwner, "BUTTONS");
  Popup popup;
  popup.Bind();
  addItems(popup);
  const Popup::Menu menu = popup.BuildMenu();
  EXPECT_EQ(menu.text,
            "&Insert|&Change|~&Delete|-|&More{&First{&Deep}|+Se&cond}|[(~last.ico),]&Last|A/B(C)");
  EXPECT_EQ(popup.Item("Change")->Text, "&Change") << "a mirroring item takes its button's text";
  EXPECT_EQ(popup.Item("Delete")->Disabled, 1);

  std::vector<const ui::MenuItem*> parsed;
  const auto tree = ui::parseMenu(menu.text);
  flatten(tree, parsed);
  ASSERT_EQ(parsed.size(), menu.entries.size());
  std::vector<std::string> names;
  for (size_t at = 0; at < parsed.size(); ++at) {
    const PopupItem& item = (*popup.PopupItems)[menu.entries[at].item];
    EXPECT_EQ(parsed[at]->position, static_cast<int>(at) + 1);
    EXPECT_EQ(parsed[at]->separator, item.Text == "-") << item.Name;
    EXPECT_EQ(parsed[at]->opensSubmenu(), item.Name == "More" || item.Name == "First");
    names.push_back(item.Name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Insert", "Change", "Delete", "Separator1", "More",
                                             "First", "Deep", "Second", "Last", "Odd"}));
  EXPECT_EQ(parsed[8]->icon, "(~last.ico),");
  window->close();
}

TEST(Popup, NamesAreUniqueAndTheMenuKeepsWithinItsCapacity) {
  auto window = ui::openWindow(kOwner, "BUTTONS");
  Popup popup;
  popup.Bind();
  EXPECT_EQ(popup.AppendItem("&Insert"), "Insert");
  EXPECT_EQ(popup.AppendItem("&Insert"), "Insert2");
  EXPECT_EQ(popup.AppendItem("-"), "Separator1");
  EXPECT_EQ(popup.AppendSeparator(), "Separator2");
  EXPECT_EQ(popup.AppendSeparator("ToolSeparator2"), "ToolSeparator2");
  EXPECT_EQ(popup.AppendItem("", "Nameless"), "Nameless");
  // Separators together show as one.
  EXPECT_EQ(popup.BuildMenu().text, "&Insert|&Insert|-|Nameless");

  // Far more than fits: whole items are left out, open submenus closed.
  for (int i = 0; i < 2000; ++i) {
    popup.Item(popup.AppendItem("Entry " + std::to_string(i)))->Depth = i % 3;
  }
  const Popup::Menu menu = popup.BuildMenu();
  EXPECT_LT(menu.text.size(), Popup::kMenuCapacity);
  EXPECT_GT(menu.text.size(), Popup::kMenuCapacity - 20);
  std::vector<const ui::MenuItem*> parsed;
  flatten(ui::parseMenu(menu.text), parsed);
  EXPECT_EQ(parsed.size(), menu.entries.size());
  EXPECT_EQ(std::count(menu.text.begin(), menu.text.end(), '{'),
            std::count(menu.text.begin(), menu.text.end(), '}'));
  window->close();
}

// Runs the test window with a popup of addItems on a headless session;
// `onOpen` runs when the window has opened, and the events of the buttons
// (and the popup's own event) are recorded.
struct PopupProcedure {
  Popup popup;
  std::vector<std::string> answers;
  std::vector<std::pair<uint32_t, int>> seen;
  std::function<void(PopupProcedure&)> onOpen;

  void operator()() {
    auto window = ui::openWindow(kOwner, "BUTTONS");
    popup.Bind();
    addItems(popup);
    while (ui::accept()) {
      if (ui::event() == ui::EVENT::OpenWindow) onOpen(*this);
      if (ui::event() == ui::EVENT::Accepted || ui::event() == kMoreEvent) {
        seen.emplace_back(ui::event(), ui::field());
      }
    }
    popup.Release();
  }
};

TEST(Popup, AChoicePressesItsButtonOrPostsItsEvent) {
  PopupProcedure procedure;
  procedure.onOpen = [](PopupProcedure& p) {
    for (int i = 0; i < 7; ++i) p.answers.push_back(p.popup.ShowMenu());
    p.answers.push_back(std::to_string(p.popup.LastNumberSelection));
  };
  ui::headless::HeadlessSession session;
  // Change; the separator, the submenu header More, the disabled Delete and
  // a position past the end choose nothing; Second; cancelled.
  for (int position : {2, 4, 5, 3, 99, 8, 0}) session.choose(position);
  session.start([&] { procedure(); });
  EXPECT_EQ(procedure.answers,
            (std::vector<std::string>{"Change", "", "", "", "", "Second", "", "0"}));
  EXPECT_EQ(procedure.seen, (std::vector<std::pair<uint32_t, int>>{{ui::EVENT::Accepted, kChange},
                                                                   {kMoreEvent, 0}}));
  EXPECT_EQ(session.popupMenus().shown().size(), 7u);
  session.press(ui::KEY::Escape);
  session.run();
  EXPECT_TRUE(session.finished());
}

TEST(Popup, TheToolboxListsItsItemsAndAChoiceActsAsFromTheMenu) {
  PopupProcedure procedure;
  std::string title;
  procedure.onOpen = [&](PopupProcedure& p) {
    p.popup.Item("Last")->OnToolbox = 1;
    p.answers.push_back(p.popup.ShowToolbox("Browse Actions"));
    p.answers.push_back(std::to_string(p.popup.LastNumberSelection));
    p.answers.push_back(p.popup.ShowToolbox("Browse Actions"));
  };
  ui::headless::HeadlessSession session;
  session.start([&] { procedure(); });
  ASSERT_NE(session.window(), nullptr);
  EXPECT_EQ(session.window()->title, "Browse Actions");
  EXPECT_EQ(procedure.popup.InToolbox, 1);
  // The enabled items marked for the toolbox: not Delete (disabled), not
  // Print (hidden), not the items of the menu alone.
  const std::string shown = session.snapshot();
  for (const char* listed : {"Insert", "Change", "Last"}) {
    EXPECT_NE(shown.find(listed), std::string::npos) << listed << "\n" << shown;
  }
  for (const char* left : {"Delete", "Print", "First"}) {
    EXPECT_EQ(shown.find(left), std::string::npos) << left << "\n" << shown;
  }
  session.press(ui::KEY::Down);
  session.press(ui::KEY::Enter);
  session.run();
  // Closed with Change chosen; the second toolbox is open now: Escape.
  EXPECT_EQ(session.window()->title, "Browse Actions");
  session.press(ui::KEY::Escape);
  session.run();
  EXPECT_EQ(procedure.answers, (std::vector<std::string>{"Change", "2", ""}));
  EXPECT_EQ(procedure.popup.InToolbox, 0);
  EXPECT_EQ(session.window()->title, "Popup test");
  EXPECT_EQ(procedure.seen,
            (std::vector<std::pair<uint32_t, int>>{{ui::EVENT::Accepted, kChange}}));
  session.press(ui::KEY::Escape);
  session.run();
  EXPECT_TRUE(session.finished());
}

}  // namespace
}  // namespace zor::fw
