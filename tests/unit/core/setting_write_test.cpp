// The one path of a setting's write: which attributes show their engines after a write that
// failed part way, what the writer and the log are told of an engine's refusal, and what the
// read-back reports. No ORB runs: the engines are lambdas that throw what an engine would.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "RecallScope.h"
#include "SettingWrite.h"

namespace {

namespace Ops = Velmarin::Operation_errors;
namespace Conn = Velmarin::Connection_errors;

// Engines of channels 1 to 3 holding a value each; one of them may fail the next write.
struct Engines {
  std::map<int, int> held{{1, 0}, {2, 0}, {3, 0}};
  int failing = 0;   // not reached
  int refusing = 0;  // refuses the value (the item is held)
  std::vector<int> asked;  // the channels read back, in order

  void Write(int ch, int v) {
    if (ch == failing) throw CORBA::TRANSIENT(0, CORBA::COMPLETED_NO);
    if (ch == refusing) throw Ops::Locking_Error("other", "held", "Locked because held");
    held[ch] = v;
  }
  bool Show(int ch) {
    asked.push_back(ch);
    return held[ch] != 0;
  }
};

// Runs w against engines with value 7; the text of the failure it ends with ("" when none).
std::string WriteSeven(const radalt::SettingWrite& w, Engines& engines, bool* changed = nullptr) {
  testing::internal::CaptureStdout();
  std::string failure;
  try {
    const bool c = w.Run([&](int ch) { engines.Write(ch, 7); }, [&](int ch) { return engines.Show(ch); });
    if (changed) *changed = c;
  } catch (const Conn::Communications_failure& e) {
    failure = e.text.in();
  } catch (const Ops::Locking_Error& e) {
    failure = e.message.in();
  }
  testing::internal::GetCapturedStdout();
  return failure;
}

}  // namespace

TEST(SettingWrite, AFailurePartWayShowsWhatEachEngineHoldsAndNamesTheChannels) {
  // Per-channel attributes (coupled levels): every channel shows its engine again but the one
  // not reached, which would only keep the writer waiting again.
  Engines engines;
  engines.failing = 3;
  EXPECT_EQ("Channel 3 engine not reached (TRANSIENT) (taken by channels 1, 2; not taken by channel 3)",
            WriteSeven({" LEVEL::Callback", {1, 2, 3}, {1, 2, 3}}, engines));
  EXPECT_EQ((std::map<int, int>{{1, 7}, {2, 7}, {3, 0}}), engines.held);
  EXPECT_EQ(std::vector<int>({1, 2}), engines.asked);

  engines = Engines{};
  engines.failing = 1;
  WriteSeven({" LEVEL::Callback", {1, 2}, {1, 2, 3}}, engines);
  EXPECT_EQ(std::vector<int>({2, 3}), engines.asked);

  // One value of the whole test set, read from the last channel, which refused it: the
  // attribute shows what that engine kept.
  engines = Engines{};
  engines.refusing = 3;
  EXPECT_EQ("Locked because held (taken by channels 1, 2; not taken by channel 3)",
            WriteSeven({" UUT_TYPE::Callback", {1, 2, 3}, {3}}, engines));
  EXPECT_EQ(std::vector<int>({3}), engines.asked);
  // ... or, where the family says so, what the last engine that took it holds.
  engines = Engines{};
  engines.refusing = 3;
  WriteSeven({" RFLEVEL_MODE::Callback", {1, 2, 3}, {3}, radalt::EngineLocks::kTranslated, radalt::AfterFailure::kLastTaken},
             engines);
  EXPECT_EQ(std::vector<int>({2}), engines.asked);

  // Nothing took it: nothing is asked, and a single channel's failure names it too.
  engines = Engines{};
  engines.failing = 1;
  EXPECT_EQ("Channel 1 engine not reached (TRANSIENT)", WriteSeven({" AID::Callback", {1}, {1}}, engines));
  EXPECT_TRUE(engines.asked.empty());
}

TEST(SettingWrite, ReadBackTellsAChangeAndNamesAChannelThatCannotSay) {
  Engines engines;
  bool changed = false;
  EXPECT_EQ("", WriteSeven({" LEVEL::Callback", {2}, {1, 2}}, engines, &changed));
  EXPECT_TRUE(changed) << "channel 2 took the value";
  EXPECT_EQ(std::vector<int>({1, 2}), engines.asked);

  testing::internal::CaptureStdout();
  const radalt::SettingWrite w{" LEVEL::Callback", {}, {2}};
  try {
    w.ShowEngines([](int) -> bool { throw CORBA::COMM_FAILURE(0, CORBA::COMPLETED_NO); });
    ADD_FAILURE() << "a read-back that failed was taken as shown";
  } catch (const Conn::Communications_failure& e) {
    EXPECT_STREQ("Channel 2 engine not reached (COMM_FAILURE)", e.text.in());
  }
  EXPECT_EQ(" LEVEL::Callback throw Communications_failure:Channel 2 engine not reached (COMM_FAILURE)\n",
            testing::internal::GetCapturedStdout());
}

TEST(SettingWrite, AnEnginesRefusalKeepsItsTextsAndIsLoggedOnce) {
  const auto refuseLock = [](int) { throw Ops::Locking_Error("console", "Locked because a run", "Stop it first"); };
  for (const radalt::EngineLocks locks : {radalt::EngineLocks::kTranslated, radalt::EngineLocks::kAsTheyAre}) {
    testing::internal::CaptureStdout();
    try {
      radalt::SettingWrite{" AID::Callback", {1}, {}, locks}.WriteEngines(refuseLock, [](int) {});
      ADD_FAILURE() << "a refused write was taken";
    } catch (const Ops::Locking_Error& e) {
      EXPECT_STREQ("Locked because a run", e.reason.in());
      EXPECT_STREQ("Stop it first", e.message.in());
    }
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(locks == radalt::EngineLocks::kTranslated ? " AID::Callback throw Locking_Error_Exception\n" : "", log);
  }

  // A range refusal: logged once, among several channels with the channels named.
  for (const std::vector<int>& targets : {std::vector<int>{1}, std::vector<int>{1, 2}}) {
    testing::internal::CaptureStdout();
    try {
      radalt::SettingWrite{" LEVEL::Callback", targets, {}}.WriteEngines(
          [](int ch) {
            if (ch == 1) throw Ops::DataOutOfRange(Velmarin::range_error_struct{CORBA::string_dup("too high"), {}, {}, {}});
          },
          [](int) {});
      ADD_FAILURE() << "a refused value was taken";
    } catch (const Ops::DataOutOfRange&) {
    }
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(1, std::count(log.begin(), log.end(), '\n')) << log;
    EXPECT_EQ(0u, log.find(targets.size() == 1 ? " LEVEL::Callback throw DataOutOfRange:too high\n"
                                                : " LEVEL::Callback throw DataOutOfRangeException:too high (taken by no "
                                                  "channel; not taken by channels 1, 2)\n"))
        << log;
  }
}

TEST(SettingWrite, ABringBackWritesItsChannelOnly) {
  Engines engines;
  radalt::RecallScope scope(2);
  WriteSeven({" UUT_TYPE::RecallUutType", {1, 2, 3}, {3}}, engines);
  EXPECT_EQ((std::map<int, int>{{1, 0}, {2, 7}, {3, 0}}), engines.held);
}
