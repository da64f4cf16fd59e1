// A browse run through the headless front end: paging through a large
// table, range limits, locators and filters, and forms run from it on
// records another station changed or deleted; the popup of actions.

#include "framework/browse.h"

#include <gtest/gtest.h>

#include <numeric>

#include "data/file_statements.h"
#include "framework/query_by_example.h"
#include "tests/framework/test_procedures.h"
#include "ui/base/event_numbers.h"
#include "ui/headless/headless_session.h"
#include "ui/key_codes.h"

namespace zor::fw::testing {
namespace {

namespace st = data::statement;
using ui::headless::HeadlessSession;

class BrowseTest : public ProcedureTables {
 protected:
  void TearDown() override {
    session.reset();
    ProcedureTables::TearDown();
  }

  // Adds children 1..count in one transaction: parents cycle through
  // "Graphics", "Sound" and "Input", texts are "t<id>".
  void fill(int count) {
    data::FileControlBlock* files[] = {&children};
    ASSERT_EQ(st::logout(5, files), 0);
    static const char* names[] = {"Graphics", "Sound", "Input"};
    for (int id = 1; id <= count; ++id) {
      std::fill(children.record.begin(), children.record.end(), 0);
      putLong(children, kChildId, id);
      putText(children, kChildText, 20, "t" + std::to_string(id));
      putText(children, kChildParent, 20, names[id % 3]);
      ASSERT_EQ(st::add(children), 0);
    }
    ASSERT_EQ(st::commit(children), 0);
  }

  void start(std::function<void(ChildBrowse&)> configure = {}) {
    // The session before goes first: each puts back the message box hook
    // it found when it ends.
    session.reset();
    session = std::make_unique<HeadlessSession>();
    session->start([this, configure] {
      ChildBrowse procedure(children, childRelations, reporter);
      procedure.configure = configure;
      browser = &procedure;
      GlobalRequest() = Request::None;
      response = procedure.Run();
      browser = nullptr;
    });
    ASSERT_NE(browser, nullptr);
  }
  void press(uint32_t key) {
    session->press(key);
    session->run();
  }
  std::vector<int32_t> ids(int32_t first, int32_t last) {
    std::vector<int32_t> range(static_cast<size_t>(last - first + 1));
    std::iota(range.begin(), range.end(), first);
    return range;
  }
  std::vector<std::string> captions() {
    std::vector<std::string> shown;
    for (const auto& box : session->messageBoxes().shown()) shown.push_back(box.caption);
    return shown;
  }

  std::unique_ptr<HeadlessSession> session;
  ChildBrowse* browser = nullptr;
  uint8_t response = 0;
};

TEST_F(BrowseTest, PagesThroughALargeTableAndBack) {
  fill(100000);
  start();
  const int rows = browser->browse.VisibleRows();
  ASSERT_GE(rows, 3);
  EXPECT_EQ(browser->shownIds(), ids(1, rows));
  EXPECT_EQ(browser->highlightedId(), 1);

  press(ui::KEY::Down);
  EXPECT_EQ(browser->highlightedId(), 2);
  press(ui::KEY::PageDown);
  EXPECT_EQ(browser->shownIds(), ids(rows + 1, 2 * rows));
  press(ui::KEY::End);
  EXPECT_EQ(browser->shownIds(), ids(100000 - rows + 1, 100000));
  EXPECT_EQ(browser->highlightedId(), 100000);
  // Down on the last row of the last page changes nothing and says nothing.
  press(ui::KEY::Down);
  EXPECT_EQ(browser->shownIds(), ids(100000 - rows + 1, 100000));
  EXPECT_EQ(browser->highlightedId(), 100000);
  press(ui::KEY::Up);
  EXPECT_EQ(browser->highlightedId(), 99999);
  press(ui::KEY::Home);
  EXPECT_EQ(browser->shownIds(), ids(1, rows));
  press(ui::KEY::Up);
  EXPECT_EQ(browser->highlightedId(), 1);
  EXPECT_TRUE(captions().empty());
  EXPECT_NE(session->snapshot().find("t1 "), std::string::npos) << session->snapshot();
  press(ui::KEY::Escape);
  EXPECT_TRUE(session->finished());
}

TEST_F(BrowseTest, RangeLimitsFiltersAndLocatorsNarrowTheList) {
  fill(30);
  struct Case {
    const char* name;
    std::function<void(Browse&)> limit;
    std::vector<int32_t> shown;
  };
  const FieldRef parent = fieldByLabel(children, "C:PARENT");
  const FieldRef id = fieldByLabel(children, "C:ID");
  const Case cases[] = {
      {"one value, without regard to case",
       [&](Browse& b) {
         b.AddOrder(&children.keys[1]);
         b.AddRangeLimit(parent, ValueSource(std::string("GRAPHICS")));
       },
       {3, 6, 9, 12, 15, 18, 21}},
      {"between two values",
       [&](Browse& b) {
         b.AddRangeLimit(id, ValueSource(std::string("4")), ValueSource(std::string("6")));
       },
       {4, 5, 6}},
      {"low above high",
       [&](Browse& b) {
         b.AddRangeLimit(id, ValueSource(std::string("9")), ValueSource(std::string("2")));
       },
       {}},
      {"a filter", [&](Browse& b) { b.SetOrderFilter("C:ID % 10 = 7"); }, {7, 17, 27}},
      {"a quote in the value stays in its literal",
       [&](Browse& b) {
         b.AddOrder(&children.keys[1]);
         b.AddRangeLimit(parent, ValueSource(std::string("x' OR C:ID > '0")));
       },
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    start([&](ChildBrowse& procedure) { c.limit(procedure.browse); });
    const int rows = browser->browse.VisibleRows();
    std::vector<int32_t> expected = c.shown;
    if (static_cast<int>(expected.size()) > rows) expected.resize(static_cast<size_t>(rows));
    EXPECT_EQ(browser->shownIds(), expected);
    EXPECT_TRUE(captions().empty());
    press(ui::KEY::Escape);
    ASSERT_TRUE(session->finished());
  }
}

TEST_F(BrowseTest, ARefusedFilterIsReportedAndLeftOut) {
  fill(5);
  start([](ChildBrowse& procedure) { procedure.browse.SetOrderFilter("C:ID = (1"); });
  EXPECT_EQ(captions(), std::vector<std::string>{"View Open Error"});
  EXPECT_EQ(browser->shownIds(), ids(1, 5));
  press(ui::KEY::Escape);
}

TEST_F(BrowseTest, TypingNarrowsToTheRowsThatStartWithTheText) {
  fill(30);
  BrowseLocator locator;
  start([&](ChildBrowse& procedure) {
    procedure.browse.AddOrder(&children.keys[1]);
    locator.Bind(procedure.browse, fieldByLabel(children, "C:PARENT"), true);
    procedure.browse.AttachLocator(locator);
  });
  session->type("so");
  session->run();
  const std::vector<int32_t> shown = browser->shownIds();
  ASSERT_FALSE(shown.empty());
  for (int32_t row : shown) EXPECT_EQ(row % 3, 1) << "only Sound";
  press(ui::KEY::Backspace);
  press(ui::KEY::Backspace);
  EXPECT_EQ(browser->shownIds().size(), static_cast<size_t>(browser->browse.VisibleRows()));
  press(ui::KEY::Escape);
}

TEST_F(BrowseTest, FormsRunFromTheListAndTheListFollows) {
  fill(3);
  start();
  // Insert: the new record is the highlighted row afterwards.
  session->click("?INSERT");
  session->run();
  session->type("added");
  session->click("?OK");
  session->run();
  EXPECT_EQ(browser->highlightedId(), 4);
  EXPECT_EQ(browser->shownIds(), ids(1, 4));

  // Another station changes record 2: the form shows its values.
  press(ui::KEY::Home);
  press(ui::KEY::Down);
  ASSERT_EQ(browser->highlightedId(), 2);
  data::FileControlBlock other;
  ASSERT_EQ(data::declareFile(other, childDeclaration()), 0);
  ASSERT_EQ(st::open(other, st::kReadWriteDenyNone), 0);
  putLong(other, kChildId, 2);
  ASSERT_EQ(st::get(other, other.keys[0]), 0);
  putText(other, kChildText, 20, "theirs");
  ASSERT_EQ(st::put(other), 0);
  press(ui::KEY::Enter);
  ASSERT_NE(session->window(), nullptr);
  EXPECT_EQ(session->window()->title, "Child");
  EXPECT_NE(session->snapshot().find("theirs"), std::string::npos) << session->snapshot();
  press(ui::KEY::Escape);

  // Another station deletes record 3: changing it is refused with error 9.
  press(ui::KEY::Down);
  ASSERT_EQ(browser->highlightedId(), 3);
  putLong(other, kChildId, 3);
  ASSERT_EQ(st::get(other, other.keys[0]), 0);
  ASSERT_EQ(st::erase(other), 0);
  st::close(other);
  session->click("?CHANGE");
  session->run();
  EXPECT_EQ(session->window()->title, "Children") << "no form opened";
  EXPECT_EQ(captions(), std::vector<std::string>{"Record Retrieval Error"});
  EXPECT_EQ(browser->shownIds(), (std::vector<int32_t>{1, 2, 4}));
  press(ui::KEY::Escape);
}

TEST(BrowseActions, ThePopupOffersTheQueryWhenThereIsOne) {
  Browse browse;
  auto names = [&browse] {
    std::vector<std::string> listed;
    for (const BrowseAction& action : browse.PopupActions()) listed.push_back(action.Name);
    return listed;
  };
  browse.InsertControl = 2;
  browse.DeleteControl = 4;
  EXPECT_EQ(names(),
            (std::vector<std::string>{"Insert", "Delete", "Separator2", "ToolSeparator2"}));
  QueryByExample query;
  browse.Query = &query;
  browse.EditViaPopup = 0;
  EXPECT_EQ(names(), (std::vector<std::string>{"Separator2", "Query", "ToolSeparator2"}));
  browse.Query = nullptr;
  browse.QueryControl = 7;
  browse.SelectControl = 5;
  EXPECT_EQ(browse.PopupActions()[1].Control, 7);
  EXPECT_EQ(names(), (std::vector<std::string>{"Separator2", "Query", "Select", "ToolSeparator2"}));
}

}  // namespace
}  // namespace zor::fw::testing
