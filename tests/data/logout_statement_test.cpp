// The LOGOUT statement's own checks, made before any driver is called: a
// second LOGOUT on a thread, files of different drivers, missing files;
// COMMIT and ROLLBACK ending the thread's LOGOUT; the numbered messages and
// their replacement by message resources.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "data/driver_descriptor.h"
#include "data/driver_operation.h"
#include "data/driver_registry.h"
#include "data/file_control_block.h"
#include "data/file_errors.h"
#include "data/file_statements.h"
#include "data/logout_faults.h"
#include "platform/resources.h"
#include "runtime/error_state.h"
#include "tests/data/tables_test_support.h"

namespace zor::data {
namespace {

// What the two scripted drivers saw, and what they answer to LOGOUT and
// COMMIT.
struct Script {
  std::vector<int> ops;
  int logoutAnswer = kNoError;
  int commitAnswer = kNoError;
};
thread_local Script tFirst, tSecond;

int scriptedAnswer(Script& script, int op) {
  script.ops.push_back(op);
  if (op == opNumber(Op::LOGOUT)) return script.logoutAnswer;
  if (op == opNumber(Op::COMMIT)) return script.commitAnswer;
  return kNoError;
}
int firstEntry(int op, FileControlBlock*, void*) {
  return scriptedAnswer(tFirst, op);
}
int secondEntry(int op, FileControlBlock*, void*) {
  return scriptedAnswer(tSecond, op);
}

void registerScripted(const char* name, DriverEntry entry) {
  DriverDescriptor descriptor = asciiDescriptor();
  std::snprintf(descriptor.name, sizeof descriptor.name, "%s", name);
  registerDriver(descriptor, entry);
}

namespace st = statement;

class LogoutStatementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registerScripted("LOGFIRST", &firstEntry);
    registerScripted("LOGSECOND", &secondEntry);
    a_.driverName = "LOGFIRST";
    b_.driverName = "LOGFIRST";
    c_.driverName = "LOGSECOND";
    tFirst = {};
    tSecond = {};
  }
  // No test leaves a LOGOUT active on the thread for the next one.
  void TearDown() override {
    st::rollback(a_);
    st::rollback(c_);
  }

  int logout(std::vector<FileControlBlock*> files) { return st::logout(1, files); }
  static int count(const Script& script, Op op) {
    return static_cast<int>(std::count(script.ops.begin(), script.ops.end(), opNumber(op)));
  }

  FileControlBlock a_, b_, c_;
};

TEST_F(LogoutStatementTest, ASecondLogoutOnTheThreadIsRefusedWhateverItsDriver) {
  ASSERT_EQ(logout({&a_, &b_}), kNoError);
  EXPECT_EQ(logout({&a_}), kErrLogoutAlreadyActive);
  EXPECT_EQ(errorCode(), kErrLogoutAlreadyActive);
  EXPECT_EQ(errorText(), "LOGOUT Already Active");
  EXPECT_EQ(logout({&c_}), kErrLogoutAlreadyActive);
  EXPECT_EQ(count(tFirst, Op::LOGOUT), 1);
  EXPECT_EQ(count(tSecond, Op::LOGOUT), 0);

  // Another thread has a LOGOUT of its own.
  int other = -1;
  std::thread([&] {
    FileControlBlock file;
    file.driverName = "LOGSECOND";
    FileControlBlock* files[] = {&file};
    other = st::logout(1, files);
    st::rollback(file);
  }).join();
  EXPECT_EQ(other, kNoError);

  // COMMIT through a file of another driver does not end this one.
  EXPECT_EQ(st::commit(c_), kNoError);
  EXPECT_EQ(logout({&a_}), kErrLogoutAlreadyActive);
  // A failing COMMIT ends it as well: the driver's transaction is over.
  tFirst.commitAnswer = kErrUnableToRollback;
  EXPECT_EQ(st::commit(b_), kErrUnableToRollback);
  EXPECT_EQ(logout({&a_}), kNoError);
  ASSERT_EQ(st::rollback(a_), kNoError);
  EXPECT_EQ(logout({&b_}), kNoError);
}

TEST_F(LogoutStatementTest, FilesOfDifferentDriversAreRefusedWithMessageFive) {
  EXPECT_EQ(logout({&a_, &c_, &b_}), kErrUnableToLogTransaction);
  EXPECT_EQ(errorCode(), kErrUnableToLogTransaction);
  EXPECT_EQ(errorText(), "Unable To Log Transaction");
  EXPECT_EQ(fileErrorCode(), "5");
  EXPECT_EQ(fileErrorText(), "Attempting to LOGOUT files from different file drivers");
  EXPECT_TRUE(tFirst.ops.empty());
  EXPECT_TRUE(tSecond.ops.empty());
  // Nothing was started: a LOGOUT of one driver's files goes ahead.
  EXPECT_EQ(logout({&c_}), kNoError);
  EXPECT_EQ(fileErrorCode(), "");
}

TEST_F(LogoutStatementTest, ARefusedLogoutLeavesTheThreadFree) {
  tFirst.logoutAnswer = kErrFileNotOpen;
  EXPECT_EQ(logout({&a_}), kErrFileNotOpen);
  tFirst.logoutAnswer = kNoError;
  EXPECT_EQ(logout({&a_}), kNoError);

  EXPECT_EQ(st::rollback(a_), kNoError);
  EXPECT_EQ(logout({}), kErrInvalidParameterCount);
  EXPECT_EQ(errorCode(), kErrInvalidParameterCount);
  EXPECT_EQ(logout({&a_, nullptr}), kErrInvalidParameterCount);
  FileControlBlock unknown;
  unknown.driverName = "NO SUCH DRIVER";
  EXPECT_EQ(logout({&a_, &unknown}), kErrInvalidRecordDeclaration);
  EXPECT_EQ(count(tFirst, Op::LOGOUT), 2);
  EXPECT_EQ(logout({&a_}), kNoError);
}

TEST(LogoutFaultsTest, MessagesByNumberAndTheirResources) {
  EXPECT_STREQ(builtInLogoutFaultText(7), "Cannot LOGOUT file");
  EXPECT_STREQ(builtInLogoutFaultText(0), "");
  EXPECT_STREQ(builtInLogoutFaultText(8), "");

  const std::string text = std::string("Datei auf anderem Thread\0rest", 29);
  platform::registerResource("logout_statement_test", "260002", "MESSAGE", text.data(),
                             text.size());
  EXPECT_EQ(logoutFaultMessage(LogoutFault::LoggedOutOnAnotherThread), "Datei auf anderem Thread");
  EXPECT_EQ(reportLogoutFault(LogoutFault::LoggedOutOnAnotherThread), kErrUnableToLogTransaction);
  EXPECT_EQ(fileErrorText(), "Datei auf anderem Thread");
  platform::registerResource("logout_statement_test", "260002", "MESSAGE", "", 0);
  EXPECT_EQ(logoutFaultMessage(LogoutFault::LoggedOutOnAnotherThread),
            "File logged out on another thread");
}

class LogoutOnTablesTest : public tarnwick::testing::TarnwickDriverTest {};

TEST_F(LogoutOnTablesTest, ATableAndATextFileCannotShareATransaction) {
  const std::string path = tarnwick::testing::scratchPath("logout_statement.twk");
  std::filesystem::remove(path);
  FileControlBlock table;
  ASSERT_EQ(declareFile(table, tarnwick::testing::testDeclaration(path, {})), 0);
  ASSERT_EQ(st::create(table), 0);
  ASSERT_EQ(st::open(table, st::kReadWriteDenyNone), 0);
  FileControlBlock text;
  text.driverName = "ASCII";
  FileControlBlock* both[] = {&table, &text};
  EXPECT_EQ(st::logout(1, both), kErrUnableToLogTransaction);
  EXPECT_EQ(fileErrorCode(), "5");

  FileControlBlock* one[] = {&table};
  ASSERT_EQ(st::logout(1, one), kNoError);
  EXPECT_EQ(st::logout(1, one), kErrLogoutAlreadyActive);
  EXPECT_EQ(st::rollback(table), kNoError);
  EXPECT_EQ(st::logout(1, one), kNoError);
  EXPECT_EQ(st::commit(table), kNoError);
  EXPECT_EQ(st::close(table), kNoError);
}

}  // namespace
}  // namespace zor::data
