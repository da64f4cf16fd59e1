#include "framework/window_controller.h"

#include <algorithm>
#include <cstring>

#include "data/file_statements.h"
#include "framework/file_manager.h"
#include "framework/relation_manager.h"
#include "framework/toolbar.h"
#include "ui/base/event_numbers.h"
#include "ui/event_engine.h"
#include "ui/statements.h"
#include "ui/wait_cursor.h"
#include "ui/window_builder.h"
#include "ui/window_input.h"

namespace zor::fw {

namespace {

bool isEditRequest(uint8_t request) {
  return request == Request::Insert || request == Request::Change;
}

}  // namespace

WindowController::WindowController(std::string owningName, std::string label)
    : owningName_(std::move(owningName)), label_(std::move(label)) {}

WindowController::~WindowController() {
  if (window_ && window_->isOpen()) window_->close();
}

ErrorReporter& WindowController::Errors() {
  return ERRORS != nullptr ? *ERRORS : ErrorReporter::Global();
}

FileManager* WindowController::PrimaryFile() const {
  return PRIMARY != nullptr ? PRIMARY->Me : nullptr;
}

void WindowController::SelectFirstField() {
  if (MYWINDOW == nullptr || FIRSTFIELD == 0) return;
  ui::Control* first = MYWINDOW->control(FIRSTFIELD);
  if (first == nullptr) return;
  // A prompt (or anything else that takes no focus) hands it to the control
  // after it, as its hot key does.
  int field = FIRSTFIELD;
  if (!ui::canFocus(*MYWINDOW, *first)) {
    const int next = ui::nextFocusable(*MYWINDOW, FIRSTFIELD, false);
    if (next != 0) field = next;
  }
  ui::select(field);
}

void WindowController::PostEvent(uint32_t event, int control) {
  if (MYWINDOW != nullptr && MYWINDOW->isOpen()) ui::post(*MYWINDOW, event, control);
}

// ---------------------------------------------------------------------------
// Life cycle.

uint8_t WindowController::Bind() {
  ORIGINALREQUEST = REQUEST;
  BUTTONS = std::make_unique<std::vector<ButtonEntry>>();
  CL = std::make_unique<std::vector<WindowComponent*>>();
  FILES = std::make_unique<std::vector<EditedFile>>();
  HISTORY = std::make_unique<std::vector<HistoryEntry>>();
  INSERTACTION = InsertAction::Close;
  DELETEACTION = DeleteAction::Confirm;
  CHANGEACTION = 2;
  CANCELACTION = CancelAction::Ask;
  AUTOTOOLBAR = 1;
  AUTOREFRESH = 1;
  OWNERWINDOW = nullptr;
  INITED = 1;
  return Level::Benign;
}

uint8_t WindowController::Run() {
  if (Bind() == Level::Benign) RunLoop();
  Release();
  // The window closes after Release, which may still save its state.
  if (window_ && window_->isOpen()) window_->close();
  MYWINDOW = nullptr;
  return RESPONSE != Response::None ? RESPONSE : Response::Cancelled;
}

uint8_t WindowController::Run(uint16_t, uint8_t) {
  return GlobalResponse();
}

uint8_t WindowController::RunLoop() {
  if (DEAD != 0 || MYWINDOW == nullptr) return Level::Benign;
  LASTINSERTEDPOSITION.clear();
  while (ui::accept()) {
    const uint32_t event = ui::event();
    const uint8_t level = OnEvent();
    // A close or a pre-event the procedure refuses stays undone.
    const bool refusable = event == ui::EVENT::CloseWindow || event == ui::EVENT::CloseDown ||
                           (event >= ui::EVENT::Move && event <= ui::EVENT::Iconize);
    if (level != Level::Benign && refusable) ui::cycle();
    if (AUTOREFRESH != 0 && CL) {
      const bool forced = FORCEDRESET != 0;
      FORCEDRESET = 0;
      for (WindowComponent* component : *CL) {
        if (forced || component->ResetRequired()) component->Reset(forced);
      }
      DisplayVariables();
    }
  }
  return Level::Benign;
}

uint8_t WindowController::Release() {
  if (DEAD != 0 || !CL) return Level::Notify;
  for (WindowComponent* component : *CL) component->Release();
  CL.reset();
  BUTTONS.reset();
  HISTORY.reset();
  FreeEditedBuffers();
  FILES.reset();
  if (FileManager* primary = PrimaryFile(); primary != nullptr && SAVED != 0) {
    primary->FreeBuffer(SAVED);
    SAVED = 0;
  }
  if (TOOLBAR != nullptr) TOOLBAR->Release();
  return Level::Benign;
}

void WindowController::OpenWindow() {
  window_ = ui::openWindow(owningName_, label_);
  MYWINDOW = window_.get();
  OPENED = 1;
  if (VCRREQUEST == nullptr) VCRREQUEST = &VCRRequest();
  // Controls show the fields of the records the procedure bound.
  for (data::FileControlBlock* table : boundRecords_) {
    for (const auto& control : MYWINDOW->controls()) {
      if (control->variable.empty() || control->bound()) continue;
      FieldRef field = fieldByLabel(*table, control->variable);
      if (!field.valid()) continue;
      control->bind({[field] { return field.text(); },
                     [field](const std::string& value) { field.assign(value); }});
    }
  }
  ui::display();
}

void WindowController::RefreshWindow() {
  if (MYWINDOW == nullptr || !MYWINDOW->isOpen()) return;
  const bool forced = FORCEDRESET != 0;
  FORCEDRESET = 0;
  if (CL) {
    for (WindowComponent* component : *CL) component->Reset(forced);
  }
  ui::display();
  if (CL) {
    for (WindowComponent* component : *CL) component->UpdateWindow();
  }
}

void WindowController::DisplayVariables() {
  if (MYWINDOW == nullptr || !MYWINDOW->isOpen()) return;
  // What the user is typing stays as typed until the entry completes.
  for (const auto& control : MYWINDOW->controls()) {
    if (!control->bound()) continue;
    if (control->field() == MYWINDOW->focus && control->modified()) continue;
    control->display();
  }
}

void WindowController::PullControls() {
  if (MYWINDOW == nullptr || !MYWINDOW->isOpen()) return;
  ui::update();
  if (CL) {
    for (WindowComponent* component : *CL) component->Update();
  }
}

// ---------------------------------------------------------------------------
// Registrations.

void WindowController::RegisterButton(int control, uint8_t response) {
  if (BUTTONS) BUTTONS->push_back(ButtonEntry{control, response});
}

void WindowController::SetToolbar(Toolbar& toolbar) {
  TOOLBAR = &toolbar;
  toolbar.Bind();
}

void WindowController::RegisterEditedFile(FileManager& manager) {
  if (FILES) FILES->push_back(EditedFile{&manager, 0});
}

void WindowController::RegisterComponent(WindowComponent& component) {
  if (CL && std::find(CL->begin(), CL->end(), &component) == CL->end()) {
    CL->push_back(&component);
  }
}

void WindowController::RegisterHistoryRecord(const RecordLayout& layout,
                                             std::vector<uint8_t>& record,
                                             std::vector<uint8_t>& history) {
  historyLayout_ = &layout;
  historyRecord_ = &record;
  historyCopy_ = &history;
  history.resize(record.size());
}

void WindowController::RegisterHistoryField(int control, uint16_t field) {
  if (HISTORY) HISTORY->push_back(HistoryEntry{control, field});
}

void WindowController::BindRecord(data::FileControlBlock& table) {
  if (std::find(boundRecords_.begin(), boundRecords_.end(), &table) == boundRecords_.end()) {
    boundRecords_.push_back(&table);
  }
}

void WindowController::SetKeyAlerts() {
  if (MYWINDOW == nullptr) return;
  if (HISTORYKEY != 0 && HISTORY) {
    for (const HistoryEntry& entry : *HISTORY) {
      if (ui::Control* control = MYWINDOW->control(entry.Control)) {
        control->alert(static_cast<uint32_t>(HISTORYKEY));
      }
    }
  }
  if (CL) {
    for (WindowComponent* component : *CL) component->SetAlerts();
  }
}

// ---------------------------------------------------------------------------
// History.

void WindowController::SaveHistory() {
  if (historyRecord_ != nullptr && historyCopy_ != nullptr) *historyCopy_ = *historyRecord_;
}

void WindowController::RestoreFromHistory(int control) {
  if (!HISTORY || historyLayout_ == nullptr || historyRecord_ == nullptr) return;
  for (const HistoryEntry& entry : *HISTORY) {
    if (entry.Control != control || entry.Field < 1 || entry.Field > historyLayout_->size()) {
      continue;
    }
    const FieldDescriptor& field = (*historyLayout_)[entry.Field - 1];
    if (field.offset + field.size > historyRecord_->size() ||
        field.offset + field.size > historyCopy_->size()) {
      return;
    }
    std::memcpy(historyRecord_->data() + field.offset, historyCopy_->data() + field.offset,
                field.size);
    ui::display(control);
    return;
  }
}

// ---------------------------------------------------------------------------
// Requests.

void WindowController::SaveEditedBuffers() {
  if (!FILES) return;
  for (EditedFile& file : *FILES) {
    if (file.Saved != 0) file.Manager->FreeBuffer(file.Saved);
    file.Saved = file.Manager->PushBuffer();
  }
}

void WindowController::FreeEditedBuffers() {
  if (!FILES) return;
  for (EditedFile& file : *FILES) {
    if (file.Saved != 0) file.Manager->FreeBuffer(file.Saved);
    file.Saved = 0;
  }
}

void WindowController::PrimeNewRecord() {}

uint8_t WindowController::PrimeForRequest() {
  FileManager* primary = PrimaryFile();
  if (primary == nullptr) return Level::Benign;
  if (primary->EnsureOpen(UseKind::Write) != Level::Benign) return Level::Fatal;
  SaveEditedBuffers();
  uint8_t result = Level::Benign;
  if (REQUEST == Request::Insert && INSERTACTION != InsertAction::None) {
    RESPONSE = Response::Completed;
    primary->PrimeRecord(primary->KeepPrimedValues != 0);
    primary->KeepPrimedValues = 0;
    if (primary->PrimeAutoInc() != Level::Benign) {
      RESPONSE = Response::Cancelled;
      return Level::Fatal;
    }
    PrimeNewRecord();
    if (RESPONSE == Response::Cancelled) {
      primary->CancelAutoInc();
      result = Level::Fatal;
    } else {
      RESPONSE = Response::Cancelled;
    }
  } else if (REQUEST == Request::Delete &&
             (DELETEACTION == DeleteAction::Confirm || DELETEACTION == DeleteAction::Quiet)) {
    const uint8_t level = PRIMARY->Delete(DELETEACTION == DeleteAction::Confirm ? 1 : 0);
    RESPONSE = level == Level::Benign ? Response::Completed : Response::Cancelled;
    result = Level::Fatal;
  }
  if (SAVED != 0) primary->FreeBuffer(SAVED);
  SAVED = primary->PushBuffer();
  return result;
}

uint8_t WindowController::PrimeAnotherInsert() {
  FileManager* primary = PrimaryFile();
  LASTINSERTEDPOSITION.clear();
  SaveEditedBuffers();
  primary->PrimeRecord();
  if (primary->PrimeAutoInc() != Level::Benign) {
    PostEvent(ui::EVENT::CloseWindow);
    return Level::Notify;
  }
  PrimeNewRecord();
  if (SAVED != 0) primary->FreeBuffer(SAVED);
  SAVED = primary->PushBuffer();
  RESPONSE = Response::Cancelled;
  RefreshWindow();
  SelectFirstField();
  return Level::Notify;
}

void WindowController::CloseWithResponse(uint8_t response) {
  RESPONSE = response;
  PostEvent(ui::EVENT::CloseWindow);
}

// ---------------------------------------------------------------------------
// Event routing.

uint8_t WindowController::OnEvent() {
  const uint32_t event = ui::event();
  const int control = ui::field();
  uint8_t level = Level::Benign;
  if (control == 0) {
    level = OnWindowEvent();
    if (level != Level::Benign) return level;
  }
  switch (event) {
    case ui::EVENT::Accepted:
      level = OnAccepted();
      break;
    case ui::EVENT::Rejected:
      level = OnRejected();
      break;
    case ui::EVENT::Selected:
      level = OnSelected();
      break;
    case ui::EVENT::NewSelection:
      level = OnNewSelection();
      break;
    case ui::EVENT::AlertKey:
      if (HISTORYKEY != 0 && ui::keyCode() == static_cast<uint32_t>(HISTORYKEY)) {
        RestoreFromHistory(ui::focus());
      }
      break;
    default:
      break;
  }
  if (level != Level::Benign) return level;
  if (control != 0) {
    level = OnFieldEvent();
    if (level != Level::Benign) return level;
  }
  if (CL) {
    // A component may be released while it handles the event (the window
    // closes): walk a copy.
    const std::vector<WindowComponent*> components = *CL;
    for (WindowComponent* component : components) {
      const uint8_t taken = component->TakeEvent();
      if (taken != Level::Benign) return taken;
    }
  }
  return Level::Benign;
}

uint8_t WindowController::OnWindowEvent() {
  switch (ui::event()) {
    case ui::EVENT::OpenWindow:
      RefreshWindow();
      SelectFirstField();
      return Level::Benign;
    case ui::EVENT::LoseFocus:
      if (RESETONGAINFOCUS != 0) FORCEDRESET = 1;
      return Level::Benign;
    case ui::EVENT::GainFocus:
    case ui::EVENT::Sized:
      RefreshWindow();
      return Level::Benign;
    case ui::EVENT::Completed:
      return OnCompleted();
    case ui::EVENT::CloseWindow:
    case ui::EVENT::CloseDown:
      return OnCloseRequest();
    default:
      return Level::Benign;
  }
}

uint8_t WindowController::OnFieldEvent() {
  return Level::Benign;
}

uint8_t WindowController::OnNewSelection() {
  return Level::Benign;
}

uint8_t WindowController::OnRejected() {
  return Level::Benign;
}

uint8_t WindowController::OnSelected() {
  if (TOOLBAR != nullptr) TOOLBAR->SetTarget(ui::field());
  return Level::Benign;
}

uint8_t WindowController::OnAccepted() {
  const int control = ui::field();
  if (TOOLBAR != nullptr && isToolbarRequest(control)) {
    if (control == ToolbarRequest::History) {
      RestoreFromHistory(ui::focus());
    } else {
      if (VCRREQUEST != nullptr) *VCRREQUEST = control;
      TOOLBAR->HandleEvent(control);
    }
  }
  if (BUTTONS) {
    for (const ButtonEntry& button : *BUTTONS) {
      if (button.Control == control) {
        CloseWithResponse(button.Response);
        return Level::Notify;
      }
    }
  }
  if (control != 0 && control == OKCONTROL) {
    PostEvent(ui::EVENT::Completed);
  } else if (control != 0 && control == SAVECONTROL) {
    if (REQUEST == Request::View) return Level::Notify;
    BEFORESAVEREQUEST = REQUEST;
    REQUEST = Request::SaveAndStay;
    PostEvent(ui::EVENT::Completed);
  }
  RefreshWindow();
  return Level::Benign;
}

// ---------------------------------------------------------------------------
// Completion.

uint8_t WindowController::OnCompleted() {
  PullControls();
  SaveHistory();
  switch (REQUEST) {
    case Request::Insert:
      return SaveInsert();
    case Request::Change:
      return SaveChange();
    case Request::Delete:
      return SaveDelete();
    case Request::SaveAndStay:
      return BEFORESAVEREQUEST == Request::Change ? SaveAndStayChange() : SaveAndStayInsert();
    default:
      return Level::Benign;
  }
}

uint8_t WindowController::SaveInsert() {
  FileManager* primary = PrimaryFile();
  if (primary == nullptr) return Level::Benign;
  if (primary->Insert(1) != Level::Benign) {
    SelectFirstField();
    return Level::Notify;
  }
  data::statement::position(*primary->File, LASTINSERTEDPOSITION);
  RECORDSAVED = 1;
  if (BATCHPROCESSING != 0) {
    RESPONSE = Response::Completed;
    return Level::Benign;
  }
  switch (INSERTACTION) {
    case InsertAction::Stay:
      return PrimeAnotherInsert();
    case InsertAction::Ask:
      if (Errors().Throw(3) == Level::Benign) return PrimeAnotherInsert();
      CloseWithResponse(Response::Completed);
      return Level::Benign;
    default:
      CloseWithResponse(Response::Completed);
      return Level::Benign;
  }
}

uint8_t WindowController::SaveChange() {
  if (PRIMARY == nullptr) return Level::Benign;
  const uint8_t level = PRIMARY->Update(2);
  if (level != Level::Benign) {
    // The buffer may now show another station's values.
    RefreshWindow();
    SelectFirstField();
    return Level::Notify;
  }
  RESPONSE = Response::Completed;
  RECORDSAVED = 1;
  if (BATCHPROCESSING != 0) {
    if (FORMVCR != nullptr) {
      FORMVCR->TakeEvent();
      SelectFirstField();
    }
    return Level::Benign;
  }
  if (ORIGINALREQUEST == Request::Change && CHANGEACTION == 2) PostEvent(ui::EVENT::CloseWindow);
  return Level::Benign;
}

uint8_t WindowController::SaveDelete() {
  if (PRIMARY == nullptr) return Level::Benign;
  for (;;) {
    RESPONSE = Response::Cancelled;
    uint8_t level = Level::Benign;
    {
      ui::WaitCursor busy;
      level = PRIMARY->Delete(DELETEACTION == DeleteAction::Confirm ? 1 : 0);
    }
    if (level == Level::Benign) {
      CloseWithResponse(Response::Completed);
      return Level::Benign;
    }
    if (level == Level::Cancel) return Level::Notify;
    const unsigned answer = Errors().Message(36, Button::YesNoCancel, Button::Cancel);
    if (answer == Button::Yes) continue;
    if (answer == Button::No) {
      if (BATCHPROCESSING == 0) PostEvent(ui::EVENT::CloseWindow);
      return Level::Notify;
    }
    RefreshWindow();
    SelectFirstField();
    return Level::Notify;
  }
}

uint8_t WindowController::SaveAndStayChange() {
  REQUEST = BEFORESAVEREQUEST;
  const uint8_t level = SaveChange();
  if (level == Level::Benign) {
    FileManager* primary = PrimaryFile();
    if (SAVED != 0) primary->FreeBuffer(SAVED);
    SAVED = primary->PushBuffer();
  }
  return level;
}

uint8_t WindowController::SaveAndStayInsert() {
  REQUEST = BEFORESAVEREQUEST;
  FileManager* primary = PrimaryFile();
  if (primary == nullptr || primary->Insert(1) != Level::Benign) {
    SelectFirstField();
    return Level::Notify;
  }
  RECORDSAVED = 1;
  RESPONSE = Response::Completed;
  // The record stays on the form as changes to what was just added.
  REQUEST = Request::Change;
  if (SAVED != 0) primary->FreeBuffer(SAVED);
  SAVED = primary->PushBuffer();
  return Level::Benign;
}

uint8_t WindowController::OnCloseRequest() {
  FileManager* primary = PrimaryFile();
  if (RESPONSE == Response::Completed || primary == nullptr) return Level::Benign;
  if (CANCELACTION != CancelAction::Close && isEditRequest(REQUEST)) {
    PullControls();
    if (primary->CompareSavedBuffer(SAVED) != 0) {
      switch (CANCELACTION) {
        case CancelAction::Save:
          PostEvent(ui::EVENT::Accepted, OKCONTROL);
          return Level::Notify;
        case CancelAction::Confirm:
          if (Errors().Throw(10) != Level::Benign) {
            SelectFirstField();
            return Level::Notify;
          }
          break;
        default: {
          const unsigned answer = Errors().Message(38, Button::YesNoCancel, Button::Cancel);
          if (answer == Button::Yes) {
            PostEvent(ui::EVENT::Accepted, OKCONTROL);
            return Level::Notify;
          }
          if (answer != Button::No) {
            SelectFirstField();
            return Level::Notify;
          }
          break;
        }
      }
    }
  }
  if (ORIGINALREQUEST == Request::Insert && RESPONSE == Response::Cancelled &&
      PRIMARY->CancelAutoInc() != Level::Benign) {
    SelectFirstField();
    return Level::Notify;
  }
  return Level::Benign;
}

}  // namespace zor::fw
