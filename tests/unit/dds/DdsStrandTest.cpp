// The strand that takes work off the DDS listener threads, and the channel-engine commands.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <thread>

#include "DDS_ChannelCommand.h"
#include "platform/DDS_Publisher.h"
#include "DDS_Strand.h"
#include "platform/DDS_Subscriber.h"
#include "DdsTestSupport.h"

namespace {

using namespace Velmarin;
using dds_test::Inbox;
using dds_test::TestTopic;
using Verb = DDS_ChannelCommand::Verb;

const boost::posix_time::seconds kBound(20);

// A failing task (the 26th) is reported and the next one still runs.
TEST(DdsStrand, TasksWaitUntilOpenedThenRunOneAtATimeInArrivalOrder) {
  DDS_Strand strand("test strand");
  StreamRecorder err(std::cerr);
  Inbox<int> ran;
  std::atomic<int> running{0}, overlaps{0};
  for (int i = 0; i < 50; ++i)
    strand.Post([&, i] {
      if (++running > 1) ++overlaps;
      std::this_thread::yield();
      ran.Put(i);
      --running;
      if (i == 25) throw std::runtime_error("task failed");
    });
  EXPECT_FALSE(strand.WaitIdle(boost::posix_time::milliseconds(50)));
  EXPECT_TRUE(ran.Values().empty());
  EXPECT_EQ(strand.Pending(), 50u);

  strand.Open();
  ASSERT_TRUE(strand.WaitIdle(kBound));
  std::vector<int> expected;
  for (int i = 0; i < 50; ++i) expected.push_back(i);
  EXPECT_EQ(ran.Values(), expected);
  EXPECT_EQ(overlaps, 0);
  EXPECT_NE(err.WaitForLine("test strand task failed"), "");
}

TEST(DdsStrand, StopWaitsForTheRunningTaskAndDropsTheRest) {
  auto strand = std::make_unique<DDS_Strand>("test strand");
  std::atomic<bool> entered{false}, release{false}, finished{false}, dropped{false};
  strand->Post([&] {
    entered = true;
    while (!release) std::this_thread::yield();
    finished = true;
  });
  strand->Post([&] { dropped = true; });
  strand->Open();
  ASSERT_TRUE(Eventually([&] { return entered.load(); }));

  std::thread stopper([&] { strand->Stop(); });
  // The worker is busy: the queue empties only because Stop dropped what waited.
  EXPECT_TRUE(Eventually([&] { return strand->Pending() == 0; }));
  release = true;
  stopper.join();
  EXPECT_TRUE(finished);
  strand->Post([&] { dropped = true; });  // ignored once stopped
  strand.reset();
  EXPECT_FALSE(dropped);
}

// A listener that creates a writer while another thread creates writers can stop both for
// good; the strand runs that work on its own thread, after the listener has returned.
TEST(DdsStrand, ListenerWorkRunsOnTheStrandAndMayCreateEntities) {
  const std::string commands = TestTopic() + "/commands";
  const std::string answers = TestTopic() + "/answers";
  Inbox<std::string> heard;
  std::atomic<bool> sameThread{false};
  std::vector<std::unique_ptr<DDS_Publisher<int>>> made;  // touched by the strand only
  DDS_Strand strand("test strand");
  DDS_Subscriber<CORBA::String_var> answerReader(
      answers.c_str(), [&](const char*, CORBA::String_var text) { heard.Put(text.in()); });
  DDS_Subscriber<CORBA::String_var> commandReader(
      commands.c_str(), [&](const char*, CORBA::String_var text) {
        const std::string command = text.in();
        const auto listener = std::this_thread::get_id();
        strand.Post([&, command, listener] {
          if (std::this_thread::get_id() == listener) sameThread = true;
          made.emplace_back(new DDS_Publisher<int>((answers + "/" + command).c_str()));
          DDS_Publisher<CORBA::String_var> reply(answers.c_str());
          reply.WaitForSubscribers(1, kBound);
          reply.sendData(CORBA::string_dup(command.c_str()));
        });
      });
  DDS_Publisher<CORBA::String_var> sender(commands.c_str());
  ASSERT_TRUE(sender.WaitForSubscribers(1, kBound));

  // Announcements that arrive while the owner is still being built wait for it.
  sender.sendData(CORBA::string_dup("create,1"));
  sender.sendData(CORBA::string_dup("create,2"));
  ASSERT_TRUE(Eventually([&] { return strand.Pending() == 2; }));
  std::vector<std::unique_ptr<DDS_Publisher<bool>>> building;
  for (int i = 0; i < 10; ++i)
    building.emplace_back(new DDS_Publisher<bool>((TestTopic() + "/built/" + std::to_string(i)).c_str()));
  strand.Open();

  ASSERT_TRUE(heard.WaitFor(2));
  EXPECT_EQ(heard.Values(), (std::vector<std::string>{"create,1", "create,2"}));
  EXPECT_FALSE(sameThread);
  ASSERT_TRUE(strand.WaitIdle(kBound));
  EXPECT_EQ(made.size(), 2u);
}

// A text holding a NUL or a control character, or too long, is no command either.
TEST(DdsChannelCommand, TheWholeTextIsReadOrTheCommandIsInvalid) {
  struct Case {
    std::string text;
    Verb verb;
    int channel;
  };
  const Case cases[] = {
      {"create,1", Verb::Create, 1},      {"destroy,3", Verb::Destroy, 3},
      {"create,0", Verb::Create, 0},      {"create,007", Verb::Create, 7},
      {"create,123456789", Verb::Create, 123456789},
      {"create,2junk", Verb::Invalid, 0}, {"destroy,abc", Verb::Invalid, 0},
      {"destroy,", Verb::Invalid, 0},     {"create, 2", Verb::Invalid, 0},
      {"create,2 ", Verb::Invalid, 0},    {"create,-1", Verb::Invalid, 0},
      {"create,+1", Verb::Invalid, 0},    {"create,1234567890", Verb::Invalid, 0},
      {"Create,1", Verb::Invalid, 0},     {"create1", Verb::Invalid, 0},
      {"remove,1", Verb::Invalid, 0},     {"", Verb::Invalid, 0},
      {std::string("create,2\0junk", 13), Verb::Invalid, 0}, {std::string("create,2\0", 9), Verb::Invalid, 0},
      {std::string("create,\0" "2", 9), Verb::Invalid, 0},   {std::string("\0create,2", 9), Verb::Invalid, 0},
      {"create,2\n", Verb::Invalid, 0},  {"create,2\r", Verb::Invalid, 0},
      {"destroy,\t3", Verb::Invalid, 0}, {"create,2\x7f", Verb::Invalid, 0},
      {"create,2\x1b[2J", Verb::Invalid, 0}, {"create," + std::string(1 << 20, '2'), Verb::Invalid, 0},
  };
  for (const Case& c : cases) {
    const DDS_ChannelCommand parsed = DDS_ChannelCommand::Parse(c.text);
    EXPECT_EQ(parsed.verb, c.verb) << DDS_LogText(c.text);
    if (c.verb != Verb::Invalid) {
      EXPECT_EQ(parsed.channel, c.channel) << DDS_LogText(c.text);
    }
  }
}

TEST(DdsLogText, APayloadIsShownCutToEightyBytesWithControlCharactersVisible) {
  EXPECT_EQ(DDS_LogText("create,2"), "create,2");
  EXPECT_EQ(DDS_LogText(""), "");
  EXPECT_EQ(DDS_LogText(std::string("create,2\0junk", 13)), "create,2\\x00junk");
  EXPECT_EQ(DDS_LogText("a\nforged line\r\x7f"), "a\\x0Aforged line\\x0D\\x7F");

  const std::string eighty(80, 'x');
  EXPECT_EQ(DDS_LogText(eighty), eighty);
  EXPECT_EQ(DDS_LogText(eighty + "y"), eighty + "... (81 bytes)");
  EXPECT_EQ(DDS_LogText("create," + std::string(1 << 20, '7')),
            "create," + std::string(73, '7') + "... (1048583 bytes)");
  // Bytes from 0x80 up (UTF-8 text) pass as they are.
  EXPECT_EQ(DDS_LogText("canal \xc3\xa9"), "canal \xc3\xa9");
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new dds_test::ParticipantEnvironment);
  return RUN_ALL_TESTS();
}
