// The application's workflows through the headless front end, on real
// files in an empty folder: sections edited in place, settings added and
// changed on their form with the section lookup, a section renamed and
// deleted, a setting's delete refused, everything found again by a second
// run, and the window's place kept in the INI file.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>
#include "tests/app/app_test_support.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/dictionary.h"
#include "app/main_window.h"
#include "app/procedures.h"
#include "app/program_globals.h"
#include "app/record_layouts.h"
#include "app/tables.h"
#include "data/file_statements.h"
#include "framework/ini_manager.h"
#include "ui/headless/headless_session.h"
#include "ui/key_codes.h"
#include "ui/window.h"

namespace qv {
namespace {

namespace KEY = zor::ui::KEY;
using zor::ui::headless::HeadlessSession;

class WorkflowsTest : public testing::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    programGlobals().iniManager = std::make_unique<zor::fw::INIManager>();
    programGlobals().iniManager->Bind(kIniFileName);
  }
  void TearDown() override {
    session_.reset();
    programGlobals().iniManager->Release();
    programGlobals().iniManager.reset();
    TempFolderTest::TearDown();
  }

  // Runs Main until it waits for input.
  void start() {
    session_ = std::make_unique<HeadlessSession>();
    session_->start([] {
      dictionarySetUp();
      Main();
      dictionaryTearDown();
    });
    ASSERT_FALSE(session_->finished());
  }
  void close() {
    session_->click("?CLOSE");
    session_->run();
    ASSERT_TRUE(session_->finished());
    session_.reset();
  }
  void keys(std::initializer_list<uint32_t> pressed) {
    for (uint32_t key : pressed) session_->press(key);
    session_->run();
  }
  void type(const std::string& text) {
    session_->type(text);
    session_->run();
  }
  void click(const std::string& control) {
    session_->click(control);
    session_->run();
  }
  std::string screen() const { return session_->snapshot(); }
  bool shows(const std::string& text) const { return screen().find(text) != std::string::npos; }
  std::string title() const {
    return session_->window() != nullptr ? session_->window()->title : "(none)";
  }
  std::vector<std::string> captions() const {
    std::vector<std::string> shown;
    for (const auto& box : session_->messageBoxes().shown()) shown.push_back(box.caption);
    return shown;
  }

  // A section added in place in the sections list (which has the focus).
  void addSection(const std::string& name) {
    keys({KEY::Insert});
    type(name);
    keys({KEY::Enter});
  }
  // A setting added on its form from the settings list.
  void addSetting(const std::string& name, const std::string& value, const std::string& help) {
    click("?INSERT:2");
    ASSERT_EQ(title(), "Record Will Be Added");
    keys({KEY::Tab, KEY::Tab});  // past the section and its lookup button
    type(name);
    keys({KEY::Tab});
    type(value);
    keys({KEY::Tab});
    type(help);
    click("?OK");
    ASSERT_EQ(title(), "Pellmoor Setup.Ini GUI");
  }

  std::unique_ptr<HeadlessSession> session_;
};

TEST_F(WorkflowsTest, SectionsAndSettingsAreKeptAcrossRuns) {
  start();
  EXPECT_TRUE(std::filesystem::exists("section.edt"));
  EXPECT_TRUE(std::filesystem::exists("Setup.edt"));
  addSection("Sound");
  addSection("Graphics");
  keys({KEY::Home});  // Graphics, the first in order
  addSetting("Width", "800", "The width of the window.");
  addSetting("Height", "600", "The height of the window.");
  EXPECT_TRUE(shows("| Width")) << screen();
  EXPECT_TRUE(shows("The height of the window.")) << "the help of the highlighted setting";
  EXPECT_TRUE(shows("+| Height")) << "an active setting's mark";
  close();

  start();
  EXPECT_TRUE(shows("Graphics"));
  EXPECT_TRUE(shows("Sound"));
  EXPECT_TRUE(shows("| Width")) << screen();
  EXPECT_TRUE(shows("| Height"));
  // Sound has no settings.
  keys({KEY::Down});
  EXPECT_FALSE(shows("| Width")) << screen();
  close();
  zor::fw::INIManager ini;
  ini.Bind(kIniFileName);
  EXPECT_EQ(ini.Fetch("Main", "Maximize", ""), "No") << "the window's state is kept under Main";
  EXPECT_NE(ini.Fetch("Main", "XPos", ""), "");
  ini.Release();
}

TEST_F(WorkflowsTest, RenamingOrDeletingASectionEmptiesItOfItsSettings) {
  start();
  addSection("Graphics");
  addSection("Sound");
  keys({KEY::Home});
  addSetting("Width", "800", "w");
  keys({KEY::Down});
  addSetting("Volume", "7", "v");

  // Rename Graphics in place: its setting loses its section.
  keys({KEY::Shift | KEY::Tab});  // back to the sections list
  keys({KEY::Home, KEY::Enter});
  type("Video");
  keys({KEY::Enter});
  EXPECT_TRUE(shows("Video"));
  EXPECT_FALSE(shows("Graphics"));
  // Delete Sound (confirmed): its setting stays, without a section.
  keys({KEY::Home});
  ASSERT_TRUE(shows("> Sound")) << screen();
  session_->answer(zor::platform::IDYES);
  keys({KEY::Delete});
  EXPECT_EQ(captions(), std::vector<std::string>{"Confirm Delete"});
  EXPECT_FALSE(shows("Sound"));
  close();

  // Both settings are still there, neither in a section.
  zor::data::FileControlBlock& settings = setupIniTable();
  ASSERT_EQ(zor::data::statement::open(settings, zor::data::statement::kReadOnlyDenyNone), 0);
  int64_t count = 0;
  zor::data::statement::records(settings, count);
  EXPECT_EQ(count, 2);
  ASSERT_EQ(zor::data::statement::set(settings, setupIniIdKey()), 0);
  while (zor::data::statement::next(settings) == 0) {
    EXPECT_EQ(settings.record[setup_ini::kIniSection], 0) << "the section was cleared";
  }
  zor::data::statement::close(settings);
}

TEST_F(WorkflowsTest, TheLookupFindsTheNearestSectionAndDeleteIsRefused) {
  start();
  for (const char* name : {"Audio", "Graphics", "Network"}) addSection(name);
  keys({KEY::Home});
  click("?INSERT:2");
  // The section entry has the focus: a name that matches none opens the
  // lookup at the next section in order.
  session_->press(KEY::Ctrl | 'A');
  type("H");
  click("?FLDLOOKUP");
  ASSERT_EQ(title(), "Sections");
  EXPECT_TRUE(shows("> Network")) << screen();
  keys({KEY::Up});
  click("?SELECT");
  ASSERT_EQ(title(), "Record Will Be Added");
  EXPECT_TRUE(shows("[Graphics")) << screen();
  type("Depth");
  click("?OK");
  ASSERT_EQ(title(), "Pellmoor Setup.Ini GUI");

  // The settings list's Delete reaches the form, which refuses it.
  keys({KEY::Shift | KEY::Tab, KEY::Down});  // Graphics
  EXPECT_FALSE(shows("|                             |")) << "no reservation was left behind";
  ASSERT_TRUE(shows("| Depth")) << screen();
  click("?DELETE:2");
  EXPECT_EQ(captions(), std::vector<std::string>{"Invalid Request"});
  EXPECT_TRUE(shows("| Depth"));
  // The three placeholder buttons answer with their notice.
  for (const char* button : {"?BUTTON8", "?BUTTON8:2", "?CLOSE:2"}) click(button);
  ASSERT_EQ(session_->messageBoxes().shown().size(), 4u);
  EXPECT_EQ(session_->messageBoxes().shown().back().text, kNotice);
  close();
}

// What is wrong with the window's layout: a shown control outside the
// client area, or two shown controls of the same parent on top of each
// other (a sheet and its tabs, an option group and its radios are
// parents, not siblings).
std::vector<std::string> layoutFaults(const zor::ui::Window& window) {
  std::vector<std::string> faults;
  const zor::ui::Rect client{0, 0, window.rect.width, window.rect.height};
  auto inside = [](const zor::ui::Rect& outer, const zor::ui::Rect& r) {
    return r.width > 0 && r.height > 0 && r.x >= outer.x && r.y >= outer.y &&
           r.x + r.width <= outer.x + outer.width && r.y + r.height <= outer.y + outer.height;
  };
  auto overlap = [](const zor::ui::Rect& a, const zor::ui::Rect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
  };
  const auto& controls = window.controls();
  for (size_t i = 0; i < controls.size(); ++i) {
    const zor::ui::Control& a = *controls[i];
    if (a.hidden || a.kind() == zor::ui::ControlKind::Tab) continue;
    if (!inside(client, a.rect)) faults.push_back(a.useLabel() + " outside");
    for (size_t j = i + 1; j < controls.size(); ++j) {
      const zor::ui::Control& b = *controls[j];
      if (b.hidden || b.kind() == zor::ui::ControlKind::Tab || b.parent != a.parent) continue;
      if (overlap(a.rect, b.rect)) faults.push_back(a.useLabel() + " over " + b.useLabel());
    }
  }
  return faults;
}

TEST_F(WorkflowsTest, WindowsKeepTheirControlsApartAtAnySize) {
  // Client areas in dialog units: a terminal of 80 x 24, the designed size
  // and a large screen, for the main window and for the form.
  const struct {
    int width;
    int height;
  } sizes[] = {{312, 168}, {480, 248}, {900, 600}},
    formSizes[] = {{300, 160}, {300, 176}, {600, 400}};
  start();
  addSection("Graphics");
  for (const auto& size : sizes) {
    session_->resize(size.width, size.height);
    session_->run();
    EXPECT_THAT(layoutFaults(*session_->window()), ::testing::IsEmpty())
        << "main window at " << size.width << " x " << size.height;
  }
  click("?INSERT:2");
  ASSERT_EQ(title(), "Record Will Be Added");
  for (const auto& size : formSizes) {
    session_->resize(size.width, size.height);
    session_->run();
    EXPECT_THAT(layoutFaults(*session_->window()), ::testing::IsEmpty())
        << "update_Settings at " << size.width << " x " << size.height;
  }
  click("?CANCEL");
  close();
}

TEST_F(WorkflowsTest, ASettingIsFoundByAWordOfItsHelpAndASavedQueryAppliesAgain) {
  start();
  addSection("Graphics");
  addSetting("Shadows", "On", "Soft shadows under every model.");
  addSetting("Bloom", "Off", "A glow around bright lights.");
  addSetting("Fog", "1", "Far SHADOWS fade into the fog.");
  click("?LIST:2");
  ASSERT_TRUE(shows("| Bloom")) << screen();

  // Ctrl+F: the help text's column (the fifth) holding a word, case ignored.
  keys({KEY::Ctrl | 'F'});
  ASSERT_EQ(title(), "Query by Example");
  keys({KEY::Down, KEY::Down, KEY::Down, KEY::Down});
  click("?QBE:LOW");
  type("Contains shadows");
  click("?QBE:NAME");
  type("Shadowy");
  click("?QBE:SAVE");
  click("?OK");
  ASSERT_EQ(title(), "Pellmoor Setup.Ini GUI");
  EXPECT_TRUE(shows("| Shadows") && shows("| Fog")) << screen();
  EXPECT_FALSE(shows("| Bloom")) << screen();

  // The list's popup offers the query too; a value that looks like an
  // expression is looked for as it is, and finds nothing.
  session_->choose(5);
  keys({KEY::Shift | KEY::F10});
  ASSERT_FALSE(session_->popupMenus().shown().empty());
  EXPECT_EQ(session_->popupMenus().shown().back(), "&Insert|&Change|&Delete|-|&Query");
  ASSERT_EQ(title(), "Query by Example");
  keys({KEY::Down});
  click("?QBE:LOW");
  type("x' OR '1'='1");
  click("?OK");
  EXPECT_FALSE(shows("| Shadows") || shows("| Fog") || shows("| Bloom")) << screen();
  EXPECT_TRUE(captions().empty());
  close();

  // The next run shows every setting; the saved query, recalled, applies.
  start();
  EXPECT_TRUE(shows("| Bloom")) << screen();
  keys({KEY::Tab, KEY::Ctrl | 'F'});
  ASSERT_EQ(title(), "Query by Example");
  session_->choose(2);
  click("?QBE:RECALL");
  EXPECT_EQ(session_->popupMenus().shown().back(), "Empty|Shadowy|C&lear");
  click("?OK");
  EXPECT_TRUE(shows("| Shadows") && shows("| Fog")) << screen();
  EXPECT_FALSE(shows("| Bloom")) << screen();
  EXPECT_TRUE(captions().empty());
  close();
}

}  // namespace
}  // namespace qv
