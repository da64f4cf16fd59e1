#pragma once
// A table joined into a view through one of its keys: for each record of
// the view, its record is the first whose leading key components equal the
// values of the linking fields (fields of the view's primary table or of a
// table joined before it). An inner join leaves out a primary record
// without a match; an outer join gives it with the joined record cleared.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "data/file_control_block.h"
#include "runtime/ufo.h"

namespace zor::data {

enum class JoinKind : uint8_t {
  kInner,  // a primary record without a match is left out
  kOuter,  // a primary record without a match comes with the joined record cleared
};

class ViewJoin {
 public:
  // Answers 47 when the key is not the table's, or a linking field is not
  // found among `sources` or outnumbers the key's components.
  static int make(FileControlBlock& table, KeyBlock& key,
                  std::span<FileControlBlock* const> sources,
                  const std::vector<std::string>& linkingFields, JoinKind kind,
                  std::unique_ptr<ViewJoin>& join);

  FileControlBlock& table() const { return table_; }
  JoinKind kind() const { return kind_; }

  // Reads the joined record for the linking fields' values as they are
  // now; without a match `matched` is false and an outer join's record is
  // cleared. Answers the driver's error, if any.
  int read(bool& matched);

 private:
  struct Link {
    std::unique_ptr<Ufo> from;  // the linking field
    std::unique_ptr<Ufo> into;  // the key component's field in the joined table
    bool sameShape = false;     // copied byte for byte
  };

  ViewJoin(FileControlBlock& table, KeyBlock& key, JoinKind kind)
      : table_(table), key_(key), kind_(kind) {}

  FileControlBlock& table_;
  KeyBlock& key_;
  JoinKind kind_;
  std::vector<Link> links_;
  std::vector<uint8_t> wanted_, found_;  // encoded linking values, and the record's
};

}  // namespace zor::data
