#pragma once
// The query window ($QBEWINDOW of Zorvane$OBQBE): the query's columns in a
// list with what is entered for each, entries for the highlighted column's
// Value, And and To, a name to save the query under, Recall for the saved
// queries, Ok, Clear and Cancel. Ok is refused, with a notice, while the
// query would be too long to apply.

#include <memory>
#include <string>

#include "framework/query_by_example.h"
#include "framework/window_controller.h"

namespace zor::fw {

class TextRows;

inline constexpr const char* kQueryWindowOwner = "Zorvane$OBQBE";
inline constexpr const char* kQueryWindowLabel = "$QBEWINDOW";

class QueryWindow : public WindowController {
 public:
  explicit QueryWindow(QueryByExample& query);
  ~QueryWindow() override;

  uint8_t Bind() override;
  uint8_t Release() override;
  uint8_t OnAccepted() override;
  uint8_t OnFieldEvent() override;

 private:
  // An entry shows, and takes, one value of the highlighted column.
  void BindEntry(const char* use, std::string QueryField::*value, size_t column);
  // The list rows again from the entries, the highlight kept.
  void ShowRows();
  // The entries follow the highlighted column (its picture, when it is
  // edited with one).
  void FollowHighlight();
  std::string Shown(const QueryField& field, const std::string& value) const;
  void Recall();
  void Save();
  void Accept();

  QueryByExample& query_;
  std::unique_ptr<TextRows> rows_;
  std::string name_;
  int list_ = 0;
  // The row the entries belong to: a click on another row takes the focus
  // from an entry (which then writes its value) before the list moves on.
  int lastRow_ = 0;
};

// Runs the window over the query; true when it was accepted. False at once
// when the thread has no front end or the window's definition is missing.
bool runQueryWindow(QueryByExample& query);

}  // namespace zor::fw
