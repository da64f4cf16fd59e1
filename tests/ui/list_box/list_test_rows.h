#pragma once
// The rows of the scrolling list form's queue, for the list tests.

#include <cstdio>

#include "runtime/queue.h"
#include "runtime/type_codes.h"
#include "tests/runtime/queue_test_records.h"

namespace zor::ui::test {

// Rows of two fields: "row 1" / "more 1", "row 2" / "more 2" ...
struct TwoColumns {
  explicit TwoColumns(int count = 20)
      : queue({makeField("NAME", kCString, 0, 16), makeField("MORE", kCString, 16, 16)}, 32) {
    for (int i = 1; i <= count; ++i) {
      char record[32] = {};
      std::snprintf(record, 16, "row %d", i);
      std::snprintf(record + 16, 16, "more %d", i);
      queue.add(reinterpret_cast<const uint8_t*>(record));
    }
  }
  Queue queue;
};

}  // namespace zor::ui::test
