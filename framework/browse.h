#pragma once
// A browse: a view manager tied to a LIST control of a window. It keeps one
// page of rows around the highlighted record in the list's queue, scrolls
// by row, page and to either end by reading on through the view, finds rows
// by typed text (locators), follows the sort order of the current tab, and
// offers insert, change, delete, view, select and query through buttons, a
// popup of actions and the toolbar; insert, change and delete either run
// the update form (AskProcedure) or edit the row in place.
//
// Each row of the queue holds copies of the view's fields (AddColumnField)
// and, in its fields named "MARK" and "VIEWPOSITION", a mark byte and the
// row's position in the view, from which the browse finds the record again.
//
//   Browse sections;
//   sections.Bind(listControl, queue, view, sectionRelations, window);
//   sections.AddOrder(nullptr);
//   sections.AddColumnField(description, 1);
//   window.RegisterComponent(sections);

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/field_ref.h"
#include "framework/toolbar.h"
#include "framework/view_manager.h"
#include "framework/window_component.h"
#include "runtime/queue.h"
#include "ui/key_codes.h"

namespace zor::ui {
class ListControl;
}

namespace zor::fw {

class Browse;
class EditInPlace;
class Popup;
class QueryByExample;
class WindowController;

// Narrows the order to the rows whose free key field starts with the typed
// text: a range from the text to the text followed by character 254.
class BrowseLocator {
 public:
  void Bind(Browse& browse, FieldRef freeElement, bool noCase, int control = 0);
  // The typed text; an empty one shows every row.
  void SetText(const std::string& text);
  const std::string& Text() const { return text_; }
  // The range term for the view's filter, "" when nothing is typed or the
  // free field is not part of the order.
  std::string RangeText(const std::string& orderText) const;

  ViewManager* ViewManager_ = nullptr;
  Browse* BrowseManager = nullptr;
  int32_t Control = 0;
  FieldRef FreeElement;
  uint8_t NoCase = 0;

 private:
  std::string text_;
};

// Positions the view by the thumb of the list's scroll bar.
struct ThumbPositioner {
  int32_t Field = 0;
  uint8_t FreeUp = 0;
  ui::ListControl* Control = nullptr;
  int32_t Column = 0;
};

// Keys of the list beside Insert, Delete and Ctrl+Enter: Shift+F10 shows
// the popup of actions, as the keyboard's stand-in for a right click
// (UsePopup); Ctrl+F runs the query, when the browse has one.
namespace BrowseKey {
inline constexpr uint32_t Popup = ui::KEY::Shift | ui::KEY::F10;
inline constexpr uint32_t Query = ui::KEY::Ctrl | 'F';
}  // namespace BrowseKey

// An item of the browse's popup of actions: choosing it presses the
// button `Control` (the query without a button runs QueryAction). A
// separator's text is "-".
struct BrowseAction {
  std::string Name;
  std::string Text;
  int32_t Control = 0;
};

// A field of the view copied into a column of the list's queue.
struct BrowseField {
  FieldRef Record;
  uint16_t QueueField = 0;  // 1-based field of the queue's layout
};

class Browse : public ViewManager, public WindowComponent, public ToolbarTarget {
 public:
  Browse();
  ~Browse() override;

  void Bind(int listControl, Queue& queue, data::View& view, RelationManager& primary,
            WindowController& window);
  void Release() override;
  void AddColumnField(FieldRef record, uint16_t queueField);
  void AttachLocator(BrowseLocator& locator);
  void RegisterWithToolbar(Toolbar& toolbar);
  // Hands Insert, Change and Delete to an edit-in-place manager.
  void SetEditInPlace(EditInPlace& manager);

  // The order of the current tab (here: the current order), loading the
  // first page when it changes or when forced.
  virtual void SelectOrderForTab(bool force);
  // Makes an order current and reloads; answers whether it changed.
  virtual bool SetSort(int order, bool force);

  // Reloads the page around the highlighted record (or, with keepRows,
  // keeping the rows shown where they are).
  void LoadPage(bool keepRows = false);
  // Reloads the page around the primary table's current record, which
  // becomes the highlighted row.
  void ReloadFromRecord();
  void ScrollRows(uint32_t event);
  void ScrollPages(uint32_t event);
  void ScrollToEnd(uint32_t event);
  void HandleScrollEvent(uint32_t event);
  void HandleToolbarScroll(int request);
  void HandleAccepted(int control);
  // Insert, change, delete or view the highlighted record; answers the
  // response of the form (or of the edit in place).
  virtual uint8_t RunForm(uint8_t request);
  virtual void PrintAction() {}
  // Shows the query window of the browse's query and applies what the
  // user accepted; nothing without a query.
  virtual void QueryAction();
  void SelectAction();
  void UpdateToolbar();
  // A filter on every order, and the list reloaded from its first row.
  bool ApplyFilter(const std::string& expression, const std::string& id) override;

  // The popup of actions: "&Insert", "&Change", "&Delete", "&View",
  // "&Print", separator "Separator2", "&Query", "&Select", separator
  // "ToolSeparator2", "&Toolbox", each only when its button exists
  // ("&Query" also for a query without a button; insert, change and
  // delete only with EditViaPopup).
  std::vector<BrowseAction> PopupActions() const;
  // Shows the popup of actions and carries out the choice (an item with a
  // button presses it; "&Toolbox" opens the toolbox "Browse Actions" of
  // the same items); answers the chosen item's name, "" when none.
  std::string ShowActionsPopup();

  // Copies the record just read into the row being built; derived browses
  // add computed columns after the base step.
  virtual void SetQueueRecord();
  // Makes the highlighted row's record the current record of the buffers.
  virtual void UpdateBuffer();
  // Puts the values of the current order's range limits into the record
  // buffer, so that a new record belongs to the range the list shows.
  void PrimeRangeFields();
  // Reads the highlighted row's record again from the table (watched, so
  // that a later write notices another station's change); error 9 when it
  // is gone or cannot be read.
  uint8_t RereadHighlighted();

  // The row being built or last read, and the queue.
  std::vector<uint8_t>& Row() { return row_; }
  Queue& ListQueueRef() { return *ListQueue; }
  // The highlighted row's position in the view, "" when none.
  std::string HighlightedPosition();
  int VisibleRows() const;

  // WindowComponent.
  uint8_t TakeEvent() override;
  void SetAlerts() override;
  void Reset(bool force) override;
  bool ResetRequired() override;
  void UpdateWindow() override;

  // ToolbarTarget.
  int Control() const override { return ILC; }
  void HandleToolbar(int request) override;
  void RefreshButtons(Toolbar& toolbar) override;

  // Fields after those of the view manager, in declaration order.
  WindowComponent* WindowComponent_ = this;
  uint8_t ActiveInvisible = 0;
  uint8_t AllowUnfilled = 0;
  uint8_t ArrowAction = 0;
  uint8_t DeleteAction = 0;
  int32_t AskProcedure = 0;
  void* Behavior = nullptr;
  uint16_t Buffer = 0;
  int32_t ChangeControl = 0;
  int32_t DeleteControl = 0;
  int32_t InsertControl = 0;
  int32_t SelectControl = 0;
  int32_t ViewControl = 0;
  int32_t PrintControl = 0;
  int32_t QueryControl = 0;
  int32_t ToolControl = 0;
  int32_t CurrentChoice = 0;
  uint32_t CurrentEvent = 0;
  EditInPlace* EIP = nullptr;
  std::vector<uint16_t> EditList;
  uint8_t EnterAction = 0;
  std::vector<BrowseField> Fields;
  uint8_t FileLoaded = 0;
  uint8_t UseMRP = 0;
  uint8_t FocusLossAction = 0;
  uint8_t FreeEIP = 0;
  uint8_t HasThumb = 0;
  uint8_t HideSelect = 0;
  int32_t ILC = 0;  // the list control
  int32_t ItemsToFill = 0;
  int32_t LastChoice = 0;
  int32_t LastItems = 0;
  Queue* ListQueue = nullptr;
  uint8_t LoadPending = 0;
  uint8_t Loaded = 0;
  uint8_t NeedRefresh = 0;
  Popup* Popup_ = nullptr;
  uint8_t UsePopup = 1;
  uint8_t EditViaPopup = 1;
  int32_t PrevChoice = 0;
  uint16_t PrintProcedure = 0;
  void* Processors = nullptr;
  QueryByExample* Query = nullptr;
  int32_t QueryResult = 0;
  uint8_t QueryShared = 0;
  uint8_t QuickScan = 0;
  uint8_t RecordStatus = 0;
  uint8_t RetainRow = 1;
  int32_t SavedSort = 0;
  std::string SavedSortString;
  uint8_t SelectWholeRecord = 0;
  uint8_t Selecting = 0;
  uint8_t StartAtCurrent = 0;
  uint8_t TabAction = 0;
  Toolbar* Toolbar_ = nullptr;
  WindowController* Window = nullptr;

 protected:
  std::string ExtraRangeText() override;
  ui::ListControl* List() const;
  // Reads up to `wanted` records on from the edge row in a direction into
  // new rows at that edge of the queue (each dropping the row at the other
  // edge when the page is full); answers how many it read.
  int ReadRowsAtEdge(bool down, int wanted);
  // Fills the queue from the view as it stands: `count` rows down, then up.
  void FillDown(int count, bool skipFirst);
  void FillUp(int count, bool skipFirst);
  void Highlight(int row);
  // The values the range limits read when they were applied last.
  std::vector<std::string> ResetValues();

 private:
  void MakeRow();
  std::string RowPosition(size_t row);
  void ClearPrimaryBuffer();
  void SetChoiceFromList();
  // Adds a row made from the primed record above the highlighted one.
  void AddPrimedRow();
  // Insert and change through the edit-in-place manager, going on to the
  // next row as its keys ask.
  uint8_t RunEditInPlace(uint8_t request);
  // Whether the current order has a locator whose field no range fixes.
  bool LocatorIsFree();
  // Lets the list take typing in the column of the current locator's field.
  void ShowLocatorColumn();

  std::vector<uint8_t> row_;
  std::vector<std::string> appliedResets_;
  uint16_t markField_ = 0;
  uint16_t positionField_ = 0;
  bool resetDue_ = true;
};

}  // namespace zor::fw
