// A form run through the headless front end: inserting, changing, viewing
// and deleting a record with the form's actions, the questions before
// changes are lost, the number reserved for an insert, and a change lost to
// another station recalled with the history key.

#include "framework/window_controller.h"

#include <gtest/gtest.h>

#include "data/file_statements.h"
#include "tests/framework/test_procedures.h"
#include "ui/headless/headless_session.h"
#include "ui/key_codes.h"

namespace zor::fw::testing {
namespace {

namespace st = data::statement;
using ui::headless::HeadlessSession;

class WindowControllerTest : public ProcedureTables {
 protected:
  // Starts the form with a request; it runs until it waits for input.
  void start(uint8_t request, uint8_t insertAction = InsertAction::Close,
             uint8_t cancelAction = CancelAction::Ask) {
    session.start([=, this] {
      ChildForm form(children, childRelations, reporter);
      form.insertAction = insertAction;
      form.cancelAction = cancelAction;
      GlobalRequest() = request;
      response = form.Run();
    });
  }
  int64_t records() {
    int64_t count = 0;
    st::records(children, count);
    return count;
  }
  std::string textOf(int32_t id) {
    putLong(children, kChildId, id);
    if (childFiles.FetchByKey(children.keys[0], 0) != Level::Benign) return "(none)";
    return textAt(children, kChildText);
  }
  // The captions of the boxes shown so far.
  std::vector<std::string> boxes() {
    std::vector<std::string> captions;
    for (const auto& box : session.messageBoxes().shown()) captions.push_back(box.caption);
    return captions;
  }

  HeadlessSession session;
  uint8_t response = 0;
};

TEST_F(WindowControllerTest, AnInsertIsNumberedAndSavedByTheSaveButton) {
  start(Request::Insert);
  ASSERT_FALSE(session.finished());
  EXPECT_EQ(records(), 1) << "the number is reserved while the form is open";
  session.type("hello");
  session.click("?OK");
  session.run();
  ASSERT_TRUE(session.finished());
  EXPECT_EQ(response, Response::Completed);
  EXPECT_EQ(records(), 1);
  EXPECT_EQ(textOf(1), "hello");
  EXPECT_TRUE(boxes().empty());
}

TEST_F(WindowControllerTest, AnAbandonedInsertGivesItsNumberBack) {
  start(Request::Insert);
  session.press(ui::KEY::Escape);
  session.run();
  ASSERT_TRUE(session.finished());
  EXPECT_EQ(response, Response::Cancelled);
  EXPECT_EQ(records(), 0);
  EXPECT_TRUE(boxes().empty()) << "nothing was changed, so nothing is asked";
  addChild("", "next");
  EXPECT_EQ(longAt(children, kChildId), 1);
}

TEST_F(WindowControllerTest, ClosingAChangedFormAsksWhetherToSave) {
  struct Case {
    uint8_t cancelAction;
    int firstAnswer;  // to the first question; a second close then answers the default
    const char* caption;
    bool staysAfterFirst;
    const char* saved;  // the text stored at the end, "(none)" for nothing
  };
  const Case cases[] = {
      {CancelAction::Ask, platform::IDNO, "Save Record", false, "(none)"},
      {CancelAction::Ask, platform::IDYES, "Save Record", false, "typed"},
      {CancelAction::Ask, platform::IDCANCEL, "Save Record", true, "(none)"},
      {CancelAction::Confirm, platform::IDNO, "Changes will be lost!", true, "(none)"},
      {CancelAction::Confirm, platform::IDYES, "Changes will be lost!", false, "(none)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.caption) + " answered " + std::to_string(c.firstAnswer));
    HeadlessSession local;
    uint8_t result = 0;
    local.start([&] {
      ChildForm form(children, childRelations, reporter);
      form.cancelAction = c.cancelAction;
      GlobalRequest() = Request::Insert;
      result = form.Run();
    });
    local.type("typed");
    local.answer(c.firstAnswer);
    local.press(ui::KEY::Escape);
    local.run();
    ASSERT_EQ(local.messageBoxes().shown().size(), 1u);
    EXPECT_EQ(local.messageBoxes().shown()[0].caption, c.caption);
    EXPECT_EQ(local.finished(), !c.staysAfterFirst);
    if (c.staysAfterFirst) {
      ASSERT_NE(local.window(), nullptr);
      EXPECT_EQ(local.window()->focus, FormControl::Text) << "back on the first field";
      local.answer(c.cancelAction == CancelAction::Ask ? platform::IDNO : platform::IDYES);
      local.press(ui::KEY::Escape);
      local.run();
      ASSERT_TRUE(local.finished());
    }
    EXPECT_EQ(textOf(1), std::string(c.saved));
    // Whatever was not saved gave its number back.
    EXPECT_EQ(records(), std::string(c.saved) == "(none)" ? 0 : 1);
    if (records() != 0) {
      putLong(children, kChildId, 1);
      ASSERT_EQ(childFiles.FetchByKey(children.keys[0]), Level::Benign);
      ASSERT_EQ(childFiles.Delete(0), Level::Benign);
    }
  }
}

TEST_F(WindowControllerTest, AskingToAddAnotherPrimesAFreshNumber) {
  start(Request::Insert, InsertAction::Ask);
  session.type("first");
  session.answer(platform::IDYES);
  session.click("?OK");
  session.run();
  ASSERT_FALSE(session.finished());
  EXPECT_EQ(boxes(), std::vector<std::string>{"Record Added"});
  EXPECT_EQ(records(), 2) << "the first record and the next one's reservation";
  EXPECT_EQ(longAt(children, kChildId), 2);
  session.press(ui::KEY::Escape);
  session.run();
  ASSERT_TRUE(session.finished());
  EXPECT_EQ(records(), 1);
  EXPECT_EQ(textOf(1), "first");
}

TEST_F(WindowControllerTest, AViewWritesNothingAndReportsCancelled) {
  addChild("Graphics", "original");
  start(Request::View);
  session.type("changed");
  session.click("?OK");
  session.press(ui::KEY::Escape);
  session.run();
  ASSERT_TRUE(session.finished());
  EXPECT_EQ(response, Response::Cancelled);
  EXPECT_EQ(textOf(1), "original");
  EXPECT_TRUE(boxes().empty());
}

TEST_F(WindowControllerTest, ADeleteRequestIsCarriedOutWhenConfirmed) {
  for (int answer : {platform::IDNO, platform::IDYES}) {
    const int32_t id = addChild("", "doomed");
    HeadlessSession local;
    uint8_t result = 0;
    local.answer(answer);
    local.start([&] {
      ChildForm form(children, childRelations, reporter);
      GlobalRequest() = Request::Delete;
      result = form.Run();
    });
    ASSERT_TRUE(local.finished()) << "the form never opens for a delete";
    ASSERT_EQ(local.messageBoxes().shown().size(), 1u);
    EXPECT_EQ(local.messageBoxes().shown()[0].caption, "Confirm Delete");
    EXPECT_EQ(result, answer == platform::IDYES ? Response::Completed : Response::Cancelled);
    EXPECT_EQ(textOf(id), answer == platform::IDYES ? "(none)" : "doomed");
  }
}

TEST_F(WindowControllerTest, AChangeLostToAnotherStationCanBeRecalledWithTheHistoryKey) {
  addChild("Graphics", "original");
  std::string position;
  ASSERT_EQ(st::position(children, position), 0);
  ASSERT_EQ(childFiles.Reget(position, true), Level::Benign);
  start(Request::Change);
  session.type("mine");
  session.run();

  data::FileControlBlock other;
  ASSERT_EQ(data::declareFile(other, childDeclaration()), 0);
  ASSERT_EQ(st::open(other, st::kReadWriteDenyNone), 0);
  ASSERT_EQ(st::reget(other, position), 0);
  putText(other, kChildText, 20, "theirs");
  ASSERT_EQ(st::put(other), 0);
  st::close(other);

  session.click("?OK");
  session.run();
  ASSERT_FALSE(session.finished());
  ASSERT_EQ(boxes(), std::vector<std::string>{"Record Was Not Updated"});
  EXPECT_NE(session.snapshot().find("theirs"), std::string::npos) << session.snapshot();

  session.press(kHistoryKey);
  session.run();
  EXPECT_NE(session.snapshot().find("mine"), std::string::npos) << session.snapshot();
  session.click("?OK");
  session.run();
  ASSERT_TRUE(session.finished());
  EXPECT_EQ(response, Response::Completed);
  EXPECT_EQ(textOf(1), "mine");
}

}  // namespace
}  // namespace zor::fw::testing
