#pragma once
// The designer's live preview: a declared window opened on the current front
// end with made-up rows in each of its lists, so that a person can try every
// control. Esc or closing the window ends it.

#include <functional>
#include <memory>
#include <vector>

#include "runtime/queue.h"
#include "runtime/record_builder.h"
#include "ui/definition/definition_model.h"

namespace zor::ui {

class Window;

// Made-up rows for the lists of a window: one queue per list, laid out after
// the list's format (a text field per column value and tip, LONG fields for
// colours, icons, tree levels and styles), filled with `rows` rows.
class PreviewRows {
 public:
  void fill(Window& window, int rows);
  PreviewRows() = default;
  ~PreviewRows();
  PreviewRows(const PreviewRows&) = delete;
  PreviewRows& operator=(const PreviewRows&) = delete;

 private:
  struct ListRows {
    BuiltRecord record;  // owns the texts the queue's layout points at
    std::unique_ptr<Queue> queue;
  };
  std::vector<std::unique_ptr<ListRows>> lists_;
};

// Opens the window, fills its lists and runs its accept loop until the
// window closes; `onEvent` sees every event first (EVENT() and FIELD() tell
// which). Returns 0.
int previewWindow(const WindowDefinition& definition, int rows,
                  const std::function<void(Window&)>& onEvent = {});

}  // namespace zor::ui
