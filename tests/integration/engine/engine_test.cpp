// The master control against the real naming service and simulated channel engines:
// discovery, the registry getters, the single-instance guard, the attribute registry and the
// lock groups' take and release; the channel registry following engines that come and go (the
// "create,"/"destroy," commands, their refusals, the counts, the channel-bound objects, readers
// on other threads). (The start-up reported to the hardware enumeration: testset_e2e.)
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

#include "../../support/StreamRecorder.h"
#include "../../support/TestSet.h"

using namespace Velmarin;
using OE = Velmarin::Operation_errors::DataOutOfRange;
using testset::Bench;
using testset::SimulatedChannels;
namespace SCI = Velmarin::RadAltSingleChannelStateControl;
using SC = SCI::_objref_RADALTSC_MAIN_INTERFACE;
using Four = std::vector<long>;

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

// The master control's look for engines that are lost comes every ms.
std::function<void(radalt::EngineConfig&)> LookEvery(unsigned ms) {
  return [ms](radalt::EngineConfig& c) { c.livenessIntervalMs = ms; };
}

}  // namespace

TEST(Registry, EnginesThatComeAndGoAreCountedOnceAndForgotten) {
  // Only the announcements change the registry here: the liveness look would race them.
  Bench b(testset::Engines({1}, [](radalt::EngineConfig& c) {
    c.livenessIntervalMs = kNever;
    c.leaveGraceMs = 200;
  }));
  Recorder r1, r2, r3;
  b.mc.AddChannelBoundClass({&r1, &r2, &r3});
  ASSERT_EQ(1u, b.mc.AvailableCount());

  // A new engine for channel 2 announces itself.
  b.engines.Add(2);
  const std::string created = b.Announce("create,2");
  EXPECT_EQ(std::string::npos, created.find("RADALT_MC")) << created;
  EXPECT_EQ((Four{2, 2, 2, 2}), b.Counts());
  EXPECT_EQ(2, b.mc.GetSingleChannelPtr(2)->Channel());
  EXPECT_FALSE(CORBA::is_nil(b.mc.GetSingleChannelInhousePtr(2)));
  EXPECT_EQ(2u, r2.available);
  EXPECT_EQ(2, r2.channel);
  EXPECT_EQ(0, r3.channel);
  // It offered its items to the master control's registry.
  EXPECT_FALSE(CORBA::is_nil(EngineReadingBase_var(b.mc.Gui().Get_attr("CH2:OUTPWRLVL"))));

  // The same engine announced again (restarted) is not counted twice.
  EXPECT_EQ(std::string::npos, b.Announce("create,2").find("RADALT_MC"));
  EXPECT_EQ((Four{2, 2, 2, 2}), b.Counts());

  // An unknown channel changes nothing; the whole text is read (the parse itself: dds_adapter_test).
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
  EXPECT_EQ((Four{1, 1, 1, 1}), b.Counts());
  EXPECT_THROW(b.mc.GetSingleChannelPtr(2), Operation_errors::NotConfigured);
  EXPECT_THROW(b.mc.GetSingleChannelInhousePtr(2), Operation_errors::NotConfigured);
  EXPECT_EQ(0, r2.channel);
  EXPECT_EQ(1u, r1.enabled);
  // Destroyed twice: reported, counts stay.
  b.Announce("destroy,2");
  EXPECT_EQ(1u, b.mc.AvailableCount());
}

// Threads that read the registry and write and read engine items through the kept references
// while channel 2's engine comes and goes never see either half updated.
TEST(Registry, ThreadsSharingTheRegistryAndTheItemReferencesNeverSeeThemHalfUpdated) {
  Bench b(testset::Engines({1, 2}));
  std::atomic<bool> stop{false};
  std::atomic<int> seen{0}, wrong{0};
  // Taken before the threads start: the bench's list of engines changes under them.
  EngineAttribValueDouble_var stopAltitude = b.EngineItem<EngineAttribValueDouble>(1, "CURSTOPALT");
  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t)
    threads.emplace_back([&, t] {
      while (!stop) {
        try {
          // A lent pointer stays usable even if the channel goes meanwhile.
          if (b.mc.GetSingleChannelPtr(2)->Channel() != 2) ++wrong;
          radalt::WriteItem(b.mc.Items(), b.mc.GetSingleChannelPtr(1), &SC::CurrentStopAltitude, b.client.Id(),
                            testset::WithVal(stopAltitude->Get(), 10.0 + t));
          if (radalt::ReadItem(b.mc.Items(), b.mc.GetSingleChannelPtr(2), &SC::ProfileLegNumber) < 0) ++wrong;
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
  for (auto& t : threads) t.join();
  EXPECT_EQ(0, wrong.load());
  EXPECT_GT(seen.load(), 0);
  EXPECT_EQ((Four{2, 2, 2, 2}), b.Counts());
}

// An engine that arrives while a test runs on channel 1 is registered and counted as
// available; it is enabled once nothing keeps the enabled count from changing.
TEST(Registry, AnEngineArrivingDuringATestIsCountedButNotEnabled) {
  Bench b(testset::Engines({1, 2}));
  dynamic_cast<EngineAttribBoolean_i&>(b.Engine(1).Servant("RUNSTOPTEST")) = true;

  b.engines.Add(3);
  const std::string out = b.Announce("create,3");
  EXPECT_EQ(std::string::npos, out.find("not a valid radaltsc")) << out;
  EXPECT_EQ((Four{3, 2, 3, 2}), b.Counts());
  EXPECT_EQ(3, b.mc.GetSingleChannelPtr(3)->Channel());

  dynamic_cast<EngineAttribBoolean_i&>(b.Engine(1).Servant("RUNSTOPTEST")) = false;
  b.SetLong("NOOFENABLEDCHANNELS", 3);
  EXPECT_EQ(3u, b.mc.EnabledCount());
}

// Every subsystem follows a new enabled count: an output of channel 1 does not stay on when
// no channel is enabled any more.
TEST(Registry, AClientsEnabledCountReachesEverySubsystem) {
  Bench b(testset::Engines({1, 2}));
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
  Bench b(testset::Engines({1, 2, 3}, [](radalt::EngineConfig& c) {
    c.livenessIntervalMs = 20;
    c.runSettleMs = 1;
  }));
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
  EXPECT_EQ((Four{2, 1, 2, 1}), b.Counts());
  EXPECT_THROW(b.mc.GetSingleChannelPtr(2), Operation_errors::NotConfigured);
  EXPECT_EQ(3, b.mc.GetSingleChannelPtr(3)->Channel());
  b.SetBool("RUNSTOPTEST", true);  // a new run on the channels left
  EXPECT_TRUE(engineRuns(1));
  b.SetBool("RUNSTOPTEST", false);
  EXPECT_FALSE(engineRuns(1));

  b.engines.Add(2);
  b.Announce("create,2");
  EXPECT_EQ((Four{3, 3, 3, 3}), b.Counts());
  EXPECT_EQ(2, b.mc.GetSingleChannelPtr(2)->Channel());
}

// A call the engine does not answer brings the look forward: no waiting for the next one. The
// RF connection goes to every enabled channel: channel 3's engine does not answer, and the
// writer learns which channels took the value.
TEST(Registry, ACallAnEngineDoesNotAnswerIsNoticedAtOnce) {
  Bench b(testset::Engines({1, 2, 3}, LookEvery(kNever)));
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
// writes: below.)
TEST(Registry, TheUsersEnabledCountOutlivesAStoreWhileChannelOneIsMissing) {
  Bench b(testset::Engines({1, 2, 3}, LookEvery(kNever)));
  b.engines.Remove(1);
  b.Announce("destroy,1");
  ASSERT_EQ(0u, b.mc.EnabledCount());
  b.mc.Save("radaltmc_settings1", 0);

  b.engines.Add(1);
  b.Announce("create,1");
  ASSERT_EQ(3u, b.mc.EnabledCount());
  Output([&] { b.mc.RecallMCSettings(); });
  EXPECT_EQ((Four{3, 3, 3, 3}), b.Counts());
}

TEST(Engine, DiscoversTwoEnginesAndGuardsTheRegistry) {
  Bench b(testset::Engines({1, 2}));
  RADALT_MC& mc = b.mc;

  EXPECT_EQ((Four{2, 2, 2, 2}), b.Counts());
  EXPECT_EQ(1, mc.GetSingleChannelPtr(1)->Channel());
  EXPECT_EQ(2, mc.GetSingleChannelPtr(2)->Channel());
  EXPECT_TRUE(mc.GetSingleChannelIsLocal(2));

  for (int bad : {0, 4}) {
    OE e = Catch<OE>([&] { mc.GetSingleChannelPtr(bad); });
    EXPECT_STREQ("RADALT_MC::GetSingleChannelPtr - illegal channel index", e.info.text.in());
    EXPECT_EQ(1, e.info.minimum.l());
    EXPECT_EQ(3, e.info.maximum.l());
    EXPECT_EQ(bad, e.info.value.l());
  }
  const std::pair<const char*, std::function<void()>> kChannelThree[] = {
      {"RADALT_MC::GetSingleChannelPtr - RadaltSC_ptr is zero", [&] { mc.GetSingleChannelPtr(3); }},
      {"RADALT_MC::GetSingleChannelInhousePtr - RadaltSCInhouse_ptr is zero", [&] { mc.GetSingleChannelInhousePtr(3); }},
      {"RADALT_MC::GetSingleChannelIsLocal - RadaltSC_ptr is zero", [&] { mc.GetSingleChannelIsLocal(3); }}};
  for (const auto& [text, call] : kChannelThree) EXPECT_STREQ(text, Catch<Operation_errors::NotConfigured>(call).text.in());
  OE e = Catch<OE>([&] { mc.GetSingleChannelIsLocal(0); });
  EXPECT_STREQ("RADALT_MC::GetSingleChannelIsLocal - illegal channel index", e.info.text.in());

  // Both engines' items are offered under "CH<n>:"; channel 3 has none.
  for (const auto& [key, offered] : {std::pair<const char*, bool>{"CH2:OUTPWRLVL", true}, {"CH3:OUTPWRLVL", false},
                                     {"NOOFENABLEDCHANNELS", true}, {"NOSUCHATTRIBUTE", false}})
    EXPECT_EQ(offered, !CORBA::is_nil(EngineReadingBase_var(mc.Gui().Get_attr(key)))) << key;
  // A write to a channel-2 item through the registry reaches the simulated engine.
  EngineReadingBase_var ch2 = mc.Gui().Get_attr("CH2:OUTPWRLVL");
  EngineAttribValueDouble_var power = EngineAttribValueDouble::_narrow(ch2);
  power->Set(b.client.Id(), testset::WithVal(power->Get(), -33.0));
  EXPECT_DOUBLE_EQ(-33.0, b.EngineNumber(2, "OUTPWRLVL"));
}

// A second master control is refused and the first keeps its registrations, which are
// withdrawn when it goes, so that a new one starts.
TEST(Engine, ASecondMasterControlIsRefusedAndTheFirstsRegistrationsGoWithIt) {
  SimulatedChannels sims({1});
  ORB_wrapper_base naming;
  {
    RADALT_MC first(TestConfig());
    Connection_errors::Generic e;
    Output([&] { e = Catch<Connection_errors::Generic>([] { RADALT_MC second(TestConfig()); }); });
    EXPECT_STREQ("Attempt to start more than one instance of radalt master control", e.text.in());
    EXPECT_EQ(std::vector<std::string>{"1"}, naming.FindChildContext("Lumaren/local/RADALT"));
    EXPECT_EQ(std::vector<std::string>{"RADALT1"}, naming.FindChildContext("Lumaren/local/GUI_ABLE"));
    EXPECT_EQ(1u, naming.FindChildContext("Lumaren/local/EVERYBODY_ABLE").size());
  }
  EXPECT_TRUE(naming.FindChildContext("Lumaren/local/RADALT").empty());
  EXPECT_TRUE(naming.FindChildContext("Lumaren/local/EVERYBODY_ABLE").empty());
  RADALT_MC again(TestConfig());
  EXPECT_EQ(1u, again.AvailableCount());
}

TEST(Engine, ChannelCountsRefuseWhatTheTestSetCannotHave) {
  Bench b(testset::Engines({1, 2}));
  const Locker& client = b.client;
  EngineAttribLong_var available = b.mc.NoOfAvailableChannelsObj()->NoOfAvailableChannels();
  EngineAttribLong_var enabled = b.mc.NoOfEnabledChannelsObj()->NoOfEnabledChannels();

  OE e;
  Output([&] { e = Catch<OE>([&] { available->Set(client.Id(), 4); }); });
  EXPECT_STREQ("Attribute : NoOfAvailableChannelsCallback - illegal no of channels", e.info.text.in());
  EXPECT_EQ(0, e.info.minimum.l());
  EXPECT_EQ(3, e.info.maximum.l());
  EXPECT_EQ(4, e.info.value.l());
  // Negative counts are out of range too (the test is unsigned).
  EXPECT_THROW(available->Set(client.Id(), -1), OE);

  // More enabled than available is refused, with the live count as its maximum; the
  // available count is the live engines and nothing else.
  OE more = Catch<OE>([&] { enabled->Set(client.Id(), 3); });
  EXPECT_EQ(2, more.info.maximum.l());
  OE fewer = Catch<OE>([&] { available->Set(client.Id(), 1); });
  EXPECT_EQ(2, fewer.info.minimum.l());
  EXPECT_EQ(2, fewer.info.maximum.l());
  EXPECT_EQ((Four{2, 2, 2, 2}), b.Counts());
}

TEST(Engine, TakeAndReleaseOfLockGroups) {
  Bench b(testset::Engines({1}));
  RADALT_MC& mc = b.mc;
  using radalt::LockGroup;
  const Locker& other = b.other;
  // (Taken again by the same activity, its new texts show: simulation_interlock_test.)
  EXPECT_TRUE(mc.TakeGroup(LockGroup::SIMRUN, "Simulation is running", "Locked because a simulation is running"));
  EXPECT_TRUE(mc.ReleaseGroup(LockGroup::SIMRUN));
  EXPECT_FALSE(mc.ReleaseGroup(LockGroup::SIMRUN));
  // A group held by another locker is neither taken nor released.
  mc.Group(LockGroup::CALRUN).Lock(other.Authority("Cal", "Locked because cal"));
  EXPECT_FALSE(mc.TakeGroup(LockGroup::CALRUN, "x", "y"));
  EXPECT_FALSE(mc.ReleaseGroup(LockGroup::CALRUN));
  EXPECT_TRUE(SameLocker(other.Id(), mc.Group(LockGroup::CALRUN).Holder()));
}
