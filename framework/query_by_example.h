#pragma once
// Query by example: the user narrows a browse by typing a value for any of
// its queryable columns, optionally with an operator (query_entry.h); the
// query turns the entries into one filter (query_filter.h) and sets it on
// every order of the browse under an id of its own, so that it combines
// with the range limits, the locator and the other filters.
//
// Queries can be saved under a name in the INI manager: each one is the
// sector "Query" $ name $$ browse, holding the stored queue "Query" whose
// records are (field name, low, middle, high). The last query accepted in
// the query window is kept as "tsMRU", which the list of saved queries
// leaves out; the window starts from it the first time it opens with
// nothing entered (the next run of the program).
//
//   QueryByExample query;
//   query.Init(settingsBrowse, &iniManager, "Settings");
//   query.AddQueryField("UPPER(SIN:NAME)", "Name", "@s49");
//   query.AddQueryField("SIN:HELPDESCRIPTION", "Help Description", "@s255");
//   settingsBrowse.Query = &query;      // the browse's Query action shows its window
//   ...
//   query.PopupQueries();               // saved queries, Empty and Clear

#include <cstdint>
#include <string>
#include <vector>

#include "framework/query_filter.h"

namespace zor::fw {

class ErrorReporter;
class INIManager;
class ViewManager;

// One queryable column and what the user entered for it.
struct QueryField {
  static constexpr size_t kNameLength = 99;  // CSTRING(100)
  static constexpr size_t kPictureLength = 39;
  static constexpr size_t kValueLength = 499;  // CSTRING(500)

  std::string Name;   // as used in expressions (may be "UPPER(" name ")")
  std::string Title;  // the column title shown to the user
  std::string Picture;
  std::string Low;     // the only or lower value, with its operator
  std::string Middle;  // a further condition
  std::string High;    // the upper value
  uint8_t ForceEditPicture = 0;
  bool Numeric = false;  // found at AddQueryField from the picture or the field
};

// The filter id of the query: after the standard filters.
inline constexpr const char* kQueryFilterId = "7 Query";
inline constexpr const char* kQuerySectorFamily = "Query";
inline constexpr const char* kQueryEntry = "Query";
inline constexpr const char* kRecentQuery = "tsMRU";

// The names of the query popup's items.
namespace QueryMenu {
inline constexpr const char* Separator = "tsQBESeparator1";
inline constexpr const char* Empty = "tsQBEEmpty";
inline constexpr const char* Clear = "tsQBEClear";
}  // namespace QueryMenu

class QueryByExample {
 public:
  // The filter text is built in 5000 characters.
  static constexpr size_t kFilterLength = 5000;

  QueryByExample();
  virtual ~QueryByExample();
  QueryByExample(const QueryByExample&) = delete;
  QueryByExample& operator=(const QueryByExample&) = delete;

  // `browse` names the browse among the saved queries (the sector type);
  // without an INI manager nothing is saved.
  void Init(ViewManager& view, INIManager* ini, const std::string& browse);

  void AddQueryField(const std::string& name, const std::string& title,
                     const std::string& picture = {}, bool forceEditPicture = false);
  std::vector<QueryField>& Fields() { return fields_; }
  // The field of that name (case ignored), or null.
  QueryField* Field(const std::string& name);

  // Shows the query window; true when the user accepted it (the entries
  // then hold what was typed, else they are as they were). The caller
  // applies the query (the browse's QueryAction does).
  virtual bool ShowMenu();
  // The filter of the current entries, one column after another joined by
  // " AND "; "" without entries. Columns that would take it past
  // kFilterLength are left out and FilterTooLong() says so.
  std::string BuildFilterText();
  bool FilterTooLong() const { return tooLong_; }
  // Sets the filter on the browse and reloads it; false (and nothing
  // changed) when the filter is too long, reported to the user, or when
  // the view refused it (reported as error 43; the query is then left out).
  bool ApplyQuery();

  // Sets one entry to look for the value as it is ("= value").
  void SetQuickQuery(const std::string& field, const std::string& value);

  // Stores the entries under the name (blanks around it dropped, at most
  // 99 characters) and registers the sector; false when nothing was stored:
  // no INI manager or name, a value with a line break, or an entry too long
  // for the store to read back whole.
  bool SaveQuery(const std::string& name);
  // Why SaveQuery would store nothing under the name, "" when it can.
  std::string SaveProblem(const std::string& name) const;
  // Replaces the entries by a saved query's; false when there is none of
  // that name. A saved column the browse no longer offers is dropped with
  // error 44.
  bool RestoreQuery(const std::string& name);
  // Empties every entry (the browse's filter stays until applied).
  void ClearQuery();
  // The browse's saved queries, sorted, without "tsMRU".
  std::vector<std::string> SavedQueries() const;

  // Shows the popup of saved queries, "Empty" (the query with no entries:
  // every row, the entries kept) and "Clear" (every entry emptied, the
  // browse's filter reset), and carries out the choice. Answers the item's
  // name: a saved query's own name, QueryMenu::Empty or QueryMenu::Clear;
  // "" when nothing was chosen.
  virtual std::string PopupQueries();
  // The popup's choice without carrying it out.
  std::string ChooseFromPopup();

  ViewManager* View() const { return view_; }
  INIManager* Ini() const { return ini_; }
  const std::string& BrowseName() const { return browse_; }
  std::string SectionFor(const std::string& queryName) const;

 protected:
  ErrorReporter& Errors();
  // Tells the user why a query was not applied or saved.
  virtual void Notice(const std::string& text, const std::string& caption);

 private:
  bool NumericColumn(const std::string& name, const std::string& picture) const;

  std::vector<QueryField> fields_;
  ViewManager* view_ = nullptr;
  INIManager* ini_ = nullptr;
  std::string browse_;
  bool tooLong_ = false;
  bool recentOffered_ = false;
};

}  // namespace zor::fw
