#pragma once
// What the two update forms share: the request they were called with in
// the caption, the record's history copy for the history key, the files
// opened through the Sections relation manager, the actions of a form (or
// of a view, which saves nothing), delete requests refused, and the window
// state kept under the procedure's name.

#include <string>
#include <vector>

#include "framework/relation_manager.h"
#include "framework/window_controller.h"
#include "framework/window_resizer.h"

namespace qv {

struct HistoryField {
  int control;
  uint16_t field;
};

struct UpdateFormShape {
  const char* procedure;  // "update_Sections"
  const char* owner;      // the window definition's owner
  int okControl;
  int cancelControl;
  std::vector<HistoryField> history;
  std::vector<int> readOnlyInView;  // controls made read-only for a view
  std::vector<int> disabledInView;
};

class UpdateForm : public zor::fw::WindowController {
 public:
  UpdateForm(UpdateFormShape shape, zor::data::FileControlBlock& table,
             zor::fw::RelationManager& primary);

  uint8_t Bind() override;
  uint8_t Release() override;
  uint8_t RunLoop() override;
  uint8_t Run() override;
  using WindowController::Run;
  uint8_t OnAccepted() override;

  // The caption for a request: "View Record", "Record Will Be Added" or
  // "Record Will Be Changed".
  static std::string CaptionFor(uint8_t request);

 protected:
  // Overrides the resizer's defaults for single controls of the form.
  virtual void ArrangeResizer(zor::fw::WindowResizer&) {}

  zor::data::FileControlBlock& table_;

 private:
  UpdateFormShape shape_;
  zor::fw::RelationManager& primary_;
  zor::fw::WindowResizer resizer_;
  std::vector<uint8_t> history_;
  std::string caption_;  // CSTRING(40)
  bool pushed_ = false;
};

}  // namespace qv
