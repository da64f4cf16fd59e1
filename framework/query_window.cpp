#include "framework/query_window.h"

#include "framework/text_rows.h"
#include "runtime/picture.h"
#include "ui/base/event_numbers.h"
#include "ui/definition/definition_lookup.h"
#include "ui/edit_control.h"
#include "ui/front_end.h"
#include "ui/row_control.h"
#include "ui/statements.h"

namespace zor::fw {
namespace {

// The list's columns: title, value, and, to.
constexpr size_t kLowColumn = 2;
constexpr size_t kMiddleColumn = 3;
constexpr size_t kHighColumn = 4;

int fieldOf(ui::Window* window, const char* use) {
  ui::Control* control = window != nullptr ? window->find(use) : nullptr;
  return control != nullptr ? control->field() : 0;
}

}  // namespace

QueryWindow::QueryWindow(QueryByExample& query)
    : WindowController(kQueryWindowOwner, kQueryWindowLabel), query_(query) {}

QueryWindow::~QueryWindow() = default;

uint8_t QueryWindow::Bind() {
  REQUEST = Request::None;
  if (uint8_t level = WindowController::Bind(); level != Level::Benign) return level;
  OpenWindow();
  ui::Window* window = Window();
  auto* list =
      window != nullptr ? dynamic_cast<ui::ListControl*>(window->find("?QBE:FIELDS")) : nullptr;
  if (list == nullptr) return Level::Fatal;
  list_ = list->field();
  FIRSTFIELD = list_;
  RegisterButton(fieldOf(window, "?CANCEL"), Response::Cancelled);
  rows_ = std::make_unique<TextRows>(
      std::vector<std::pair<const char*, uint32_t>>{{"TITLE", QueryField::kNameLength + 1},
                                                    {"LOW", QueryField::kValueLength + 1},
                                                    {"MIDDLE", QueryField::kValueLength + 1},
                                                    {"HIGH", QueryField::kValueLength + 1}});
  list->setQueue(&rows_->queue());
  BindEntry("?QBE:LOW", &QueryField::Low, kLowColumn);
  BindEntry("?QBE:MIDDLE", &QueryField::Middle, kMiddleColumn);
  BindEntry("?QBE:HIGH", &QueryField::High, kHighColumn);
  if (ui::Control* name = window->find("?QBE:NAME")) {
    name->bind(
        {[this] { return name_; },
         [this](const std::string& text) { name_ = text.substr(0, QueryField::kNameLength); }});
  }
  lastRow_ = query_.Fields().empty() ? 0 : 1;
  ShowRows();
  FollowHighlight();
  ui::display();
  return Level::Benign;
}

uint8_t QueryWindow::Release() {
  // The list lets go of the rows before they go.
  if (auto* list = Window() != nullptr ? dynamic_cast<ui::ListControl*>(Window()->control(list_))
                                       : nullptr) {
    list->setQueue(nullptr);
  }
  return WindowController::Release();
}

void QueryWindow::BindEntry(const char* use, std::string QueryField::*value, size_t column) {
  ui::Control* entry = Window()->find(use);
  if (entry == nullptr) return;
  entry->bind({[this, value] {
                 if (lastRow_ < 1) return std::string();
                 return query_.Fields()[static_cast<size_t>(lastRow_) - 1].*value;
               },
               [this, value, column](const std::string& text) {
                 if (lastRow_ < 1) return;
                 QueryField& field = query_.Fields()[static_cast<size_t>(lastRow_) - 1];
                 field.*value = text.substr(0, QueryField::kValueLength);
                 rows_->Set(static_cast<size_t>(lastRow_), column, Shown(field, field.*value));
               }});
}

std::string QueryWindow::Shown(const QueryField& field, const std::string& value) const {
  if (field.ForceEditPicture == 0 || value.empty()) return value;
  // The value as the picture reads it back: shown as the picture shows it.
  const CompiledPicture picture = compilePicture(field.Picture);
  const auto number = static_cast<int32_t>(ui::numberValue(value));
  if (picture.pictureClass == PictureClass::Date) {
    return formatPicture(picture, PictureValue::ofDate(number));
  }
  if (picture.pictureClass == PictureClass::Time) {
    return formatPicture(picture, PictureValue::ofTime(number));
  }
  return value;
}

void QueryWindow::ShowRows() {
  rows_->queue().clear();
  for (const QueryField& field : query_.Fields()) {
    rows_->Add({field.Title, Shown(field, field.Low), Shown(field, field.Middle),
                Shown(field, field.High)});
  }
  auto* list = dynamic_cast<ui::ListControl*>(Window()->control(list_));
  if (list != nullptr && lastRow_ >= 1) list->view().select(static_cast<size_t>(lastRow_));
}

void QueryWindow::FollowHighlight() {
  auto* list = dynamic_cast<ui::ListControl*>(Window()->control(list_));
  if (list == nullptr || list->choice() < 1) return;
  lastRow_ = static_cast<int>(list->choice());
  const QueryField& field = query_.Fields()[static_cast<size_t>(lastRow_) - 1];
  for (const char* use : {"?QBE:LOW", "?QBE:MIDDLE", "?QBE:HIGH"}) {
    auto* entry = dynamic_cast<ui::EditControl*>(Window()->find(use));
    if (entry == nullptr) continue;
    if (field.ForceEditPicture != 0 && !field.Picture.empty()) {
      entry->setPicture(field.Picture);
    } else {
      entry->setPicture("");
      entry->setLengthLimit(QueryField::kValueLength);
    }
    entry->display();
  }
}

uint8_t QueryWindow::OnFieldEvent() {
  if (ui::field() == list_ && ui::event() == ui::EVENT::NewSelection) FollowHighlight();
  return WindowController::OnFieldEvent();
}

uint8_t QueryWindow::OnAccepted() {
  const int control = ui::field();
  ui::Window* window = Window();
  if (control == fieldOf(window, "?OK")) {
    Accept();
    return Level::Notify;
  }
  if (control == fieldOf(window, "?QBE:SAVE")) {
    Save();
  } else if (control == fieldOf(window, "?QBE:RECALL")) {
    Recall();
  } else if (control == fieldOf(window, "?QBE:CLEAR")) {
    query_.ClearQuery();
    ShowRows();
    ui::select(list_);
  }
  return WindowController::OnAccepted();
}

void QueryWindow::Accept() {
  PullControls();
  query_.BuildFilterText();
  if (query_.FilterTooLong()) {
    ui::message("The query is too long to apply.|Shorten its values, or query fewer columns.",
                "Query Too Long", ui::ICON::Exclamation);
    return;
  }
  CloseWithResponse(Response::Completed);
}

void QueryWindow::Save() {
  PullControls();
  const std::string problem = query_.SaveProblem(name_);
  if (!problem.empty()) {
    ui::message(problem, "Query Not Saved", ui::ICON::Exclamation);
  } else if (!query_.SaveQuery(name_)) {
    ui::message("The query could not be written to the settings file.", "Query Not Saved",
                ui::ICON::Exclamation);
  }
}

void QueryWindow::Recall() {
  PullControls();
  const std::string chosen = query_.ChooseFromPopup();
  if (chosen.empty()) return;
  if (chosen == QueryMenu::Empty || chosen == QueryMenu::Clear) {
    query_.ClearQuery();
  } else if (query_.RestoreQuery(chosen)) {
    name_ = chosen;
  }
  ShowRows();
  FollowHighlight();
}

bool runQueryWindow(QueryByExample& query) {
  if (ui::frontEnd() == nullptr) return false;
  auto found = ui::findWindowDefinition(kQueryWindowOwner, kQueryWindowLabel);
  if (!found.ok() || !found.value) return false;
  QueryWindow window(query);
  return window.Run() == Response::Completed;
}

}  // namespace zor::fw
