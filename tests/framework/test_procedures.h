#pragma once
// The window procedures of the framework tests, on the tables of
// manager_test_support.h: a form for one child record (window FORM of
// test_procedures.win) whose actions the tests set, and the numbers of its
// controls.

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
