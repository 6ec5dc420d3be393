// The simulated single-channel engine flies what it is given: a manual ramp, a profile of legs,
// pause, jumps, the run interlock, the altitude-indicator zero, and its configuration validity.
// Items are reached through the engine's CORBA reference, as the master control reaches them.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "../../support/Eventually.h"
#include "ScEngine.h"
#include "platform/Orb.h"

using namespace Velmarin;
using namespace std::chrono_literals;
namespace Sim = RadAltSingleChannelModel::AltimeterSimulationObjects;

namespace {

// Every value the engine published on one topic.
class Recorder {
 public:
  explicit Recorder(std::string topic) : topic_(std::move(topic)) {}
  void operator()(const std::string& topic, const CORBA::Any& v) {
    const VALUE_DOUBLE::VALUE* r = nullptr;
    if (topic != topic_ || !(v >>= r)) return;
    std::lock_guard<std::mutex> lock(mutex_);
    values_.push_back(r->val);
  }
  std::vector<double> Values() {
    std::lock_guard<std::mutex> lock(mutex_);
    return values_;
  }

 private:
  const std::string topic_;
  std::mutex mutex_;
  std::vector<double> values_;
};

class Channel : public ::testing::Test {
 protected:
  explicit Channel(std::chrono::milliseconds tick = 0ms, bool valid = true)
      : engine(std::make_unique<radaltsim::ScEngine_i>(1, "Lumaren/local/RADALTSC/1", Options(tick, valid))) {}
  radaltsim::ScEngineOptions Options(std::chrono::milliseconds tick, bool valid) {
    ProcessOrb();
    radaltsim::ScEngineOptions options;
    options.tick = tick;
    options.configurationValid = valid;
    options.publisher = [rec = published](const std::string& t, const CORBA::Any& v) { (*rec)(t, v); };
    return options;
  }

  // A value record write: the current record with a new value.
  template <class A>
  void Set(const A& a, double v) {
    auto r = a->Get();
    r.val = static_cast<decltype(r.val)>(v);
    a->Set(client.Id(), r);
  }
  void Ramp(double from, double to, double ftPerSecond) {
    Set(start, from);
    Set(stop, to);
    Set(rate, ftPerSecond);
  }
  void Fly(double seconds) { engine->Flight().Advance(seconds); }
  double Altitude() { return simulated->Get().val; }
  // Legs of {start, stop, rate or duration, leg number}.
  void Profile(std::initializer_list<Sim::Alt_Sim_Data> legData) {
    Sim::alt_sim_data_seq seq;
    seq.length(static_cast<CORBA::ULong>(legData.size()));
    CORBA::ULong i = 0;
    for (const auto& leg : legData) seq[i++] = leg;
    CORBA::Any any;
    any <<= seq;
    legs->Set(client.Id(), any);
  }

  Locker client{"client"};
  std::shared_ptr<Recorder> published = std::make_shared<Recorder>("Lumaren/local/RADALTSC/1/CURALT");
  std::unique_ptr<radaltsim::ScEngine_i> engine;
  radaltsim::SC::RADALTSC_ENGINE_var sc = engine->_this();
  EngineAttribValueDouble_var current = sc->CurrentAltitude(), start = sc->CurrentStartAltitude(),
                              stop = sc->CurrentStopAltitude(), rate = sc->CurrentAltitudeRate();
  EngineAttribValueLong_var duration = sc->CurrentAltitudeDuration(), total = sc->AltSimTotalDuration();
  EngineAttribBoolean_var run = sc->RunStopTest(), pause = sc->PauseResumeTest();
  EngineAttribEnum_var mode = sc->SimulationMode();
  EngineAttribAny_var legs = sc->AltSimData();
  EngineReadingLong_var legNumber = sc->ProfileLegNumber();
  EngineReadingValueDouble_var simulated = sc->UUTSimActAlt();
};

}  // namespace

// (The rule itself, its rounding and its limits: ramp_rule_test; a duration written slows the
// ramp: readings_follow_test.)
TEST_F(Channel, ManualRampTiesDurationAndRate) {
  Ramp(1000, 500, 100);
  // Writing back the duration the rate gave (as a mirror does) leaves the rate alone.
  Set(rate, 30);
  EXPECT_EQ(17, duration->Get().val);
  Set(duration, 17);
  EXPECT_DOUBLE_EQ(30, rate->Get().val);

  // Outside the item's limits the write is refused and nothing follows.
  EXPECT_THROW(Set(rate, 6000), Operation_errors::DataOutOfRange);
  EXPECT_EQ(17, duration->Get().val);
}

TEST_F(Channel, ManualRunFliesPausesJumpsAndHoldsAtTheStop) {
  Ramp(0, 1000, 100);
  Set(current, 40);  // stopped: the engine simulates this fixed altitude at once
  EXPECT_DOUBLE_EQ(40, Altitude());

  run->Set(client.Id(), true);
  EXPECT_DOUBLE_EQ(0, current->Get().val);  // the ramp begins at its start
  Fly(2.5);
  EXPECT_DOUBLE_EQ(250, current->Get().val);
  EXPECT_DOUBLE_EQ(250, Altitude());
  EXPECT_THROW(Set(current, 600), Operation_errors::Settings_Conflict);

  pause->Set(client.Id(), true);
  Fly(5);
  EXPECT_DOUBLE_EQ(250, Altitude());
  // Paused, a new current altitude waits for ApplyCurrentAltitude.
  Set(current, 600);
  EXPECT_DOUBLE_EQ(250, Altitude());
  EXPECT_TRUE(sc->ApplyCurrentAltitude());
  EXPECT_DOUBLE_EQ(600, Altitude());

  pause->Set(client.Id(), false);
  Fly(3);
  EXPECT_DOUBLE_EQ(900, current->Get().val);
  Fly(60);
  EXPECT_DOUBLE_EQ(1000, current->Get().val);
  EXPECT_TRUE(run->Get());  // the ramp is done and holds

  run->Set(client.Id(), false);
  Fly(5);
  EXPECT_DOUBLE_EQ(1000, Altitude());
  // Every step of the flight was published, in order.
  const std::vector<double> seen = published->Values();
  EXPECT_EQ((std::vector<double>{40, 0, 250, 600, 900, 1000}), seen);
}

TEST_F(Channel, ProfileAdvancesLegByLegAndReportsItsTotal) {
  Profile({{0, 100, 50, 1}, {100, 100, 3.7, 2}, {100, 400, 0, 3}, {100, 0, 100, 4}});
  EXPECT_EQ(2 + 3 + 1, total->Get().val);  // the leg without a rate is not flown
  EXPECT_EQ(1, legNumber->Get());
  Set(start, 777);  // manual mode: the ramp items are the operator's
  EXPECT_DOUBLE_EQ(777, start->Get().val);

  mode->Set(client.Id(), 1);
  EXPECT_DOUBLE_EQ(0, start->Get().val);  // profile mode shows the current leg
  EXPECT_DOUBLE_EQ(100, stop->Get().val);
  EXPECT_DOUBLE_EQ(50, rate->Get().val);
  EXPECT_EQ(2, duration->Get().val);
  Set(duration, 1);  // a write cannot change what the leg is
  EXPECT_EQ(2, duration->Get().val);

  run->Set(client.Id(), true);
  Fly(1);
  EXPECT_DOUBLE_EQ(50, Altitude());
  Fly(1.5);
  EXPECT_EQ(2, legNumber->Get());
  EXPECT_DOUBLE_EQ(100, Altitude());
  EXPECT_DOUBLE_EQ(0, rate->Get().val);
  EXPECT_EQ(3, duration->Get().val);
  EXPECT_THROW(Profile({}), Operation_errors::Settings_Conflict);
  EXPECT_THROW(mode->Set(client.Id(), 0), Operation_errors::Settings_Conflict);

  Fly(3);  // the rest of the hold, then half a second into the last valid leg
  EXPECT_EQ(4, legNumber->Get());
  EXPECT_DOUBLE_EQ(50, Altitude());
  EXPECT_DOUBLE_EQ(100, start->Get().val);
  Fly(100);
  EXPECT_EQ(4, legNumber->Get());  // the end of the profile holds
  EXPECT_DOUBLE_EQ(0, Altitude());

  // A new run starts the profile again from its first leg.
  run->Set(client.Id(), false);
  run->Set(client.Id(), true);
  EXPECT_EQ(1, legNumber->Get());
  EXPECT_DOUBLE_EQ(0, Altitude());
}

TEST_F(Channel, ProfileWithoutValidLegsCannotRun) {
  mode->Set(client.Id(), 1);
  EXPECT_EQ(0, legNumber->Get());
  EXPECT_THROW(run->Set(client.Id(), true), Operation_errors::Settings_Conflict);
  Profile({{0, 100, 0, 1}, {50, 50, 0.2, 2}});
  EXPECT_EQ(0, legNumber->Get());
  EXPECT_EQ(0, total->Get().val);
  EXPECT_THROW(run->Set(client.Id(), true), Operation_errors::Settings_Conflict);
  EXPECT_FALSE(run->Get());

  // What is not a profile is refused; an empty value is a profile without legs.
  CORBA::Any text;
  text <<= "legs";
  EXPECT_THROW(legs->Set(client.Id(), text), Operation_errors::Data_Source_Not_Compatible);
  legs->Set(client.Id(), CORBA::Any());
  // The total follows the legs only.
  EXPECT_THROW(Set(total, 99), Operation_errors::NotSupported);

  // Manual mode runs without legs.
  mode->Set(client.Id(), 0);
  run->Set(client.Id(), true);
  EXPECT_TRUE(run->Get());
}

TEST_F(Channel, AltitudeIndicatorZeroIsAStateTheRunRespects) {
  EngineReadingBoolean_var active = sc->AltIndZeroActive();
  EngineAttribVoid_var startZero = sc->StartAltIndZero(), saveZero = sc->SaveAltIndZero(),
                       abortZero = sc->AbortAltIndZero();
  Set(current, 300);
  saveZero->Execute(client.Id());  // without a start: accepted, nothing changes
  EXPECT_FALSE(active->Get());

  startZero->Execute(client.Id());
  EXPECT_TRUE(active->Get());
  EXPECT_DOUBLE_EQ(0, Altitude());  // the unit under test is shown zero altitude
  EXPECT_THROW(run->Set(client.Id(), true), Operation_errors::Settings_Conflict);
  abortZero->Execute(client.Id());
  EXPECT_FALSE(active->Get());
  EXPECT_DOUBLE_EQ(300, Altitude());

  startZero->Execute(client.Id());
  saveZero->Execute(client.Id());
  EXPECT_FALSE(active->Get());
  run->Set(client.Id(), true);
  EXPECT_THROW(startZero->Execute(client.Id()), Operation_errors::Settings_Conflict);
}

class InvalidChannel : public Channel {
 protected:
  InvalidChannel() : Channel(0ms, false) {}
};

TEST_F(InvalidChannel, ConfigurationValidityIsSwitchedNotReset) {
  EngineReadingBoolean_var valid = sc->ConfigurationValid();
  EXPECT_FALSE(valid->Get());
  sc->SetConfigurationValid(true);
  EXPECT_TRUE(valid->Get());
  EXPECT_FALSE(engine->ToggleConfigurationValid());
  EXPECT_FALSE(valid->Get());

  // A reset puts the settings back and stops the flight, but the configuration stays invalid.
  Profile({{0, 100, 50, 1}});
  Ramp(0, 1000, 100);
  run->Set(client.Id(), true);
  Fly(1);
  sc->ResetState();
  EXPECT_FALSE(valid->Get());
  EXPECT_FALSE(run->Get());
  EXPECT_EQ(0, legNumber->Get());
  EXPECT_EQ(0, total->Get().val);
  EXPECT_DOUBLE_EQ(0, Altitude());
  Fly(1);
  EXPECT_DOUBLE_EQ(0, Altitude());
}

class ClockedChannel : public Channel {
 protected:
  ClockedChannel() : Channel(10ms) {}
};

TEST_F(ClockedChannel, TheClockFliesARunningRampToItsStop) {
  Ramp(0, 50, 100);
  run->Set(client.Id(), true);
  ASSERT_TRUE(Eventually([&] { return !published->Values().empty() && published->Values().back() == 50; }));
  // Climbing all the way, never past the stop.
  const std::vector<double> seen = published->Values();
  EXPECT_GT(seen.front(), 0.0);
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
}
