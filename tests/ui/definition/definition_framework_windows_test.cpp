// The framework's and the Tarnwick driver's window declarations
// (framework/windows, ui/windows): every file reads, every window builds,
// and the windows carry the owners, labels and texts their code opens and
// addresses them by.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "data/tarnwick/table_picker.h"
#include "tests/ui/ui_test_support.h"
#include "ui/definition/definition_block.h"
#include "ui/definition/definition_kinds.h"
#include "ui/definition/definition_source.h"
#include "ui/definition/definition_writer.h"
#include "ui/list_box/list_format_parser.h"
#include "ui/window_builder.h"

namespace zor::ui {
namespace {

namespace fs = std::filesystem;

struct DeclaredFile {
  std::string path;
  std::vector<DefinitionModule> modules;
};

std::vector<DeclaredFile> declaredFiles() {
  std::vector<DeclaredFile> files;
  for (const char* directory : {ZOR_FRAMEWORK_WINDOWS_DIR, ZOR_DRIVER_WINDOWS_DIR}) {
    std::vector<fs::path> paths;
    for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
      if (entry.path().extension() == ".win") paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());
    for (const fs::path& path : paths) {
      std::ifstream in(path);
      std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      auto parsed = parseDeclarations(text, path.string());
      EXPECT_TRUE(parsed.ok()) << parsed.error;
      files.push_back(
          {path.string(), parsed.value ? *parsed.value : std::vector<DefinitionModule>{}});
    }
  }
  return files;
}

// Every window of every file, by owning name.
std::map<std::string, DefinitionModule> declaredModules() {
  std::map<std::string, DefinitionModule> modules;
  for (const DeclaredFile& file : declaredFiles()) {
    for (const DefinitionModule& module : file.modules) modules[module.owningName] = module;
  }
  return modules;
}

const WindowDefinition* windowOf(const std::map<std::string, DefinitionModule>& modules,
                                 const std::string& owner, const std::string& label) {
  auto module = modules.find(owner);
  if (module == modules.end()) return nullptr;
  for (const WindowDefinition& window : module->second.windows) {
    if (window.label == label) return &window;
  }
  return nullptr;
}

const ControlDefinition* useOf(const WindowDefinition& window, const std::string& use) {
  const ControlDefinition* found = nullptr;
  forEachControl(window, [&](const ControlDefinition& control, int) {
    if (control.use == use) found = &control;
  });
  return found;
}

// The texts of the controls of one kind, in declaration order.
std::vector<std::string> textsOf(const WindowDefinition& window, uint8_t kind) {
  std::vector<std::string> texts;
  forEachControl(window, [&](const ControlDefinition& control, int) {
    if (control.kind == kind) texts.push_back(control.text);
  });
  return texts;
}

// The control a prompt hands its hot key to: the one declared after it.
const ControlDefinition* promptTarget(const WindowDefinition& window, const std::string& text) {
  const ControlDefinition* prompt = nullptr;
  forEachControl(window, [&](const ControlDefinition& control, int) {
    if (control.kind == ControlKind::Prompt && control.text == text) prompt = &control;
  });
  return prompt ? findControl(window, prompt->equate + 1) : nullptr;
}

bool overlap(const DefinitionRect& a, const DefinitionRect& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

TEST(DefinitionFrameworkWindows, EveryFileReadsAndEveryWindowBuildsFromItsBlock) {
  std::vector<DeclaredFile> files = declaredFiles();
  ASSERT_GE(files.size(), 5u);
  std::set<std::string> owners;
  for (const DeclaredFile& file : files) {
    SCOPED_TRACE(file.path);
    ASSERT_EQ(file.modules.size(), 1u);
    const DefinitionModule& module = file.modules.front();
    // Each file compiles into its own resource: a second file naming the
    // same owner would hide the first from the look-up.
    EXPECT_TRUE(owners.insert(definitionResourceName(module.owningName)).second)
        << module.owningName;
    ASSERT_FALSE(module.windows.empty());

    auto block = readDefinitionBlock(writeDefinitionBlock(module.windows));
    ASSERT_TRUE(block.ok()) << block.error;
    ASSERT_EQ(*block.value, module.windows);
    for (const WindowDefinition& window : *block.value) {
      SCOPED_TRACE(window.label);
      test::FatalError error = test::fatalErrorOf([&] { buildWindow(window); });
      EXPECT_EQ(error.code, 0) << error.what();
    }
  }
}

TEST(DefinitionFrameworkWindows, LayoutsFitTheirWindowsAndReadAsDeclared) {
  for (const DeclaredFile& file : declaredFiles()) {
    for (const DefinitionModule& module : file.modules) {
      for (const WindowDefinition& window : module.windows) {
        SCOPED_TRACE(file.path + " " + window.label);
        std::vector<const ControlDefinition*> shown;
        std::map<char, std::string> hotKeys;
        forEachControl(window, [&](const ControlDefinition& control, int) {
          SCOPED_TRACE(control.use);
          const DefinitionRect& r = control.rect;
          ASSERT_NE(r.x, DefaultPosition);
          ASSERT_NE(r.width, DefaultPosition);
          EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.width <= window.rect.width &&
                      r.y + r.height <= window.rect.height)
              << "outside the window";
          if (!control.format.empty()) {
            EXPECT_EQ(validateListFormat(control.format), 0u) << control.format;
          }
          Control caption(control.kind, control.use);
          caption.text = control.text;
          if (char key = caption.hotKey(); key != 0 && control.kind != ControlKind::String) {
            auto [other, fresh] = hotKeys.emplace(key, control.use);
            EXPECT_TRUE(fresh) << "hot key " << key << " also on " << other->second;
          }
          if (!control.has(ControlAttr::Hidden) && control.children.empty()) {
            for (const ControlDefinition* before : shown) {
              EXPECT_FALSE(overlap(before->rect, r)) << "covers " << before->use;
            }
            shown.push_back(&control);
          }
        });
      }
    }
  }
}

TEST(DefinitionFrameworkWindows, EditInPlaceAndPopupWindowsUnderTheirModules) {
  auto modules = declaredModules();
  EXPECT_EQ(definitionResourceName("Zorvane$OBEIP"), "OBEIP_RSC");
  EXPECT_EQ(definitionResourceName("Zorvane$OBPOPUP"), "OBPOPUP_RSC");

  const WindowDefinition* text = windowOf(modules, "Zorvane$OBEIP", "$TXTWINDOW");
  ASSERT_NE(text, nullptr);
  const ControlDefinition* editor = useOf(*text, "?TEXT");
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->kind, ControlKind::Text);
  ASSERT_TRUE(editor->font.has_value());
  EXPECT_EQ(editor->font->typeface, "Courier New");
  EXPECT_EQ(textsOf(*text, ControlKind::Button), (std::vector<std::string>{"&Ok", "&Cancel"}));

  const WindowDefinition* multi = windowOf(modules, "Zorvane$OBEIP", "$MULTIWINDOW");
  ASSERT_NE(multi, nullptr);
  EXPECT_EQ(multi->title, "Choose items and order");
  for (const char* prompt : {"&Available items", "&Selected items"}) {
    const ControlDefinition* list = promptTarget(*multi, prompt);
    ASSERT_NE(list, nullptr) << prompt;
    EXPECT_EQ(list->kind, ControlKind::List) << prompt;
  }
  for (const char* use : {"?ADD", "?ADDALL", "?REMOVE", "?REMOVEALL", "?UP", "?DOWN"}) {
    const ControlDefinition* mover = useOf(*multi, use);
    ASSERT_NE(mover, nullptr) << use;
    EXPECT_EQ(mover->kind, ControlKind::Button) << use;
  }
  EXPECT_EQ(useOf(*multi, "?OK")->text, "&Ok");
  EXPECT_TRUE(useOf(*multi, "?OK")->has(ControlAttr::Default));
  EXPECT_EQ(useOf(*multi, "?CANCEL")->text, "&Cancel");

  const WindowDefinition* toolbox = windowOf(modules, "Zorvane$OBPOPUP", "P10$W");
  ASSERT_NE(toolbox, nullptr);
  EXPECT_EQ(useOf(*toolbox, "?LIST")->kind, ControlKind::List);
}

TEST(DefinitionFrameworkWindows, ErrorReporterBoxOffersEveryButtonAndHistoryListsErrors) {
  auto modules = declaredModules();
  const WindowDefinition* box = windowOf(modules, "Zorvane$OBERROR", "$MSGWINDOW");
  ASSERT_NE(box, nullptr);
  std::vector<std::string> buttons = textsOf(*box, ControlKind::Button);
  for (const char* text :
       {"O&k", "&Yes", "&No", "&Abort", "&Retry", "&Ignore", "&Cancel", "&Help"}) {
    EXPECT_EQ(std::count(buttons.begin(), buttons.end(), text), 1) << text;
  }
  ASSERT_NE(useOf(*box, "?MESSAGE"), nullptr);
  EXPECT_TRUE(useOf(*box, "?MESSAGE")->has(ControlAttr::ReadOnly));
  ASSERT_NE(useOf(*box, "?ICON"), nullptr);

  const WindowDefinition* history = windowOf(modules, "Zorvane$OBERROR", "$HISTORYWINDOW");
  ASSERT_NE(history, nullptr);
  EXPECT_EQ(history->title, "Errors History");
  const ControlDefinition* list = useOf(*history, "?LIST");
  ASSERT_NE(list, nullptr);
  // A history entry holds the text, the level and the number, in that order.
  ListParseResult format = parseListFormat(list->format, {}, ListReading::Strict);
  ASSERT_TRUE(format.ok());
  ASSERT_EQ(format.format.columns.size(), 3u);
  EXPECT_EQ(format.format.columns[0].field, 3);
  EXPECT_EQ(format.format.columns[1].field, 2);
  EXPECT_EQ(format.format.columns[2].field, 1);
}

TEST(DefinitionFrameworkWindows, DriverDialogsShowTheTextsTheDriverUses) {
  auto modules = declaredModules();
  const WindowDefinition* table = windowOf(modules, "Z60TWKSX$TWKPICK", "$TABLEWINDOW");
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->title, tarnwick::kPickTableTitle);
  const ControlDefinition* name = promptTarget(*table, tarnwick::kPickTablePrompt);
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->kind, ControlKind::Entry);
  EXPECT_EQ(useOf(*table, "?LIST")->kind, ControlKind::List);

  const WindowDefinition* file = windowOf(modules, "Z60TWKSX$TWKPICK", "$FILEWINDOW");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->title, tarnwick::kPickFileTitle);
  const ControlDefinition* filter = useOf(*file, "?FILTER");
  ASSERT_NE(filter, nullptr);
  EXPECT_EQ(filter->kind, ControlKind::DropList);
  EXPECT_EQ(filter->text, tarnwick::kPickFileFilter);

  const WindowDefinition* builder = windowOf(modules, "Z60TWKSX$TWKBUILD", "$BUILDWINDOW");
  ASSERT_NE(builder, nullptr);
  EXPECT_EQ(builder->title, "Tarnwick Driver String Builder");
  const ControlDefinition* tcf = promptTarget(*builder, "&Transaction Control File:");
  ASSERT_NE(tcf, nullptr);
  EXPECT_EQ(tcf->kind, ControlKind::Entry);
  EXPECT_EQ(tcf->picture, "@s255");
  EXPECT_EQ(useOf(*builder, "?TCF:LOOKUP")->tip, "Select Transaction Control File");
  EXPECT_EQ(textsOf(*builder, ControlKind::Check),
            std::vector<std::string>{"&Check Decimal Places"});
}

}  // namespace
}  // namespace zor::ui
