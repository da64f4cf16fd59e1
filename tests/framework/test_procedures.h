#pragma once
// The window procedures of the framework tests, on the tables of
// manager_test_support.h: a form for one child record (window FORM of
// test_procedures.win) whose actions the tests set, and the numbers of its
// controls.

#include <cstring>
#include <functional>
#include <vector>

#include "framework/relation_manager.h"
#include "framework/window_controller.h"
#include "tests/framework/manager_test_support.h"

namespace zor::fw::testing {

inline constexpr const char* kTestWindows = "FrameworkTests$PROCEDURES";

namespace FormControl {
inline constexpr int Text = 2;
inline constexpr int Parent = 4;
inline constexpr int Ok = 5;
inline constexpr int Cancel = 6;
}  // namespace FormControl

inline constexpr uint32_t kHistoryKey = 584;  // Ctrl+H

// The tables with the children open, for procedures that show their boxes
// through the headless front end.
class ProcedureTables : public ManagedTables {
 protected:
  void SetUp() override {
    ManagedTables::SetUp();
    reporter.showBoxes = true;
    relate(RIMode::None, RIMode::None);
    ASSERT_EQ(childRelations.Open(), Level::Benign);
  }
  void TearDown() override {
    childRelations.Close();
    ManagedTables::TearDown();
  }
};

class ChildForm : public WindowController {
 public:
  ChildForm(data::FileControlBlock& children, RelationManager& relations, ErrorReporter& errors)
      : WindowController(kTestWindows, "FORM"),
        children_(children),
        relations_(relations),
        errors_(errors) {}

  uint8_t insertAction = InsertAction::Close;
  uint8_t cancelAction = CancelAction::Ask;

  uint8_t Bind() override {
    REQUEST = GlobalRequest();
    if (uint8_t level = WindowController::Bind(); level != Level::Benign) return level;
    FIRSTFIELD = FormControl::Text;
    ERRORS = &errors_;
    GlobalRequest() = Request::None;
    GlobalResponse() = Response::None;
    HISTORYKEY = kHistoryKey;
    RegisterHistoryRecord(children_.fields, children_.record, history_);
    RegisterHistoryField(FormControl::Text, 3);
    RegisterHistoryField(FormControl::Parent, 2);
    RegisterEditedFile(*relations_.Me);
    RegisterButton(FormControl::Cancel, Response::Cancelled);
    if (relations_.Open() != Level::Benign) return Level::Fatal;
    FILESOPENED = 1;
    PRIMARY = &relations_;
    INSERTACTION = insertAction;
    CANCELACTION = cancelAction;
    OKCONTROL = FormControl::Ok;
    if (PrimeForRequest() != Level::Benign) return Level::Notify;
    BindRecord(children_);
    OpenWindow();
    SetKeyAlerts();
    return Level::Benign;
  }

  uint8_t Release() override {
    const uint8_t level = WindowController::Release();
    if (FILESOPENED != 0) relations_.Close();
    FILESOPENED = 0;
    return level;
  }

 private:
  data::FileControlBlock& children_;
  RelationManager& relations_;
  ErrorReporter& errors_;
  std::vector<uint8_t> history_;
};

}  // namespace zor::fw::testing

#include "framework/browse.h"
#include "runtime/queue.h"
#include "ui/base/event_numbers.h"
#include "ui/statements.h"

namespace zor::fw::testing {

namespace BrowseControl {
inline constexpr int List = 1;
inline constexpr int Insert = 2;
inline constexpr int Change = 3;
inline constexpr int Delete = 4;
inline constexpr int Select = 5;
inline constexpr int Close = 6;
inline constexpr int Query = 7;
}  // namespace BrowseControl

// A row of the children's list: id, text, parent, then the mark and the
// row's position in the view.
inline RecordLayout childRowLayout() {
  return {makeField("C:ID", kLong, 0, 4), makeField("C:TEXT", kCString, 4, 20),
          makeField("C:PARENT", kCString, 24, 20), makeField("MARK", kByte, 44, 1),
          makeField("VIEWPOSITION", kString, 45, 1024)};
}
inline constexpr size_t kChildRowSize = 1069;

// The children in a list, in id order unless a test chooses otherwise; its
// Insert, Change and Delete run ChildForm.
class ChildBrowse : public WindowController {
 public:
  ChildBrowse(data::FileControlBlock& children, RelationManager& relations, ErrorReporter& errors)
      : WindowController(kTestWindows, "BROWSE"),
        children_(children),
        relations_(relations),
        errors_(errors),
        view_(children),
        queue_(childRowLayout(), kChildRowSize) {}

  // Called in Bind, after the browse is bound and before the window opens.
  std::function<void(ChildBrowse&)> configure;
  // Keys alerted on the window, and what they do.
  std::vector<uint32_t> alertKeys;
  std::function<void(ChildBrowse&, uint32_t)> onAlertKey;

  Browse browse;

  uint8_t Bind() override {
    REQUEST = GlobalRequest();
    if (uint8_t level = WindowController::Bind(); level != Level::Benign) return level;
    FIRSTFIELD = BrowseControl::List;
    ERRORS = &errors_;
    GlobalRequest() = Request::None;
    GlobalResponse() = Response::None;
    RegisterButton(BrowseControl::Close, Response::Cancelled);
    if (relations_.Open() != Level::Benign) return Level::Fatal;
    FILESOPENED = 1;
    browse.Bind(BrowseControl::List, queue_, view_, relations_, *this);
    browse.InsertControl = BrowseControl::Insert;
    browse.ChangeControl = BrowseControl::Change;
    browse.DeleteControl = BrowseControl::Delete;
    browse.SelectControl = BrowseControl::Select;
    browse.AskProcedure = 1;
    browse.AddOrder(&children_.keys[0]);
    browse.AddColumnField(fieldByLabel(children_, "C:ID"), 1);
    browse.AddColumnField(fieldByLabel(children_, "C:TEXT"), 2);
    browse.AddColumnField(fieldByLabel(children_, "C:PARENT"), 3);
    if (configure) configure(*this);
    OpenWindow();
    SetKeyAlerts();
    for (uint32_t key : alertKeys) Window()->alert(key);
    return Level::Benign;
  }

  uint8_t OnEvent() override {
    if (ui::event() == ui::EVENT::AlertKey && onAlertKey) onAlertKey(*this, ui::keyCode());
    return WindowController::OnEvent();
  }

  uint8_t Release() override {
    const uint8_t level = WindowController::Release();
    if (FILESOPENED != 0) relations_.Close();
    FILESOPENED = 0;
    return level;
  }

  uint8_t Run(uint16_t procedure, uint8_t request) override {
    WindowController::Run(procedure, request);
    GlobalRequest() = request;
    ChildForm form(children_, relations_, errors_);
    GlobalResponse() = form.Run();
    return GlobalResponse();
  }
  using WindowController::Run;

  // The ids of the rows the list holds, top to bottom, and the highlighted one.
  std::vector<int32_t> shownIds() const {
    std::vector<int32_t> ids;
    for (size_t row = 1; row <= queue_.records(); ++row) {
      int32_t id = 0;
      std::memcpy(&id, queue_.row(row), 4);
      ids.push_back(id);
    }
    return ids;
  }
  int32_t highlightedId() const {
    const uint8_t* row = browse.CurrentChoice >= 1 ? queue_.row(browse.CurrentChoice) : nullptr;
    int32_t id = 0;
    if (row != nullptr) std::memcpy(&id, row, 4);
    return id;
  }

 private:
  data::FileControlBlock& children_;
  RelationManager& relations_;
  ErrorReporter& errors_;
  data::View view_;
  Queue queue_;
};

}  // namespace zor::fw::testing
