// The console's own pieces: JSON texts that stay valid whatever a lock message holds, and the
// event hub that pages follow.
#include <gtest/gtest.h>

#include <thread>

#include "Console.h"
#include "Json.h"

using radaltconsole::EventHub;
using radaltconsole::Object;
using radaltconsole::Quote;

TEST(ConsoleJson, TextsOfTheSystemStayValidJson) {
  EXPECT_EQ(Quote("Locked because \"x\"\\y"), "\"Locked because \\\"x\\\"\\\\y\"");
  EXPECT_EQ(Quote("a\nb\tc\r"), "\"a\\nb\\tc\\r\"");
  EXPECT_EQ(Quote(std::string("\x01", 1)), "\"\\u0001\"");
  EXPECT_EQ(Object().Str("k", "v").Num("n", -12.5).Bool("b", false).Raw("l", "[]").Text(),
            "{\"k\":\"v\",\"n\":-12.5,\"b\":false,\"l\":[]}");
}

TEST(ConsoleEvents, APageGetsEveryEventAfterItsNumberOnceAndInOrder) {
  EventHub hub;
  unsigned long seq = hub.Latest();
  hub.Push("a");
  hub.Push("b");
  EXPECT_EQ(hub.After(seq, 0), (std::deque<std::string>{"a", "b"}));
  EXPECT_TRUE(hub.After(seq, 0).empty());
  // A page that connects with an older number gets what is still kept.
  unsigned long old = 1;
  EXPECT_EQ(hub.After(old, 0).size(), 2u);
}

TEST(ConsoleEvents, AWaitingPageWakesOnAPushAndASlowOneLosesOnlyTheOldest) {
  EventHub hub;
  unsigned long seq = hub.Latest();
  std::thread pusher([&] { hub.Push("late"); });
  auto got = hub.After(seq, 5000);
  pusher.join();
  EXPECT_EQ(got, std::deque<std::string>{"late"});
  unsigned long slow = hub.Latest();
  for (int i = 0; i < 5000; ++i) hub.Push(std::to_string(i));
  got = hub.After(slow, 0);
  ASSERT_FALSE(got.empty());
  EXPECT_EQ(got.back(), "4999");
  EXPECT_LT(got.size(), 5000u);
}

TEST(ConsoleEvents, OnlyOwnAttributesAndTheEnginesAltitudeAreFollowed) {
  // by the names they are registered under
  EXPECT_TRUE(radaltconsole::Followed("NOOFENABLEDCHANNELS1"));
  EXPECT_TRUE(radaltconsole::Followed("CH2:CURALT1"));
  EXPECT_FALSE(radaltconsole::Followed("CH2:OUTPWRLVL1"));
}
