// The file manager on real Tarnwick tables: opening with its fall-backs and
// usage count, duplicate keys named in the message, numbering through the
// auto-increment key (also by two processes at once), and a change lost to
// another station.

#include "framework/file_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "data/file_errors.h"
#include "data/file_statements.h"
#include "tests/data/tarnwick_process_support.h"
#include "tests/framework/manager_test_support.h"

namespace zor::fw::testing {
namespace {

namespace st = data::statement;

using FileManagerTest = ManagedTables;

TEST_F(FileManagerTest, OpenCreatesAMissingTableOnlyWhenAllowed) {
  childFiles.Create = 0;
  EXPECT_NE(childFiles.Open(), Level::Benign);
  EXPECT_EQ(reporter.Status().errorBuffer.id, 26);
  EXPECT_EQ(reporter.Status().saveErrorCode, data::kErrFileNotFound);
  EXPECT_FALSE(std::filesystem::exists("children.edt"));

  childFiles.Create = 1;
  EXPECT_EQ(childFiles.Open(), Level::Benign);
  EXPECT_TRUE(std::filesystem::exists("children.edt"));
  EXPECT_EQ(childFiles.Opened, 1);
  EXPECT_EQ(childFiles.Close(), Level::Benign);
}

TEST_F(FileManagerTest, OpenFallsBackToReadOnlyWhenAnotherStationDeniesWriting) {
  ASSERT_EQ(parentFiles.Open(), Level::Benign);
  addParent("Graphics");
  ASSERT_EQ(parentFiles.Close(), Level::Benign);

  data::FileControlBlock other;
  ASSERT_EQ(data::declareFile(other, parentDeclaration()), 0);
  ASSERT_EQ(st::open(other, st::kReadWriteDenyWrite), 0);
  EXPECT_EQ(parentFiles.Open(), Level::Benign);
  EXPECT_EQ(reporter.Status().errorBuffer.id, 2);
  EXPECT_EQ(parentFiles.OpenMode & OpenModeBits::AccessMask, OpenModeBits::ReadOnly);
  EXPECT_EQ(findParent("graphics"), Level::Benign);
  // Writing is refused by the driver and reported, not claimed.
  parentFiles.PrimeRecord();
  putText(parents, kParentName, 20, "Sound");
  EXPECT_NE(parentFiles.Insert(0), Level::Benign);
  EXPECT_EQ(parentFiles.Close(), Level::Benign);
  st::close(other);
}

TEST_F(FileManagerTest, OpensAreCountedPerProcedureAndClosedByTheLast) {
  ASSERT_EQ(parentFiles.Open(), Level::Benign);
  reporter.SetProcedureName("Nested");
  ASSERT_EQ(parentFiles.Open(), Level::Benign);
  EXPECT_EQ(parentFiles.Opener->Usage(parents), 2);
  EXPECT_EQ(parentFiles.Close(), Level::Benign);
  // A procedure closes only what it opened.
  EXPECT_EQ(parentFiles.Close(), Level::Benign);
  EXPECT_EQ(parentFiles.Opener->Usage(parents), 1);
  reporter.PopProcedureName();
  EXPECT_EQ(parentFiles.Close(), Level::Benign);
  EXPECT_EQ(parentFiles.Opener->Usage(parents), 0);
  EXPECT_EQ(parentFiles.Opened, 0);
  EXPECT_EQ(st::next(parents), data::kErrFileNotOpen);
}

TEST_F(FileManagerTest, ADuplicateNamesTheKeyItClashesWith) {
  ASSERT_EQ(parentFiles.Open(), Level::Benign);
  addParent("Graphics");
  struct Case {
    const char* name;
    uint8_t level;
  };
  for (const Case& c : {Case{"graphics", Level::Notify}, Case{"GRAPHICS", Level::Notify},
                        Case{"Graphic", Level::Benign}}) {
    parentFiles.PrimeRecord();
    putText(parents, kParentName, 20, c.name);
    EXPECT_EQ(parentFiles.Insert(), c.level) << c.name;
    if (c.level == Level::Notify) {
      EXPECT_EQ(reporter.Status().errorBuffer.id, 15);
      EXPECT_EQ(reporter.Status().keyName, "P:K_Name");
      EXPECT_EQ(reporter.Status().messageText, "P:K_Name (P:NAME)");
    }
  }
  int64_t count = 0;
  st::records(parents, count);
  EXPECT_EQ(count, 2);
  // A refused duplicate gives back the number it had taken.
  parentFiles.PrimeRecord();
  putText(parents, kParentName, 20, "Sound");
  ASSERT_EQ(parentFiles.Insert(), Level::Benign);
  EXPECT_EQ(longAt(parents, kParentId), 3);
}

TEST_F(FileManagerTest, NumbersFollowTheHighestInUseAndReservationsAreGivenBack) {
  ASSERT_EQ(childFiles.Open(), Level::Benign);
  EXPECT_EQ(addChild("", "a"), 1);
  EXPECT_EQ(addChild("", "b"), 2);
  EXPECT_EQ(addChild("", "c"), 3);

  // The highest is moved to 10: numbering goes on from there.
  putLong(children, kChildId, 3);
  ASSERT_EQ(childFiles.FetchByKey(children.keys[0]), Level::Benign);
  putLong(children, kChildId, 10);
  ASSERT_EQ(childFiles.Update(), Level::Benign);
  EXPECT_EQ(addChild("", "d"), 11);

  // A record primed for an insert holds its number until it is given back.
  childFiles.PrimeRecord();
  ASSERT_EQ(childFiles.PrimeAutoInc(), Level::Benign);
  EXPECT_EQ(longAt(children, kChildId), 12);
  int64_t count = 0;
  st::records(children, count);
  EXPECT_EQ(count, 5);
  ASSERT_EQ(childFiles.CancelAutoInc(), Level::Benign);
  st::records(children, count);
  EXPECT_EQ(count, 4);

  // Completing a reservation writes the values over the reserved record,
  // even after a nested procedure opened and closed the table meanwhile.
  childFiles.PrimeRecord();
  ASSERT_EQ(childFiles.PrimeAutoInc(), Level::Benign);
  reporter.SetProcedureName("Lookup");
  ASSERT_EQ(childFiles.Open(), Level::Benign);
  ASSERT_EQ(childFiles.Close(), Level::Benign);
  reporter.PopProcedureName();
  putText(children, kChildText, 20, "e");
  ASSERT_EQ(childFiles.Insert(), Level::Benign);
  st::records(children, count);
  EXPECT_EQ(count, 5);
  putLong(children, kChildId, 12);
  ASSERT_EQ(childFiles.FetchByKey(children.keys[0]), Level::Benign);
  EXPECT_EQ(textAt(children, kChildText), "e");
}

TEST_F(FileManagerTest, TwoProcessesNumberingAtOnceGetDistinctNumbers) {
  ASSERT_EQ(childFiles.Open(), Level::Benign);
  ASSERT_EQ(childFiles.Close(), Level::Benign);
  constexpr int kPerProcess = 40;
  const auto outcomes = tarnwick::testing::runTogether(2, [](int index, std::string& output) {
    data::FileControlBlock file;
    if (data::declareFile(file, childDeclaration()) != 0) return 1;
    RecordingReporter errors;
    FileManager manager;
    manager.Bind(file, errors);
    manager.Init();
    manager.DeclareKey(file.keys[0], "C:K_Id", true);
    if (manager.Open() != Level::Benign) return 2;
    for (int i = 0; i < kPerProcess; ++i) {
      manager.PrimeRecord();
      putText(file, kChildText, 20, std::to_string(index) + "-" + std::to_string(i));
      if (manager.Insert() != Level::Benign) {
        output = "insert failed with error " + std::to_string(errors.Status().errorBuffer.id) +
                 " (driver " + std::to_string(errors.Status().saveErrorCode) + ")";
        return 3;
      }
    }
    manager.Close();
    manager.Release();
    return 0;
  });
  for (const auto& outcome : outcomes) EXPECT_EQ(outcome.status, 0) << outcome.output;

  ASSERT_EQ(childFiles.Open(), Level::Benign);
  std::set<int32_t> ids;
  std::set<std::string> texts;
  ASSERT_EQ(childFiles.SetOrder(children.keys[0]), Level::Benign);
  while (childFiles.ReadNext() == Level::Benign) {
    ids.insert(longAt(children, kChildId));
    texts.insert(textAt(children, kChildText));
  }
  EXPECT_EQ(texts.size(), 2u * kPerProcess);
  ASSERT_EQ(ids.size(), 2u * kPerProcess);
  EXPECT_EQ(*ids.begin(), 1);
  EXPECT_EQ(*ids.rbegin(), 2 * kPerProcess);
}

TEST_F(FileManagerTest, AChangeLostToAnotherStationShowsTheirValues) {
  ASSERT_EQ(childFiles.Open(), Level::Benign);
  addChild("Graphics", "mine");
  std::string position;
  ASSERT_EQ(st::position(children, position), 0);

  // The other station changes the record after this one read it watched.
  ASSERT_EQ(childFiles.Reget(position, true), Level::Benign);
  data::FileControlBlock other;
  ASSERT_EQ(data::declareFile(other, childDeclaration()), 0);
  ASSERT_EQ(st::open(other, st::kReadWriteDenyNone), 0);
  ASSERT_EQ(st::reget(other, position), 0);
  putText(other, kChildText, 20, "theirs");
  ASSERT_EQ(st::put(other), 0);
  st::close(other);

  putText(children, kChildText, 20, "edited");
  EXPECT_EQ(childFiles.Update(2), Level::Notify);
  EXPECT_EQ(reporter.Status().errorBuffer.id, 8);
  EXPECT_EQ(textAt(children, kChildText), "theirs");
  // The next try is measured against what was shown.
  putText(children, kChildText, 20, "edited");
  EXPECT_EQ(childFiles.Update(2), Level::Benign);
}

}  // namespace
}  // namespace zor::fw::testing
