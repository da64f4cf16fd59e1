// The native driver's SEND texts: answers before changes, the table-bound
// switches on a closed table, the process-wide control file, and the
// switches of a driver string.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <thread>

#include "data/tarnwick/driver_switches.h"
#include "platform/message_box.h"

namespace zor::tarnwick {
namespace {

class FakeTable : public SwitchTable {
 public:
  bool open = true;
  uint32_t flags = 12;
  bool isOpen() const override { return open; }
  bool readFlags(uint32_t& value) override { return value = flags, true; }
  bool storeFlags(uint32_t value) override { return flags = value, true; }
  std::string tableNameFrom(std::string_view text) override { return "name:" + std::string(text); }
  std::string tableNameByNumber(uint32_t number) override {
    return "number:" + std::to_string(number);
  }
};

class LockingSwitches : public ::testing::Test {
 protected:
  void TearDown() override { setExplicitControlFile(""); }
  std::string send(std::string_view text) { return handleSend(text, switches_, table_); }

  TableSwitches switches_;
  FakeTable table_;
};

TEST_F(LockingSwitches, OnOffSwitchesAnswerTheSettingBeforeTheChange) {
  EXPECT_EQ(send("decimalcheck=off"), "ON");
  EXPECT_FALSE(switches_.decimalCheck);
  EXPECT_EQ(send("DecimalCheck"), "OFF");  // no value: only asks
  EXPECT_EQ(send("DECIMALCHECK Offline"), "OFF");
  EXPECT_EQ(send("DecimalCheck=of"), "OFF");  // not OFF on 3 letters: on
  EXPECT_TRUE(switches_.decimalCheck);

  EXPECT_EQ(send("FULLBUILD=on"), "OFF");
  EXPECT_TRUE(switches_.fullBuild);
  EXPECT_EQ(send("fullbuild=Yes"), "ON");
  EXPECT_FALSE(switches_.fullBuild);
  EXPECT_EQ(send("FULLBUILD=ONCE"), "OFF");
  EXPECT_TRUE(switches_.fullBuild);
}

TEST_F(LockingSwitches, TableSwitchesNeedAnOpenTable) {
  EXPECT_EQ(send("FLAGS=40"), "12");
  EXPECT_EQ(send("FLAGS"), "40");
  EXPECT_EQ(send("FLAGS=lots"), "40");  // not a number: nothing stored
  EXPECT_EQ(send("FLAGS=99999999999"), "40");
  EXPECT_EQ(table_.flags, 40u);
  EXPECT_EQ(send("PNMQ 3"), "number:3");
  EXPECT_EQ(send("PNM=Sections"), "name:Sections");
  EXPECT_EQ(send("PNMQ=x"), "");

  table_.open = false;
  EXPECT_EQ(send("FLAGS=1"), "");
  EXPECT_EQ(send("PNM=Sections"), "");
  EXPECT_EQ(send("PNMQ 3"), "");
  EXPECT_EQ(table_.flags, 40u);
}

TEST_F(LockingSwitches, ControlFileIsOneForTheWholeProcess) {
  EXPECT_EQ(send("TCF=/shared/app.tcf"), "");
  FakeTable other;
  TableSwitches otherSwitches;
  EXPECT_EQ(handleSend("tcf", otherSwitches, other), "/shared/app.tcf");
  std::string seen;
  std::thread([&] { seen = explicitControlFile(); }).join();
  EXPECT_EQ(seen, "/shared/app.tcf");
  EXPECT_EQ(send("TCF=second.tcf"), "/shared/app.tcf");
}

TEST_F(LockingSwitches, OtherTextsAreAcceptedWithoutEffect) {
  EXPECT_EQ(send("REGISTER"), kRegisterAnswer);
  for (const char* text : {"QUICKSCAN=on", "Recover=10", "", "DecimalChecker=OFF", "FLAGSHIP",
                           "TCFX=a", "STREAM", "zzz"})
    EXPECT_EQ(send(text), "") << text;
  EXPECT_TRUE(switches_.decimalCheck);
  EXPECT_EQ(explicitControlFile(), "");
}

TEST_F(LockingSwitches, ImportFileWarnsOnlyOnAClosedTable) {
  std::vector<std::string> boxes;
  auto previous = platform::setMessageBoxHook(
      [&](const std::string& text, const std::string& caption, unsigned) {
        boxes.push_back(caption + ": " + text);
        return platform::IDOK;
      });
  EXPECT_EQ(send("IMPORTFILE"), "");
  table_.open = false;
  EXPECT_EQ(send("importfile"), "");
  platform::setMessageBoxHook(std::move(previous));
  EXPECT_EQ(boxes,
            (std::vector<std::string>{"File Import: File Driver does not support File Import"}));
}

TEST_F(LockingSwitches, DriverStringSetsTheTableAndTheProcess) {
  EXPECT_TRUE(applyDriverString("/TCF='/data/all.tcf' /DecimalCheck=OFF", switches_).empty());
  EXPECT_FALSE(switches_.decimalCheck);
  EXPECT_EQ(explicitControlFile(), "/data/all.tcf");

  TableSwitches fresh;
  const auto messages = applyDriverString("/DecimalCheck=Maybe /Bogus", fresh);
  EXPECT_EQ(messages.size(), 2u);
  EXPECT_TRUE(fresh.decimalCheck);  // the faulty value is ignored
  EXPECT_EQ(explicitControlFile(), "/data/all.tcf");
}

}  // namespace
}  // namespace zor::tarnwick
