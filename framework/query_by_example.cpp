#include "framework/query_by_example.h"

#include <algorithm>

#include "framework/error_reporter.h"
#include "framework/file_manager.h"
#include "framework/ini_manager.h"
#include "framework/popup.h"
#include "framework/query_entry.h"
#include "framework/query_window.h"
#include "framework/relation_manager.h"
#include "framework/stored_fields.h"
#include "framework/text_rows.h"
#include "framework/view_manager.h"
#include "platform/ascii_case.h"
#include "runtime/picture.h"
#include "runtime/type_codes.h"
#include "ui/statements.h"

namespace zor::fw {
namespace {

// The records of a stored query: field name, low, middle, high.
TextRows storedQuery() {
  return TextRows({{"NAME", QueryField::kNameLength + 1},
                   {"LOW", QueryField::kValueLength + 1},
                   {"MIDDLE", QueryField::kValueLength + 1},
                   {"HIGH", QueryField::kValueLength + 1}});
}

std::string trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The name a query is stored under.
std::string queryName(const std::string& name) {
  return trimmed(trimmed(name).substr(0, QueryField::kNameLength));
}

bool hasLineBreak(const std::string& text) {
  return text.find_first_of("\r\n") != std::string::npos;
}

bool anyEntry(const QueryField& field) {
  return !queryEntryEmpty(field.Low) || !queryEntryEmpty(field.Middle) ||
         !queryEntryEmpty(field.High);
}

// The field inside "UPPER(" ... ")".
std::string bareName(const std::string& name) {
  if (platform::startsWithIgnoringCase(name, "UPPER(") && name.back() == ')') {
    return trimmed(name.substr(6, name.size() - 7));
  }
  return name;
}

// Saved queries in the popup are named by their position.
constexpr const char* kSavedItem = "tsQBESaved";

}  // namespace

QueryByExample::QueryByExample() = default;
QueryByExample::~QueryByExample() = default;

void QueryByExample::Init(ViewManager& view, INIManager* ini, const std::string& browse) {
  view_ = &view;
  ini_ = ini;
  browse_ = trimmed(browse).substr(0, INIManager::kSectorPartLength);
  if (browse_.empty()) browse_ = "Browse";
}

ErrorReporter& QueryByExample::Errors() {
  if (view_ != nullptr && view_->Primary != nullptr && view_->Primary->Me != nullptr &&
      view_->Primary->Me->Errors != nullptr) {
    return *view_->Primary->Me->Errors;
  }
  return ErrorReporter::Global();
}

void QueryByExample::Notice(const std::string& text, const std::string& caption) {
  ui::message(text, caption, ui::ICON::Exclamation);
}

bool QueryByExample::NumericColumn(const std::string& name, const std::string& picture) const {
  if (!picture.empty()) {
    const CompiledPicture compiled = compilePicture(picture);
    if (compiled.valid() && compiled.pictureClass != PictureClass::String &&
        compiled.pictureClass != PictureClass::KeyIn) {
      return compiled.pictureClass == PictureClass::Numeric ||
             compiled.pictureClass == PictureClass::Pattern;
    }
  }
  // A text picture (or none): the field's own type decides.
  if (view_ == nullptr || view_->Primary == nullptr || view_->Primary->Me == nullptr ||
      view_->Primary->Me->File == nullptr) {
    return false;
  }
  const FieldRef field = fieldByLabel(*view_->Primary->Me->File, bareName(name));
  return field.valid() && isNumericType(field.descriptor().type);
}

void QueryByExample::AddQueryField(const std::string& name, const std::string& title,
                                   const std::string& picture, bool forceEditPicture) {
  QueryField field;
  field.Name = trimmed(name).substr(0, QueryField::kNameLength);
  field.Title = title.substr(0, QueryField::kNameLength);
  field.Picture = picture.substr(0, QueryField::kPictureLength);
  field.ForceEditPicture = forceEditPicture ? 1 : 0;
  field.Numeric = NumericColumn(field.Name, field.Picture);
  fields_.push_back(std::move(field));
}

QueryField* QueryByExample::Field(const std::string& name) {
  const std::string wanted = trimmed(name);
  for (QueryField& field : fields_) {
    if (platform::equalsIgnoringCase(field.Name, wanted)) return &field;
  }
  return nullptr;
}

std::string QueryByExample::BuildFilterText() {
  tooLong_ = false;
  std::string text;
  for (const QueryField& field : fields_) {
    const QueryColumn column{field.Name, field.Picture, field.Numeric, field.ForceEditPicture != 0};
    const std::string terms = queryColumnText(column, field.Low, field.Middle, field.High);
    if (terms.empty()) continue;
    const size_t joined = text.empty() ? 0 : 5;  // " AND "
    if (text.size() + joined + terms.size() > kFilterLength) {
      tooLong_ = true;
      continue;
    }
    if (joined != 0) text += " AND ";
    text += terms;
  }
  return text;
}

bool QueryByExample::ApplyQuery() {
  if (view_ == nullptr) return false;
  const std::string text = BuildFilterText();
  if (tooLong_) {
    Notice("The query is too long to apply.|Shorten its values, or query fewer columns.",
           "Query Too Long");
    return false;
  }
  return view_->ApplyFilter(text, kQueryFilterId);
}

void QueryByExample::SetQuickQuery(const std::string& name, const std::string& value) {
  QueryField* field = Field(name);
  if (field == nullptr) return;
  const std::string entry = field->ForceEditPicture != 0 ? value : "= " + value;
  field->Low = entry.substr(0, QueryField::kValueLength);
  field->Middle.clear();
  field->High.clear();
}

void QueryByExample::ClearQuery() {
  for (QueryField& field : fields_) {
    field.Low.clear();
    field.Middle.clear();
    field.High.clear();
  }
}

std::string QueryByExample::SectionFor(const std::string& name) const {
  return INIManager::MakeSectorName(kQuerySectorFamily, queryName(name), browse_);
}

std::string QueryByExample::SaveProblem(const std::string& name) const {
  if (ini_ == nullptr) return "There is no settings file to save it in.";
  const std::string stored = queryName(name);
  if (stored.empty()) return "Give the query a name.";
  if (hasLineBreak(stored)) return "A query's name is one line.";
  for (const QueryField& field : fields_) {
    if (!anyEntry(field)) continue;
    if (hasLineBreak(field.Low) || hasLineBreak(field.Middle) || hasLineBreak(field.High)) {
      return "The values for " + field.Title + " hold a line break.";
    }
    // The store reads a record back in one value of limited length.
    const std::string record = joinStoredFields({field.Name, field.Low, field.Middle, field.High});
    if (record.size() > INIManager::kValueLength) {
      return "The values for " + field.Title + " are too long to be saved.";
    }
  }
  return {};
}

bool QueryByExample::SaveQuery(const std::string& name) {
  if (!SaveProblem(name).empty()) return false;
  std::string stored = queryName(name);
  // Sections do not tell case apart: an earlier spelling names the same query.
  for (const std::string& saved : SavedQueries()) {
    if (platform::equalsIgnoringCase(saved, stored)) stored = saved;
  }
  TextRows rows = storedQuery();
  for (const QueryField& field : fields_) {
    if (anyEntry(field)) rows.Add({field.Name, field.Low, field.Middle, field.High});
  }
  const std::string section = SectionFor(stored);
  if (!ini_->SaveQueue(section, kQueryEntry, rows.queue(), rows.Labels())) return false;
  ini_->RegisterSector(section);
  return true;
}

bool QueryByExample::RestoreQuery(const std::string& name) {
  if (ini_ == nullptr || queryName(name).empty()) return false;
  const std::string section = SectionFor(name);
  if (ini_->Fetch(section, kQueryEntry, "").empty()) return false;
  TextRows rows = storedQuery();
  if (!ini_->LoadQueue(section, kQueryEntry, rows.queue(), rows.Labels())) return false;
  ClearQuery();
  for (size_t row = 1; row <= rows.Rows(); ++row) {
    QueryField* field = Field(rows.Text(row, 1));
    if (field == nullptr) {
      Errors().SetField(rows.Text(row, 1));
      Errors().Throw(44);
      continue;
    }
    field->Low = rows.Text(row, 2);
    field->Middle = rows.Text(row, 3);
    field->High = rows.Text(row, 4);
  }
  return true;
}

std::vector<std::string> QueryByExample::SavedQueries() const {
  std::vector<std::string> names;
  if (ini_ == nullptr) return names;
  for (const SectorName& sector : ini_->ListSectors(kQuerySectorFamily, "", browse_)) {
    const bool listed = std::any_of(names.begin(), names.end(), [&](const std::string& name) {
      return platform::equalsIgnoringCase(name, sector.item);
    });
    if (!listed && !sector.item.empty() &&
        !platform::equalsIgnoringCase(sector.item, kRecentQuery)) {
      names.push_back(sector.item);
    }
  }
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return platform::asciiUpper(x) < platform::asciiUpper(y);
    });
  });
  return names;
}

std::string QueryByExample::ChooseFromPopup() {
  const std::vector<std::string> saved = SavedQueries();
  Popup popup;
  popup.Bind();
  popup.AppendSeparator(QueryMenu::Separator);
  popup.AppendItem("Empty", QueryMenu::Empty);
  for (size_t i = 0; i < saved.size(); ++i) {
    // A name of "-" alone is no separator.
    popup.AppendItem(saved[i] == "-" ? " -" : saved[i], kSavedItem + std::to_string(i + 1));
  }
  popup.AppendItem("C&lear", QueryMenu::Clear);
  const std::string chosen = popup.ShowMenu();
  if (chosen.starts_with(kSavedItem)) {
    const size_t index = std::stoul(chosen.substr(std::string(kSavedItem).size()));
    return saved[index - 1];
  }
  return chosen;
}

std::string QueryByExample::PopupQueries() {
  const std::string chosen = ChooseFromPopup();
  if (chosen.empty() || view_ == nullptr) return chosen;
  if (chosen == QueryMenu::Empty) {
    view_->ApplyFilter("", kQueryFilterId);
  } else if (chosen == QueryMenu::Clear) {
    ClearQuery();
    view_->ApplyFilter("", kQueryFilterId);
  } else if (RestoreQuery(chosen)) {
    ApplyQuery();
  }
  return chosen;
}

bool QueryByExample::ShowMenu() {
  const std::vector<QueryField> before = fields_;
  // The first time, the window starts from the query accepted last before.
  if (!recentOffered_ && std::none_of(fields_.begin(), fields_.end(), anyEntry)) {
    RestoreQuery(kRecentQuery);
  }
  recentOffered_ = true;
  if (!runQueryWindow(*this)) {
    fields_ = before;
    return false;
  }
  SaveQuery(kRecentQuery);
  return true;
}

}  // namespace zor::fw
