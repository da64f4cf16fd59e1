#include "app/update_form.h"

#include "app/dictionary.h"
#include "app/program_globals.h"
#include "ui/base/event_numbers.h"
#include "ui/statements.h"

namespace qv {

namespace {

namespace Level = zor::fw::Level;
namespace Request = zor::fw::Request;
namespace Response = zor::fw::Response;

constexpr const char* kFormLabel = "P1$QUICKWINDOW";
constexpr size_t kCaptionLength = 39;  // CSTRING(40)
constexpr int32_t kHistoryKey = 584;   // Ctrl+H

zor::fw::ErrorReporter& reporter() {
  return programGlobals().errorReporter != nullptr ? *programGlobals().errorReporter
                                                   : zor::fw::ErrorReporter::Global();
}

}  // namespace

UpdateForm::UpdateForm(UpdateFormShape shape, zor::data::FileControlBlock& table,
                       zor::fw::RelationManager& primary)
    : WindowController(shape.owner, kFormLabel),
      table_(table),
      shape_(std::move(shape)),
      primary_(primary) {}

std::string UpdateForm::CaptionFor(uint8_t request) {
  switch (request) {
    case Request::View:
      return "View Record";
    case Request::Insert:
      return "Record Will Be Added";
    case Request::Change:
      return "Record Will Be Changed";
    default:
      return "";
  }
}

uint8_t UpdateForm::Bind() {
  reporter().SetProcedureName(shape_.procedure);
  pushed_ = true;
  REQUEST = zor::fw::GlobalRequest();
  if (uint8_t level = WindowController::Bind(); level != Level::Benign) return level;
  FIRSTFIELD = 3;
  VCRREQUEST = &zor::fw::VCRRequest();
  ERRORS = &reporter();
  zor::fw::GlobalRequest() = Request::None;
  zor::fw::GlobalResponse() = Response::None;
  HISTORYKEY = kHistoryKey;
  RegisterHistoryRecord(table_.fields, table_.record, history_);
  for (const HistoryField& field : shape_.history) RegisterHistoryField(field.control, field.field);
  RegisterEditedFile(*primary_.Me);
  RegisterButton(shape_.cancelControl, Response::Cancelled);
  if (uint8_t level = threadDictionary().sections.relate->Open(); level != Level::Benign) {
    return level;
  }
  FILESOPENED = 1;
  PRIMARY = &primary_;
  if (REQUEST == Request::View && BATCHPROCESSING == 0) {
    INSERTACTION = 1;
    DELETEACTION = 1;
    CHANGEACTION = 1;
    CANCELACTION = zor::fw::CancelAction::Close;
    OKCONTROL = 0;
  } else {
    DELETEACTION = 1;
    CHANGEACTION = 2;
    CANCELACTION = zor::fw::CancelAction::Confirm;
    OKCONTROL = shape_.okControl;
    if (PrimeForRequest() != Level::Benign) return Level::Notify;
  }
  BindRecord(table_);
  OpenWindow();
  if (REQUEST == Request::View) {
    for (int control : shape_.readOnlyInView) {
      zor::ui::setProperty(control, zor::ui::PROP::ReadOnly, "1");
    }
    for (int control : shape_.disabledInView) zor::ui::disable(control);
  }
  resizer_.Bind(zor::fw::AppStrategy::Grow);
  ArrangeResizer(resizer_);
  RegisterComponent(resizer_);
  RESIZE = &resizer_;
  if (zor::fw::INIManager* ini = programGlobals().iniManager.get()) {
    ini->RestoreWindow(shape_.procedure, *MYWINDOW);
  }
  resizer_.Resize();
  SetKeyAlerts();
  return Level::Benign;
}

uint8_t UpdateForm::Release() {
  if (uint8_t level = WindowController::Release(); level != Level::Benign) return level;
  if (FILESOPENED != 0) threadDictionary().sections.relate->Close();
  FILESOPENED = 0;
  if (OPENED != 0 && MYWINDOW != nullptr) {
    if (zor::fw::INIManager* ini = programGlobals().iniManager.get()) {
      ini->SaveWindow(shape_.procedure, *MYWINDOW);
    }
  }
  if (pushed_) reporter().PopProcedureName();
  pushed_ = false;
  return Level::Benign;
}

uint8_t UpdateForm::RunLoop() {
  if (REQUEST == Request::Delete) {
    // These forms never delete: the request is refused and the form closes.
    reporter().Throw(14);
    return Level::Benign;
  }
  caption_ = CaptionFor(REQUEST).substr(0, kCaptionLength);
  if (MYWINDOW != nullptr) MYWINDOW->title = caption_;
  return WindowController::RunLoop();
}

uint8_t UpdateForm::Run() {
  const uint8_t response = WindowController::Run();
  return ORIGINALREQUEST == Request::View ? Response::Cancelled : response;
}

uint8_t UpdateForm::OnAccepted() {
  const uint8_t level = WindowController::OnAccepted();
  if (zor::ui::field() == shape_.okControl) {
    PullControls();
    if (REQUEST == Request::View && BATCHPROCESSING == 0) PostEvent(zor::ui::EVENT::CloseWindow);
  }
  return level;
}

}  // namespace qv
