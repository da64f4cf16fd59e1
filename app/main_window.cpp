#include "app/main_window.h"

#include <memory>
#include <string>

#include "app/dictionary.h"
#include "app/procedures.h"
#include "app/program_globals.h"
#include "app/record_layouts.h"
#include "app/settings_browse.h"
#include "app/settings_query.h"
#include "app/tables.h"
#include "data/view_engine.h"
#include "framework/column_sorter.h"
#include "framework/edit_in_place.h"
#include "framework/query_by_example.h"
#include "framework/toolbar.h"
#include "framework/view_manager.h"
#include "framework/window_controller.h"
#include "framework/window_resizer.h"
#include "runtime/queue.h"
#include "ui/headless/headless_session.h"
#include "ui/icon_glyphs.h"
#include "ui/properties.h"
#include "ui/statements.h"

namespace qv {

namespace {

using zor::fw::fieldByLabel;
namespace Level = zor::fw::Level;
namespace Request = zor::fw::Request;
namespace Response = zor::fw::Response;
using zor::fw::ValueSource;

// Actions of the sections list's edit in place: Down and Up save, move on
// and keep the column; Enter and Tab move on (Tab asks first).
constexpr uint8_t kArrowAction = 24;
constexpr uint8_t kEnterAction = 8;
constexpr uint8_t kTabAction = 8;
constexpr uint8_t kDeleteKeyAction = 1;

zor::fw::ErrorReporter& reporter() {
  return programGlobals().errorReporter != nullptr ? *programGlobals().errorReporter
                                                   : zor::fw::ErrorReporter::Global();
}

class MainWindow : public zor::fw::WindowController {
 public:
  MainWindow()
      : WindowController(kMainWindowOwner, kMainWindowLabel),
        sectionsView_(sectionsTable()),
        settingsView_(setupIniTable()),
        sectionsQueue_(sectionsQueueLayout(), sections_queue::kRowSize),
        settingsQueue_(settingsQueueLayout(), settings_queue::kRowSize) {}

  uint8_t Bind() override {
    reporter().SetProcedureName(kMainProcedure);
    pushed_ = true;
    REQUEST = zor::fw::GlobalRequest();
    if (uint8_t level = WindowController::Bind(); level != Level::Benign) return level;
    // The sections list has the focus first, so that the keyboard works at
    // once; the help text below shows what the highlighted setting says.
    FIRSTFIELD = kSectionsList;
    VCRREQUEST = &zor::fw::VCRRequest();
    ERRORS = &reporter();
    SetToolbar(toolbar_);
    zor::fw::GlobalRequest() = Request::None;
    zor::fw::GlobalResponse() = Response::None;
    RegisterButton(kCloseButton,
                   REQUEST == Request::Select ? Response::Cancelled : Response::Completed);

    ThreadDictionary& dictionary = threadDictionary();
    zor::fw::RelationManager& sections = *dictionary.sections.relate;
    zor::fw::RelationManager& settings = *dictionary.setupIni.relate;
    if (uint8_t level = sections.Open(); level != Level::Benign) return level;
    FILESOPENED = 1;

    sectionsBrowse_.Bind(kSectionsList, sectionsQueue_, sectionsView_, sections, *this);
    editor_.Attach(sectionsBrowse_);
    editor_.DeleteKeyAction = kDeleteKeyAction;
    sectionsBrowse_.ArrowAction = kArrowAction;
    sectionsBrowse_.EnterAction = kEnterAction;
    sectionsBrowse_.TabAction = kTabAction;
    settingsBrowse_.Bind(kSettingsList, settingsQueue_, settingsView_, settings, *this);
    if (REQUEST != Request::View) {
      sectionsBrowse_.InsertControl = kInsertSection;
      sectionsBrowse_.ChangeControl = kChangeSection;
      sectionsBrowse_.DeleteControl = kDeleteSection;
      settingsBrowse_.InsertControl = kInsertSetting;
      settingsBrowse_.ChangeControl = kChangeSetting;
      settingsBrowse_.DeleteControl = kDeleteSetting;
    }

    BindRecord(setupIniTable());
    OpenWindow();
    // The main window follows its size, so that it stays usable on a
    // screen smaller or larger than it was designed for. Its two lists lie
    // side by side, so they scale with the window rather than keep their
    // margins (which would have the left list run into the right one).
    resizer_.Bind(zor::fw::AppStrategy::Scale);
    namespace Position = zor::fw::Position;
    namespace Sizing = zor::fw::Sizing;
    // The lists take what the height gains or loses; the buttons under them
    // and the help text keep their distance from the bottom, the buttons
    // their place under their list.
    for (int list : {kSectionsList, kSettingsList}) {
      resizer_.SetControlStrategy(list,
                                  Position::Proportional | Position::NearEdge * Position::Down,
                                  Sizing::ConstantBottom);
    }
    for (int button = kInsertSection; button <= kDeleteSetting; ++button) {
      resizer_.SetControlStrategy(button, Position::NearEdge | Position::FarEdge * Position::Down,
                                  Sizing::LockWidth | Sizing::LockHeight);
    }
    resizer_.SetControlStrategy(kHelpText, Position::NearEdge | Position::FarEdge * Position::Down,
                                Sizing::ConstantRight | Sizing::LockHeight);
    RegisterComponent(resizer_);
    RESIZE = &resizer_;
    if (zor::fw::INIManager* ini = programGlobals().iniManager.get()) {
      ini->RestoreWindow(kMainProcedure, *MYWINDOW);
    }
    if (programGlobals().mainWindowFillsScreen) {
      zor::ui::setProperty(0, zor::ui::PROP::Maximize, "1");
    }
    resizer_.Resize();

    // Sections in the order of their names.
    sectionsBrowse_.AddOrder(&sectionsDescriptionKey());
    sectionsBrowse_.AddColumnField(fieldByLabel(sectionsTable(), "SEC:DESCRIPTION"), 1);

    // Settings: those of the highlighted section; all of them in record
    // order on any other tab.
    const zor::fw::FieldRef section = fieldByLabel(setupIniTable(), "SIN:INISECTION");
    settingsBrowse_.AddOrder(&setupIniSectionKey());
    settingsBrowse_.AddRangeLimit(section,
                                  ValueSource(fieldByLabel(sectionsTable(), "SEC:DESCRIPTION")),
                                  zor::fw::LimitType::Relation);
    locator_.Bind(settingsBrowse_, section, true);
    settingsBrowse_.AttachLocator(locator_);
    settingsBrowse_.AddOrder(nullptr);
    settingsBrowse_.SelectOrder(1);
    settingsBrowse_.SetSheet(kSheet);

    zor::ui::setProperty(kSettingsList, zor::ui::PROP::IconList, kActiveIcon, 1);
    zor::ui::setProperty(kSettingsList, zor::ui::PROP::IconList, kObsoleteIcon, 2);

    static const struct {
      const char* field;
      uint16_t queueField;
    } settingsColumns[] = {{"SIN:STATUS", 1},          {"SIN:SECTIONDESCRIPTION", 3},
                           {"SIN:DEFAULTVALUE", 4},    {"SIN:VALUES", 5},
                           {"SIN:HELPDESCRIPTION", 6}, {"SIN:ID", 7},
                           {"SIN:INISECTION", 8}};
    for (const auto& column : settingsColumns) {
      settingsBrowse_.AddColumnField(fieldByLabel(setupIniTable(), column.field),
                                     column.queueField);
    }
    settingsBrowse_.AskProcedure = kUpdateSettingsProcedure;
    bindSettingsQuery(settingsQuery_, settingsBrowse_, programGlobals().iniManager.get());
    sectionsBrowse_.RegisterWithToolbar(toolbar_);
    settingsBrowse_.RegisterWithToolbar(toolbar_);
    sorter_.Init(*this, settingsBrowse_, kSettingsList);
    settingsBrowse_.SetSorter(sorter_);
    SetKeyAlerts();
    return Level::Benign;
  }

  uint8_t Release() override {
    if (uint8_t level = WindowController::Release(); level != Level::Benign) return level;
    if (FILESOPENED != 0) {
      threadDictionary().sections.relate->Close();
      sorter_.Release();
      FILESOPENED = 0;
    }
    if (OPENED != 0 && MYWINDOW != nullptr) {
      if (zor::fw::INIManager* ini = programGlobals().iniManager.get()) {
        ini->SaveWindow(kMainProcedure, *MYWINDOW);
      }
    }
    if (pushed_) reporter().PopProcedureName();
    pushed_ = false;
    return Level::Benign;
  }

  uint8_t Run(uint16_t procedure, uint8_t request) override {
    WindowController::Run(procedure, request);
    if (REQUEST == Request::View) return Response::Cancelled;
    zor::fw::GlobalRequest() = request;
    switch (procedure) {
      case kUpdateSectionsProcedure:
        update_Sections();
        break;
      case kUpdateSettingsProcedure:
        update_Settings();
        break;
      default:
        break;
    }
    // The form may have read other sections (its lookup): the buffer shows
    // the highlighted one again, which the settings list is limited to.
    sectionsBrowse_.UpdateBuffer();
    return zor::fw::GlobalResponse();
  }
  using WindowController::Run;

  uint8_t OnAccepted() override {
    const int control = zor::ui::field();
    if (control == kLoadSetupIniButton || control == kUpdateSetupIniButton ||
        control == kAboutButton) {
      zor::ui::message(kNotice);
    }
    return WindowController::OnAccepted();
  }

  uint8_t OnEvent() override {
    // The column sorter sees every event first.
    if (sorter_.TakeEvent() != Level::Benign) return Level::Notify;
    return WindowController::OnEvent();
  }

 private:
  zor::fw::Toolbar toolbar_;
  zor::data::View sectionsView_;
  zor::data::View settingsView_;
  zor::Queue sectionsQueue_;
  zor::Queue settingsQueue_;
  zor::fw::Browse sectionsBrowse_;
  SettingsBrowse settingsBrowse_;
  zor::fw::EditInPlace editor_;
  zor::fw::BrowseLocator locator_;
  zor::fw::ColumnSorter sorter_;
  zor::fw::WindowResizer resizer_;
  zor::fw::QueryByExample settingsQuery_;
  bool pushed_ = false;
};

}  // namespace

void Main() {
  zor::ui::setIconGlyph(kActiveIcon, kActiveGlyph);
  zor::ui::setIconGlyph(kObsoleteIcon, kObsoleteGlyph);
  MainWindow procedure;
  zor::fw::GlobalResponse() = procedure.Run();
}

void printMainWindow(const std::function<void(const std::string&)>& print) {
  // The procedure runs on a thread of its own, which needs its own tables.
  zor::ui::headless::HeadlessSession session;
  session.start([] {
    dictionarySetUp();
    Main();
    dictionaryTearDown();
  });
  print(session.snapshot());
}

}  // namespace qv
