#include "framework/browse.h"

#include <algorithm>

#include "data/file_errors.h"
#include "data/file_statements.h"
#include "framework/edit_in_place.h"
#include "framework/file_manager.h"
#include "framework/popup.h"
#include "framework/query_by_example.h"
#include "framework/relation_manager.h"
#include "framework/requests.h"
#include "framework/window_controller.h"
#include "platform/ascii_case.h"
#include "platform/hex_text.h"
#include "runtime/error_state.h"
#include "runtime/ufo.h"
#include "ui/base/event_numbers.h"
#include "ui/event_engine.h"
#include "ui/key_codes.h"
#include "ui/list_box/list_format.h"
#include "ui/row_control.h"
#include "ui/statements.h"
#include "ui/window_input.h"

namespace zor::fw {

namespace {

// The title of the toolbox that offers the popup's actions.
constexpr const char* kActionsToolboxTitle = "Browse Actions";

// The highest character: a locator's range ends at the typed text followed
// by it.
constexpr char kHighestCharacter = '\xFE';

// Positions are kept in the row as hexadecimal text.
std::string toHex(const std::string& bytes) {
  return platform::hexText(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string fromHex(const std::string& text) {
  auto value = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string bytes;
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    const int high = value(text[i]);
    const int low = value(text[i + 1]);
    if (high < 0 || low < 0) break;
    bytes += static_cast<char>(high * 16 + low);
  }
  return bytes;
}

// The field of a layout whose label is `name` or ends in ":name".
uint16_t fieldNamed(const RecordLayout& layout, const char* name) {
  for (size_t i = 0; i < layout.size(); ++i) {
    std::string label = layout[i].name;
    const size_t colon = label.rfind(':');
    if (colon != std::string::npos) label = label.substr(colon + 1);
    if (platform::equalsIgnoringCase(label, name)) return static_cast<uint16_t>(i + 1);
  }
  return 0;
}

std::unique_ptr<Ufo> rowField(const RecordLayout& layout, uint16_t field, uint8_t* row) {
  const FieldDescriptor& descriptor = layout[field - 1];
  return makeUfo(descriptor.type, row + descriptor.offset, descriptor.size, descriptor.places);
}

bool isScrollEvent(uint32_t event) {
  return event >= ui::EVENT::ScrollUp && event <= ui::EVENT::ScrollBottom;
}

}  // namespace

// ---------------------------------------------------------------------------
// Locator.

void BrowseLocator::Bind(Browse& browse, FieldRef freeElement, bool noCase, int control) {
  ViewManager_ = &browse;
  BrowseManager = &browse;
  FreeElement = freeElement;
  NoCase = noCase ? 1 : 0;
  Control = control;
}

void BrowseLocator::SetText(const std::string& text) {
  text_ = text;
  if (Control != 0) ui::setProperty(Control, ui::PROP::Text, text);
}

std::string BrowseLocator::RangeText(const std::string& orderText) const {
  if (text_.empty() || !FreeElement.valid()) return "";
  const std::string field = FreeElement.label();
  std::string side = orderComponentFor(orderText, field);
  if (side.empty()) return "";
  std::string wrap = componentWrap(side);
  if (NoCase != 0 && wrap.empty()) {
    side = "UPPER(" + field + ")";
    wrap = "UPPER";
  }
  return side + " >= " + literalFor(FreeElement, text_, wrap) + " AND (" + side + " <= (" +
         literalFor(FreeElement, text_ + kHighestCharacter, wrap) + "))";
}

// ---------------------------------------------------------------------------
// Set-up.

Browse::Browse() = default;
Browse::~Browse() = default;

void Browse::Bind(int listControl, Queue& queue, data::View& view, RelationManager& primary,
                  WindowController& window) {
  ViewManager::Bind(view, primary);
  ILC = listControl;
  ListQueue = &queue;
  Window = &window;
  row_.assign(queue.recordLength(), 0);
  markField_ = fieldNamed(queue.layout(), "MARK");
  positionField_ = fieldNamed(queue.layout(), "VIEWPOSITION");
  Loaded = 0;
  resetDue_ = true;
  window.RegisterComponent(*this);
}

void Browse::Release() {
  if (ListQueue != nullptr) ListQueue->clear();
  if (ui::ListControl* list = List()) list->setQueue(nullptr);
  ViewManager::Release();
}

void Browse::AddColumnField(FieldRef record, uint16_t queueField) {
  if (ListQueue == nullptr || queueField < 1 || queueField > ListQueue->layout().size()) return;
  Fields.push_back(BrowseField{record, queueField});
}

void Browse::AttachLocator(BrowseLocator& locator) {
  Current().Locator = &locator;
}

void Browse::RegisterWithToolbar(Toolbar& toolbar) {
  Toolbar_ = &toolbar;
  toolbar.RegisterTarget(*this);
}

void Browse::SetEditInPlace(EditInPlace& manager) {
  EIP = &manager;
}

ui::ListControl* Browse::List() const {
  if (Window == nullptr || Window->Window() == nullptr) return nullptr;
  return dynamic_cast<ui::ListControl*>(Window->Window()->control(ILC));
}

int Browse::VisibleRows() const {
  ui::ListControl* list = List();
  return list != nullptr ? std::max(1, list->view().visibleRows()) : 1;
}

// ---------------------------------------------------------------------------
// Rows.

void Browse::SetQueueRecord() {
  for (const BrowseField& field : Fields) {
    if (!field.Record.valid()) continue;
    rowField(ListQueue->layout(), field.QueueField, row_.data())->assignText(field.Record.text());
  }
}

void Browse::MakeRow() {
  std::fill(row_.begin(), row_.end(), 0);
  SetQueueRecord();
  if (markField_ != 0) rowField(ListQueue->layout(), markField_, row_.data())->assignInt(0);
  if (positionField_ != 0) {
    std::string position;
    View->position(position);
    rowField(ListQueue->layout(), positionField_, row_.data())->assignText(toHex(position));
  }
}

std::string Browse::RowPosition(size_t row) {
  if (ListQueue == nullptr || positionField_ == 0) return "";
  const uint8_t* stored = ListQueue->row(row);
  if (stored == nullptr) return "";
  std::vector<uint8_t> copy(stored, stored + ListQueue->recordLength());
  std::string text = rowField(ListQueue->layout(), positionField_, copy.data())->text();
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return fromHex(text);
}

std::string Browse::HighlightedPosition() {
  return CurrentChoice >= 1 ? RowPosition(static_cast<size_t>(CurrentChoice)) : "";
}

void Browse::UpdateBuffer() {
  if (ListQueue == nullptr || CurrentChoice < 1) return;
  const uint8_t* stored = ListQueue->row(static_cast<size_t>(CurrentChoice));
  if (stored == nullptr) return;
  std::copy(stored, stored + ListQueue->recordLength(), row_.begin());
  for (const BrowseField& field : Fields) {
    if (!field.Record.valid()) continue;
    field.Record.assign(rowField(ListQueue->layout(), field.QueueField, row_.data())->text());
  }
}

void Browse::ClearPrimaryBuffer() {
  if (Primary != nullptr && Primary->Me != nullptr && Primary->Me->Buffer != nullptr) {
    std::fill(Primary->Me->Buffer->begin(), Primary->Me->Buffer->end(), 0);
  }
}

void Browse::Highlight(int row) {
  const int rows = ListQueue != nullptr ? static_cast<int>(ListQueue->records()) : 0;
  CurrentChoice = std::clamp(row, rows > 0 ? 1 : 0, rows);
  if (ui::ListControl* list = List()) {
    list->view().select(static_cast<size_t>(CurrentChoice));
  }
  if (CurrentChoice >= 1) {
    UpdateBuffer();
  } else {
    ClearPrimaryBuffer();
  }
}

void Browse::SetChoiceFromList() {
  if (ui::ListControl* list = List()) Highlight(static_cast<int>(list->choice()));
}

// ---------------------------------------------------------------------------
// Loading.

void Browse::FillDown(int count, bool skipFirst) {
  for (ItemsToFill = count; ItemsToFill > 0;) {
    const uint8_t level = ReadNext();
    if (level != Level::Benign) break;
    if (skipFirst) {
      skipFirst = false;
      continue;
    }
    MakeRow();
    ListQueue->add(row_.data());
    --ItemsToFill;
  }
}

void Browse::FillUp(int count, bool skipFirst) {
  for (ItemsToFill = count; ItemsToFill > 0;) {
    const uint8_t level = ReadPrevious();
    if (level != Level::Benign) break;
    if (skipFirst) {
      skipFirst = false;
      continue;
    }
    MakeRow();
    ListQueue->add(row_.data(), 1);
    --ItemsToFill;
  }
}

void Browse::LoadPage(bool keepRows) {
  ui::ListControl* list = List();
  if (list == nullptr || ListQueue == nullptr || View == nullptr) return;
  if (Window->Window() != nullptr && !ui::isShowing(*Window->Window(), *list) &&
      ActiveInvisible == 0) {
    LoadPending = 1;
    return;
  }
  if (Opened == 0 && Open() != Level::Benign) return;
  LoadPending = 1;
  Loaded = 0;
  const int rows = VisibleRows();
  CurrentChoice = std::max(CurrentChoice, 1);
  if (!keepRows) {
    const std::string position = HighlightedPosition();
    if (position.empty()) {
      SetToStart();
    } else {
      View->reset(position);
    }
  }
  const int above = RetainRow != 0 ? std::min(CurrentChoice - 1, rows - 1) : 0;
  ListQueue->clear();
  FillDown(rows - above, false);
  int addedAbove = 0;
  if (AllowUnfilled == 0 || ListQueue->records() == 0) {
    const size_t before = ListQueue->records();
    const std::string first = RowPosition(1);
    if (first.empty()) {
      SetToEnd();
      FillUp(rows, false);
    } else {
      View->reset(first);
      FillUp(rows - static_cast<int>(before), true);
    }
    addedAbove = static_cast<int>(ListQueue->records() - before);
  }
  const int count = static_cast<int>(ListQueue->records());
  while (static_cast<int>(ListQueue->records()) > rows) {
    ListQueue->get(ListQueue->records(), row_.data());
    ListQueue->remove();
  }
  // Handing the queue over again would forget what the user is typing.
  if (list->view().queue() != ListQueue) list->setQueue(ListQueue);
  int choice = count == addedAbove ? count : addedAbove + 1;
  Highlight(choice);
  appliedResets_ = ResetValues();
  resetDue_ = false;
  Loaded = 1;
  LoadPending = 0;
  NeedRefresh = 0;
  UpdateToolbar();
}

void Browse::ReloadFromRecord() {
  if (Primary == nullptr || Primary->Me == nullptr || View == nullptr) return;
  const uint32_t pointer = Primary->Me->CurrentPointer();
  if (pointer == 0) {
    LoadPage(false);
    return;
  }
  if (Opened == 0 && Open() != Level::Benign) return;
  View->reset(data::View::positionOfRecord(pointer));
  LoadPage(true);
}

int Browse::ReadRowsAtEdge(bool down, int wanted) {
  const size_t count = ListQueue->records();
  if (count == 0 || wanted <= 0) return 0;
  const std::string edge = RowPosition(down ? count : 1);
  if (edge.empty()) return 0;
  View->reset(edge);
  uint8_t level = down ? ReadNext() : ReadPrevious();
  std::string position;
  // The edge row itself comes first, unless it has gone meanwhile.
  const bool edgeRow = level == Level::Benign && View->position(position) == 0 && position == edge;
  int added = 0;
  while (added < wanted) {
    if (added > 0 || edgeRow) level = down ? ReadNext() : ReadPrevious();
    if (level != Level::Benign) break;
    MakeRow();
    if (static_cast<int>(ListQueue->records()) >= VisibleRows()) {
      // The row at the other edge leaves the page.
      std::vector<uint8_t> made = row_;
      ListQueue->get(down ? 1 : ListQueue->records(), row_.data());
      ListQueue->remove();
      row_ = std::move(made);
    }
    if (down) {
      ListQueue->add(row_.data());
    } else {
      ListQueue->add(row_.data(), 1);
    }
    ++added;
  }
  return added;
}

void Browse::ScrollRows(uint32_t event) {
  const bool up = event == ui::EVENT::ScrollUp;
  const int count = static_cast<int>(ListQueue->records());
  if (up) {
    if (CurrentChoice >= 2) {
      --CurrentChoice;
    } else if (FileLoaded == 0) {
      ReadRowsAtEdge(false, 1);
    }
  } else if (CurrentChoice < count) {
    ++CurrentChoice;
  } else if (FileLoaded == 0 && ReadRowsAtEdge(true, 1) == 1) {
    CurrentChoice = static_cast<int>(ListQueue->records());
  }
  Highlight(CurrentChoice);
}

void Browse::ScrollPages(uint32_t event) {
  const bool down = event == ui::EVENT::PageDown;
  const int rows = VisibleRows();
  if (FileLoaded == 0) {
    ItemsToFill = rows;
    ItemsToFill -= ReadRowsAtEdge(down, ItemsToFill);
  }
  const int count = static_cast<int>(ListQueue->records());
  Highlight(down ? std::min(CurrentChoice + rows, count) : std::max(CurrentChoice - rows, 1));
}

void Browse::ScrollToEnd(uint32_t event) {
  const int rows = VisibleRows();
  if (FileLoaded == 0) {
    ListQueue->clear();
    if (event == ui::EVENT::ScrollTop) {
      SetToStart();
      FillDown(rows, false);
    } else {
      SetToEnd();
      FillUp(rows, false);
    }
  }
  Highlight(event == ui::EVENT::ScrollTop ? 1 : static_cast<int>(ListQueue->records()));
}

void Browse::HandleScrollEvent(uint32_t event) {
  if (ListQueue == nullptr || ListQueue->records() == 0) return;
  CurrentEvent = event;
  switch (event) {
    case ui::EVENT::ScrollUp:
    case ui::EVENT::ScrollDown:
      ScrollRows(event);
      break;
    case ui::EVENT::PageUp:
    case ui::EVENT::PageDown:
      ScrollPages(event);
      break;
    case ui::EVENT::ScrollTop:
    case ui::EVENT::ScrollBottom:
      ScrollToEnd(event);
      break;
    default:
      break;
  }
  CurrentEvent = 0;
  UpdateToolbar();
}

void Browse::HandleToolbarScroll(int request) {
  static const struct {
    int request;
    uint32_t event;
  } map[] = {{ToolbarRequest::Bottom, ui::EVENT::ScrollBottom},
             {ToolbarRequest::Top, ui::EVENT::ScrollTop},
             {ToolbarRequest::PageDown, ui::EVENT::PageDown},
             {ToolbarRequest::PageUp, ui::EVENT::PageUp},
             {ToolbarRequest::Down, ui::EVENT::ScrollDown},
             {ToolbarRequest::Up, ui::EVENT::ScrollUp}};
  for (const auto& entry : map) {
    if (entry.request == request) HandleScrollEvent(entry.event);
  }
  if (Toolbar_ != nullptr) Toolbar_->RefreshButtons();
}

// ---------------------------------------------------------------------------
// Orders and resets.

bool Browse::LocatorIsFree() {
  SortOrder& order = Current();
  if (order.Locator == nullptr) return false;
  // A field a range limit fixes leaves nothing to locate by.
  for (const RangeField& range : order.RangeList) {
    if (range.Field.table == order.Locator->FreeElement.table &&
        range.Field.number == order.Locator->FreeElement.number) {
      return false;
    }
  }
  return true;
}

std::string Browse::ExtraRangeText() {
  if (!LocatorIsFree()) return "";
  SortOrder& order = Current();
  return order.Locator->RangeText(order.Order);
}

std::vector<std::string> Browse::ResetValues() {
  std::vector<std::string> values;
  if (Order.empty()) return values;
  for (const FieldRef& field : Current().Resets) values.push_back(field.text());
  return values;
}

bool Browse::SetSort(int order, bool force) {
  const bool changed = SelectOrder(order);
  if (changed || force) {
    ShowLocatorColumn();
    if (Opened == 0) Open();
    ApplyLimits();
    ListQueue->clear();
    CurrentChoice = 1;
    if (StartAtCurrent != 0 && !Loaded && Primary != nullptr && Primary->Me != nullptr &&
        Primary->Me->CurrentPointer() != 0) {
      ReloadFromRecord();
    } else {
      LoadPage(false);
    }
  }
  return changed;
}

void Browse::SelectOrderForTab(bool force) {
  SetSort(CurrentOrder() > 0 ? CurrentOrder() : 1, force);
}

bool Browse::ResetRequired() {
  return resetDue_ || LoadPending != 0 || NeedRefresh != 0 || ResetValues() != appliedResets_;
}

void Browse::Reset(bool force) {
  ui::ListControl* list = List();
  if (list == nullptr) return;
  // The browse moves the highlight itself: the list only reports the keys,
  // the wheel and the scroll bar.
  list->view().setImmediate(true);
  ShowLocatorColumn();
  if (!Loaded || force) {
    SelectOrderForTab(true);
    return;
  }
  if (ResetValues() != appliedResets_) {
    // The range follows another record: start again from its first row.
    ApplyLimits();
    ListQueue->clear();
    CurrentChoice = 1;
    LoadPage(false);
    return;
  }
  if (LoadPending != 0 || NeedRefresh != 0 || resetDue_) LoadPage(false);
}

void Browse::ShowLocatorColumn() {
  ui::ListControl* list = List();
  BrowseLocator* locator = Order.empty() || !LocatorIsFree() ? nullptr : Current().Locator;
  if (list == nullptr) return;
  int column = 0;
  if (locator != nullptr) {
    // The column that shows the locator's field takes the typing.
    column = 1;
    for (const BrowseField& field : Fields) {
      if (field.Record.table != locator->FreeElement.table ||
          field.Record.number != locator->FreeElement.number) {
        continue;
      }
      for (int at = 1; list->view().format().column(at) != nullptr; ++at) {
        if (list->view().format().column(at)->field == field.QueueField) column = at;
      }
    }
  }
  ui::setLocatorColumn(list->view().mutableFormat(), column);
}

void Browse::UpdateWindow() {
  if (ui::ListControl* list = List(); list != nullptr && CurrentChoice >= 1) {
    list->view().select(static_cast<size_t>(CurrentChoice));
  }
}

// ---------------------------------------------------------------------------
// Events and actions.

void Browse::SetAlerts() {
  ui::Window* window = Window != nullptr ? Window->Window() : nullptr;
  ui::Control* list = window != nullptr ? window->control(ILC) : nullptr;
  if (list == nullptr) return;
  if (InsertControl != 0) list->alert(ui::KEY::Insert);
  if (DeleteControl != 0) list->alert(ui::KEY::Delete);
  if (ChangeControl != 0) list->alert(ui::KEY::Ctrl | ui::KEY::Enter);
  if (UsePopup != 0) list->alert(BrowseKey::Popup);
  if (Query != nullptr || QueryControl != 0) list->alert(BrowseKey::Query);
}

uint8_t Browse::TakeEvent() {
  const uint32_t event = ui::event();
  const int control = ui::field();
  if (control == ILC && control != 0) {
    if (isScrollEvent(event)) {
      HandleScrollEvent(event);
      return Level::Benign;
    }
    switch (event) {
      case ui::EVENT::NewSelection:
        SetChoiceFromList();
        UpdateToolbar();
        return Level::Benign;
      case ui::EVENT::ScrollDrag: {
        const int thumb = List() != nullptr ? List()->view().thumbPosition() : 0;
        if (ListQueue->records() != 0) {
          HandleScrollEvent(thumb >= 50 ? ui::EVENT::ScrollBottom : ui::EVENT::ScrollTop);
        }
        return Level::Benign;
      }
      case ui::EVENT::Locate:
        if (BrowseLocator* locator = Current().Locator; locator != nullptr && List() != nullptr) {
          locator->SetText(List()->view().locatorText());
          ApplyLimits();
          ListQueue->clear();
          CurrentChoice = 1;
          LoadPage(false);
        }
        return Level::Benign;
      case ui::EVENT::AlertKey: {
        const uint32_t key = ui::keyCode();
        if (key == ui::KEY::Insert && InsertControl != 0) HandleAccepted(InsertControl);
        if (key == ui::KEY::Delete && DeleteControl != 0) HandleAccepted(DeleteControl);
        if (key == (ui::KEY::Ctrl | ui::KEY::Enter) && ChangeControl != 0) {
          HandleAccepted(ChangeControl);
        }
        if (key == BrowseKey::Popup && UsePopup != 0) ShowActionsPopup();
        if (key == BrowseKey::Query) {
          if (QueryControl != 0) {
            HandleAccepted(QueryControl);
          } else {
            QueryAction();
          }
        }
        return Level::Benign;
      }
      case ui::EVENT::Accepted:
        // Enter or a double click on a row.
        if (Selecting != 0 || (SelectControl != 0 && ChangeControl == 0)) {
          SelectAction();
        } else if (ChangeControl != 0) {
          HandleAccepted(ChangeControl);
        }
        return Level::Benign;
      case ui::EVENT::Selected:
        if (Toolbar_ != nullptr) Toolbar_->SetTarget(ILC);
        return Level::Benign;
      default:
        return Level::Benign;
    }
  }
  if (event == ui::EVENT::Accepted && control != 0) HandleAccepted(control);
  return Level::Benign;
}

void Browse::HandleAccepted(int control) {
  if (control == 0) return;
  ui::Window* window = Window != nullptr ? Window->Window() : nullptr;
  ui::Control* pressed = window != nullptr ? window->control(control) : nullptr;
  if (pressed != nullptr && !pressed->enabled) return;
  if (control == InsertControl) {
    UpdateToolbar();
    RunForm(Request::Insert);
  } else if (control == ChangeControl) {
    UpdateToolbar();
    RunForm(Request::Change);
  } else if (control == DeleteControl) {
    UpdateToolbar();
    RunForm(Request::Delete);
  } else if (control == ViewControl) {
    UpdateToolbar();
    RunForm(Request::View);
  } else if (control == SelectControl) {
    SelectAction();
  } else if (control == PrintControl) {
    PrintAction();
    Reset(false);
  } else if (control == QueryControl) {
    QueryAction();
  }
}

void Browse::PrimeRangeFields() {
  if (Order.empty()) return;
  SortOrder& order = Current();
  if (order.LimitType == LimitType::None) return;
  for (size_t i = 0; i < order.RangeList.size(); ++i) {
    const RangeField& range = order.RangeList[i];
    // The last field of a pair lies anywhere between its bounds: left alone.
    if (order.LimitType == LimitType::Pair && i + 1 == order.RangeList.size()) break;
    if (order.LimitType == LimitType::Current) continue;
    range.Field.assign(range.Low.value());
  }
}

uint8_t Browse::RereadHighlighted() {
  FileManager* primary = Primary != nullptr ? Primary->Me : nullptr;
  if (primary == nullptr || primary->File == nullptr) return Level::Fatal;
  const std::string position = HighlightedPosition();
  data::statement::watch(*primary->File);
  int code = position.empty() ? data::kErrRecordNotFound : View->reget(position);
  if (code == data::kErrUnsupportedFunction) {
    std::string filePosition;
    code = data::statement::position(*primary->File, filePosition);
    if (code == data::kNoError) code = data::statement::reset(*primary->File, filePosition);
    if (code == data::kNoError) code = data::statement::watch(*primary->File);
    if (code == data::kNoError) code = data::statement::next(*primary->File);
  }
  if (code != data::kNoError) {
    setErrorCode(code);
    primary->RecordError(9);
    return primary->ShowError();
  }
  primary->NoteRecordRead();
  return Level::Benign;
}

uint8_t Browse::RunForm(uint8_t request) {
  if (Window == nullptr || ListQueue == nullptr) return Response::Cancelled;
  if (request != Request::Insert && ListQueue->records() == 0) return Response::Cancelled;
  if (request != Request::Insert && RereadHighlighted() != Level::Benign) {
    // The row is gone or changed beyond reading: show the page as it is now.
    LoadPage(false);
    return Response::Cancelled;
  }
  uint8_t response = Response::Cancelled;
  if (AskProcedure != 0) {
    if (request == Request::Insert) {
      Primary->Me->PrimeRecord();
      PrimeRangeFields();
      Primary->Me->KeepPrimedValues = 1;
    }
    GlobalRequest() = request;
    response = Window->Run(static_cast<uint16_t>(AskProcedure), request);
    Primary->Me->KeepPrimedValues = 0;
  } else if (request == Request::Delete) {
    response = Primary->Delete(1) == Level::Benign ? Response::Completed : Response::Cancelled;
  } else if (EIP != nullptr) {
    return RunEditInPlace(request);
  }
  if (response == Response::Completed) {
    if (request == Request::Delete) {
      LoadPage(false);
    } else {
      ReloadFromRecord();
    }
  }
  // Back to the list, where the user left it for the form.
  if (Window->Window() != nullptr && Window->Window()->control(ILC) != nullptr) ui::select(ILC);
  return response;
}

void Browse::AddPrimedRow() {
  MakeRow();
  const int at = std::max(CurrentChoice, 1);
  if (ListQueue->records() == 0) {
    ListQueue->add(row_.data());
  } else {
    ListQueue->add(row_.data(), static_cast<size_t>(at));
  }
  while (static_cast<int>(ListQueue->records()) > VisibleRows()) {
    ListQueue->get(ListQueue->records(), row_.data());
    ListQueue->remove();
  }
  CurrentChoice = std::min(at, static_cast<int>(ListQueue->records()));
  if (ui::ListControl* list = List()) list->view().select(static_cast<size_t>(CurrentChoice));
}

uint8_t Browse::RunEditInPlace(uint8_t request) {
  uint8_t response = Response::Cancelled;
  int column = 1;
  for (;;) {
    if (request == Request::Insert) {
      FileManager* primary = Primary->Me;
      primary->PrimeRecord();
      PrimeRangeFields();
      if (primary->PrimeAutoInc() != Level::Benign) break;
      AddPrimedRow();
    }
    const EditOutcome outcome = EIP->EditRow(request, column);
    if (outcome.response == Response::Completed) {
      response = Response::Completed;
      ReloadFromRecord();
    } else {
      LoadPage(false);
    }
    if (outcome.moveOn == 0) break;
    const std::string before = HighlightedPosition();
    HandleToolbarScroll(outcome.moveOn > 0 ? ToolbarRequest::Down : ToolbarRequest::Up);
    if (!outcome.keepEditing || HighlightedPosition() == before) break;
    request = Request::Change;
    column = outcome.nextColumn;
    if (RereadHighlighted() != Level::Benign) break;
  }
  if (Window->Window() != nullptr && Window->Window()->control(ILC) != nullptr) ui::select(ILC);
  return response;
}

void Browse::SelectAction() {
  if (ListQueue == nullptr || ListQueue->records() == 0 || Window == nullptr) return;
  UpdateBuffer();
  if (SelectWholeRecord != 0) RereadHighlighted();
  Window->CloseWithResponse(Response::Completed);
}

void Browse::QueryAction() {
  if (Query == nullptr) return;
  QueryResult = Query->ShowMenu() ? 1 : 0;
  if (QueryResult != 0) Query->ApplyQuery();
  if (Window != nullptr && Window->Window() != nullptr &&
      Window->Window()->control(ILC) != nullptr) {
    ui::select(ILC);
  }
}

bool Browse::ApplyFilter(const std::string& expression, const std::string& id) {
  const bool taken = ViewManager::ApplyFilter(expression, id);
  if (ListQueue != nullptr) {
    ListQueue->clear();
    CurrentChoice = 1;
    LoadPage(false);
  }
  return taken;
}

std::vector<BrowseAction> Browse::PopupActions() const {
  std::vector<BrowseAction> actions;
  auto add = [&actions](const char* name, const char* text, int32_t control, bool shown) {
    if (shown) actions.push_back(BrowseAction{name, text, control});
  };
  const bool edits = EditViaPopup != 0;
  add("Insert", "&Insert", InsertControl, edits && InsertControl != 0);
  add("Change", "&Change", ChangeControl, edits && ChangeControl != 0);
  add("Delete", "&Delete", DeleteControl, edits && DeleteControl != 0);
  add("View", "&View", ViewControl, ViewControl != 0);
  add("Print", "&Print", PrintControl, PrintControl != 0);
  add("Separator2", "-", 0, true);
  add("Query", "&Query", QueryControl, QueryControl != 0 || Query != nullptr);
  add("Select", "&Select", SelectControl, SelectControl != 0);
  add("ToolSeparator2", "-", 0, true);
  add("Toolbox", "&Toolbox", ToolControl, ToolControl != 0);
  return actions;
}

std::string Browse::ShowActionsPopup() {
  Popup popup;
  popup.Bind();
  for (const BrowseAction& action : PopupActions()) {
    if (action.Text == "-") {
      popup.AppendSeparator(action.Name);
    } else if (action.Control != 0) {
      // Follows its button (greyed while it is disabled) and presses it.
      popup.AddButtonItem(action.Name, action.Text, action.Control);
    } else {
      popup.AppendItem(action.Text, action.Name);
    }
  }
  std::string chosen = popup.ShowMenu();
  if (chosen == "Toolbox") chosen = popup.ShowToolbox(kActionsToolboxTitle);
  if (chosen == "Query" && QueryControl == 0) QueryAction();
  return chosen;
}

void Browse::UpdateToolbar() {
  if (Toolbar_ != nullptr && Toolbar_->CurrentTarget() == this) Toolbar_->RefreshButtons();
}

void Browse::HandleToolbar(int request) {
  switch (request) {
    case ToolbarRequest::Insert:
      HandleAccepted(InsertControl);
      break;
    case ToolbarRequest::Change:
      HandleAccepted(ChangeControl);
      break;
    case ToolbarRequest::Delete:
      HandleAccepted(DeleteControl);
      break;
    case ToolbarRequest::Select:
      HandleAccepted(SelectControl);
      break;
    default:
      HandleToolbarScroll(request);
      break;
  }
}

void Browse::RefreshButtons(Toolbar& toolbar) {
  toolbar.SetButtonEnabled(ToolbarRequest::History, false);
  for (int request = ToolbarRequest::Bottom; request <= ToolbarRequest::Locate; ++request) {
    toolbar.SetButtonEnabled(request, true);
  }
  ui::Window* window = Window != nullptr ? Window->Window() : nullptr;
  auto usable = [window](int control) {
    if (control == 0 || window == nullptr) return false;
    ui::Control* button = window->control(control);
    return button != nullptr && button->enabled;
  };
  const std::pair<int, int32_t> buttons[] = {{ToolbarRequest::Select, SelectControl},
                                             {ToolbarRequest::Delete, DeleteControl},
                                             {ToolbarRequest::Change, ChangeControl},
                                             {ToolbarRequest::Insert, InsertControl},
                                             {ToolbarRequest::Help, 0},
                                             {ToolbarRequest::Locate, 0}};
  for (const auto& [request, control] : buttons) {
    toolbar.SetButtonEnabled(request, usable(control));
  }
}

}  // namespace zor::fw
