// The channel registry follows engines that come and go: the "create,"/"destroy," commands,
// their refusals, the counts, the channel-bound objects, and readers on other threads.
#include <atomic>
#include <mutex>
#include <thread>

#include "../../support/StreamRecorder.h"
#include "../../support/TestSet.h"
#include "NO_OF_AVAILABLE_CHANNELS.h"

using namespace Velmarin;
using testset::Bench;
namespace SCI = Velmarin::RadAltSingleChannelStateControl;

namespace {

// Records what a channel-bound object is told.
struct Recorder : radalt::ChannelBound {
  void updateChannelData(unsigned a, unsigned e, SCI::RADALTSC_MAIN_INTERFACE_ptr main) override {
    available = a;
    enabled = e;
    channel = CORBA::is_nil(main) ? 0 : main->Channel();
  }
  unsigned available = 0, enabled = 0;
  int channel = -1;
};

constexpr unsigned kNever = 3600 * 1000;

// Available and enabled as the registry counts them, then as their attributes show them.
std::vector<long> Counts(Bench& b) {
  return {long(b.mc.AvailableCount()), long(b.mc.EnabledCount()), b.mc.NoOfAvailableChannelsObj()->Value(),
          b.mc.NoOfEnabledChannelsObj()->Value()};
}
using Four = std::vector<long>;

// Engines of channels whose loss the master control's look notices every livenessMs (0: as
// configured).
testset::Setup Engines(std::vector<int> channels, unsigned livenessMs = 0,
                       std::function<void(radalt::EngineConfig&)> more = {}) {
  testset::Setup s;
  s.channels = std::move(channels);
  s.config = [livenessMs, more](radalt::EngineConfig& c) {
    if (livenessMs) c.livenessIntervalMs = livenessMs;
    if (more) more(c);
  };
  return s;
}

}  // namespace

TEST(Registry, EnginesThatComeAndGoAreCountedOnceAndForgotten) {
  // Only the announcements change the registry here: the liveness look would race them.
  Bench b(Engines({1}, kNever, [](radalt::EngineConfig& c) { c.leaveGraceMs = 200; }));
  Recorder r1, r2, r3;
  b.mc.AddChannelBoundClass({&r1, &r2, &r3});
  ASSERT_EQ(1u, b.mc.AvailableCount());

  // A new engine for channel 2 announces itself.
  b.engines.Add(2);
  const std::string created = b.Announce("create,2");
  EXPECT_EQ(std::string::npos, created.find("RADALT_MC")) << created;
  EXPECT_EQ((Four{2, 2, 2, 2}), Counts(b));
  EXPECT_EQ(2, b.mc.GetSingleChannelPtr(2)->Channel());
  EXPECT_FALSE(CORBA::is_nil(b.mc.GetSingleChannelInhousePtr(2)));
  EXPECT_EQ(2u, r2.available);
  EXPECT_EQ(2, r2.channel);
  EXPECT_EQ(0, r3.channel);
  // It offered its items to the master control's registry.
  EXPECT_FALSE(CORBA::is_nil(EngineReadingBase_var(b.mc.Gui().Get_attr("CH2:OUTPWRLVL"))));

  // The same engine announced again (restarted) is not counted twice.
  EXPECT_EQ(std::string::npos, b.Announce("create,2").find("RADALT_MC"));
  EXPECT_EQ((Four{2, 2, 2, 2}), Counts(b));

  // An unknown channel changes nothing; the whole text is read (the parse itself: DdsStrandTest).
  const std::pair<const char*, const char*> kRefused[] = {
      {"destroy,5", "RADALT_MC::RemoveRadAltSc Error: 5 could not be found in inhouse map!\n"
                    "RADALT_MC::RemoveRadAltSc Error: 5 could not be found in main map!\n"},
      {"create,3", "RADALT_MC::RadAltDDS_SubCallback: Create RadAltSc, create,3 is not a valid radaltsc\n"},
      {"create,7", "RADALT_MC::RadAltDDS_SubCallback: Create RadAltSc, create,7 is not a valid radaltsc\n"},
      {"create,2junk", "RADALT_MC::RadAltDDS_SubCallback: create,2junk is not a valid command\n"}};
  for (const auto& [command, said] : kRefused) EXPECT_EQ(said, b.Announce(command)) << command;
  EXPECT_EQ(2u, b.mc.AvailableCount());

  // Anyone may publish "destroy,2": while the engine still answers it stays. The grace it is
  // given runs beside the commands, and then it is refused.
  {
    StreamRecorder out(std::cout);
    b.mc.RadAltDDS_SubCallback("Lumaren/local/RADALTSC", "destroy,2");
    EXPECT_NE("", out.WaitForLine("RADALT_MC::RadAltDDS_SubCallback: Remove RadAltSc, destroy,2 refused: the engine "
                                  "of channel 2 has not gone"));
  }
  EXPECT_EQ(2u, b.mc.AvailableCount());
  EXPECT_EQ(2, b.mc.GetSingleChannelPtr(2)->Channel());

  // Channel 2 goes away: counts follow and no reference to it is handed out. Its announcement
  // and the liveness look (woken by the call that finds the engine gone) may both remove it;
  // whichever comes second finds nothing left to do.
  b.engines.Remove(2);
  const std::string removed = b.Announce("destroy,2");
  EXPECT_EQ(std::string::npos, removed.find("refused")) << removed;
  EXPECT_EQ((Four{1, 1, 1, 1}), Counts(b));
  EXPECT_THROW(b.mc.GetSingleChannelPtr(2), Operation_errors::NotConfigured);
  EXPECT_THROW(b.mc.GetSingleChannelInhousePtr(2), Operation_errors::NotConfigured);
  EXPECT_EQ(0, r2.channel);
  EXPECT_EQ(1u, r1.enabled);
  // Destroyed twice: reported, counts stay.
  b.Announce("destroy,2");
  EXPECT_EQ(1u, b.mc.AvailableCount());
}

TEST(Registry, ReadersOnOtherThreadsNeverSeeAHalfUpdatedRegistry) {
  Bench b(Engines({1, 2}));
  std::atomic<bool> stop{false};
  std::atomic<int> seen{0}, wrong{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 2; ++t)
    readers.emplace_back([&] {
      while (!stop) {
        try {
          // A lent pointer stays usable even if the channel goes meanwhile.
          if (b.mc.GetSingleChannelPtr(2)->Channel() != 2) ++wrong;
          ++seen;
        } catch (const Operation_errors::NotConfigured&) {
        } catch (const CORBA::OBJECT_NOT_EXIST&) {
          // lent before the engine went: the proxy is still there, the engine is not
        }
        const unsigned a = b.mc.AvailableCount();
        if (a < 1 || a > 2) ++wrong;
      }
    });
  for (int i = 0; i < 40; ++i) {
    b.engines.Remove(2);
    b.Announce("destroy,2");
    b.engines.Add(2);
    b.Announce("create,2");
  }
  stop = true;
  for (auto& t : readers) t.join();
  EXPECT_EQ(0, wrong.load());
  EXPECT_GT(seen.load(), 0);
  EXPECT_EQ((Four{2, 2, 2, 2}), Counts(b));
}

// An engine that arrives while a test runs on channel 1 is registered and counted as
// available; it is enabled once nothing keeps the enabled count from changing.
TEST(Registry, AnEngineArrivingDuringATestIsCountedButNotEnabled) {
  Bench b(Engines({1, 2}));
  dynamic_cast<EngineAttribBoolean_i&>(b.Engine(1).Servant("RUNSTOPTEST")) = true;

  b.engines.Add(3);
  const std::string out = b.Announce("create,3");
  EXPECT_EQ(std::string::npos, out.find("not a valid radaltsc")) << out;
  EXPECT_EQ((Four{3, 2, 3, 2}), Counts(b));
  EXPECT_EQ(3, b.mc.GetSingleChannelPtr(3)->Channel());

  dynamic_cast<EngineAttribBoolean_i&>(b.Engine(1).Servant("RUNSTOPTEST")) = false;
  b.SetLong("NOOFENABLEDCHANNELS", 3);
  EXPECT_EQ(3u, b.mc.EnabledCount());
}

// Every subsystem follows a new enabled count: an output of channel 1 does not stay on when
// no channel is enabled any more.
TEST(Registry, AClientsEnabledCountReachesEverySubsystem) {
  Bench b(Engines({1, 2}));
  b.SetBool("DIAGATTENOUTPUTSTATUS", true);
  ASSERT_TRUE(b.EngineItem<EngineAttribBoolean>(1, "DIAGATTENOUTPUTSTATUS")->Get());

  Output([&] { b.SetLong("NOOFENABLEDCHANNELS", 0); });
  EXPECT_FALSE(b.Attr<EngineAttribBoolean>("DIAGATTENOUTPUTSTATUS")->Get());
  EXPECT_FALSE(b.EngineItem<EngineAttribBoolean>(1, "DIAGATTENOUTPUTSTATUS")->Get());
  EXPECT_TRUE(b.Free(radalt::LockGroup::SIMRUN));
}

// An engine whose process ends without "destroy," is noticed by the periodic look; the counts
// follow, a run on it is over (the other engines stop, its locks are given back), channel 1
// keeps working, and the engine started again is taken back.
TEST(Registry, AnEngineThatDiesWithoutAGoodbyeIsNoticedAndTakenBackWhenItReturns) {
  Bench b(Engines({1, 2, 3}, 20, [](radalt::EngineConfig& c) { c.runSettleMs = 1; }));
  auto engineRuns = [&](int ch) { return b.EngineItem<EngineAttribBoolean>(ch, "RUNSTOPTEST")->Get(); };
  b.SetBool("RUNSTOPTEST", true);
  ASSERT_TRUE(engineRuns(3));
  StreamRecorder out(std::cout);
  b.engines.Remove(2);
  EXPECT_TRUE(Eventually([&] { return !b.Attr<EngineAttribBoolean>("RUNSTOPTEST")->Get() && b.mc.AvailableCount() == 2; }));
  EXPECT_NE("", out.WaitForLine("the engine of channel 2 does not answer"));
  EXPECT_FALSE(engineRuns(1));
  EXPECT_FALSE(engineRuns(3));
  for (radalt::LockGroup g : {radalt::LockGroup::MANUALTEST, radalt::LockGroup::SETTINGS, radalt::LockGroup::CALRUN,
                              radalt::LockGroup::ALTZERORUN, radalt::LockGroup::DIAGTXOUTPUT})
    EXPECT_TRUE(b.Free(g)) << radalt::NameOf(g);
  // Channels 1 to the enabled count have engines: only channel 1 is left of them.
  EXPECT_EQ((Four{2, 1, 2, 1}), Counts(b));
  EXPECT_THROW(b.mc.GetSingleChannelPtr(2), Operation_errors::NotConfigured);
  EXPECT_EQ(3, b.mc.GetSingleChannelPtr(3)->Channel());
  b.SetBool("RUNSTOPTEST", true);  // a new run on the channels left
  EXPECT_TRUE(engineRuns(1));
  b.SetBool("RUNSTOPTEST", false);
  EXPECT_FALSE(engineRuns(1));

  b.engines.Add(2);
  b.Announce("create,2");
  EXPECT_EQ((Four{3, 3, 3, 3}), Counts(b));
  EXPECT_EQ(2, b.mc.GetSingleChannelPtr(2)->Channel());
}

// A call the engine does not answer brings the look forward: no waiting for the next one. The
// RF connection goes to every enabled channel: channel 3's engine does not answer, and the
// writer learns which channels took the value.
TEST(Registry, ACallAnEngineDoesNotAnswerIsNoticedAtOnce) {
  Bench b(Engines({1, 2, 3}, kNever));
  b.engines.Remove(3);
  EXPECT_THROW(Output([&] { b.SetInt("RFCONNECT", 1); }), Connection_errors::Communications_failure);
  EXPECT_TRUE(Eventually([&] { return b.mc.AvailableCount() == 2; }));
  EXPECT_EQ(2u, b.mc.EnabledCount());
}

// A call an engine did not answer may still have been done by it (a TIMEOUT): once it answers
// the next look, what is shown of it is read again; an engine that answers every look is not.
TEST(Registry, AnEngineThatDidNotAnswerACallIsReadAgainOnceItAnswers) {
  testset::SimulatedChannels sims({1, 2});
  radalt::ChannelRegistry registry;
  for (int ch : {1, 2}) {
    CORBA::Object_var engine = sims.Engine(ch)._this();
    ASSERT_TRUE(registry.Install(ch, engine));
    bool known = false;
    registry.Register(ch, 2, known);
  }
  std::mutex mutex;
  std::vector<int> readAgain;
  registry.OnAnsweredAgain([&](int channel) {
    std::lock_guard<std::mutex> lock(mutex);
    readAgain.push_back(channel);
  });
  registry.StartLiveness(10, 2, [](int, unsigned long) {});
  auto seen = [&] {
    std::lock_guard<std::mutex> lock(mutex);
    return readAgain;
  };
  registry.Suspect(2);
  EXPECT_TRUE(Eventually([&] { return !seen().empty(); }));
  // Channel 1, suspected later, is read again on a later look: channel 2 was not again, nor
  // channel 1 before.
  registry.Suspect(1);
  EXPECT_TRUE(Eventually([&] { return seen().size() >= 2; }));
  registry.StopLiveness();
  EXPECT_EQ(std::vector<int>({2, 1}), seen());
}

// The settings stored while channel 1's engine is missing (every channel shown disabled) keep
// the user's enabled count: recalled once the engine is back, they enable every channel again.
// The available count shown is the live engines', never a stored one. (Counts a client
// writes: engine_test.)
TEST(Registry, TheUsersEnabledCountOutlivesAStoreWhileChannelOneIsMissing) {
  Bench b(Engines({1, 2, 3}, kNever));
  b.engines.Remove(1);
  b.Announce("destroy,1");
  ASSERT_EQ(0u, b.mc.EnabledCount());
  b.mc.Save("radaltmc_settings1", 0);

  b.engines.Add(1);
  b.Announce("create,1");
  ASSERT_EQ(3u, b.mc.EnabledCount());
  Output([&] { b.mc.RecallMCSettings(); });
  EXPECT_EQ((Four{3, 3, 3, 3}), Counts(b));
}
