// update_Sections and update_Settings: the forms for one section and for
// one setting. A new setting starts as active; its "..." button looks its
// section up in select_sections.

#include <cstring>

#include "app/dictionary.h"
#include "app/procedures.h"
#include "app/record_layouts.h"
#include "app/tables.h"
#include "app/update_form.h"
#include "framework/field_ref.h"
#include "ui/statements.h"

namespace qv {

namespace {

namespace Level = zor::fw::Level;
namespace Request = zor::fw::Request;
namespace Response = zor::fw::Response;

// Controls of update_Settings.
constexpr int kSectionEntry = 4;
constexpr int kLookupButton = 5;
constexpr int kSectionDescriptionEntry = 7;
constexpr int kHelpText = 11;
constexpr int kValuesPrompt = 12;
constexpr int kValuesEntry = 13;
constexpr int kStatusOption = 14;
constexpr int kSettingsSave = 17;
constexpr int kSettingsCancel = 18;

UpdateFormShape sectionsForm() {
  return {
      "update_Sections", "QV_GUI_SetupiniAdmin$QV_GUI_SetupiniAdmin003", 5, 6, {{4, 1}}, {4}, {}};
}

UpdateFormShape settingsForm() {
  return {"update_Settings", "QV_GUI_SetupiniAdmin$QV_GUI_SetupiniAdmin006",      kSettingsSave,
          kSettingsCancel,   {{4, 2}, {7, 3}, {9, 4}, {11, 5}, {13, 6}, {14, 7}}, {4, 7, 9, 13},
          {kLookupButton}};
}

class UpdateSettings : public UpdateForm {
 public:
  UpdateSettings()
      : UpdateForm(settingsForm(), setupIniTable(), *threadDictionary().setupIni.relate) {}

  void PrimeNewRecord() override {
    table_.record[setup_ini::kStatus] = 1;  // a new setting is active
    UpdateForm::PrimeNewRecord();
  }

  // The help text takes what the height gains or loses; the values and
  // the status under it keep their distance from the bottom, so that the
  // status group keeps its height on a small screen.
  void ArrangeResizer(zor::fw::WindowResizer& resizer) override {
    namespace Position = zor::fw::Position;
    namespace Sizing = zor::fw::Sizing;
    // Across, these follow the entries above them: place and width scale.
    resizer.SetControlStrategy(kHelpText,
                               Position::Proportional | Position::NearEdge * Position::Down,
                               Sizing::ConstantBottom);
    constexpr uint16_t belowHelp = Position::Proportional | Position::FarEdge * Position::Down;
    for (int control : {kValuesPrompt, kValuesEntry}) {
      resizer.SetControlStrategy(control, belowHelp, Sizing::LockHeight);
    }
    resizer.SetControlStrategy(kStatusOption,
                               Position::NearEdge | Position::FarEdge * Position::Down,
                               Sizing::ConstantRight | Sizing::LockHeight);
  }

  uint8_t OnAccepted() override {
    const uint8_t level = UpdateForm::OnAccepted();
    if (zor::ui::field() != kLookupButton) return level;
    return LookUpSection(level);
  }

 private:
  // Opens select_sections at the section the entry names (or the nearest
  // following one) and takes the section chosen there.
  uint8_t LookUpSection(uint8_t level) {
    PullControls();
    zor::fw::FileManager& sections = *threadDictionary().sections.access;
    const zor::fw::FieldRef name = zor::fw::fieldByLabel(sectionsTable(), "SEC:DESCRIPTION");
    const zor::fw::FieldRef section = zor::fw::fieldByLabel(setupIniTable(), "SIN:INISECTION");
    name.assign(section.text());
    if (sections.FetchByKey(sectionsDescriptionKey(), 0) != Level::Benign) {
      name.assign(section.text());
      sections.SetAtKeyValue(sectionsDescriptionKey());
      sections.ReadNext(0);
    }
    zor::fw::GlobalRequest() = Request::Select;
    select_sections();
    if (zor::fw::GlobalResponse() != Response::Completed) {
      zor::ui::select(kLookupButton);
      return Level::Notify;
    }
    section.assign(name.text());
    zor::ui::display(kSectionEntry);
    zor::fw::GlobalResponse() = Response::Cancelled;
    zor::ui::select(kSectionDescriptionEntry);
    REQUEST = ORIGINALREQUEST;
    return level;
  }
};

}  // namespace

void update_Sections() {
  UpdateForm procedure(sectionsForm(), sectionsTable(), *threadDictionary().sections.relate);
  zor::fw::GlobalResponse() = procedure.Run();
}

void update_Settings() {
  UpdateSettings procedure;
  zor::fw::GlobalResponse() = procedure.Run();
}

}  // namespace qv
