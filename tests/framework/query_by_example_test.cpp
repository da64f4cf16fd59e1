// Query by example on a browse run through the headless front end: the
// query window narrowing the list to the rows holding a word, a saved query
// applied again after a restart, a refused query reported and left out, the
// query popup; and saved queries in the INI file.

#include "framework/query_by_example.h"

#include <gtest/gtest.h>

#include "framework/ini_manager.h"
#include "framework/popup.h"
#include "tests/framework/test_procedures.h"
#include "ui/headless/headless_session.h"
#include "ui/key_codes.h"

namespace zor::fw::testing {
namespace {

namespace st = data::statement;
using ui::headless::HeadlessSession;

constexpr uint32_t kPopupKey = ui::KEY::Ctrl | 'P';
constexpr uint32_t kApplyKey = ui::KEY::Ctrl | 'A';
constexpr const char* kIniFile = "query.ini";

class QueryTest : public ProcedureTables {
 protected:
  void SetUp() override {
    ProcedureTables::SetUp();
    data::FileControlBlock* files[] = {&children};
    ASSERT_EQ(st::logout(5, files), 0);
    const char* texts[] = {"soft shadows", "bloom",          "Shadow map",
                           "fog",          "no shadow here", "it's shadowy"};
    int32_t id = 0;
    for (const char* text : texts) {
      std::fill(children.record.begin(), children.record.end(), 0);
      putLong(children, kChildId, ++id);
      putText(children, kChildText, 20, text);
      putText(children, kChildParent, 20, id % 2 == 0 ? "Even" : "Odd");
      ASSERT_EQ(st::add(children), 0);
    }
    ASSERT_EQ(st::commit(children), 0);
  }
  void TearDown() override {
    session.reset();
    ProcedureTables::TearDown();
  }

  static void addFields(QueryByExample& query) {
    query.AddQueryField("C:ID", "Id", "@n5");
    query.AddQueryField("C:TEXT", "Text", "@s19");
    query.AddQueryField("C:PARENT", "Parent", "@s19");
  }

  // The browse with the query; `onKey` runs for Ctrl+P and Ctrl+A.
  void start(QueryByExample& query, INIManager& ini, std::function<void(ChildBrowse&)> more = {},
             std::function<void(uint32_t)> onKey = {}) {
    // The session before goes first: each puts back the message box hook
    // it found when it ends.
    session.reset();
    session = std::make_unique<HeadlessSession>();
    session->start([&, more, onKey] {
      ChildBrowse procedure(children, childRelations, reporter);
      procedure.configure = [&, more](ChildBrowse& b) {
        query.Init(b.browse, &ini, "Children");
        addFields(query);
        b.browse.Query = &query;
        b.browse.QueryControl = BrowseControl::Query;
        if (more) more(b);
      };
      procedure.alertKeys = {kPopupKey, kApplyKey};
      procedure.onAlertKey = [onKey](ChildBrowse&, uint32_t key) {
        if (onKey) onKey(key);
      };
      browser = &procedure;
      GlobalRequest() = Request::None;
      procedure.Run();
      browser = nullptr;
    });
    ASSERT_NE(browser, nullptr);
  }
  void press(uint32_t key) {
    session->press(key);
    session->run();
  }
  void click(const char* use) {
    session->click(use);
    session->run();
  }
  // Types into an entry of the query window (its text is replaced).
  void enter(const char* use, const std::string& text) {
    session->click(use);
    session->type(text);
    session->run();
  }
  std::vector<std::string> captions() {
    std::vector<std::string> shown;
    for (const auto& box : session->messageBoxes().shown()) shown.push_back(box.caption);
    return shown;
  }
  std::vector<int32_t> all() { return {1, 2, 3, 4, 5, 6}; }

  std::unique_ptr<HeadlessSession> session;
  ChildBrowse* browser = nullptr;
};

TEST_F(QueryTest, AWordOfTheTextNarrowsTheListAndASavedQueryAppliesAfterARestart) {
  {
    INIManager ini;
    ini.Bind(kIniFile);
    QueryByExample query;
    start(query, ini);
    EXPECT_EQ(browser->shownIds(), all());
    click("?QUERY");
    ASSERT_EQ(session->window()->title, "Query by Example");
    press(ui::KEY::Down);  // the Text column
    enter("?QBE:LOW", "Contains shadow");
    enter("?QBE:NAME", "Shadows");
    click("?QBE:SAVE");
    click("?OK");
    ASSERT_EQ(session->window()->title, "Children");
    EXPECT_EQ(browser->shownIds(), (std::vector<int32_t>{1, 5, 6}));
    EXPECT_NE(session->snapshot().find("soft shadows"), std::string::npos);

    // Again: the window shows the entries; case is ignored with "~".
    click("?QUERY");
    EXPECT_NE(session->snapshot().find("Contains shadow"), std::string::npos)
        << session->snapshot();
    press(ui::KEY::Down);
    enter("?QBE:LOW", "~Contains SHADOW");
    click("?OK");
    EXPECT_EQ(browser->shownIds(), (std::vector<int32_t>{1, 3, 5, 6}));
    // Cancel leaves the entries and the list as they were.
    click("?QUERY");
    press(ui::KEY::Down);
    enter("?QBE:LOW", "bloom");
    click("?CANCEL");
    EXPECT_EQ(browser->shownIds(), (std::vector<int32_t>{1, 3, 5, 6}));
    EXPECT_EQ(query.Field("C:TEXT")->Low, "~Contains SHADOW");
    press(ui::KEY::Escape);
    ASSERT_TRUE(session->finished());
    EXPECT_TRUE(captions().empty());
    ini.Release();
  }

  // The next run: the saved query is offered by the popup and applies.
  INIManager ini;
  ini.Bind(kIniFile);
  QueryByExample query;
  start(query, ini, {}, [&](uint32_t key) {
    if (key == kPopupKey) query.PopupQueries();
  });
  EXPECT_EQ(browser->shownIds(), all());
  session->choose(2);
  press(kPopupKey);
  ASSERT_FALSE(session->popupMenus().shown().empty());
  EXPECT_EQ(session->popupMenus().shown().back(), "Empty|Shadows|C&lear");
  EXPECT_EQ(browser->shownIds(), (std::vector<int32_t>{1, 5, 6}));
  // Empty: every row, the entries kept.
  session->choose(1);
  press(kPopupKey);
  EXPECT_EQ(browser->shownIds(), all());
  EXPECT_EQ(query.Field("C:TEXT")->Low, "Contains shadow");
  // Clear: every row, the entries emptied.
  session->choose(2);
  press(kPopupKey);
  session->choose(3);
  press(kPopupKey);
  EXPECT_EQ(browser->shownIds(), all());
  EXPECT_EQ(query.Field("C:TEXT")->Low, "");
  // The window starts from the query accepted last in the run before.
  click("?QUERY");
  EXPECT_NE(session->snapshot().find("~Contains SHADOW"), std::string::npos) << session->snapshot();
  press(ui::KEY::Escape);
  EXPECT_EQ(session->window()->title, "Children");
  EXPECT_EQ(query.Field("C:TEXT")->Low, "");
  press(ui::KEY::Escape);
  EXPECT_TRUE(captions().empty());
}

TEST_F(QueryTest, TheQueryCombinesWithRangesAndFiltersAndARefusedOneIsLeftOut) {
  INIManager ini;
  ini.Bind(kIniFile);
  QueryByExample query;
  bool applied = true;
  start(
      query, ini,
      [&](ChildBrowse& b) {
        const FieldRef id = fieldByLabel(children, "C:ID");
        b.browse.AddRangeLimit(id, ValueSource(std::string("1")), ValueSource(std::string("5")));
        b.browse.SetOrderFilter("C:ID <> 3");
        query.AddQueryField("C:NOSUCH", "Nothing");
      },
      [&](uint32_t key) {
        if (key == kApplyKey) applied = query.ApplyQuery();
      });
  EXPECT_EQ(browser->shownIds(), (std::vector<int32_t>{1, 2, 4, 5}));
  query.Field("C:TEXT")->Low = "~Contains shadow";
  press(kApplyKey);
  EXPECT_TRUE(applied);
  EXPECT_EQ(browser->shownIds(), (std::vector<int32_t>{1, 5}));
  EXPECT_TRUE(captions().empty());

  // A column the view does not know: reported, and the query left out while
  // the range and the other filter still apply.
  query.Field("C:NOSUCH")->Low = "x";
  press(kApplyKey);
  EXPECT_FALSE(applied);
  EXPECT_EQ(captions(), std::vector<std::string>{"View Open Error"});
  EXPECT_EQ(browser->shownIds(), (std::vector<int32_t>{1, 2, 4, 5}));
  for (const OrderFilter& filter : browser->browse.Current().Filter) {
    EXPECT_NE(filter.ID, kQueryFilterId);
  }

  // Too long to apply whole: refused with a notice, the list as it was.
  query.Field("C:NOSUCH")->Low.clear();
  query.Field("C:TEXT")->Low = "~Contains shadow";
  press(kApplyKey);
  for (const char* name : {"C:TEXT", "C:PARENT"}) {
    QueryField& field = *query.Field(name);
    field.Low = field.Middle = field.High = "<> " + std::string(QueryField::kValueLength - 3, '\'');
  }
  press(kApplyKey);
  EXPECT_FALSE(applied);
  EXPECT_TRUE(query.FilterTooLong());
  EXPECT_EQ(captions().back(), "Query Too Long");
  EXPECT_EQ(browser->shownIds(), (std::vector<int32_t>{1, 5}));
  press(ui::KEY::Escape);
}

TEST_F(QueryTest, SavedQueriesKeepTheirValuesAndDropColumnsTheBrowseLost) {
  data::View view(children);
  ViewManager manager;
  manager.Bind(view, childRelations);
  const std::string awkward = " a,b \"c\" 'd' ";
  {
    INIManager ini;
    ini.Bind(kIniFile);
    QueryByExample query;
    query.Init(manager, &ini, "Children");
    addFields(query);
    query.AddQueryField("C:GONE", "Gone");
    query.Field("C:TEXT")->Low = awkward;
    query.Field("C:TEXT")->High = "Begins $%";
    query.Field("C:GONE")->Low = "1";
    for (const char* name : {"b query", "A query", "tsMRU", "a QUERY", "x|y{z}"}) {
      EXPECT_TRUE(query.SaveQuery(name)) << name;
    }
    EXPECT_EQ(query.SavedQueries(), (std::vector<std::string>{"A query", "b query", "x|y{z}"}));

    // What cannot be read back whole is not stored at all.
    query.Field("C:PARENT")->Low = std::string(QueryField::kValueLength, 'x');
    query.Field("C:PARENT")->High = std::string(QueryField::kValueLength, '"');
    EXPECT_NE(query.SaveProblem("long"), "");
    EXPECT_FALSE(query.SaveQuery("long"));
    query.Field("C:PARENT")->High.clear();
    query.Field("C:PARENT")->Low = "two\nlines";
    EXPECT_FALSE(query.SaveQuery("lines"));
    query.Field("C:PARENT")->Low.clear();
    EXPECT_FALSE(query.SaveQuery("  "));
    EXPECT_EQ(query.SavedQueries().size(), 3u);
    ini.Release();
  }
  INIManager ini;
  ini.Bind(kIniFile);
  QueryByExample query;
  query.Init(manager, &ini, "Children");
  addFields(query);
  query.Field("C:ID")->Low = "7";
  query.SetQuickQuery("c:text", "<none>");
  EXPECT_EQ(query.BuildFilterText(), "(C:ID = 7) AND (C:TEXT = '<none>')");
  EXPECT_FALSE(query.RestoreQuery("missing"));
  EXPECT_EQ(query.Field("C:ID")->Low, "7");
  ASSERT_TRUE(query.RestoreQuery("a query"));
  EXPECT_EQ(query.Field("C:ID")->Low, "");
  EXPECT_EQ(query.Field("C:TEXT")->Low, awkward);
  EXPECT_EQ(query.Field("C:TEXT")->High, "Begins $%");
  EXPECT_EQ(reporter.shownIds, std::vector<int>{44});
  ASSERT_EQ(reporter.shownTexts.size(), 1u);
  EXPECT_NE(reporter.shownTexts[0].find("C:GONE"), std::string::npos) << reporter.shownTexts[0];

  // The popup's menu: the names shown safely, separators only between items.
  Popup popup;
  popup.Bind();
  popup.AppendSeparator(QueryMenu::Separator);
  popup.AppendItem("Empty", QueryMenu::Empty);
  popup.AppendItem("x|y{z}\n", "q1");
  popup.AppendItem("~-", "q2");
  popup.AppendSeparator("s");
  popup.AppendSeparator("s1");
  popup.AppendItem("C&lear", QueryMenu::Clear);
  popup.AppendSeparator("s2");
  const Popup::Menu menu = popup.BuildMenu();
  EXPECT_EQ(menu.text, "Empty|x/y(z)| -|-|C&lear");
  ASSERT_EQ(menu.entries.size(), 5u);
  EXPECT_EQ(menu.entries[3].item, 4u);

  // A filter text past 5000 characters is applied whole.
  manager.AddRangeLimit(fieldByLabel(children, "C:ID"), ValueSource(std::string("1")),
                        ValueSource(std::string("5")));
  const std::string longFilter = "C:TEXT <> '" + std::string(4990, 'x') + "'";
  manager.SetOrderFilter(longFilter);
  const std::string text = manager.LimitText();
  EXPECT_GT(text.size(), 5000u);
  EXPECT_TRUE(text.ends_with("(" + longFilter + ")")) << text.substr(0, 80);
  manager.Release();
}

}  // namespace
}  // namespace zor::fw::testing
