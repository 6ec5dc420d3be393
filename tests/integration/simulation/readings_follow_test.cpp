// The master control's simulation attributes show what the channel engines make of a write:
// a simulated engine ties start, stop, rate and duration together, takes channel 1's
// settings when coupling is switched on, and totals the legs of its profile.
#include "SimBench.h"

#include "../../support/Eventually.h"
#include "RampParameter.h"

#include <atomic>
#include <thread>

using namespace simbench;

namespace {

class Testset : public testset::Bench {
 public:
  explicit Testset(std::vector<int> channels, unsigned followUpMs = 5)
      : testset::Bench({std::move(channels), {}, false, FreshRoot(),
                        [followUpMs](radalt::EngineConfig& c) { c.followUpDelayMs = followUpMs; }}) {}

  long Duration(int channel) {
    return Attr<EngineAttribValueLong>("CH" + std::to_string(channel) + "CURALTDUR")->Get().val;
  }
  double TotalDuration() { return Attr<EngineReadingValueDouble>("TOTALDURATION")->Get().val; }
  // Channel 1's start, stop, rate and duration: as a watcher of the attributes' publications
  // has them (no client read asks for them first), and as the engine holds them.
  std::vector<double> Published() {
    using radalt::RampRole;
    radalt::SimulationObjects& sim = mc.Simulation();
    return {sim.Ramp<RampRole::StartAltitude>(1)->Attr().Value().val,
            sim.Ramp<RampRole::StopAltitude>(1)->Attr().Value().val, sim.Ramp<RampRole::Rate>(1)->Attr().Value().val,
            static_cast<double>(sim.Ramp<RampRole::Duration>(1)->Attr().Value().val)};
  }
  std::vector<double> Engine1() {
    return {EngineNumber(1, "CURSTARTALT"), EngineNumber(1, "CURSTOPALT"), EngineNumber(1, "CURALTRATE"),
            EngineNumber(1, "CURDURATION")};
  }
  // 1000 ft down to 500 ft at 100 ft/s on channel.
  void Descent(int channel) {
    const std::string ch = "CH" + std::to_string(channel);
    SetDouble(ch + "CURSTARTALT", 1000.0);
    SetDouble(ch + "CURSTOPALT", 500.0);
    SetDouble(ch + "CURALTRATE", 100.0);
  }
};

}  // namespace

TEST(ReadingsFollow, TheRampShowsTheDurationAndRateTheEngineWorksOut) {
  Testset t({1});
  t.Descent(1);
  EXPECT_EQ(5, t.Duration(1));

  // A longer duration slows the ramp down.
  auto duration = t.Attr<EngineAttribValueLong>("CH1CURALTDUR");
  duration->Set(t.client.Id(), WithVal(duration->Get(), CORBA::Long(10)));
  EXPECT_DOUBLE_EQ(50.0, t.Shown("CH1CURALTRATE"));
  EXPECT_DOUBLE_EQ(500.0, t.Shown("CH1CURSTOPALT"));
}

// Coupling switched on with channels to follow gives them channel 1's ramp (start, stop, rate
// and duration, nothing more); with none to follow, or switched off, it writes nothing.
TEST(ReadingsFollow, CouplingShowsWhatChannel1GaveTheOtherEngines) {
  Testset t({1, 2, 3});
  t.SetEnabled(1);
  t.Descent(1);
  t.SetBool("COUPLEDALTITUDESIMULATION", true);
  t.SetBool("COUPLEDALTITUDESIMULATION", false);
  t.SetEnabled(3);
  EXPECT_DOUBLE_EQ(0.0, t.EngineNumber(2, "CURSTARTALT"));
  EXPECT_DOUBLE_EQ(0.0, t.Shown("CH2CURSTOPALT"));

  const unsigned long before = t.Engine(2).Calls();
  t.SetBool("COUPLEDALTITUDESIMULATION", true);
  EXPECT_EQ(before + 4, t.Engine(2).Calls());
  for (int ch : {2, 3}) {
    const std::string key = "CH" + std::to_string(ch);
    EXPECT_DOUBLE_EQ(500.0, t.EngineNumber(ch, "CURSTOPALT")) << ch;
    EXPECT_EQ((std::vector<double>{1000, 500, 100}),
              (std::vector<double>{t.Shown(key + "CURSTARTALT"), t.Shown(key + "CURSTOPALT"), t.Shown(key + "CURALTRATE")}))
        << ch;
    EXPECT_EQ(5, t.Duration(ch)) << ch;
  }

  // Coupled, a rate written on channel 2 shows on every channel with the duration it gives.
  t.SetDouble("CH2CURALTRATE", 50.0);
  for (int ch : {1, 2, 3}) EXPECT_EQ(10, t.Duration(ch));
  const unsigned long coupled = t.Engine(2).Calls();
  t.SetBool("COUPLEDALTITUDESIMULATION", false);
  EXPECT_EQ(coupled, t.Engine(2).Calls());
}

TEST(ReadingsFollow, TheTotalDurationFollowsTheProfilesAndTheCoupling) {
  Testset t({1, 2});
  t.SetEnabled(2);
  EXPECT_DOUBLE_EQ(0.0, t.TotalDuration());

  // A 5 s descent, then 7 s level.
  t.Attr<EngineAttribAny>("CH1LEGDATA")->Set(t.client.Id(), Profile({{1000, 500, 100}, {500, 500, 7.9}}));
  EXPECT_DOUBLE_EQ(12.0, t.TotalDuration());

  // Uncoupled, the longest profile counts.
  t.Attr<EngineAttribAny>("CH2LEGDATA")->Set(t.client.Id(), Profile({{0, 2000, 100}}));
  EXPECT_DOUBLE_EQ(20.0, t.TotalDuration());
  t.Attr<EngineAttribAny>("CH2LEGDATA")->Set(t.client.Id(), Profile({}));
  EXPECT_DOUBLE_EQ(12.0, t.TotalDuration());

  // Coupled, channel 1's profile is everybody's.
  t.Attr<EngineAttribAny>("CH2LEGDATA")->Set(t.client.Id(), Profile({{0, 3000, 100}}));
  EXPECT_DOUBLE_EQ(30.0, t.TotalDuration());
  t.SetBool("COUPLEDALTITUDESIMULATION", true);
  EXPECT_DOUBLE_EQ(12.0, t.TotalDuration());
}

TEST(ReadingsFollow, WhatTheEngineDerivesFollowsTheWriteAndAReaderNeverSeesItLag) {
  // A follow-up that would come only after an hour: a client's read looks it up itself.
  {
    Testset t({1}, 3600 * 1000);
    t.SetDouble("CH1CURSTARTALT", 1000.0);
    t.SetDouble("CH1CURSTOPALT", 500.0);
    EXPECT_DOUBLE_EQ(500.0, t.Published()[1]);  // the written value shows with the reply
    t.SetDouble("CH1CURALTRATE", 100.0);
    EXPECT_NE(5, t.Published()[3]);         // the derived one is not looked up yet
    EXPECT_EQ(5, t.Duration(1));
    EXPECT_EQ(t.Engine1(), t.Published());
  }
  // Without a reader, the follow-up comes by itself.
  Testset t({1}, 1);
  t.Descent(1);
  Eventually([&] { return t.Published()[3] == 5; });
  EXPECT_EQ(t.Engine1(), t.Published());
}

TEST(ReadingsFollow, WritesRacingTheirFollowUpsEndWithWhatTheEngineHolds) {
  Testset t({1}, 0);
  std::atomic<bool> stop{false};
  auto writer = [&](const char* key, double low) {
    auto attr = t.Attr<EngineAttribValueDouble>(key);
    for (int i = 0; i < 150; ++i) attr->Set(t.client.Id(), WithVal(attr->Get(), low + (i % 7) * 100.0));
  };
  std::thread reader([&] {
    while (!stop) t.Duration(1);
  });
  std::thread starts(writer, "CH1CURSTARTALT", 1000.0);
  std::thread stops(writer, "CH1CURSTOPALT", 200.0);
  std::thread rates(writer, "CH1CURALTRATE", 50.0);
  starts.join();
  stops.join();
  rates.join();
  stop = true;
  reader.join();

  // Once the last follow-up is through, every attribute shows the engine's value, also to a
  // watcher that never reads.
  EXPECT_TRUE(Eventually([&] { return t.Published() == t.Engine1(); }));
  EXPECT_EQ(t.Engine1()[3], t.Duration(1));
}
