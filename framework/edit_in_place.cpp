#include "framework/edit_in_place.h"

#include <algorithm>

#include "framework/browse.h"
#include "framework/file_manager.h"
#include "framework/relation_manager.h"
#include "ui/base/event_numbers.h"
#include "ui/control.h"
#include "ui/control_factory.h"
#include "ui/key_codes.h"
#include "ui/properties.h"
#include "ui/row_control.h"
#include "ui/statements.h"

namespace zor::fw {

namespace {

// The keys each edit control alerts, with the action kind each becomes.
constexpr struct {
  uint32_t key;
  int kind;
} kEditKeys[] = {
    {ui::KEY::Tab, EditKey::Tab},     {ui::KEY::Shift | ui::KEY::Tab, EditKey::ShiftTab},
    {ui::KEY::Enter, EditKey::Enter}, {ui::KEY::Escape, EditKey::Escape},
    {ui::KEY::Down, EditKey::Down},   {ui::KEY::Up, EditKey::Up}};

bool isRefusedWhileEditing(uint32_t event) {
  return event == ui::EVENT::Size || event == ui::EVENT::Maximize || event == ui::EVENT::Iconize;
}

}  // namespace

EditInPlace::EditInPlace() : WindowController("", "") {}
EditInPlace::~EditInPlace() = default;

void EditInPlace::Attach(Browse& browse) {
  browse_ = &browse;
  browse.SetEditInPlace(*this);
  Arrow = &browse.ArrowAction;
  Enter = &browse.EnterAction;
  Tab = &browse.TabAction;
  FocusLoss = &browse.FocusLossAction;
  ListControl = browse.ILC;
  PRIMARY = browse.Primary;
  if (PRIMARY != nullptr && PRIMARY->Me != nullptr) ERRORS = PRIMARY->Me->Errors;
}

ui::Rect EditInPlace::CellRect(int column) const {
  ui::Window* window = browse_->Window->Window();
  auto* list = dynamic_cast<ui::ListControl*>(window->control(ListControl));
  if (list == nullptr) return {};
  const ui::ListView& view = list->view();
  const ui::ListColumn* shown = view.format().column(column);
  const ui::Rect cells = ui::unitsToCells(list->rect);
  // Inside the frame: the header lines, then a row per rowLines lines.
  const int rowIndex = std::max<int>(0, browse_->CurrentChoice - static_cast<int>(view.top()));
  const int y = cells.y + 1 + view.headerLines() + rowIndex * view.format().rowLines;
  int left = cells.x + 1;
  int width = std::max(1, view.width());
  if (shown != nullptr) {
    left += std::max(0, shown->left - view.horizontalOffset());
    width =
        std::max(1, std::min(shown->right - shown->left + 1, view.width() - (left - cells.x - 1)));
  }
  return {left * ui::kUnitsPerCellX, y * ui::kUnitsPerCellY, width * ui::kUnitsPerCellX,
          ui::kUnitsPerCellY};
}

void EditInPlace::CreateControls() {
  ui::Window* window = browse_->Window->Window();
  auto* list = dynamic_cast<ui::ListControl*>(window->control(ListControl));
  if (list == nullptr) return;
  if (EQ.empty()) {
    for (const BrowseField& field : browse_->Fields) {
      for (int column = 1; list->view().format().column(column) != nullptr; ++column) {
        if (list->view().format().column(column)->field != field.QueueField) continue;
        const bool listed = browse_->EditList.empty() ||
                            std::find(browse_->EditList.begin(), browse_->EditList.end(), column) !=
                                browse_->EditList.end();
        if (!listed) continue;
        EditField edit;
        edit.UseVar = field.Record;
        edit.ListBoxFeq = ListControl;
        edit.FieldNo = column;
        EQ.push_back(edit);
      }
    }
    std::sort(EQ.begin(), EQ.end(),
              [](const EditField& a, const EditField& b) { return a.FieldNo < b.FieldNo; });
  }
  for (EditField& edit : EQ) {
    if (edit.Feq != 0) continue;
    ui::Control& control =
        ui::createControl(*window, ui::ControlKind::Entry, "?EIP:" + std::to_string(edit.FieldNo));
    edit.Feq = control.field();
    control.hidden = true;
    const ui::ListColumn* column = list->view().format().column(edit.FieldNo);
    if (column != nullptr && !column->picture.empty()) {
      control.setProperty(ui::PROP::Picture, std::string(column->picture.view()));
    }
    const FieldRef field = edit.UseVar;
    control.bind({[field] { return field.text(); },
                  [field](const std::string& value) { field.assign(value); }});
    for (const auto& key : kEditKeys) control.alert(key.key);
  }
}

void EditInPlace::RefreshControls() {
  ui::Window* window = browse_->Window->Window();
  for (EditField& edit : EQ) {
    ui::Control* control = window->control(edit.Feq);
    if (control == nullptr) continue;
    control->rect = CellRect(edit.FieldNo);
    control->hidden = false;
    control->readOnly = edit.ReadOnly != 0;
    control->display();
  }
}

void EditInPlace::CloseControls() {
  ui::Window* window =
      browse_ != nullptr && browse_->Window != nullptr ? browse_->Window->Window() : nullptr;
  if (window == nullptr) return;
  for (EditField& edit : EQ) {
    if (ui::Control* control = window->control(edit.Feq)) control->hidden = true;
  }
  if (window->control(ListControl) != nullptr) ui::select(ListControl);
}

bool EditInPlace::IsEditControl(int control) const {
  return control != 0 && std::any_of(EQ.begin(), EQ.end(), [control](const EditField& edit) {
           return edit.Feq == control;
         });
}

int EditInPlace::EditableAfter(int column, bool forward) const {
  int found = 0;
  for (const EditField& edit : EQ) {
    if (edit.ReadOnly != 0) continue;
    if (forward && edit.FieldNo > column && (found == 0 || edit.FieldNo < found))
      found = edit.FieldNo;
    if (!forward && edit.FieldNo < column && edit.FieldNo > found) found = edit.FieldNo;
  }
  return found;
}

void EditInPlace::MoveToColumn() {
  for (const EditField& edit : EQ) {
    if (edit.FieldNo == Column) {
      ui::select(edit.Feq);
      LastColumn = static_cast<uint8_t>(Column);
      return;
    }
  }
  // A column that cannot be edited: the first one that can.
  if (!EQ.empty() && Column != EQ.front().FieldNo) {
    Column = EQ.front().FieldNo;
    MoveToColumn();
  }
}

void EditInPlace::PullCellValues() {
  for (const EditField& edit : EQ) {
    if (edit.ReadOnly == 0) ui::update(edit.Feq);
  }
}

bool EditInPlace::RowChanged() {
  PullCellValues();
  FileManager* primary = PrimaryFile();
  return primary != nullptr && primary->Buffer != nullptr && *primary->Buffer != saved_;
}

void EditInPlace::FinishRow(int mode) {
  FileManager* primary = PrimaryFile();
  if (primary == nullptr) return;
  const bool changed = RowChanged();
  if (mode != FinishMode::Discard && !changed && Req != Request::Insert) return;
  Again = 0;
  PullCellValues();
  unsigned answer = Button::No;
  if (changed) {
    if (mode == FinishMode::Ask) {
      answer = Errors().Message(38, Button::YesNoCancel, Button::Cancel);
    } else if (mode == FinishMode::Save) {
      answer = Button::Yes;
    }
  }
  RESPONSE = Response::Cancelled;
  if (answer == Button::Yes) {
    const uint8_t level = Req == Request::Insert ? primary->Insert(1) : PRIMARY->Update(1);
    if (level != Level::Benign) {
      Again = 1;
      return;
    }
    RESPONSE = Response::Completed;
    return;
  }
  if (answer == Button::No) {
    // The new row is given up, and the record as it was comes back.
    if (Req == Request::Insert) primary->CancelAutoInc();
    *primary->Buffer = saved_;
    return;
  }
  Again = 1;
}

void EditInPlace::HandleEditKey(int kind) {
  switch (kind) {
    case EditKey::Tab: {
      PullCellValues();
      const int next = EditableAfter(Column, true);
      if (next != 0) {
        Column = next;
        MoveToColumn();
      } else {
        CompleteRow(*Tab, false, 1);
      }
      return;
    }
    case EditKey::ShiftTab: {
      const int previous = EditableAfter(Column, false);
      if (previous == 0) return;
      PullCellValues();
      Column = previous;
      MoveToColumn();
      return;
    }
    case EditKey::Enter:
      CompleteRow(*Enter, true, 1);
      return;
    case EditKey::Down:
    case EditKey::Up: {
      const int remembered = Column;
      CompleteRow(*Arrow, true, kind == EditKey::Up ? -1 : 1);
      if (done_ && (*Arrow & EditAction::KeepColumn) != 0) {
        // The edit goes on in the same column of the row moved to.
        keepEditing_ = moveOn_ != 0;
        nextColumn_ = remembered;
      }
      return;
    }
    case EditKey::Escape:
      FinishRow(FinishMode::Discard);
      if (Again == 0) done_ = true;
      return;
    default:
      return;
  }
}

void EditInPlace::CompleteRow(uint8_t action, bool saveOnZero, int direction) {
  const uint8_t low = action & EditAction::RowMask;
  int mode = FinishMode::Ask;
  if (low == EditAction::Save || (low == 0 && saveOnZero)) mode = FinishMode::Save;
  if (low == EditAction::Discard) mode = FinishMode::Discard;
  // An inserted row nobody typed into is given up.
  if (Req == Request::Insert && !RowChanged()) mode = FinishMode::Discard;
  FinishRow(mode);
  if (Again != 0) return;
  done_ = true;
  if ((action & EditAction::Next) != 0) moveOn_ = direction;
}

void EditInPlace::HandleFocusLoss() {
  // Leaving the row never moves on.
  CompleteRow(FocusLoss != nullptr ? *FocusLoss & EditAction::RowMask : 0, false, 0);
}

uint8_t EditInPlace::RunLoop() {
  while (!done_ && ui::accept()) {
    const uint32_t event = ui::event();
    const int control = ui::field();
    if (event == ui::EVENT::AlertKey && IsEditControl(control)) {
      for (const auto& key : kEditKeys) {
        if (key.key == ui::keyCode()) HandleEditKey(key.kind);
      }
      continue;
    }
    if (isRefusedWhileEditing(event)) {
      // The list must not change under the edit controls.
      ui::cycle();
      continue;
    }
    if (event == ui::EVENT::CloseWindow || event == ui::EVENT::CloseDown) {
      FinishRow(FinishMode::Ask);
      if (Again != 0) {
        ui::cycle();
        continue;
      }
      // The window goes on closing once this loop has let go of it.
      done_ = true;
      break;
    }
    if ((event == ui::EVENT::Selected || event == ui::EVENT::Accepted) && control != 0 &&
        !IsEditControl(control)) {
      HandleFocusLoss();
      if (done_ && event == ui::EVENT::Accepted) {
        // What the user pressed is done once the row is.
        Repost = static_cast<int32_t>(event);
        RepostField = control;
      }
      if (!done_) MoveToColumn();
    }
  }
  return Level::Benign;
}

EditOutcome EditInPlace::EditRow(uint8_t request, int column) {
  EditOutcome outcome;
  FileManager* primary = PrimaryFile();
  if (browse_ == nullptr || primary == nullptr || primary->Buffer == nullptr) return outcome;
  Req = request;
  REQUEST = request;
  Column = column;
  Again = 0;
  done_ = false;
  moveOn_ = 0;
  keepEditing_ = false;
  nextColumn_ = 1;
  Repost = 0;
  RepostField = 0;
  RESPONSE = Response::Cancelled;
  saved_ = *primary->Buffer;
  CreateControls();
  if (EQ.empty()) return outcome;
  RefreshControls();
  MoveToColumn();
  RunLoop();
  CloseControls();
  if (Repost != 0) ui::post(static_cast<uint32_t>(Repost), RepostField);
  outcome.response = RESPONSE;
  outcome.moveOn = moveOn_;
  outcome.keepEditing = keepEditing_;
  outcome.nextColumn = nextColumn_;
  return outcome;
}

}  // namespace zor::fw
