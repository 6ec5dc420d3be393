// The simulation mode and the profile legs: the locks that follow the mode and the legs, the
// current leg shown in the ramp settings, coupling, and the profile store.
#include <cmath>
#include <limits>

#include "AltSimDataParameter.h"
#include "AltSimNameParameter.h"
#include "ProfileStore.h"
#include "RampParameter.h"
#include "SIMULATION_MODE.h"
#include "SimBench.h"

using namespace simbench;
using Operation_errors::Settings_Conflict;

namespace {

const char* const kNoLegsOnWrite =
    "Locked because we are in profile mode (Simulation is set to Profile) and there are no valid profile legs. "
    "Either change to manual simulation mode or define one or more legs in the profile";

// What channel 1's ramp settings show: start, stop, rate, duration.
std::vector<double> Ramp1(Bench& b) {
  auto& s = b.sim();
  return {s.currentStartAltitude.At(1)->Value().val, s.currentStopAltitude.At(1)->Value().val,
          s.currentAltitudeRate.At(1)->Value().val, static_cast<double>(s.currentAltitudeDuration.At(1)->Value().val)};
}

}  // namespace

TEST(SimulationMode, LocksFollowTheModeAndTheEnginesLegs) {
  Bench b({1, 2});
  auto& sim = b.sim();
  EngineAttribEnum_var mode = sim.simulationMode->SimulationMode();

  b.SetEnabled(0);
  const unsigned long calls = b.Engine(1).Calls();
  std::string out = Output([&] { EXPECT_THROW(mode->Set(b.client.Id(), 1), Settings_Conflict); });
  EXPECT_EQ(" SIMULATION_MODE::SimulationModeCallback throw Settings_Conflict:No enabled channels\n", out);
  EXPECT_EQ(calls, b.Engine(1).Calls());
  b.SetEnabled(2);

  // Profile mode without legs: the run button is locked, the ramp stays editable.
  mode->Set(b.client.Id(), 1);
  EXPECT_EQ(1, mode->Get());
  EXPECT_EQ(1, b.EngineItem<EngineAttribEnum>(2, "SIMMODE")->Get());
  EXPECT_EQ("No profile legs defined", b.mc.Group(LockGroup::SIMRUN).Reason());
  EXPECT_EQ("Locked because we are in profile mode and there are no valid profile legs. Create a valid profile",
            b.mc.Group(LockGroup::SIMRUN).Message());
  EXPECT_TRUE(b.Free(LockGroup::MANUALTEST));
  EngineAttribValueDouble_var start1 = sim.currentStartAltitude.At(1)->Reference();
  start1->Set(b.client.Id(), WithVal(start1->Get(), 10.0));

  // Manual mode frees both and shows channel 1's engine stop altitude.
  b.Engine(1).Assign("CURSTOPALT", 321.0);
  mode->Set(b.client.Id(), 0);
  EXPECT_TRUE(b.Free(LockGroup::SIMRUN));
  EXPECT_TRUE(b.Free(LockGroup::MANUALTEST));
  EXPECT_DOUBLE_EQ(321.0, sim.currentStopAltitude.At(1)->Value().val);

  // Profile mode with legs: channel 1's engine ramp is shown, then the ramp is locked.
  b.PinLegNumber(1, 1);
  b.Engine(1).Assign("CURSTARTALT", 900.0);
  b.Engine(1).Assign("CURSTOPALT", 100.0);
  b.Engine(1).Assign("CURALTRATE", 50.0);
  b.Engine(1).Assign("CURDURATION", 16);
  b.mc.Locks().Take(LockGroup::SIMRUN, radalt::activity::kNoProfileLegs, "No profile legs defined", "");
  mode->Set(b.client.Id(), 1);
  EXPECT_EQ((std::vector<double>{900, 100, 50, 16}), Ramp1(b));
  EXPECT_EQ("Profile mode selected", b.mc.Group(LockGroup::MANUALTEST).Reason());
  EXPECT_EQ("Locked because profile mode has been selected. Change to manual mode to enable",
            b.mc.Group(LockGroup::MANUALTEST).Message());
  EXPECT_TRUE(b.Free(LockGroup::SIMRUN));
  EXPECT_THROW(start1->Set(b.client.Id(), WithVal(start1->Get(), 10.0)), Operation_errors::Locking_Error);

  // The same mode again changes no lock, but hands out the profile names and tells the
  // engine.
  b.Engine(1).Assign("SIMCHANGED", 0);
  sim.altSimName.At(2)->SetValue("Second");
  mode->Set(b.client.Id(), 1);
  EXPECT_STREQ("Second", CORBA::String_var(b.EngineItem<EngineAttribString>(2, "NAME")->Get()).in());
  EXPECT_TRUE(b.EngineNumber(1, "SIMCHANGED"));
  EXPECT_EQ("Profile mode selected", b.mc.Group(LockGroup::MANUALTEST).Reason());

  // In manual mode every write hands the ramp settings to the engines.
  mode->Set(b.client.Id(), 0);
  EXPECT_TRUE(b.Free(LockGroup::MANUALTEST));
  sim.currentStartAltitude.At(2)->SetValue(WithVal(sim.currentStartAltitude.At(2)->Value(), 777.0));
  mode->Set(b.client.Id(), 0);
  EXPECT_DOUBLE_EQ(777.0, b.EngineNumber(2, "CURSTARTALT"));
}

TEST(SimulationMode, CoupledManualModeGivesChannel1sRampToTheOthers) {
  Bench b({1, 2, 3});
  auto& sim = b.sim();
  b.SetCoupled(true);
  sim.currentStartAltitude.At(1)->SetValue(WithVal(sim.currentStartAltitude.At(1)->Value(), 250.0));
  sim.simulationMode->SimulationModeCallback(0);
  for (int ch : {2, 3}) EXPECT_DOUBLE_EQ(250.0, b.EngineNumber(ch, "CURSTARTALT"));
  EXPECT_DOUBLE_EQ(250.0, sim.currentStartAltitude.At(3)->Value().val);

  // Channel 3's engine refuses: the write ends with its refusal.
  EngineAttribValueDouble_var stop3 = b.EngineItem<EngineAttribValueDouble>(3, "CURSTOPALT");
  stop3->Lock(b.other.Authority("Service", "Locked because of service"));
  std::string out = Output([&] {
    EXPECT_THROW(sim.simulationMode->SimulationModeCallback(0), Operation_errors::Locking_Error);
  });
  EXPECT_NE(std::string::npos, out.find(" SIMULATION_MODE::SimulationModeCallback throw Locking_Error_Exception\n"));
}

TEST(ProfileLegs, TheEnginesCurrentLegIsShownInTheRampSettings) {
  Bench b({1});
  auto& sim = b.sim();
  EngineAttribAny_var legs = sim.altSimData.At(1)->Reference();
  b.PinLegNumber(1, 1);
  sim.simulationMode->SimulationModeCallback(1);

  struct Case {
    std::vector<std::vector<double>> profile;
    int leg;
    std::vector<double> ramp;  // start, stop, rate, duration afterwards
  };
  const Case cases[] = {
      {{{0, 0, 10}, {1000, 500, 100}}, 2, {1000, 500, 100, 5}},
      {{{1000, 990, 100}}, 1, {1000, 990, 100, 1}},  // never shorter than 1
      {{{200, 200, 30.9}}, 1, {200, 200, 0, 30}},    // a level leg holds for its duration
      // A ramp without a usable rate gives no duration: the duration stays.
      {{{1000, 500, 0}}, 1, {1000, 500, 0, 30}},
      // ...nor does one too slow for any whole number of seconds (the rate shows as 0).
      {{{0, 10000, 1e-9}}, 1, {0, 10000, 0, 30}},
  };
  for (const Case& c : cases) {
    b.PinLegNumber(1, c.leg);
    b.Engine(1).Assign("SIMCHANGED", 0);
    Output([&] { legs->Set(b.client.Id(), Profile(c.profile)); });
    EXPECT_EQ(c.profile.size(), b.EngineLegCount(1));
    EXPECT_EQ(c.ramp, Ramp1(b)) << "leg " << c.leg << " of " << c.profile.size();
    EXPECT_TRUE(b.Free(LockGroup::SIMRUN));
    EXPECT_TRUE(b.EngineNumber(1, "SIMCHANGED"));
  }

  // A leg number beyond the engine's profile shows nothing and locks the run button.
  b.PinLegNumber(1, 5);
  std::string out = Output([&] { legs->Set(b.client.Id(), Profile({{1, 2, 3}, {4, 5, 6}})); });
  EXPECT_NE(std::string::npos, out.find(" ALT_SIM_DATA_CHAN1::AltSimDataChan1SetValue leg number 5 is outside the "
                                        "profile of 2 legs"));
  EXPECT_EQ((std::vector<double>{0, 10000, 0, 30}), Ramp1(b));
  EXPECT_EQ(kNoLegsOnWrite, b.mc.Group(LockGroup::SIMRUN).Message());

  // An empty profile locks it too; a valid one frees it.
  b.PinLegNumber(1, 0);
  legs->Set(b.client.Id(), Profile({}));
  EXPECT_EQ("No profile legs defined", b.mc.Group(LockGroup::SIMRUN).Reason());
  b.PinLegNumber(1, 1);
  legs->Set(b.client.Id(), Profile({{10, 20, 1}}));
  EXPECT_TRUE(b.Free(LockGroup::SIMRUN));

  // In manual mode a profile changes no lock and no ramp setting, but the engine is told.
  sim.simulationMode->SimulationModeCallback(0);
  const std::vector<double> ramp = Ramp1(b);
  b.PinLegNumber(1, 0);
  b.Engine(1).Assign("SIMCHANGED", 0);
  legs->Set(b.client.Id(), Profile({{500, 600, 7}}));
  EXPECT_EQ(ramp, Ramp1(b));
  EXPECT_TRUE(b.Free(LockGroup::SIMRUN));
  EXPECT_TRUE(b.EngineNumber(1, "SIMCHANGED"));
}

// Too many legs, a leg holding a number that is not finite, or no profile at all: refused before
// any engine sees them.
TEST(ProfileLegs, ProfilesTheStoreCannotKeepAreRefused) {
  Bench b({1});
  EngineAttribAny_var legs = b.sim().altSimData.At(1)->Reference();
  const unsigned long calls = b.Engine(1).Calls();
  std::vector<std::vector<double>> many(21, std::vector<double>{100, 200, 10});
  Operation_errors::DataOutOfRange e;
  Output([&] { e = Catch<Operation_errors::DataOutOfRange>([&] { legs->Set(b.client.Id(), Profile(many)); }); });
  EXPECT_STREQ("Attribute : AltSimDataChan1Callback - too many profile legs", e.info.text.in());
  EXPECT_EQ(20, e.info.maximum.l());
  EXPECT_EQ(21, e.info.value.l());
  const CORBA::Any nanLeg = Profile({{1000, 500, 100}, {500, std::numeric_limits<double>::quiet_NaN(), 10}});
  Output([&] { e = Catch<Operation_errors::DataOutOfRange>([&] { legs->Set(b.client.Id(), nanLeg); }); });
  EXPECT_STREQ("Attribute : AltSimDataChan1Callback - leg 2 holds a value that is not a finite number",
               e.info.text.in());
  CORBA::Any notLegs;
  notLegs <<= CORBA::Long(7);
  EXPECT_THROW(Output([&] { legs->Set(b.client.Id(), notLegs); }), Operation_errors::Data_Source_Not_Compatible);
  EXPECT_EQ(calls, b.Engine(1).Calls());

  many.pop_back();
  legs->Set(b.client.Id(), Profile(many));
  EXPECT_EQ(20u, b.EngineLegCount(1));
}

TEST(ProfileLegs, CoupledProfileReachesEveryEnabledEngineAndShowsOnAllChannels) {
  Bench b({1, 2, 3});
  auto& sim = b.sim();
  b.SetEnabled(2);
  b.SetCoupled(true);
  for (int ch : {1, 2, 3}) b.PinLegNumber(ch, 1);
  sim.simulationMode->SimulationModeCallback(1);
  sim.altSimData.At(1)->Callback(Profile({{3000, 1000, 200}, {1000, 1000, 60}}));
  for (int ch : {1, 2}) EXPECT_EQ(2u, b.EngineLegCount(ch));
  EXPECT_EQ(0u, b.EngineLegCount(3));
  EXPECT_EQ(2u, LegCount(sim.altSimData.At(2)->Value()));
  EXPECT_EQ(2u, LegCount(sim.altSimData.At(3)->Value()));
  EXPECT_DOUBLE_EQ(3000.0, sim.currentStartAltitude.At(2)->Value().val);
  EXPECT_DOUBLE_EQ(1000.0, sim.currentStopAltitude.At(2)->Value().val);
  // Channel 3 is not enabled: it shows the profile, nothing more.
  EXPECT_FALSE(b.EngineNumber(3, "SIMCHANGED"));
}

TEST(ProfileStore, EachChannelsLegsRoundTripThroughTheStore) {
  Bench b({1, 2});
  STpersistance* store = b.mc.AltSimStore();
  // (The store's rows and ids: channels_test.) The save/recall engine writes channel
  // 2's rows; the recall sends them to the engine.
  const unsigned base = radalt::ProfileStore::BaseId(2);
  Store(store, std::to_string(base + 1), "value_int", "3");
  for (int leg = 1; leg <= 3; ++leg) {
    Store(store, std::to_string(base + 4 * leg - 1), "value_double", std::to_string(10 * leg));     // AltRate_Dur
    Store(store, std::to_string(base + 4 * leg), "value_double", std::to_string(1000 * leg));       // Start_Alt
    Store(store, std::to_string(base + 4 * leg + 1), "value_double", std::to_string(1000 * leg + 500));  // Stop_Alt
  }
  b.sim().altSimData.At(2)->Recall();
  const CORBA::Any engineLegs = b.Engine(2).AnyValue("LEGDATA");
  const Legs::alt_sim_data_seq* seq = nullptr;
  ASSERT_TRUE(engineLegs >>= seq);
  ASSERT_EQ(3u, seq->length());
  EXPECT_DOUBLE_EQ(3000.0, (*seq)[2].Start_Alt);
  EXPECT_DOUBLE_EQ(3500.0, (*seq)[2].Stop_Alt);
  EXPECT_DOUBLE_EQ(30.0, (*seq)[2].AltRate_Dur);
  EXPECT_EQ(3, (*seq)[2].Leg_Number);
  EXPECT_EQ(3u, LegCount(b.sim().altSimData.At(2)->Value()));

  // A stored count the slots cannot hold is refused whole; nothing reaches the engine.
  Store(store, std::to_string(radalt::ProfileStore::BaseId(1) + 1), "value_int", "21");
  const unsigned long calls = b.Engine(1).Calls();
  Output([&] {
    auto e = Catch<Operation_errors::Data_Source_Not_Compatible>([&] { b.sim().altSimData.At(1)->Recall(); });
    EXPECT_STREQ("RecallChan1AltSimData - stored profile has 21 legs, at most 20 can be stored", e.text.in());
  });
  EXPECT_EQ(calls, b.Engine(1).Calls());
}
