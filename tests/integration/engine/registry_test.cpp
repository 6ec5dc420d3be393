// The channel registry follows engines that come and go: the "create,"/"destroy," commands,
// their refusals, the counts, the channel-bound objects, and readers on other threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>

#include "NO_OF_AVAILABLE_CHANNELS.h"
#include "NO_OF_ENABLED_CHANNELS.h"
#include "RF_CONNECTION.h"
#include "RUN_STOP_TEST.h"
#include "SimulationObjects.h"
#include "RADALT_MC.h"
#include "ScFixture.h"
#include "TestConfig.h"
#include "../../support/Eventually.h"

using namespace Velmarin;
namespace SCI = Velmarin::RadAltSingleChannelStateControl;

namespace {

// Records what a channel-bound object is told.
struct Recorder : radalt::ChannelBound {
  void updateChannelData(unsigned a, unsigned e, SCI::RADALTSC_MAIN_INTERFACE_ptr main) override {
    available = a;
    enabled = e;
    channel = CORBA::is_nil(main) ? 0 : main->Channel();
    ++calls;
  }
  unsigned available = 0, enabled = 0;
  int channel = -1, calls = 0;
};

std::string Command(RADALT_MC& mc, const char* text) {
  testing::internal::CaptureStdout();
  mc.RadAltDDS_SubCallback("Lumaren/local/RADALTSC", text);
  return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(Registry, EnginesThatComeAndGoAreCountedOnceAndForgotten) {
  SimulatedChannels sims({1});
  radalt::EngineConfig config = TestConfig();
  config.leaveGraceMs = 200;
  // Only the announcements change the registry here: the liveness look would race them.
  config.livenessIntervalMs = 3600 * 1000;
  RADALT_MC mc(config);
  Recorder r1, r2, r3;
  mc.AddChannelBoundClass({&r1, &r2, &r3});
  ASSERT_EQ(1u, mc.AvailableCount());

  // A new engine for channel 2 announces itself.
  sims.Add(2);
  const std::string created = Command(mc, "create,2");
  EXPECT_EQ(std::string::npos, created.find("RADALT_MC")) << created;
  EXPECT_EQ(2u, mc.AvailableCount());
  EXPECT_EQ(2u, mc.EnabledCount());
  EXPECT_EQ(2, mc.NoOfEnabledChannelsObj()->Value());
  EXPECT_EQ(2, mc.GetSingleChannelPtr(2)->Channel());
  EXPECT_FALSE(CORBA::is_nil(mc.GetSingleChannelInhousePtr(2)));
  EXPECT_EQ(2u, r2.available);
  EXPECT_EQ(2, r2.channel);
  EXPECT_EQ(0, r3.channel);
  // It offered its items to the master control's registry.
  EngineReadingBase_var ch2 = mc.Gui().Get_attr("CH2:OUTPWRLVL");
  EXPECT_FALSE(CORBA::is_nil(ch2));

  // The same engine announced again (restarted) is not counted twice.
  EXPECT_EQ(std::string::npos, Command(mc, "create,2").find("RADALT_MC"));
  EXPECT_EQ(2u, mc.AvailableCount());
  EXPECT_EQ(2u, mc.EnabledCount());

  // An unknown channel changes nothing.
  EXPECT_EQ("RADALT_MC::RemoveRadAltSc Error: 5 could not be found in inhouse map!\n"
            "RADALT_MC::RemoveRadAltSc Error: 5 could not be found in main map!\n",
            Command(mc, "destroy,5"));
  EXPECT_EQ(2u, mc.AvailableCount());
  EXPECT_EQ("RADALT_MC::RadAltDDS_SubCallback: Create RadAltSc, create,3 is not a valid radaltsc\n",
            Command(mc, "create,3"));
  EXPECT_EQ("RADALT_MC::RadAltDDS_SubCallback: Create RadAltSc, create,7 is not a valid radaltsc\n",
            Command(mc, "create,7"));
  EXPECT_EQ("RADALT_MC::RadAltDDS_SubCallback: hello is not a valid command\n", Command(mc, "hello"));
  EXPECT_EQ("RADALT_MC::RadAltDDS_SubCallback: xcreate,2 is not a valid command\n", Command(mc, "xcreate,2"));
  // The whole text is read.
  EXPECT_EQ("RADALT_MC::RadAltDDS_SubCallback: create,2junk is not a valid command\n", Command(mc, "create,2junk"));
  EXPECT_EQ("RADALT_MC::RadAltDDS_SubCallback: destroy,abc is not a valid command\n", Command(mc, "destroy,abc"));
  EXPECT_EQ(2u, mc.AvailableCount());

  // Anyone may publish "destroy,2": while the engine still answers it stays. The grace it is
  // given runs beside the commands (the command itself says nothing), and then it is refused.
  testing::internal::CaptureStdout();
  mc.RadAltDDS_SubCallback("Lumaren/local/RADALTSC", "destroy,2");
  std::this_thread::sleep_for(std::chrono::milliseconds(5 * config.leaveGraceMs));
  const std::string said = testing::internal::GetCapturedStdout();
  EXPECT_EQ(0u, said.find("RADALT_MC::RadAltDDS_SubCallback: Remove RadAltSc, destroy,2 refused: the engine of "
                          "channel 2 has not gone\n"))
      << said;
  EXPECT_EQ(2u, mc.AvailableCount());
  EXPECT_EQ(2, mc.GetSingleChannelPtr(2)->Channel());

  // Channel 2 goes away: counts follow and no reference to it is handed out. Its announcement
  // and the liveness look (woken by the call that finds the engine gone) may both remove it;
  // whichever comes second finds nothing left to do.
  sims.Remove(2);
  const std::string removed = Command(mc, "destroy,2");
  EXPECT_EQ(std::string::npos, removed.find("refused")) << removed;
  EXPECT_EQ(1u, mc.AvailableCount());
  EXPECT_EQ(1, mc.NoOfEnabledChannelsObj()->Value());
  EXPECT_THROW(mc.GetSingleChannelPtr(2), Operation_errors::NotConfigured);
  EXPECT_THROW(mc.GetSingleChannelInhousePtr(2), Operation_errors::NotConfigured);
  EXPECT_EQ(0, r2.channel);
  EXPECT_EQ(1u, r1.enabled);
  // Destroyed twice: reported, counts stay.
  Command(mc, "destroy,2");
  EXPECT_EQ(1u, mc.AvailableCount());
}

TEST(Registry, ReadersOnOtherThreadsNeverSeeAHalfUpdatedRegistry) {
  SimulatedChannels sims({1, 2});
  RADALT_MC mc(TestConfig());
  std::atomic<bool> stop{false};
  std::atomic<int> seen{0}, absent{0}, wrong{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 2; ++t)
    readers.emplace_back([&] {
      while (!stop) {
        try {
          SCI::RADALTSC_MAIN_INTERFACE_ptr sc = mc.GetSingleChannelPtr(2);
          // A lent pointer stays usable even if the channel goes meanwhile.
          if (sc->Channel() != 2) ++wrong;
          ++seen;
        } catch (const Operation_errors::NotConfigured&) {
          ++absent;
        } catch (const CORBA::OBJECT_NOT_EXIST&) {
          ++absent;  // lent before the engine went: the proxy is still there, the engine is not
        }
        const unsigned a = mc.AvailableCount();
        if (a < 1 || a > 2) ++wrong;
      }
    });
  for (int i = 0; i < 40; ++i) {
    testing::internal::CaptureStdout();
    sims.Remove(2);
    mc.RadAltDDS_SubCallback("Lumaren/local/RADALTSC", "destroy,2");
    sims.Add(2);
    mc.RadAltDDS_SubCallback("Lumaren/local/RADALTSC", "create,2");
    testing::internal::GetCapturedStdout();
  }
  stop = true;
  for (auto& t : readers) t.join();
  EXPECT_EQ(0, wrong.load());
  EXPECT_GT(seen.load(), 0);
  EXPECT_EQ(2u, mc.AvailableCount());
  EXPECT_EQ(2u, mc.EnabledCount());
}

// The counts shown to clients are the registry's: a client cannot make the test set claim
// fewer engines than are live, nor a recalled count that no longer holds.
TEST(Registry, CountsAreTheLiveEnginesWhateverIsWrittenOrRecalled) {
  SimulatedChannels sims({1, 2, 3});
  const std::string root = FreshTestRoot("registry");
  RADALT_MC mc(TestConfig(root));
  Locker client("client");
  EngineAttribLong_var available = mc.NoOfAvailableChannelsObj()->NoOfAvailableChannels();
  EngineAttribLong_var enabled = mc.NoOfEnabledChannelsObj()->NoOfEnabledChannels();

  testing::internal::CaptureStdout();
  EXPECT_THROW(available->Set(client.Id(), 0), Operation_errors::DataOutOfRange);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(3, available->Get());
  EXPECT_EQ(3, enabled->Get());

  // The stored counts are those the store was created with (none): a recall shows the live
  // engines, and the user's enabled count is taken within them.
  mc.RecallMCSettings();
  EXPECT_EQ(3, available->Get());
  EXPECT_EQ(3u, mc.AvailableCount());
  EXPECT_EQ(static_cast<unsigned>(enabled->Get()), mc.EnabledCount());
  enabled->Set(client.Id(), 0);
  EXPECT_EQ(0u, mc.EnabledCount());
  enabled->Set(client.Id(), 3);
  EXPECT_EQ(3, enabled->Get());
  EXPECT_EQ(3u, mc.EnabledCount());
  std::filesystem::remove_all(root);
}

// An engine that arrives while a test runs on channel 1 is registered and counted as
// available; it is enabled once nothing keeps the enabled count from changing.
TEST(Registry, AnEngineArrivingDuringATestIsCountedButNotEnabled) {
  SimulatedChannels sims({1, 2});
  RADALT_MC mc(TestConfig());
  Locker client("client");
  dynamic_cast<EngineAttribBoolean_i&>(sims.Engine(1).Items().Servant("RUNSTOPTEST")) = true;

  sims.Add(3);
  const std::string out = Command(mc, "create,3");
  EXPECT_EQ(std::string::npos, out.find("not a valid radaltsc")) << out;
  EXPECT_EQ(3u, mc.AvailableCount());
  EXPECT_EQ(3, mc.NoOfAvailableChannelsObj()->Value());
  EXPECT_EQ(2u, mc.EnabledCount());
  EXPECT_EQ(2, mc.NoOfEnabledChannelsObj()->Value());
  EXPECT_EQ(3, mc.GetSingleChannelPtr(3)->Channel());
  EngineReadingBase_var ch3 = mc.Gui().Get_attr("CH3:OUTPWRLVL");
  EXPECT_FALSE(CORBA::is_nil(ch3));

  dynamic_cast<EngineAttribBoolean_i&>(sims.Engine(1).Items().Servant("RUNSTOPTEST")) = false;
  mc.NoOfEnabledChannelsObj()->NoOfEnabledChannels()->Set(client.Id(), 3);
  EXPECT_EQ(3u, mc.EnabledCount());
}

// Every subsystem follows a new enabled count: an output of channel 1 does not stay on when
// no channel is enabled any more.
TEST(Registry, AClientsEnabledCountReachesEverySubsystem) {
  SimulatedChannels sims({1, 2});
  RADALT_MC mc(TestConfig());
  Locker client("client");
  EngineAttribBoolean_var atten =
      EngineAttribBoolean::_narrow(EngineReadingBase_var(mc.Gui().Get_attr("DIAGATTENOUTPUTSTATUS")));
  ASSERT_FALSE(CORBA::is_nil(atten));
  atten->Set(client.Id(), true);
  ASSERT_TRUE(sims.Engine(1).Items().Ref<EngineAttribBoolean>("DIAGATTENOUTPUTSTATUS")->Get());

  testing::internal::CaptureStdout();
  mc.NoOfEnabledChannelsObj()->NoOfEnabledChannels()->Set(client.Id(), 0);
  testing::internal::GetCapturedStdout();
  EXPECT_FALSE(atten->Get());
  EXPECT_FALSE(sims.Engine(1).Items().Ref<EngineAttribBoolean>("DIAGATTENOUTPUTSTATUS")->Get());
  EXPECT_FALSE(mc.Group(radalt::LockGroup::SIMRUN).IsLocked());
}

// An engine whose process ends without "destroy," is noticed by the periodic look; the counts
// follow, channel 1 keeps working, and the engine started again is taken back.
TEST(Registry, AnEngineThatDiesWithoutAGoodbyeIsNoticedAndTakenBackWhenItReturns) {
  SimulatedChannels sims({1, 2, 3});
  radalt::EngineConfig config = TestConfig();
  config.livenessIntervalMs = 20;
  RADALT_MC mc(config);
  testing::internal::CaptureStdout();
  sims.Remove(2);
  const bool noticed = Eventually([&] { return mc.NoOfAvailableChannelsObj()->Value() == 2; });
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(noticed);
  EXPECT_EQ(2u, mc.AvailableCount());
  EXPECT_NE(std::string::npos, out.find("the engine of channel 2 does not answer")) << out;
  // Channels 1 to the enabled count have engines: only channel 1 is left of them.
  EXPECT_EQ(1u, mc.EnabledCount());
  EXPECT_EQ(1, mc.NoOfEnabledChannelsObj()->Value());
  EXPECT_THROW(mc.GetSingleChannelPtr(2), Operation_errors::NotConfigured);
  EXPECT_EQ(1, mc.GetSingleChannelPtr(1)->Channel());
  EXPECT_EQ(3, mc.GetSingleChannelPtr(3)->Channel());

  sims.Add(2);
  Command(mc, "create,2");
  EXPECT_EQ(3u, mc.AvailableCount());
  EXPECT_EQ(3u, mc.EnabledCount());
  EXPECT_EQ(3, mc.NoOfEnabledChannelsObj()->Value());
  EXPECT_EQ(2, mc.GetSingleChannelPtr(2)->Channel());
}

// A call the engine does not answer brings the look forward: no waiting for the next one.
TEST(Registry, ACallAnEngineDoesNotAnswerIsNoticedAtOnce) {
  SimulatedChannels sims({1, 2, 3});
  radalt::EngineConfig config = TestConfig();
  config.livenessIntervalMs = 3600 * 1000;
  RADALT_MC mc(config);
  Locker client("client");
  sims.Remove(3);
  testing::internal::CaptureStdout();
  // The RF connection goes to every enabled channel: channel 3's engine does not answer, and
  // the writer learns which channels took the value.
  bool refused = false;
  try {
    mc.RfConnectionObj()->RfConnection()->Set(client.Id(), 1);
  } catch (const Velmarin::Connection_errors::Communications_failure&) {
    refused = true;
  }
  const bool noticed = Eventually([&] { return mc.AvailableCount() == 2; });
  testing::internal::GetCapturedStdout();
  EXPECT_TRUE(refused);
  EXPECT_TRUE(noticed);
  EXPECT_EQ(2u, mc.EnabledCount());
}

// A run on an engine that has gone is over: the other engines stop, the locks of the run are
// given back, and a new run can start on the channels left.
TEST(Registry, ARunEndsCleanlyWhenOneOfItsEnginesLeaves) {
  SimulatedChannels sims({1, 2, 3});
  radalt::EngineConfig config = TestConfig();
  config.runSettleMs = 1;
  config.livenessIntervalMs = 20;
  RADALT_MC mc(config);
  Locker client("client");
  EngineAttribBoolean_var run = mc.Simulation().runStopTest->RunStopTest();
  auto engineRuns = [&](int ch) { return sims.Engine(ch).Items().Ref<EngineAttribBoolean>("RUNSTOPTEST")->Get(); };
  run->Set(client.Id(), true);
  ASSERT_TRUE(engineRuns(3));

  testing::internal::CaptureStdout();
  sims.Remove(2);
  const bool ended = Eventually([&] { return !run->Get() && mc.AvailableCount() == 2; });
  testing::internal::GetCapturedStdout();
  EXPECT_TRUE(ended);
  EXPECT_FALSE(engineRuns(1));
  EXPECT_FALSE(engineRuns(3));
  for (radalt::LockGroup g : {radalt::LockGroup::MANUALTEST, radalt::LockGroup::SETTINGS, radalt::LockGroup::CALRUN,
                              radalt::LockGroup::ALTZERORUN, radalt::LockGroup::DIAGTXOUTPUT})
    EXPECT_FALSE(mc.Group(g).IsLocked()) << static_cast<int>(g);

  run->Set(client.Id(), true);
  EXPECT_TRUE(run->Get());
  EXPECT_TRUE(engineRuns(1));
  run->Set(client.Id(), false);
  EXPECT_FALSE(engineRuns(1));
}

// A call an engine did not answer may still have been done by it (a TIMEOUT): once it answers
// the next look, what is shown of it is read again; an engine that answers every look is not.
TEST(Registry, AnEngineThatDidNotAnswerACallIsReadAgainOnceItAnswers) {
  SimulatedChannels sims({1, 2});
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
  registry.Suspect(2);
  EXPECT_TRUE(Eventually([&] {
    std::lock_guard<std::mutex> lock(mutex);
    return !readAgain.empty();
  }));
  // Several looks later it is still once, and only channel 2.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  registry.StopLiveness();
  std::lock_guard<std::mutex> lock(mutex);
  EXPECT_EQ(std::vector<int>({2}), readAgain);
}

// The settings stored while channel 1's engine is missing (every channel shown disabled) keep
// the user's enabled count: recalled once the engine is back, they enable every channel again.
TEST(Registry, TheUsersEnabledCountOutlivesAStoreWhileChannelOneIsMissing) {
  SimulatedChannels sims({1, 2, 3});
  const std::string root = FreshTestRoot("registry");
  radalt::EngineConfig config = TestConfig(root);
  config.livenessIntervalMs = 3600 * 1000;
  {
    RADALT_MC mc(config);
    sims.Remove(1);
    Command(mc, "destroy,1");
    ASSERT_EQ(0u, mc.EnabledCount());
    mc.Save("radaltmc_settings1", 0);

    sims.Add(1);
    Command(mc, "create,1");
    ASSERT_EQ(3u, mc.EnabledCount());
    testing::internal::CaptureStdout();
    mc.RecallMCSettings();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(3u, mc.EnabledCount());
    EXPECT_EQ(3, mc.NoOfEnabledChannelsObj()->Value());
  }
  std::filesystem::remove_all(root);
}
