// The manual altitude and ramp settings, the profile names and the readings handed through
// from the channel engines: forwarding, read-back, coupling, locks and recall. A coupled write
// that one engine refuses or cannot take leaves the channels written before with the value,
// each attribute showing what its engine holds, and tells the writer which channels took it.
// The item references kept per channel engine: a replaced engine is written on the first
// write after its return, and an item whose object has gone is fetched again once. (Threads
// sharing them while an engine comes and goes: engine_test.)
#include <cmath>
#include <functional>

#include "ALT_SIM_MODIFIED.h"
#include "ALT_SIM_TOTAL_DURATION.h"
#include "AltSimDataParameter.h"
#include "AltSimNameParameter.h"
#include "PAUSE_RESUME_TEST.h"
#include "ProfileLegNumber.h"
#include "RUN_STOP_TEST.h"
#include "RampParameter.h"
#include "SIMULATION_MODE.h"
#include "SimBench.h"
#include "platform/Orb.h"

using namespace simbench;
using Operation_errors::DataOutOfRange;
using Operation_errors::Settings_Conflict;

TEST(RampSettings, ShowWhatTheirChannelsEngineAccepted) {
  Bench b({1, 2});
  auto& sim = b.sim();
  EngineAttribValueDouble_var start2 = sim.currentStartAltitude.At(2)->Reference();
  EngineAttribValueDouble_var rate2 = sim.currentAltitudeRate.At(2)->Reference();
  // Limits and initial values are channel 1's engine's.
  EXPECT_DOUBLE_EQ(-20.0, start2->GetParams().min);
  EXPECT_DOUBLE_EQ(10000.0, start2->GetParams().max);
  EXPECT_EQ(1, sim.currentAltitudeDuration.At(3)->Value().val);

  // Channel 2's engine keeps start altitudes only to 0.5 ft (as an instrument quantises).
  b.Engine(2).OnAccepted([&b](const std::string& key) {
    if (key == "CURSTARTALT") b.Engine(2).Assign(key, std::round(b.EngineNumber(2, "CURSTARTALT") * 2) / 2);
  });
  start2->Set(b.client.Id(), WithVal(start2->Get(), 123.4));
  EXPECT_DOUBLE_EQ(123.5, start2->Get().val);
  EXPECT_DOUBLE_EQ(123.5, b.EngineNumber(2, "CURSTARTALT"));
  EXPECT_DOUBLE_EQ(0.0, b.EngineNumber(1, "CURSTARTALT"));
  // Differences up to 0.001 are no change.
  EXPECT_FALSE(sim.currentStartAltitude.At(2)->SetValue(WithVal(start2->Get(), 123.5009)));
  EXPECT_TRUE(sim.currentStartAltitude.At(2)->SetValue(WithVal(start2->Get(), 123.6)));

  // The engine's refusal reaches the writer; the setting shows what its engine kept.
  EXPECT_THROW(start2->Set(b.client.Id(), WithVal(start2->Get(), 20000.0)), DataOutOfRange);
  EXPECT_DOUBLE_EQ(123.5, start2->Get().val);

  // A rate makes the engine recompute the stop altitude, which the channel then shows.
  b.Engine(2).Assign("CURSTOPALT", 777.0);
  rate2->Set(b.client.Id(), WithVal(rate2->Get(), 100.0));
  EXPECT_DOUBLE_EQ(100.0, b.EngineNumber(2, "CURALTRATE"));
  EXPECT_DOUBLE_EQ(777.0, sim.currentStopAltitude.At(2)->Value().val);
  EXPECT_DOUBLE_EQ(0.0, sim.currentStopAltitude.At(1)->Value().val);
  // (A channel that is not enabled takes nothing: channel_roles_test.)
}

// (The current altitude fixed while no run pauses: simulation_interlock_test; an engine's own
// lock passed on: CoupledWrites below.)
TEST(RampSettings, CurrentAltitudeIsAppliedAtOnceOnlyWhilePaused) {
  Bench b({1, 2});
  auto& sim = b.sim();
  EngineAttribValueDouble_var current1 = sim.currentAltitude.At(1)->Reference();
  EngineAttribValueDouble_var current2 = sim.currentAltitude.At(2)->Reference();

  sim.currentAltitude.At(1)->Callback(WithVal(current1->Get(), 100.0));
  EXPECT_DOUBLE_EQ(100.0, b.EngineNumber(1, "CURALT"));
  EXPECT_EQ(0, b.engines[1].applied);

  // Pausing frees the current altitude for everybody.
  sim.pauseResumeTest->PauseResumeTestCallback(true);
  current1->Set(b.client.Id(), WithVal(current1->Get(), 500.0));
  current2->Set(b.client.Id(), WithVal(current2->Get(), 600.0));
  EXPECT_DOUBLE_EQ(600.0, b.EngineNumber(2, "CURALT"));
  EXPECT_EQ(1, b.engines[1].applied);
  EXPECT_EQ(0, b.engines[2].applied);

  b.SetCoupled(true);
  current1->Set(b.client.Id(), WithVal(current1->Get(), 700.0));
  EXPECT_EQ(2, b.engines[1].applied);
  EXPECT_EQ(1, b.engines[2].applied);
  EXPECT_DOUBLE_EQ(700.0, current2->Get().val);
}

TEST(RampSettings, RecallsApplyTheStoredValuesToTheirEngines) {
  Bench b({1, 2});
  auto& sim = b.sim();
  STpersistance* store = b.mc.SettingsStore();
  Store(store, "CurrentStartAltitudeChan2", "value_double", "812.5");
  Store(store, "CurrentAltitudeDurationChan1", "value_int", "42");
  Store(store, "AltSimNameChan2", "value_text", "'Approach'");
  Store(store, "SimulationMode", "value_int", "1");
  Store(store, "RunStopTest", "value_int", "1");

  sim.currentStartAltitude.At(2)->Recall();
  sim.currentAltitudeDuration.At(1)->Recall();
  sim.altSimName.At(2)->Recall();
  sim.simulationMode->RecallSimulationMode();
  sim.runStopTest->RecallRunStopTest();

  EXPECT_DOUBLE_EQ(812.5, sim.currentStartAltitude.At(2)->Value().val);
  EXPECT_DOUBLE_EQ(812.5, b.EngineNumber(2, "CURSTARTALT"));
  EXPECT_EQ(42, b.EngineItem<EngineAttribValueLong>(1, "CURDURATION")->Get().val);
  EXPECT_EQ("Approach", sim.altSimName.At(2)->Value());
  EXPECT_EQ("Approach", b.Engine(2).Text("NAME"));
  EXPECT_EQ(1, sim.simulationMode->Value());
  EXPECT_EQ(1, b.EngineItem<EngineAttribEnum>(2, "SIMMODE")->Get());
  EXPECT_TRUE(b.EngineItem<EngineAttribBoolean>(2, "RUNSTOPTEST")->Get());
  // A recall applies values, not interlocks.
  for (LockGroup g : {LockGroup::SIMRUN, LockGroup::MANUALTEST, LockGroup::SETTINGS}) EXPECT_TRUE(b.Free(g));
}

TEST(ProfileNames, FollowTheEngineAndTheCoupling) {
  Bench b({1, 2, 3});
  auto& sim = b.sim();
  b.SetEnabled(2);
  EXPECT_EQ("Profile1", sim.altSimName.At(3)->Value());
  EngineAttribString_var name1 = sim.altSimName.At(1)->Reference();

  // The engine keeps eight characters; the name shows what it kept.
  b.Engine(1).OnAccepted([&](const std::string& key) {
    if (key == "NAME") b.Engine(1).AssignText(key, b.Engine(1).Text(key).substr(0, 8));
  });
  name1->Set(b.client.Id(), "LongApproach");
  EXPECT_EQ("LongAppr", sim.altSimName.At(1)->Value());
  EXPECT_EQ("Profile1", sim.altSimName.At(2)->Value());

  b.SetCoupled(true);
  sim.altSimName.At(2)->Callback("Coupled");
  for (int ch : {1, 2}) EXPECT_EQ("Coupled", b.Engine(ch).Text("NAME"));
  EXPECT_EQ("Profile1", b.Engine(3).Text("NAME"));
  EXPECT_EQ("Coupled", sim.altSimName.At(1)->Value());
  EXPECT_EQ("Coupled", sim.altSimName.At(3)->Value());
}

TEST(CoupledWrites, AnEnginesLockRefusalKeepsItsTextsAndTheEarlierChannelsShowTheValue) {
  Bench b({1, 2, 3});
  b.SetEnabled(3);
  b.SetCoupled(true);
  EngineAttribValueDouble_var stop2 = b.EngineItem<EngineAttribValueDouble>(2, "CURSTOPALT");
  stop2->Lock(b.other.Authority("Service", "Locked because of service"));
  EngineAttribValueDouble_var stop1 = b.Attr<EngineAttribValueDouble>("CH1CURSTOPALT");
  Operation_errors::Locking_Error locked;
  Output([&] {
    locked = Catch<Operation_errors::Locking_Error>([&] { stop1->Set(b.client.Id(), WithVal(stop1->Get(), 55.0)); });
  });
  EXPECT_STREQ("Service", locked.reason.in());
  EXPECT_EQ("Locked because of service (taken by channel 1; not taken by channels 2, 3)",
            std::string(locked.message.in()));
  EXPECT_DOUBLE_EQ(55.0, b.EngineNumber(1, "CURSTOPALT"));
  EXPECT_DOUBLE_EQ(55.0, stop1->Get().val);
  EXPECT_DOUBLE_EQ(0.0, b.Shown("CH2CURSTOPALT"));
  EXPECT_DOUBLE_EQ(0.0, b.EngineNumber(3, "CURSTOPALT"));
}

// The profile and its name. Each case on a test set of its own: once a call found channel 2's
// engine gone, the registry takes the engine out and later writes go to channel 1 alone.
TEST(CoupledWrites, AnEngineThatIsGoneIsNamedInAConnectionError) {
  auto goneAfterChannel1 = [](const std::function<void(Bench&)>& write, const std::function<void(Bench&)>& check) {
    Bench b({1, 2});
    b.SetEnabled(2);
    b.SetCoupled(true);
    b.engines.Silence(2);
    Connection_errors::Communications_failure gone;
    Output([&] { gone = Catch<Connection_errors::Communications_failure>([&] { write(b); }); });
    const std::string text = gone.text.in();
    EXPECT_NE(std::string::npos, text.find("Channel 2 engine not reached")) << text;
    EXPECT_NE(std::string::npos, text.find("(taken by channel 1; not taken by channel 2)")) << text;
    check(b);
  };
  goneAfterChannel1(
      [](Bench& b) { b.Attr<EngineAttribAny>("CH1LEGDATA")->Set(b.client.Id(), Profile({{1000, 500, 100}})); },
      [](Bench& b) {
        EXPECT_EQ(1u, b.EngineLegCount(1));
        EXPECT_EQ(1u, LegCount(b.sim().altSimData.At(1)->Value()));
      });
  goneAfterChannel1([](Bench& b) { b.Attr<EngineAttribString>("CH1PROFILENAME")->Set(b.client.Id(), "Descent"); },
                    [](Bench& b) { EXPECT_EQ("Descent", b.sim().altSimName.At(1)->Value()); });
}

TEST(EngineReadings, AreHandedOutForEnabledChannelsOnly) {
  Bench b({1, 2, 3});
  auto& sim = b.sim();
  b.SetEnabled(1);
  Settings_Conflict e;
  Output([&] { e = Catch<Settings_Conflict>([&] { sim.altSimModified.At(2)->AltSimModified(); }); });
  EXPECT_STREQ("Channel 2 not enabled", e.text.in());
  Output([&] { e = Catch<Settings_Conflict>([&] { sim.profileLegNumber.At(2)->Reading(); }); });
  EXPECT_STREQ("Channel 2 not enabled", e.text.in());

  b.SetEnabled(2);
  EngineAttribBoolean_var modified = sim.altSimModified.At(2)->AltSimModified();
  EXPECT_TRUE(modified->_is_equivalent(b.EngineItem<EngineAttribBoolean>(2, "MODIFIED")));
  EngineReadingLong_var leg = sim.profileLegNumber.At(2)->Reading();
  EXPECT_TRUE(leg->_is_equivalent(b.EngineItem<EngineReadingLong>(2, "PROFILELEGNUM")));
}

TEST(EngineReadings, TotalDurationIsTheLongestOfTheEnabledChannels) {
  Bench b({1, 2, 3});
  ALT_SIM_TOTAL_DURATION& total = *b.sim().altSimTotalDuration;
  const double totals[] = {100, 250, 180};
  for (int ch = 1; ch <= 3; ++ch) b.Engine(ch).Assign("TOTALDUR", totals[ch - 1]);
  EXPECT_DOUBLE_EQ(250.0, EngineReadingValueDouble_var(total.AltSimTotalDuration())->Get().val);
  // (It follows the coupling: readings_follow_test.)

  // A total that is no valid count of seconds is not shown.
  auto& item2 = dynamic_cast<EngineAttribValueLong_i&>(b.Engine(2).Servant("TOTALDUR"));
  VALUE_LONG::VALUE invalid = item2.Value();
  invalid.valid = false;
  item2 = invalid;
  Output([&] {
    auto e = Catch<Operation_errors::Data_Source_Not_Compatible>([&] { total.AltSimTotalDuration(); });
    EXPECT_STREQ("AltSimTotalDuration - AltSimTotalDuration() invalid value struct", e.text.in());
  });
  EXPECT_DOUBLE_EQ(250.0, total.Value().val);

  b.SetEnabled(0);
  auto e = Catch<Settings_Conflict>([&] { Output([&] { total.AltSimTotalDuration(); }); });
  EXPECT_STREQ("No enabled channels", e.text.in());
}

TEST(EngineRestart, TheFirstCoupledWriteAfterAReturnReachesTheNewEngine) {
  Bench b({1, 2, 3});
  b.SetEnabled(3);
  b.SetCoupled(true);
  EngineAttribValueDouble_var start1 = b.sim().currentStartAltitude.At(1)->Reference();
  start1->Set(b.client.Id(), WithVal(start1->Get(), 100.0));
  EXPECT_DOUBLE_EQ(100.0, b.EngineNumber(2, "CURSTARTALT"));
  EXPECT_GT(b.mc.Items().Kept(2), 0u);

  // A new engine process for channel 2, bound in the old one's place. The old one no longer
  // answers on its main interface; its items would still answer: a reference kept from it must
  // not be used.
  Velmarin::DeactivateServant(&b.engines[2]);
  PlainChannel fresh(2, testset::EngineBase(2) + "/NEW");
  CORBA::Object_var ref = fresh._this();
  Velmarin::ORB_wrapper_base naming;
  naming.InstallAt({"Lumaren", "local", "RADALTSC", "2"}, ref);
  naming.InstallAt({"Lumaren", "local", "RADALTSC_INHOUSE", "2"}, ref);
  b.Announce("create,2");
  // The new engine was brought back to the operator's settings before it counted again.
  EXPECT_DOUBLE_EQ(100.0, fresh.Items().Number("CURSTARTALT"));
  start1->Set(b.client.Id(), WithVal(start1->Get(), 200.0));
  EXPECT_DOUBLE_EQ(200.0, fresh.Items().Number("CURSTARTALT"));
  EXPECT_DOUBLE_EQ(100.0, b.EngineNumber(2, "CURSTARTALT"));  // the old engine kept its last value
  EXPECT_DOUBLE_EQ(200.0, b.EngineNumber(1, "CURSTARTALT"));
  EXPECT_DOUBLE_EQ(200.0, b.EngineNumber(3, "CURSTARTALT"));
  EXPECT_DOUBLE_EQ(200.0, b.sim().currentStartAltitude.At(2)->Value().val);

  // A channel whose engine leaves keeps nothing.
  Velmarin::DeactivateServant(&b.engines[3]);
  b.Announce("destroy,3");
  EXPECT_EQ(0u, b.mc.Items().Kept(3));
}

TEST(EngineRestart, AnItemWhoseObjectHasGoneIsFetchedAgainOnce) {
  Bench b({1});
  Velmarin::ItemNamer namer("Lumaren/local/ITEMREFS");
  Velmarin::GUI_Able_i gui("Lumaren/local/ITEMREFS/GUI_ABLE");
  auto first = std::make_unique<EngineAttribBoolean_i>(namer, gui, "FIRST", false, [](CORBA::Boolean) {});
  EngineAttribBoolean_i second(namer, gui, "SECOND", true, [](CORBA::Boolean) {});
  int fetches = 0;
  auto fetch = [&]() -> EngineAttribBoolean_ptr {
    CORBA::Object_var obj = (++fetches == 1 ? static_cast<EngineReadingBase_i&>(*first) : second)._this();
    return EngineAttribBoolean::_narrow(obj);
  };
  auto get = [](EngineAttribBoolean_ptr item) { return item->Get(); };
  radalt::ItemRefs& refs = b.mc.Items();
  auto sc = b.mc.GetSingleChannelPtr(1);
  radalt::ItemRefs::Key key;
  key.fill(0xA5);  // an item of its own, which the master control never asks for

  EXPECT_FALSE(refs.Use<EngineAttribBoolean_ptr>(sc, key, fetch, get));
  EXPECT_FALSE(refs.Use<EngineAttribBoolean_ptr>(sc, key, fetch, get));
  EXPECT_EQ(1, fetches);  // kept

  first.reset();  // deactivated: calls on its reference find no object
  EXPECT_TRUE(refs.Use<EngineAttribBoolean_ptr>(sc, key, fetch, get));
  EXPECT_EQ(2, fetches);
  EXPECT_TRUE(refs.Use<EngineAttribBoolean_ptr>(sc, key, fetch, get));
  EXPECT_EQ(2, fetches);
}
