#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "data/driver_arguments.h"
#include "data/driver_descriptor.h"
#include "data/driver_frame.h"
#include "data/driver_operation.h"
#include "data/file_control_block.h"
#include "data/file_errors.h"

namespace zor::data {
namespace {

struct CountingObject : DriverFileObject {
  explicit CountingObject(int* alive) : alive_(alive) { ++*alive_; }
  ~CountingObject() override { --*alive_; }
  int* alive_;
};

// A driver that lists the native driver's operations, records what reaches
// it and sets up its per-file object at OPEN.
class RecordingDriver : public FramedDriver {
 public:
  const DriverDescriptor& descriptor() const override { return tarnwickDescriptor(); }
  int perform(DriverCall& call) override {
    performed.push_back(call.op());
    keys.push_back(call.key());
    if (call.op() == opNumber(Op::OPEN))
      call.attachObject(std::make_unique<CountingObject>(&alive));
    if (call.op() == opNumber(Op::SEND)) *call.arguments<TextArgs>()->answer = "ON";
    if (call.op() == opNumber(Op::CLOSE)) return closeAnswer;
    return 0;
  }

  std::vector<int> performed;
  std::vector<KeyBlock*> keys;
  int alive = 0;
  int closeAnswer = 0;
};

class DriverFrameTest : public ::testing::Test {
 protected:
  int run(Op op, void* args = nullptr) { return runDriverFrame(driver, opNumber(op), &fcb, args); }
  int run(int op, void* args = nullptr) { return runDriverFrame(driver, op, &fcb, args); }

  RecordingDriver driver;
  FileControlBlock fcb;
};

TEST_F(DriverFrameTest, QueryViewAndAcknowledgeAreAnsweredAtOnce) {
  EXPECT_EQ(run(Op::QUERY_VIEW), 0);
  EXPECT_EQ(run(Op::Acknowledge), 0);
  EXPECT_EQ(runDriverFrame(driver, opNumber(Op::QUERY_VIEW), nullptr, nullptr), 0);
  EXPECT_TRUE(driver.performed.empty());
}

TEST_F(DriverFrameTest, TransactionBracketsSucceedAndDoNothing) {
  EXPECT_EQ(run(Op::STARTRAN), 0);
  EXPECT_EQ(run(Op::ENDTRAN), 0);
  EXPECT_TRUE(driver.performed.empty());
  EXPECT_EQ(fcb.driverObject, nullptr);
}

TEST_F(DriverFrameTest, UnlistedOperationIsUnsupportedAndChangesNothing) {
  ASSERT_EQ(run(Op::OPEN), 0);
  DriverFileObject* object = fcb.driverObject.get();
  for (int op : {opNumber(Op::ADDfilelen), opNumber(Op::DESTROY), opNumber(Op::NULL_), 105, 200}) {
    EXPECT_EQ(run(op), kErrUnsupportedFunction) << op;
  }
  EXPECT_EQ(driver.performed.size(), 1u);
  EXPECT_EQ(fcb.driverObject.get(), object);
}

TEST_F(DriverFrameTest, ReleaseFileObjectFreesItAndAnswersUnsupported) {
  ASSERT_EQ(run(Op::OPEN), 0);
  EXPECT_EQ(driver.alive, 1);
  EXPECT_EQ(run(Op::ReleaseFileObject), kErrUnsupportedFunction);
  EXPECT_EQ(driver.alive, 0);
  EXPECT_EQ(fcb.driverObject, nullptr);
}

TEST_F(DriverFrameTest, OperationsNeedingAnOpenFileAnswerFileNotOpen) {
  EXPECT_EQ(run(Op::NEXT), kErrFileNotOpen);
  EXPECT_EQ(run(Op::CLOSE), kErrFileNotOpen);
  EXPECT_TRUE(driver.performed.empty());
  std::string answer;
  const std::string text = "QUICKSCAN=on";
  TextArgs args{&text, &answer};
  EXPECT_EQ(run(Op::SEND, &args), 0);  // runs on a closed file
  EXPECT_EQ(answer, "ON");
}

TEST_F(DriverFrameTest, CloseFreesTheObjectEvenWhenItFails) {
  ASSERT_EQ(run(Op::OPEN), 0);
  driver.closeAnswer = kErrFileSystemError;
  EXPECT_EQ(run(Op::CLOSE), kErrFileSystemError);
  EXPECT_EQ(driver.alive, 0);
  EXPECT_EQ(run(Op::NEXT), kErrFileNotOpen);
}

TEST_F(DriverFrameTest, KeyFormsReceiveTheirKeyBlock) {
  ASSERT_EQ(run(Op::OPEN), 0);
  KeyBlock key;
  key.label = "SEC:P_DESCRIPTION";
  KeyPositionArgs args{&key, nullptr};
  EXPECT_EQ(run(Op::RESETkey, &args), 0);
  EXPECT_EQ(driver.keys.back(), &key);
  EXPECT_EQ(run(Op::SETkey), kErrInvalidParameterCount);  // no argument list
  KeyArgs empty;
  EXPECT_EQ(run(Op::SETkey, &empty), kErrInvalidParameterCount);
  EXPECT_EQ(run(Op::SEND), kErrInvalidParameterCount);
  EXPECT_EQ(run(Op::SKIP), kErrInvalidParameterCount);
  EXPECT_EQ(run(Op::NEXT), 0);  // needs none
  EXPECT_EQ(driver.performed.size(), 3u);
}

TEST_F(DriverFrameTest, TraceWritesNameFileKeyResultAndReturnedValue) {
  std::vector<std::string> lines;
  DriverTraceSink previous =
      setDriverTraceSink([&](const std::string& line) { lines.push_back(line); });
  fcb.name = "section.edt";
  EXPECT_EQ(run(Op::NEXT), kErrFileNotOpen);  // tracing is off
  fcb.attributes |= kFileTrace;
  EXPECT_EQ(run(Op::NEXT), kErrFileNotOpen);
  ASSERT_EQ(run(Op::OPEN), 0);
  KeyBlock key;
  key.label = "SEC:P_DESCRIPTION";
  std::string position = std::string("\x00\x00\x00\x07", 4) + "AB";
  KeyPositionArgs args{&key, &position};
  EXPECT_EQ(run(Op::POSITIONkey, &args), 0);
  EXPECT_EQ(run(Op::QUERY_VIEW), 0);  // answered before anything else, untraced
  EXPECT_EQ(run(Op::STARTRAN), 0);
  EXPECT_EQ(run(Op::ReleaseFileObject), kErrUnsupportedFunction);
  setDriverTraceSink(previous);

  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "NEXT section.edt = 37");
  EXPECT_EQ(lines[1], "OPEN section.edt = 0");
  EXPECT_EQ(lines[2], "POSITIONkey section.edt SEC:P_DESCRIPTION = 0 [\\x00\\x00\\x00\\x07AB]");
  EXPECT_EQ(lines[3], "STARTRAN section.edt = 0");
  EXPECT_EQ(lines[4], "(107) section.edt = 80");
}

}  // namespace
}  // namespace zor::data
