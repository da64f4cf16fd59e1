// The INI manager: window state across two runs, stored queues and sectors,
// the three storage kinds, and damaged files kept and ignored.

#include "framework/ini_manager.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "runtime/type_codes.h"
#include "tests/framework/framework_test_support.h"
#include "ui/definition/definition_kinds.h"
#include "ui/headless/headless_session.h"
#include "ui/headless/message_box_script.h"
#include "ui/key_codes.h"
#include "ui/statements.h"
#include "ui/system_commands.h"
#include "ui/window_builder.h"

namespace zor::fw {
namespace {

using ui::headless::HeadlessSession;
using ui::headless::MessageBoxScript;

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void write(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

ui::WindowDefinition mainWindow(bool resizable) {
  ui::WindowDefinition window;
  window.label = "MAIN$WINDOW";
  window.title = "Main";
  window.rect = {40, 32, 160, 80};
  window.attributes = resizable ? ui::WindowAttr::Resize : 0;
  ui::ControlDefinition close;
  close.kind = ui::ControlKind::Button;
  close.use = "?CLOSE";
  close.text = "&Close";
  close.rect = {4, 60, 40, 12};
  window.controls = {close};
  return window;
}

// One run of the program's main window: the INI manager bound to the file,
// the window restored when it opens and saved when the user closes it.
// `between` runs while the window waits for the user, on the test's turn.
WindowPosition runMainWindow(const std::string& file, bool resizable,
                             const std::function<void(ui::Window&)>& between,
                             ui::Rect* shown = nullptr) {
  INIManager ini;
  ini.Bind(file);
  WindowPosition restored;
  HeadlessSession session;
  session.start([&] {
    auto window = ui::openWindow(mainWindow(resizable));
    restored = ini.RestoreWindow("Main", *window);
    while (ui::accept()) {
    }
    ini.SaveWindow("Main", *window);
    window->close();
  });
  ui::Window* window = session.window();
  EXPECT_NE(window, nullptr);
  if (!window) return restored;
  session.run();  // the changes the restore queued
  if (shown) *shown = window->rect;
  if (between) between(*window);
  session.press(ui::KEY::Escape);
  session.run();
  EXPECT_TRUE(session.finished());
  ini.Release();
  return restored;
}

TEST(INIManagerWindows, PositionAndSizeComeBackInTheNextRun) {
  test::TemporaryFolder folder;
  const std::string file = folder.file("QV_GUI_SetupiniAdmin.INI");
  ui::Rect shown;
  WindowPosition first = runMainWindow(
      file, true,
      [](ui::Window& window) {
        window.setProperty(ui::PROP::Xpos, "100");
        window.setProperty(ui::PROP::Ypos, "48");
        window.setProperty(ui::PROP::Width, "200");
        window.setProperty(ui::PROP::Height, "120");
      },
      &shown);
  EXPECT_EQ(first.Got, 0) << "the first run finds no section";
  EXPECT_EQ(shown, (ui::Rect{40, 32, 160, 80})) << "and keeps the designed place";
  EXPECT_EQ(contents(file),
            "[Main]\nMaximize=No\nMinimize=No\nXPos=100\nYPos=48\nWidth=200\nHeight=120\n");

  WindowPosition second = runMainWindow(file, true, nullptr, &shown);
  EXPECT_EQ(second.Got, 1);
  EXPECT_EQ(shown, (ui::Rect{100, 48, 200, 120}));

  // Not resizable: the size is the designed one and is not stored.
  runMainWindow(file, false, nullptr, &shown);
  EXPECT_EQ(shown, (ui::Rect{100, 48, 160, 80}));
  EXPECT_EQ(contents(file).find("Width"), std::string::npos);
}

TEST(INIManagerWindows, MaximizedComesBackMaximizedAndMinimizedDoesNot) {
  test::TemporaryFolder folder;
  const std::string file = folder.file("app.ini");
  write(file, "; kept\n[Main]\nXPos=100\nYPos=48\nWidth=200\nHeight=120\nMaximize=No\n");
  runMainWindow(file, true,
                [](ui::Window& window) { window.setProperty(ui::PROP::Maximize, "1"); });
  EXPECT_EQ(contents(file), "; kept\n[Main]\nMaximize=Yes\nMinimize=No\n");

  ui::Rect shown;
  bool wasMaximized = false;
  runMainWindow(
      file, true,
      [&](ui::Window& window) {
        wasMaximized = window.show == ui::WindowShow::Maximized;
        window.setProperty(ui::PROP::Iconize, "1");
      },
      &shown);
  EXPECT_TRUE(wasMaximized);
  EXPECT_EQ(shown, ui::desktopArea());
  EXPECT_EQ(contents(file), "; kept\n[Main]\nMaximize=No\nMinimize=Yes\n");

  ui::WindowShow show = ui::WindowShow::Iconized;
  WindowPosition restored = runMainWindow(
      file, true, [&](ui::Window& window) { show = window.show; }, &shown);
  EXPECT_EQ(restored.Minimized, 0) << "\"Yes\" read as a one-byte number";
  EXPECT_EQ(show, ui::WindowShow::Normal) << "never restored minimized";
  EXPECT_EQ(shown, (ui::Rect{40, 32, 160, 80}));
}

TEST(INIManagerWindows, StoredPlacesOutsideTheDesktopOrNotNumbersAreMended) {
  test::TemporaryFolder folder;
  const std::string file = folder.file("app.ini");
  const ui::Rect desktop = ui::desktopArea();
  struct Case {
    const char* stored;
    ui::Rect expected;
  };
  const Case cases[] = {
      {"XPos=5000\nYPos=-20\nWidth=100\nHeight=40\n", {desktop.width - 100, 0, 100, 40}},
      {"XPos=ten\nYPos=99999999999\nWidth=0\nHeight=-5\n", {40, 32, 160, 80}},
      {"XPos=8\nYPos=8\nWidth=100000\nHeight=16\n", {0, 8, desktop.width, 16}},
  };
  for (const Case& c : cases) {
    write(file, std::string("[Main]\nMaximize=No\n") + c.stored);
    ui::Rect shown;
    runMainWindow(file, true, nullptr, &shown);
    EXPECT_EQ(shown, c.expected) << c.stored;
  }
}

// A queue of saved queries: field name, low and high value, and a count.
struct QueryRows {
  Queue queue{{makeField("FIELD", kCString, 0, 21), makeField("LOW", kString, 21, 12),
               makeField("HIGH", kCString, 33, 12), makeField("COUNT", kLong, 45, 4)},
              49};
  void add(const std::string& field, const std::string& low, const std::string& high,
           int32_t count) {
    std::vector<uint8_t> record(queue.recordLength(), 0);
    makeUfo(kCString, record.data(), 21)->assignText(field);
    makeUfo(kString, record.data() + 21, 12)->assignText(low);
    makeUfo(kCString, record.data() + 33, 12)->assignText(high);
    std::memcpy(record.data() + 45, &count, 4);
    queue.add(record.data());
  }
  std::string row(size_t n) const {
    std::string text;
    const uint8_t* r = queue.row(n);
    int32_t count = 0;
    std::memcpy(&count, r + 45, 4);
    return std::string(reinterpret_cast<const char*>(r)) + "|" +
           std::string(reinterpret_cast<const char*>(r) + 21, 12) + "|" +
           std::string(reinterpret_cast<const char*>(r) + 33) + "|" + std::to_string(count);
  }
};

TEST(INIManagerQueues, RecordsComeBackWholeAndOlderFilesStillRead) {
  test::TemporaryFolder folder;
  const std::string file = folder.file("app.ini");
  INIManager ini;
  ini.Bind(file);
  QueryRows saved;
  saved.add("SIN:NAME", "a,b", "\"quoted\"", 3);
  saved.add("SIN:VALUE", " lead", "x", -7);
  saved.add("SIN:ID", "", "", 0);
  const std::vector<std::string> fields = {"field", "LOW", "HIGH", "COUNT"};
  ASSERT_TRUE(ini.SaveQueue("Query$Main$$Browse", "Query", saved.queue, fields));
  EXPECT_EQ(ini.Fetch("Query$Main$$Browse", "Query_3"), "SIN:ID,,,0") << "plain fields as before";

  QueryRows loaded;
  ASSERT_TRUE(ini.LoadQueue("Query$Main$$Browse", "Query", loaded.queue, fields));
  ASSERT_EQ(loaded.queue.records(), 3u);
  for (size_t n = 1; n <= 3; ++n) EXPECT_EQ(loaded.row(n), saved.row(n));

  // A shorter queue leaves no records of the longer one behind.
  QueryRows one;
  one.add("A", "1", "2", 1);
  ASSERT_TRUE(ini.SaveQueue("Query$Main$$Browse", "Query", one.queue, fields));
  EXPECT_EQ(ini.Fetch("Query$Main$$Browse", "Query_2", "gone"), "gone");

  // Written by hand or by an older program: split at each comma, missing
  // parts empty, a count beyond the records stops at the first gap.
  ASSERT_TRUE(ini.Update("Old", "Q", "99999999"));
  ASSERT_TRUE(ini.Update("Old", "Q_1", "SIN:X,1,2,3,4"));
  ASSERT_TRUE(ini.Update("Old", "Q_2", "SIN:Y"));
  QueryRows old;
  ASSERT_TRUE(ini.LoadQueue("Old", "Q", old.queue, fields));
  ASSERT_EQ(old.queue.records(), 2u);
  EXPECT_EQ(old.row(1), "SIN:X|1           |2|3");
  EXPECT_EQ(old.row(2), "SIN:Y|            ||0");

  // Fields that cannot be stored: nothing is written or loaded.
  EXPECT_FALSE(ini.SaveQueue("Bad", "Q", saved.queue, {}));
  EXPECT_FALSE(ini.SaveQueue("Bad", "Q", saved.queue, {"FIELD", "LOW", "HIGH", "COUNT", "LOW"}));
  EXPECT_FALSE(ini.LoadQueue("Old", "Q", old.queue, {"NOSUCH"}));
  EXPECT_EQ(old.queue.records(), 2u);
  EXPECT_EQ(ini.Fetch("Bad", "Q", "none"), "none");
  ini.Release();
}

TEST(INIManagerValues, FetchDeleteAndTheLimitsOfAValue) {
  test::TemporaryFolder folder;
  const std::string file = folder.file("app.ini");
  INIManager ini;
  EXPECT_FALSE(ini.Update("S", "E", "unbound"));
  ini.Bind(file);
  EXPECT_EQ(ini.Fetch("S", "E", "default"), "default");
  for (const std::string value : {"'single'", "\"double\"", "  blanks  ", "", "a=b;c"}) {
    ASSERT_TRUE(ini.Update("S", "E", value));
    EXPECT_EQ(ini.Fetch("S", "E", "default"), value);
  }
  EXPECT_FALSE(ini.Update("S", "E", "two\nlines")) << "refused, not half written";
  ASSERT_TRUE(ini.Update("S", "Long", std::string(1500, 'v')));
  EXPECT_EQ(ini.Fetch("S", "Long").size(), INIManager::kValueLength);
  ASSERT_TRUE(ini.Update("S", "E", INIManager::kUnknown));
  EXPECT_EQ(ini.Fetch("S", "E", "default"), "default") << "the sentinel reads as missing";

  ASSERT_TRUE(ini.Update("S", "N", "1234"));
  int32_t number = 7;
  std::string text = "unchanged";
  EXPECT_TRUE(ini.FetchInto("S", "N", *makeUfo(kLong, &number, 4)));
  EXPECT_EQ(number, 1234);
  EXPECT_FALSE(ini.FetchInto("S", "Missing", text));
  EXPECT_EQ(text, "unchanged");
  ASSERT_TRUE(ini.DeleteEntry("S", "N"));
  EXPECT_EQ(ini.Fetch("S", "N", "gone"), "gone");

  ini.Bind(std::string(300, 'f'));
  EXPECT_EQ(ini.FileName().size(), INIManager::kFileNameLength);
}

TEST(INIManagerSectors, NamesSplitBackAndTheListIsKeptBetweenRuns) {
  struct Case {
    const char* family;
    const char* item;
    const char* type;
  };
  const Case cases[] = {{"Query", "Main", "Browse:1"},
                        {"Query", "cost $5 $$ 10%", "a$$b$"},
                        {"Query", "", "t"},
                        {"Query", "%24%25", ""},
                        {"Q", "$", "$"}};
  for (const Case& c : cases) {
    const std::string name = INIManager::MakeSectorName(c.family, c.item, c.type);
    EXPECT_EQ(INIManager::SplitSectorName(name), (SectorName{c.family, c.item, c.type})) << name;
  }
  EXPECT_EQ(INIManager::MakeSectorName("Query", "a$b", "T"), "Query$a%24b$$T");

  test::TemporaryFolder folder;
  const std::string file = folder.file("app.ini");
  {
    INIManager ini;
    ini.Bind(file);
    ini.Release();
    EXPECT_FALSE(std::filesystem::exists(file)) << "an unchanged list is not written";
  }
  INIManager first, second;
  first.Bind(file);
  second.Bind(file);
  first.RegisterSector("Query$Main$$Sections");
  first.RegisterSector("Query$Main$$Sections");
  first.RegisterSector("Query$Form$$Settings");
  second.RegisterSector("Query$tsMRU$$Sections");
  EXPECT_EQ(first.ListSectors("Query", "", "Sections"),
            (std::vector<SectorName>{{"Query", "Main", "Sections"}}));
  EXPECT_EQ(first.ListSectors("", "", "").size(), 2u);
  first.Release();
  second.Release();  // adds its sector to what the first stored

  INIManager third;
  third.Bind(file);
  EXPECT_EQ(third.ListSectors("", "", "").size(), 3u);
  EXPECT_EQ(third.Fetch(INIManager::kSectorsSection, INIManager::kSectorsEntry), "3");
  EXPECT_EQ(third.Fetch(INIManager::kSectorsSection, "Sectors_1"), "Query,Main,Sections");
  third.Release();
}

TEST(INIManagerKinds, TheRegistryStoreAndNoStore) {
  test::TemporaryFolder folder;
  const std::string registry = folder.file("registry.ini");
  platform::setRegistryPath(registry);
  INIManager ini;
  ini.Bind("Software\\Pellmoor\\", INIManager::kRegistry, 0);
  ASSERT_TRUE(ini.Update("Main", "XPos", " 12 "));
  EXPECT_EQ(ini.Fetch("Main", "XPos"), " 12 ");
  EXPECT_EQ(
      platform::regQueryString(platform::HKEY_CLASSES_ROOT, "Software\\Pellmoor\\Main", "xpos"),
      " 12 ");
  ini.Bind("Software\\Pellmoor", INIManager::kRegistry, platform::HKEY_CURRENT_USER);
  ASSERT_TRUE(ini.Update("Main", "XPos", "7"));
  EXPECT_EQ(contents(registry),
            "[80000000\\Software\\Pellmoor\\Main]\nXPos=\" 12 \"\n\n"
            "[80000001\\Software\\Pellmoor\\Main]\nXPos=\"7\"\n");
  ASSERT_TRUE(ini.DeleteEntry("Main", "XPos"));
  EXPECT_EQ(ini.Fetch("Main", "XPos", "gone"), "gone");
  platform::setRegistryPath("");

  const std::string none = folder.file("none.ini");
  ini.Bind(none, INIManager::kNone, 0);
  EXPECT_TRUE(ini.Update("Main", "XPos", "1"));
  EXPECT_EQ(ini.Fetch("Main", "XPos", "default"), "default");
  ini.RegisterSector("Query$a$$b");
  ini.Release();
  EXPECT_FALSE(std::filesystem::exists(none));
}

TEST(INIManagerDamage, ADamagedFileIsKeptAsItIsAndIgnored) {
  test::TemporaryFolder folder;
  const std::string file = folder.file("app.ini");
  const std::string settings = "[Main]\nMaximize=Yes\nXPos=5\n";
  struct Case {
    const char* what;
    std::string text;
  };
  const Case cases[] = {
      {"binary", settings + std::string("\0\x01\xFF junk", 8) + "\n"},
      {"overlong line", settings + "k=" + std::string(70000, 'x') + "\n"},
      {"huge", settings + std::string(1100000, ';') + "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    write(file, c.text);
    MessageBoxScript boxes;
    INIManager ini;
    ini.Bind(file);
    EXPECT_NE(ini.Problem(), "");
    EXPECT_EQ(ini.Fetch("Main", "XPos", "default"), "default");
    EXPECT_FALSE(ini.Update("Main", "XPos", "9"));
    ui::Window window;
    window.rect = {1, 2, 3, 4};
    EXPECT_EQ(ini.RestoreWindow("Main", window).Got, 0);
    EXPECT_EQ(window.rect, (ui::Rect{1, 2, 3, 4}));
    ini.SaveWindow("Main", window);
    ini.RegisterSector("Query$a$$b");
    ini.Release();
    EXPECT_EQ(contents(file), c.text);
    ASSERT_EQ(boxes.shown().size(), 1u) << "told once";
    EXPECT_EQ(boxes.shown()[0].caption, "Settings File Not Used");
    EXPECT_NE(boxes.shown()[0].text.find(file), std::string::npos) << boxes.shown()[0].text;
  }
  // Mended, the file is used again.
  write(file, settings);
  INIManager ini;
  ini.Bind(file);
  EXPECT_EQ(ini.Fetch("Main", "XPos"), "5");

  // A folder where the file should be: nothing breaks, nothing is written.
  MessageBoxScript boxes;
  INIManager folderIni;
  folderIni.Bind(folder.path().string());
  EXPECT_FALSE(folderIni.Update("Main", "XPos", "1"));
  EXPECT_EQ(boxes.shown().size(), 1u);
}

}  // namespace
}  // namespace zor::fw
