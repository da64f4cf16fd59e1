#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/driver_string.h"

namespace zor::data {
namespace {

constexpr DriverSwitch kSwitches[] = {
    {"TCF", SwitchValueKind::Text, "", nullptr, nullptr, nullptr},
    {"DecimalCheck", SwitchValueKind::Boolean, "ON", "ON", "ON", "OFF"},
    {"BUFFERS", SwitchValueKind::Number, "4", nullptr, nullptr, nullptr},
    {"QUICK", SwitchValueKind::Flag, "", "1", nullptr, nullptr},
};

TEST(DriverStringTest, SwitchesSetTheirValuesAndTheRestKeepDefaults) {
  const auto check =
      checkDriverString(" /tcf = 'C:\\data dir/app.tcf' /decimalcheck=off /Quick", kSwitches);
  EXPECT_TRUE(check.ok());
  EXPECT_EQ(check.valueOf("TCF"), "C:\\data dir/app.tcf");
  EXPECT_EQ(check.valueOf("DecimalCheck"), "OFF");
  EXPECT_EQ(check.valueOf("QUICK"), "1");
  EXPECT_EQ(check.valueOf("BUFFERS"), "4");
  EXPECT_FALSE(check.settings[2].given);
  EXPECT_TRUE(checkDriverString("", kSwitches).ok());
}

TEST(DriverStringTest, ASwitchWithoutValueTakesItsEmptyValue) {
  const auto check = checkDriverString("/DecimalCheck=OFF /DecimalCheck", kSwitches);
  EXPECT_TRUE(check.ok());
  EXPECT_EQ(check.valueOf("DecimalCheck"), "ON");
}

TEST(DriverStringTest, FaultMessages) {
  const auto check = checkDriverString(
      "junk /NOSUCH=1 /TCF /BUFFERS= /BUFFERS=many /DecimalCheck=Yes /QUICK=2", kSwitches);
  EXPECT_EQ(check.messages, (std::vector<std::string>{
                                "Poorly formed driver string.  junk is not a valid switch",
                                "Poorly formed driver string.  NOSUCH is not a valid switch",
                                "Poorly formed driver string.  TCF has no value",
                                "Poorly formed driver string.  BUFFERS has missing value",
                                "BUFFERS has an incorrect value of many.  Value ignored,",
                                "DecimalCheck has an incorrect value of Yes.  Value ignored,",
                                "QUICK has an incorrect value of 2.  Value ignored,",
                            }));
  // Faulty values are ignored: the defaults stay.
  EXPECT_EQ(check.valueOf("BUFFERS"), "4");
  EXPECT_EQ(check.valueOf("DecimalCheck"), "ON");
  EXPECT_EQ(check.valueOf("QUICK"), "");
}

TEST(DriverStringTest, NumbersAndTheNativeDriversTable) {
  EXPECT_EQ(checkDriverString("/BUFFERS=-12", kSwitches).valueOf("buffers"), "-12");
  EXPECT_FALSE(checkDriverString("/BUFFERS=+", kSwitches).ok());

  const auto native = checkDriverString("/TCF=shared.tcf", tarnwickDriverStringSwitches());
  EXPECT_TRUE(native.ok());
  EXPECT_EQ(native.valueOf("TCF"), "shared.tcf");
  EXPECT_EQ(native.valueOf("DecimalCheck"), "ON");
  EXPECT_FALSE(checkDriverString("/FULLBUILD=ON", tarnwickDriverStringSwitches()).ok());
}

}  // namespace
}  // namespace zor::data
