#pragma once
// Shared pieces of the file and relation manager tests: two real Tarnwick
// tables in a temporary folder (parents with a unique name and a numbered
// id, children that name their parent), managers bound to them, and an
// error reporter that records what it raises and answers its questions
// from a script.

#include <gtest/gtest.h>

#include <unistd.h>
#include "tests/current_folder_test.h"

#include <cstring>
#include <deque>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/file_declaration.h"
#include "data/file_statements.h"
#include "data/tarnwick/table_verify.h"
#include "data/tarnwick/tarnwick_driver.h"
#include "framework/error_reporter.h"
#include "framework/file_manager.h"
#include "framework/relation_manager.h"
#include "runtime/type_codes.h"

namespace zor::fw::testing {

// Records every error it is asked to show and answers questions from a
// queue (Yes when it is empty). The program's end after a fatal error is
// recorded instead.
class RecordingReporter : public ErrorReporter {
 public:
  RecordingReporter() {
    Init();
    previousHalt_ = SetHaltHook([this](int) { ++halts; });
  }
  ~RecordingReporter() override { SetHaltHook(previousHalt_); }

  std::vector<int> shownIds;
  std::vector<std::string> shownTexts;
  std::deque<unsigned> answers;
  int halts = 0;
  // Boxes go to the real message box (the headless session answers them).
  bool showBoxes = false;

 protected:
  unsigned ShowMessageBox(const std::string& text, const std::string& title, unsigned icon,
                          unsigned buttons, unsigned defaultButton, int16_t style) override {
    shownIds.push_back(Status().errorBuffer.id);
    shownTexts.push_back(text);
    if (showBoxes) {
      return ErrorReporter::ShowMessageBox(text, title, icon, buttons, defaultButton, style);
    }
    if (answers.empty()) return (buttons & Button::Yes) != 0 ? Button::Yes : Button::Ok;
    const unsigned answer = answers.front();
    answers.pop_front();
    return answer;
  }

 private:
  HaltHook previousHalt_;
};

// Offsets of the two test tables' fields.
inline constexpr uint32_t kParentName = 0;  // P:NAME CSTRING(20)
inline constexpr uint32_t kParentId = 20;   // P:ID LONG
inline constexpr uint32_t kParentSize = 24;
inline constexpr uint32_t kChildId = 0;      // C:ID LONG
inline constexpr uint32_t kChildParent = 4;  // C:PARENT CSTRING(20)
inline constexpr uint32_t kChildText = 24;   // C:TEXT CSTRING(20)
inline constexpr uint32_t kChildSize = 44;

inline data::FileDeclaration parentDeclaration() {
  data::FileDeclaration declaration;
  declaration.label = "Parents";
  declaration.prefix = "P";
  declaration.driver = "TARNWICK";
  declaration.name = "parents.edt";
  declaration.recordSize = kParentSize;
  declaration.fields = {makeField("P:NAME", kCString, kParentName, 20),
                        makeField("P:ID", kLong, kParentId, 4)};
  declaration.keys = {
      data::KeyDeclaration{"P:K_Name", {"P:NAME"}, data::kKeyNoCase | data::kKeyOpt, ""},
      data::KeyDeclaration{"P:K_Id", {"P:ID"}, data::kKeyPrimary, ""}};
  return declaration;
}

inline data::FileDeclaration childDeclaration() {
  data::FileDeclaration declaration;
  declaration.label = "Children";
  declaration.prefix = "C";
  declaration.driver = "TARNWICK";
  declaration.name = "children.edt";
  declaration.recordSize = kChildSize;
  declaration.fields = {makeField("C:ID", kLong, kChildId, 4),
                        makeField("C:PARENT", kCString, kChildParent, 20),
                        makeField("C:TEXT", kCString, kChildText, 20)};
  declaration.keys = {
      data::KeyDeclaration{"C:K_Id", {"C:ID"}, data::kKeyPrimary, ""},
      data::KeyDeclaration{
          "C:K_Parent", {"C:PARENT"}, data::kKeyDup | data::kKeyNoCase | data::kKeyOpt, ""}};
  return declaration;
}

inline void putText(data::FileControlBlock& file, uint32_t offset, uint32_t size,
                    const std::string& text) {
  std::memset(file.record.data() + offset, 0, size);
  std::memcpy(file.record.data() + offset, text.data(), std::min<size_t>(text.size(), size - 1));
}
inline std::string textAt(const data::FileControlBlock& file, uint32_t offset) {
  return std::string(reinterpret_cast<const char*>(file.record.data() + offset));
}
inline void putLong(data::FileControlBlock& file, uint32_t offset, int32_t value) {
  std::memcpy(file.record.data() + offset, &value, 4);
}
inline int32_t longAt(const data::FileControlBlock& file, uint32_t offset) {
  int32_t value = 0;
  std::memcpy(&value, file.record.data() + offset, 4);
  return value;
}

// A folder of its own per test, made the current directory, with the
// Tarnwick driver registered.
class TableFolderTest : public zor::testing::CurrentFolderTest {
 protected:
  void SetUp() override {
    tarnwick::registerTarnwickDriver();
    CurrentFolderTest::SetUp();
  }
  // Every table file left in the folder must pass the driver's own check.
  void expectSoundFiles() {
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
      if (entry.path().extension() != ".edt") continue;
      const tarnwick::TableCheck check = tarnwick::checkTables(entry.path().string());
      EXPECT_TRUE(check.ok()) << entry.path() << ": " << (check.ok() ? "" : check.problems.front());
    }
  }
};

// Parents and children with their managers: children name their parent,
// and the relation's rules are set per test.
class ManagedTables : public TableFolderTest {
 protected:
  void SetUp() override {
    TableFolderTest::SetUp();
    ASSERT_EQ(data::declareFile(parents, parentDeclaration()), 0);
    ASSERT_EQ(data::declareFile(children, childDeclaration()), 0);
    bindManager(parentFiles, parents, "Parents");
    bindManager(childFiles, children, "Children");
    parentFiles.DeclareKey(parents.keys[0], "P:K_Name", false);
    parentFiles.DeclareKey(parents.keys[1], "P:K_Id", true);
    childFiles.DeclareKey(children.keys[0], "C:K_Id", true);
    childFiles.DeclareKey(children.keys[1], "C:K_Parent", false);
    parentRelations.Bind(&parentFiles, 1);
    childRelations.Bind(&childFiles, 1);
  }
  void TearDown() override {
    parentRelations.Release();
    childRelations.Release();
    parentFiles.Release();
    childFiles.Release();
    data::statement::close(parents);
    data::statement::close(children);
    expectSoundFiles();
    TableFolderTest::TearDown();
  }

  void bindManager(FileManager& manager, data::FileControlBlock& file, const char* name) {
    manager.FileNameValue = name;
    manager.Bind(file, reporter);
    manager.Init();
    manager.Create = 1;
  }
  // Parents and children related with the given rules (update, delete).
  void relate(uint8_t updateMode, uint8_t deleteMode) {
    parentRelations.LinkTable(childRelations, updateMode, deleteMode, &children.keys[1]);
    parentRelations.LinkFields(fieldByLabel(parents, "P:NAME"), fieldByLabel(children, "C:PARENT"));
    parentRelations.DeferedRelationsDone = 1;
    childRelations.LinkTable(parentRelations);
    childRelations.DeferedRelationsDone = 1;
  }

  void addParent(const std::string& name) {
    parentFiles.PrimeRecord();
    putText(parents, kParentName, 20, name);
    ASSERT_EQ(parentFiles.Insert(), Level::Benign) << name;
  }
  int32_t addChild(const std::string& parent, const std::string& text) {
    childFiles.PrimeRecord();
    putText(children, kChildParent, 20, parent);
    putText(children, kChildText, 20, text);
    EXPECT_EQ(childFiles.Insert(), Level::Benign) << text;
    return longAt(children, kChildId);
  }
  // The parent of every child, in id order, as "id:parent".
  std::vector<std::string> childParents() {
    std::vector<std::string> rows;
    EXPECT_EQ(childFiles.SetOrder(children.keys[0]), Level::Benign);
    while (childFiles.ReadNext() == Level::Benign) {
      rows.push_back(std::to_string(longAt(children, kChildId)) + ":" +
                     textAt(children, kChildParent));
    }
    return rows;
  }
  uint8_t findParent(const std::string& name) {
    putText(parents, kParentName, 20, name);
    return parentFiles.FetchByKey(parents.keys[0], 0);
  }

  RecordingReporter reporter;
  data::FileControlBlock parents;
  data::FileControlBlock children;
  FileManager parentFiles;
  FileManager childFiles;
  RelationManager parentRelations;
  RelationManager childRelations;
};

}  // namespace zor::fw::testing
