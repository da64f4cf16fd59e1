#pragma once
// A queue whose fields are all texts (CSTRING), filled and read by column
// number: the rows a list of texts shows, or the records of a stored queue.
//
//   TextRows rows({{"NAME", 100}, {"LOW", 500}});
//   rows.Add({"SIN:NAME", "= Audio"});
//   rows.Text(1, 2)  // "= Audio"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "runtime/queue.h"

namespace zor::fw {

class TextRows {
 public:
  // Each column's label (a literal: the layout keeps the pointer) and size
  // (its text holds one character less).
  explicit TextRows(const std::vector<std::pair<const char*, uint32_t>>& columns);

  Queue& queue() { return queue_; }
  const Queue& queue() const { return queue_; }
  size_t Rows() const { return queue_.records(); }
  // Texts longer than their column are cut; missing ones are empty.
  void Add(const std::vector<std::string>& texts);
  void Set(size_t row, size_t column, const std::string& text);
  std::string Text(size_t row, size_t column) const;
  std::vector<std::string> Labels() const;

 private:
  static RecordLayout layoutOf(const std::vector<std::pair<const char*, uint32_t>>& columns);
  static size_t lengthOf(const std::vector<std::pair<const char*, uint32_t>>& columns);

  Queue queue_;
};

}  // namespace zor::fw
