#pragma once
// Editing a browse's row in place: an entry control is laid over each
// editable cell of the highlighted row, and the keys Tab, Shift+Tab, Enter,
// Esc, Down and Up move between the cells, save or discard the row and
// move on to the next or the previous row, as the browse's action bytes
// say. The manager runs its own event loop on the browse's window for as
// long as the row is being edited.
//
// Action bytes (the browse's ArrowAction, EnterAction, TabAction,
// FocusLossAction): the low three bits say what to do with the row (1 save,
// 2 discard, anything else ask; for Enter, Down and Up 0 also saves), 8
// moves on to the next row (the previous one for Up) afterwards, and 16
// keeps the same column there (Down and Up).

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/field_ref.h"
#include "framework/window_controller.h"

namespace zor::fw {

class Browse;

// The action kinds HandleEditKey takes.
namespace EditKey {
inline constexpr int Tab = 1;
inline constexpr int ShiftTab = 2;
inline constexpr int Enter = 3;
inline constexpr int Escape = 4;
inline constexpr int Down = 5;
inline constexpr int Up = 6;
}  // namespace EditKey

// Bits of the action bytes.
namespace EditAction {
inline constexpr uint8_t Save = 1;
inline constexpr uint8_t Discard = 2;
inline constexpr uint8_t RowMask = 7;
inline constexpr uint8_t Next = 8;
inline constexpr uint8_t KeepColumn = 16;
}  // namespace EditAction

// FinishRow modes.
namespace FinishMode {
inline constexpr int Ask = 0;
inline constexpr int Save = 2;
inline constexpr int Discard = 4;
}  // namespace FinishMode

// One editable column.
struct EditField {
  int Feq = 0;  // the entry laid over the cell
  FieldRef UseVar;
  int ListBoxFeq = 0;
  uint8_t ReadOnly = 0;
  int FieldNo = 0;  // the list column, from 1
  uint8_t Req = 0;
};

// How a row's editing ended.
struct EditOutcome {
  uint8_t response = Response::Cancelled;
  int moveOn = 0;            // +1 to the next row, -1 to the previous, 0 stay
  bool keepEditing = false;  // edit the row moved to, in nextColumn
  int nextColumn = 1;
};

class EditInPlace : public WindowController {
 public:
  EditInPlace();
  ~EditInPlace() override;

  // Attaches the manager to a browse; its editable columns are the list
  // columns that show a field of the view (EditList when the browse names
  // them).
  void Attach(Browse& browse);
  // Edits the highlighted row for an insert or a change (for an insert the
  // browse has added the new row and primed the record), starting in
  // `column`.
  EditOutcome EditRow(uint8_t request, int column = 1);

  // Slots after the window controller's.
  virtual void PullCellValues();
  virtual void CreateControls();
  virtual void RefreshControls();
  virtual void MoveToColumn();
  virtual bool RowChanged();
  virtual void HandleEditKey(int kind);
  virtual void FinishRow(int mode);
  virtual void HandleFocusLoss();

  uint8_t RunLoop() override;

  // Fields after those of the window controller, in declaration order.
  uint8_t Again = 0;
  uint8_t* Arrow = nullptr;
  int32_t Column = 1;
  uint8_t* Enter = nullptr;
  std::vector<EditField> EQ;
  std::vector<FieldRef> Fields;
  uint8_t* FocusLoss = nullptr;
  uint8_t Insert = 0;
  int32_t ListControl = 0;
  uint8_t LastColumn = 0;
  int32_t Repost = 0;
  int32_t RepostField = 0;
  uint8_t Req = 0;
  uint8_t SeekForward = 1;
  uint8_t* Tab = nullptr;
  uint8_t MouseLeftIndex = 0;
  uint8_t WasPrimed = 0;
  uint8_t DeleteKeyAction = 0;

 private:
  // The cell of the highlighted row in a list column, in dialog units.
  ui::Rect CellRect(int column) const;
  int EditableAfter(int column, bool forward) const;
  // Finishes the row by an action byte; `direction` is where bit 8 moves
  // (+1 next, -1 previous).
  void CompleteRow(uint8_t action, bool saveOnZero, int direction);
  void CloseControls();
  bool IsEditControl(int control) const;

  Browse* browse_ = nullptr;
  std::vector<uint8_t> saved_;  // the record as the row began
  bool done_ = false;
  int moveOn_ = 0;
  bool keepEditing_ = false;
  int nextColumn_ = 1;
};

}  // namespace zor::fw
