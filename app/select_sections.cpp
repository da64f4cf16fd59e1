// select_sections: the list of sections from which update_Settings picks
// one. It opens at the section the caller positioned the Sections table on.

#include "app/dictionary.h"
#include "app/procedures.h"
#include "app/program_globals.h"
#include "app/record_layouts.h"
#include "app/tables.h"
#include "data/view_engine.h"
#include "framework/browse.h"
#include "framework/toolbar.h"
#include "framework/window_controller.h"
#include "runtime/queue.h"

namespace qv {

namespace {

namespace Level = zor::fw::Level;
namespace Request = zor::fw::Request;
namespace Response = zor::fw::Response;

constexpr const char* kProcedure = "select_sections";
constexpr int kList = 1;
constexpr int kSelect = 2;
constexpr int kClose = 3;

zor::fw::ErrorReporter& reporter() {
  return programGlobals().errorReporter != nullptr ? *programGlobals().errorReporter
                                                   : zor::fw::ErrorReporter::Global();
}

class SelectSections : public zor::fw::WindowController {
 public:
  SelectSections()
      : WindowController("QV_GUI_SetupiniAdmin$QV_GUI_SetupiniAdmin007", "P1$WINDOW"),
        view_(sectionsTable()),
        queue_(sectionsQueueLayout(), sections_queue::kRowSize) {}

  uint8_t Bind() override {
    reporter().SetProcedureName(kProcedure);
    pushed_ = true;
    REQUEST = zor::fw::GlobalRequest();
    if (uint8_t level = WindowController::Bind(); level != Level::Benign) return level;
    FIRSTFIELD = kList;
    VCRREQUEST = &zor::fw::VCRRequest();
    ERRORS = &reporter();
    SetToolbar(toolbar_);
    zor::fw::GlobalRequest() = Request::None;
    zor::fw::GlobalResponse() = Response::None;
    RegisterButton(kClose, REQUEST == Request::Select ? Response::Cancelled : Response::Completed);
    zor::fw::RelationManager& sections = *threadDictionary().sections.relate;
    if (uint8_t level = sections.Open(); level != Level::Benign) return level;
    FILESOPENED = 1;
    browse_.Bind(kList, queue_, view_, sections, *this);
    browse_.SelectControl = kSelect;
    browse_.Selecting = 1;
    // The list opens at the section the caller found.
    browse_.StartAtCurrent = 1;
    OpenWindow();
    if (zor::fw::INIManager* ini = programGlobals().iniManager.get()) {
      ini->RestoreWindow(kProcedure, *MYWINDOW);
    }
    // Sections in the order of their names, so that the caller's position
    // is the nearest following section.
    browse_.AddOrder(&sectionsDescriptionKey());
    browse_.AddColumnField(zor::fw::fieldByLabel(sectionsTable(), "SEC:DESCRIPTION"), 1);
    browse_.RegisterWithToolbar(toolbar_);
    SetKeyAlerts();
    return Level::Benign;
  }

  uint8_t Release() override {
    if (uint8_t level = WindowController::Release(); level != Level::Benign) return level;
    if (FILESOPENED != 0) threadDictionary().sections.relate->Close();
    FILESOPENED = 0;
    if (OPENED != 0 && MYWINDOW != nullptr) {
      if (zor::fw::INIManager* ini = programGlobals().iniManager.get()) {
        ini->SaveWindow(kProcedure, *MYWINDOW);
      }
    }
    if (pushed_) reporter().PopProcedureName();
    pushed_ = false;
    return Level::Benign;
  }

 private:
  zor::fw::Toolbar toolbar_;
  zor::data::View view_;
  zor::Queue queue_;
  zor::fw::Browse browse_;
  bool pushed_ = false;
};

}  // namespace

void select_sections() {
  SelectSections procedure;
  zor::fw::GlobalResponse() = procedure.Run();
}

}  // namespace qv
