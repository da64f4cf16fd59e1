// Referential integrity between parents and the children that name them:
// renaming and deleting a parent under each rule, inside one transaction.

#include "framework/relation_manager.h"

#include <gtest/gtest.h>

#include "data/file_statements.h"
#include "tests/framework/manager_test_support.h"

namespace zor::fw::testing {
namespace {

namespace st = data::statement;

class RelationManagerTest : public ManagedTables {
 protected:
  // Two parents; Graphics has two children, Sound one, one child has none.
  void fill() {
    ASSERT_EQ(parentRelations.Open(), Level::Benign);
    addParent("Graphics");
    addParent("Sound");
    addChild("Graphics", "a");
    addChild("Sound", "b");
    addChild("graphics", "c");
    addChild("", "d");
  }
  uint8_t renameGraphics(const std::string& to) {
    EXPECT_EQ(findParent("Graphics"), Level::Benign);
    putText(parents, kParentName, 20, to);
    return parentRelations.Update();
  }
};

struct UpdateCase {
  uint8_t mode;
  uint8_t level;
  std::vector<std::string> children;
  std::string parentAfter;  // the parent's name stored afterwards
  int error;
};

class UpdateRuleTest : public RelationManagerTest,
                       public ::testing::WithParamInterface<UpdateCase> {};

TEST_P(UpdateRuleTest, RenamingAParentAppliesTheUpdateRule) {
  const UpdateCase& c = GetParam();
  relate(c.mode, RIMode::None);
  fill();
  EXPECT_EQ(renameGraphics("Graphic Arts"), c.level);
  if (c.error != 0) {
    EXPECT_EQ(reporter.Status().errorBuffer.id, c.error);
    EXPECT_EQ(reporter.Status().fileName, "Children");
    // The linking field is put back to its value as read.
    EXPECT_EQ(textAt(parents, kParentName), "Graphics");
  }
  EXPECT_EQ(childParents(), c.children);
  EXPECT_EQ(findParent(c.parentAfter), Level::Benign);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, UpdateRuleTest,
    ::testing::Values(
        UpdateCase{RIMode::Clear, Level::Benign, {"1:", "2:Sound", "3:", "4:"}, "Graphic Arts", 0},
        UpdateCase{RIMode::Cascade,
                   Level::Benign,
                   {"1:Graphic Arts", "2:Sound", "3:Graphic Arts", "4:"},
                   "Graphic Arts",
                   0},
        UpdateCase{RIMode::Restrict,
                   Level::Notify,
                   {"1:Graphics", "2:Sound", "3:graphics", "4:"},
                   "Graphics",
                   34},
        UpdateCase{RIMode::None,
                   Level::Benign,
                   {"1:Graphics", "2:Sound", "3:graphics", "4:"},
                   "Graphic Arts",
                   0}));

TEST_F(RelationManagerTest, ARenameInCaseOnlyKeepsTheLink) {
  relate(RIMode::Clear, RIMode::Clear);
  fill();
  EXPECT_EQ(renameGraphics("GRAPHICS"), Level::Benign);
  EXPECT_EQ(childParents(),
            (std::vector<std::string>{"1:Graphics", "2:Sound", "3:graphics", "4:"}));
}

struct DeleteCase {
  uint8_t mode;
  uint8_t level;
  std::vector<std::string> children;
  bool parentStays;
  int error;
};

class DeleteRuleTest : public RelationManagerTest,
                       public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteRuleTest, DeletingAParentAppliesTheDeleteRule) {
  const DeleteCase& c = GetParam();
  relate(RIMode::None, c.mode);
  fill();
  ASSERT_EQ(findParent("Graphics"), Level::Benign);
  EXPECT_EQ(parentRelations.Delete(0), c.level);
  if (c.error != 0) {
    EXPECT_EQ(reporter.Status().errorBuffer.id, c.error);
  }
  EXPECT_EQ(childParents(), c.children);
  EXPECT_EQ(findParent("Graphics") == Level::Benign, c.parentStays);
  EXPECT_EQ(findParent("Sound"), Level::Benign);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, DeleteRuleTest,
    ::testing::Values(
        DeleteCase{RIMode::Clear, Level::Benign, {"1:", "2:Sound", "3:", "4:"}, false, 0},
        DeleteCase{RIMode::Cascade, Level::Benign, {"2:Sound", "4:"}, false, 0},
        DeleteCase{RIMode::Restrict,
                   Level::Notify,
                   {"1:Graphics", "2:Sound", "3:graphics", "4:"},
                   true,
                   33}));

}  // namespace
}  // namespace zor::fw::testing
