#include "ui/message_names.h"

#include <gtest/gtest.h>

#include "ui/base/event_numbers.h"
#include "ui/messages.h"

namespace zor::ui {
namespace {

TEST(MessageNames, EventsAreNamedByTheirCarriedNumber) {
  EXPECT_STREQ(messageName(0xA001), "EVENT:Accepted");
  EXPECT_STREQ(eventName(EVENT::Accepted), "EVENT:Accepted");
  EXPECT_STREQ(eventName(EVENT::Selecting), "EVENT:Selecting");
  EXPECT_STREQ(eventName(EVENT::CloseWindow), "EVENT:CloseWindow");
  EXPECT_STREQ(eventName(EVENT::UnDocked), "EVENT:UnDocked");
  EXPECT_STREQ(eventName(EVENT::BuildDone), "EVENT:BuildDone");
  EXPECT_STREQ(eventName(EVENT::DDErequest), "EVENT:DDErequest");
  EXPECT_EQ(eventName(0x207), nullptr) << "0x207 has no name";
  EXPECT_EQ(eventName(0), nullptr);
  EXPECT_STREQ(eventName(EVENT::HeaderPressed), "EVENT:HeaderPressed");
  EXPECT_EQ(eventName(0x20), nullptr);
}

TEST(MessageNames, PrivateMessagesHaveNamesExceptTimerTickAndPostedEvent) {
  EXPECT_STREQ(messageName(QUERY_SHUTDOWN), "QUERY_SHUTDOWN");
  EXPECT_STREQ(messageName(QUERY_SETUSE), "QUERY_SETUSE");
  EXPECT_STREQ(messageName(QUERY_DOCKQUERY), "QUERY_DOCKQUERY");
  EXPECT_STREQ(messageName(QUERY_CONTINUETHREAD), "QUERY_CONTINUETHREAD");
  EXPECT_STREQ(messageName(QUERY_SIZEMOVE), "QUERY_SIZEMOVE");
  EXPECT_EQ(messageName(QUERY_TIMERTICK), nullptr);
  EXPECT_EQ(messageName(QUERY_POSTEDEVENT), nullptr);
  EXPECT_EQ(describeMessage(QUERY_POSTEDEVENT), "0xB01B");
  int named = 0;
  for (uint32_t n = QUERY_FIRST; n <= QUERY_LAST; ++n) named += messageName(n) != nullptr;
  EXPECT_EQ(named, 25);
}

TEST(MessageNames, StandardMessagesRunFromNullToTheDdeMessages) {
  EXPECT_STREQ(messageName(WM_NULL), "WM_NULL");
  EXPECT_STREQ(messageName(WM_TIMER), "WM_TIMER");
  EXPECT_STREQ(messageName(WM_QUERYENDSESSION), "WM_QUERYENDSESSION");
  EXPECT_STREQ(messageName(0x3E5), "WM_DDE_DATA");
  EXPECT_STREQ(messageName(0x3E6), "WM_DDE_REQUEST");
  EXPECT_STREQ(messageName(0x3E7), "WM_DDE_POKE");
  EXPECT_STREQ(messageName(0x3E8), "WM_DDE_EXECUTE");
  EXPECT_EQ(messageName(0x3E9), nullptr);
  EXPECT_EQ(describeMessage(0x400), "0x400");
}

}  // namespace
}  // namespace zor::ui
