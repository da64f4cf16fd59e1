// Editing the rows of a browse in place, through the headless front end:
// the keys and their action bytes, the "Save Record" question, an inserted
// row given up, and the edit going on in the same column of the next row.

#include "framework/edit_in_place.h"

#include <gtest/gtest.h>

#include "data/file_statements.h"
#include "tests/framework/test_procedures.h"
#include "ui/headless/headless_session.h"
#include "ui/key_codes.h"

namespace zor::fw::testing {
namespace {

namespace st = data::statement;
using ui::headless::HeadlessSession;

class EditInPlaceTest : public ProcedureTables {
 protected:
  void TearDown() override {
    session.reset();
    ProcedureTables::TearDown();
  }

  // Three children; the browse edits Text and Parent in place with the
  // main window's actions (arrows 24, Enter 8, Tab 8).
  void start() {
    for (const char* text : {"a", "b", "c"}) addChild("Graphics", text);
    session = std::make_unique<HeadlessSession>();
    session->start([this] {
      ChildBrowse procedure(children, childRelations, reporter);
      EditInPlace editor;
      procedure.configure = [&](ChildBrowse& configured) {
        configured.browse.AskProcedure = 0;
        configured.browse.EditList = {2, 3};
        configured.browse.ArrowAction =
            EditAction::Save | EditAction::Next | EditAction::KeepColumn;
        configured.browse.EnterAction = EditAction::Next;
        configured.browse.TabAction = EditAction::Next;
        editor.Attach(configured.browse);
      };
      browser = &procedure;
      procedure.Run();
      browser = nullptr;
    });
  }
  void keys(std::initializer_list<uint32_t> pressed) {
    for (uint32_t key : pressed) session->press(key);
    session->run();
  }
  std::vector<std::string> texts() {
    std::vector<std::string> rows;
    EXPECT_EQ(childFiles.SetOrder(children.keys[0]), Level::Benign);
    while (childFiles.ReadNext(0) == Level::Benign) rows.push_back(textAt(children, kChildText));
    return rows;
  }
  std::vector<std::string> captions() {
    std::vector<std::string> shown;
    for (const auto& box : session->messageBoxes().shown()) shown.push_back(box.caption);
    return shown;
  }
  // The edit control of a list column, when it is shown.
  bool editing(int column) {
    ui::Control* control = session->window()->find("?EIP:" + std::to_string(column));
    return control != nullptr && !control->hidden;
  }

  std::unique_ptr<HeadlessSession> session;
  ChildBrowse* browser = nullptr;
};

TEST_F(EditInPlaceTest, AnInsertedRowIsSavedByEnterAndGivenUpByEscape) {
  start();
  keys({ui::KEY::Insert});
  ASSERT_TRUE(editing(2));
  session->type("new");
  keys({ui::KEY::Enter});
  EXPECT_FALSE(editing(2));
  EXPECT_EQ(texts(), (std::vector<std::string>{"a", "b", "c", "new"}));
  EXPECT_EQ(browser->highlightedId(), 4);

  keys({ui::KEY::Insert});
  session->type("dropped");
  keys({ui::KEY::Escape});
  EXPECT_FALSE(editing(2));
  EXPECT_EQ(texts(), (std::vector<std::string>{"a", "b", "c", "new"}));
  EXPECT_EQ(browser->shownIds(), (std::vector<int32_t>{1, 2, 3, 4}));
  EXPECT_TRUE(captions().empty());
  // The number taken by the abandoned row was given back.
  keys({ui::KEY::Insert});
  session->type("next");
  keys({ui::KEY::Enter});
  EXPECT_EQ(browser->highlightedId(), 5);
}

TEST_F(EditInPlaceTest, DownSavesAndGoesOnInTheSameColumnOfTheNextRow) {
  start();
  session->click("?CHANGE");
  session->run();
  ASSERT_TRUE(editing(2));
  keys({ui::KEY::Tab});  // to the Parent column
  session->type("Sound");
  keys({ui::KEY::Down});
  ASSERT_TRUE(editing(3)) << "the edit went on in the Parent column";
  EXPECT_EQ(browser->highlightedId(), 2);
  session->type("Input");
  keys({ui::KEY::Escape});
  EXPECT_FALSE(editing(3));
  std::vector<std::string> stored;
  EXPECT_EQ(childFiles.SetOrder(children.keys[0]), Level::Benign);
  while (childFiles.ReadNext(0) == Level::Benign) stored.push_back(textAt(children, kChildParent));
  EXPECT_EQ(stored, (std::vector<std::string>{"Sound", "Graphics", "Graphics"}))
      << "Escape gave up the second row's change";
  EXPECT_TRUE(captions().empty());
}

TEST_F(EditInPlaceTest, KeysOnAnUnchangedRowAskNothingAndWriteNothing) {
  start();
  session->click("?CHANGE");
  session->run();
  keys({ui::KEY::Shift | ui::KEY::Tab});  // nothing before the first column
  EXPECT_TRUE(editing(2));
  keys({ui::KEY::Enter});
  EXPECT_FALSE(editing(2));
  EXPECT_EQ(browser->highlightedId(), 2) << "Enter moves on to the next row";
  EXPECT_TRUE(captions().empty());
  EXPECT_EQ(texts(), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(EditInPlaceTest, TabAfterTheLastColumnAsksWhetherToSave) {
  start();
  session->click("?CHANGE");
  session->run();
  session->type("edited");
  session->answer(platform::IDCANCEL);
  keys({ui::KEY::Tab, ui::KEY::Tab});
  EXPECT_TRUE(editing(3)) << "Cancel keeps the row in editing";
  session->answer(platform::IDYES);
  keys({ui::KEY::Tab});
  EXPECT_FALSE(editing(3));
  EXPECT_EQ(captions(), (std::vector<std::string>{"Save Record", "Save Record"}));
  EXPECT_EQ(texts(), (std::vector<std::string>{"edited", "b", "c"}));
  EXPECT_EQ(browser->highlightedId(), 2) << "and the highlight moved on";
}

}  // namespace
}  // namespace zor::fw::testing
