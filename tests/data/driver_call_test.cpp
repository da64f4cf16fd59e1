#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "data/driver_arguments.h"
#include "data/driver_call.h"
#include "data/driver_descriptor.h"
#include "data/driver_registry.h"
#include "data/file_control_block.h"
#include "data/file_errors.h"
#include "data/file_statements.h"
#include "runtime/error_state.h"

namespace zor::data {
namespace {

struct Seen {
  int op = -1;
  KeyBlock* key = nullptr;
};
Seen gSeen;

// Answers like a small driver: counts, positions and texts through the
// argument structures; NEXT runs off the end.
int scriptedEntry(int op, FileControlBlock*, void* args) {
  gSeen.op = op;
  gSeen.key = isKeyForm(op) ? keyBlockOf(args) : nullptr;
  switch (static_cast<Op>(op)) {
    case Op::NEXT:
      return kErrRecordNotAvailable;
    case Op::RECORDSkey:
      argumentsAs<KeyCountArgs>(args)->count = 42;
      return 0;
    case Op::POSITIONfile:
      *argumentsAs<PositionArgs>(args)->position = std::string("\x00\x00\x00\x05", 4);
      return 0;
    case Op::REGETfile:
      return argumentsAs<PositionArgs>(args)->position->size() == 4 ? 0 : kErrRecordNotFound;
    case Op::SEND:
      *argumentsAs<TextArgs>(args)->answer = "was " + *argumentsAs<TextArgs>(args)->text;
      return 0;
    case Op::POINTERkey:
      argumentsAs<KeyPointerArgs>(args)->pointer = 9;
      return 0;
    case Op::LOGOUT:
      return argumentsAs<LogoutArgs>(args)->fileCount == 2 ? 0 : kErrInvalidParameterCount;
    default:
      return 0;
  }
}

class DriverCallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DriverDescriptor scripted = asciiDescriptor();
    std::snprintf(scripted.name, sizeof scripted.name, "SCRIPTED");
    registerDriver(scripted, &scriptedEntry);
    fcb.driverName = "scripted";
    key.label = "SEC:P_DESCRIPTION";
  }

  FileControlBlock fcb;
  KeyBlock key;
};

TEST_F(DriverCallTest, EntryIsResolvedByNameAndAnswersBecomeTheErrorState) {
  EXPECT_EQ(statement::next(fcb), kErrRecordNotAvailable);
  EXPECT_EQ(fcb.driver, &scriptedEntry);
  EXPECT_EQ(errorCode(), kErrRecordNotAvailable);
  EXPECT_EQ(errorText(), "Record Not Available");
  EXPECT_EQ(statement::open(fcb), 0);
  EXPECT_EQ(gSeen.op, opNumber(Op::OPEN));
  EXPECT_EQ(errorCode(), 0);  // success clears it
}

TEST_F(DriverCallTest, TheTextDriverRefusesEveryStatement) {
  FileControlBlock text;
  text.driverName = "ASCII";
  EXPECT_EQ(statement::open(text), kErrUnsupportedFunction);
  EXPECT_EQ(errorCode(), kErrUnsupportedFunction);
  EXPECT_EQ(errorText(), "Unsupported File Driver Function");
  EXPECT_EQ(text.driverObject, nullptr);
}

TEST_F(DriverCallTest, UnknownDriverIsADeclarationFault) {
  FileControlBlock other;
  other.driverName = "GHOST";
  EXPECT_EQ(statement::open(other), kErrInvalidRecordDeclaration);
  EXPECT_EQ(errorCode(), kErrInvalidRecordDeclaration);
  EXPECT_EQ(fileErrorCode(), "FILE : 0 : GHOST : S00004");

  DriverDescriptor entryless = asciiDescriptor();
  std::snprintf(entryless.name, sizeof entryless.name, "ENTRYLESS");
  entryless.entry = nullptr;
  registerDriver(entryless);
  other.driverName = "ENTRYLESS";
  EXPECT_EQ(statement::open(other), kErrInvalidRecordDeclaration);
  EXPECT_EQ(fileErrorText(), "File Driver could not be loaded");
}

TEST_F(DriverCallTest, TypedStatementsCarryTheirArgumentsAndResults) {
  int64_t count = 0;
  EXPECT_EQ(statement::records(fcb, key, count), 0);
  EXPECT_EQ(count, 42);
  EXPECT_EQ(gSeen.key, &key);

  std::string position;
  EXPECT_EQ(statement::position(fcb, position), 0);
  EXPECT_EQ(position.size(), 4u);
  EXPECT_EQ(statement::reget(fcb, position), 0);
  EXPECT_EQ(statement::reget(fcb, "xy"), kErrRecordNotFound);

  std::string answer = "stale";
  EXPECT_EQ(statement::send(fcb, "FULLBUILD=on", answer), 0);
  EXPECT_EQ(answer, "was FULLBUILD=on");

  uint32_t pointer = 0;
  EXPECT_EQ(statement::pointer(fcb, key, pointer), 0);
  EXPECT_EQ(pointer, 9u);
  EXPECT_EQ(gSeen.op, opNumber(Op::POINTERkey));

  EXPECT_EQ(statement::setToKeyValue(fcb, key), 0);
  EXPECT_EQ(gSeen.op, opNumber(Op::SETkeykey));
  EXPECT_EQ(statement::get(fcb, key), 0);
  EXPECT_EQ(gSeen.op, opNumber(Op::GETfilekey));
  EXPECT_EQ(statement::erase(fcb), 0);
  EXPECT_EQ(gSeen.op, opNumber(Op::DELETE));
}

TEST_F(DriverCallTest, LogoutGoesToTheFirstFilesDriverWithAllFiles) {
  FileControlBlock second;
  second.driverName = "SCRIPTED";
  FileControlBlock* files[] = {&fcb, &second};
  EXPECT_EQ(statement::logout(1, files), 0);
  EXPECT_EQ(gSeen.op, opNumber(Op::LOGOUT));
  EXPECT_EQ(statement::logout(1, {}), kErrInvalidParameterCount);
  EXPECT_EQ(statement::commit(second), 0);
  EXPECT_EQ(gSeen.op, opNumber(Op::COMMIT));
}

}  // namespace
}  // namespace zor::data
