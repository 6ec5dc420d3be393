// Writes to several channels: what the writer is told when one channel's engine does not
// answer in time (its state is then unknown, never "not taken"), and what a recall that brings
// one channel back reaches. (An engine not reached: setting_write_test.)
#include <gtest/gtest.h>

#include <thread>

#include "ChannelWrites.h"
#include "Exceptions.h"
#include "RecallScope.h"

namespace {

namespace Conn = Velmarin::Connection_errors;

// The text of the Communications_failure a write to channels gets when channel `failing`
// throws e; the channels written, in order, in written.
template <class E>
std::string FailureText(const std::vector<int>& channels, int failing, const E& e, std::vector<int>& written) {
  testing::internal::CaptureStdout();
  try {
    radalt::WriteChannels(
        channels, " TEST::Write",
        [&](int ch) {
          if (ch == failing) throw e;
          written.push_back(ch);
        },
        [](const std::vector<int>&) {});
  } catch (const Conn::Communications_failure& f) {
    testing::internal::GetCapturedStdout();
    return f.text.in();
  }
  testing::internal::GetCapturedStdout();
  return "(no failure)";
}

}  // namespace

TEST(ChannelWrites, AnEngineThatDidNotAnswerInTimeHasAnUnknownStateNotARefusal) {
  std::vector<int> written;
  const std::string timedOut = FailureText({1, 2, 3}, 2, CORBA::TIMEOUT(0, CORBA::COMPLETED_MAYBE), written);
  EXPECT_EQ(std::vector<int>({1}), written);
  EXPECT_EQ("Channel 2 engine did not answer (TIMEOUT); its state is unknown "
            "(taken by channel 1; state unknown on channel 2; not taken by channel 3)",
            timedOut);

  // The last channel: nothing is left that certainly did not take it.
  written.clear();
  EXPECT_EQ("Channel 3 engine did not answer (TIMEOUT); its state is unknown "
            "(taken by channels 1, 2; state unknown on channel 3)",
            FailureText({1, 2, 3}, 3, CORBA::TIMEOUT(0, CORBA::COMPLETED_MAYBE), written));

  // A connection that broke after the request went out leaves the state unknown as well.
  written.clear();
  EXPECT_NE(std::string::npos, FailureText({1, 2}, 2, CORBA::COMM_FAILURE(0, CORBA::COMPLETED_MAYBE), written)
                                   .find("state unknown on channel 2"));
}

TEST(ChannelWrites, ABringBackReachesItsChannelOnlyAndOtherThreadsEveryChannel) {
  std::vector<int> written;
  auto write = [&](const std::vector<int>& channels) {
    written.clear();
    radalt::WriteChannels(channels, " TEST::Write", [&](int ch) { written.push_back(ch); },
                          [](const std::vector<int>&) {});
    return written;
  };
  EXPECT_EQ(std::vector<int>({1, 2, 3}), write({1, 2, 3}));
  {
    radalt::RecallScope scope(3);
    // A setting of every enabled channel is channel 3's too, enabled yet or not.
    EXPECT_EQ(std::vector<int>({3}), write({1, 2}));
    // Nothing to write stays nothing (an engine that decides the value itself).
    EXPECT_EQ(std::vector<int>(), write({}));
    EXPECT_TRUE(radalt::RecallScope::Reaches(3));
    EXPECT_FALSE(radalt::RecallScope::Reaches(1));
    std::vector<int> other;
    std::thread([&] { other = radalt::RecallScope::Within({1, 2}); }).join();
    EXPECT_EQ(std::vector<int>({1, 2}), other);
  }
  EXPECT_TRUE(radalt::RecallScope::Reaches(1));
  EXPECT_EQ(std::vector<int>({1, 2}), write({1, 2}));
}
