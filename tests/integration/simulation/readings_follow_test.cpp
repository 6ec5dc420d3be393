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

  double Double(const std::string& key) { return testset::Bench::Shown(key); }
  long Duration(int channel) {
    return Attr<EngineAttribValueLong>("CH" + std::to_string(channel) + "CURALTDUR")->Get().val;
  }
  double TotalDuration() { return Attr<EngineReadingValueDouble>("TOTALDURATION")->Get().val; }
  double EngineStop(int channel) {
    return engines.Engine(channel).Items().Ref<EngineAttribValueDouble>("CURSTOPALT")->Get().val;
  }
  // What channel 1's ramp attributes hold, as a watcher of their publications has it (no
  // client read asks for them first).
  struct Shown {
    double start, stop, rate;
    long duration;
    bool operator==(const Shown& o) const {
      return start == o.start && stop == o.stop && rate == o.rate && duration == o.duration;
    }
  };
  Shown Published() {
    using radalt::RampRole;
    radalt::SimulationObjects& sim = mc.Simulation();
    return {sim.Ramp<RampRole::StartAltitude>(1)->Attr().Value().val,
            sim.Ramp<RampRole::StopAltitude>(1)->Attr().Value().val, sim.Ramp<RampRole::Rate>(1)->Attr().Value().val,
            sim.Ramp<RampRole::Duration>(1)->Attr().Value().val};
  }
  Shown Engine1() {
    radaltsim::ItemStore& items = engines.Engine(1).Items();
    return {items.Ref<EngineAttribValueDouble>("CURSTARTALT")->Get().val,
            items.Ref<EngineAttribValueDouble>("CURSTOPALT")->Get().val,
            items.Ref<EngineAttribValueDouble>("CURALTRATE")->Get().val,
            items.Ref<EngineAttribValueLong>("CURDURATION")->Get().val};
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
  EXPECT_DOUBLE_EQ(50.0, t.Double("CH1CURALTRATE"));
  EXPECT_DOUBLE_EQ(500.0, t.Double("CH1CURSTOPALT"));
}

TEST(ReadingsFollow, CouplingShowsWhatChannel1GaveTheOtherEngines) {
  Testset t({1, 2, 3});
  t.SetEnabled(3);
  t.Descent(1);
  EXPECT_DOUBLE_EQ(0.0, t.Double("CH2CURSTOPALT"));

  t.Attr<EngineAttribBoolean>("COUPLEDALTITUDESIMULATION")->Set(t.client.Id(), true);
  for (int ch : {2, 3}) {
    const std::string key = "CH" + std::to_string(ch);
    EXPECT_DOUBLE_EQ(500.0, t.EngineStop(ch));
    EXPECT_DOUBLE_EQ(500.0, t.Double(key + "CURSTOPALT"));
    EXPECT_DOUBLE_EQ(1000.0, t.Double(key + "CURSTARTALT"));
    EXPECT_DOUBLE_EQ(100.0, t.Double(key + "CURALTRATE"));
    EXPECT_EQ(5, t.Duration(ch));
  }

  // Coupled, a rate written on channel 2 shows on every channel with the duration it gives.
  t.SetDouble("CH2CURALTRATE", 50.0);
  for (int ch : {1, 2, 3}) EXPECT_EQ(10, t.Duration(ch));
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
  t.Attr<EngineAttribBoolean>("COUPLEDALTITUDESIMULATION")->Set(t.client.Id(), true);
  EXPECT_DOUBLE_EQ(12.0, t.TotalDuration());
}

TEST(ReadingsFollow, WhatTheEngineDerivesFollowsTheWriteAndAReaderNeverSeesItLag) {
  // A follow-up that would come only after an hour: a client's read looks it up itself.
  {
    Testset t({1}, 3600 * 1000);
    t.SetDouble("CH1CURSTARTALT", 1000.0);
    t.SetDouble("CH1CURSTOPALT", 500.0);
    EXPECT_DOUBLE_EQ(500.0, t.Published().stop);  // the written value shows with the reply
    t.SetDouble("CH1CURALTRATE", 100.0);
    EXPECT_NE(5, t.Published().duration);         // the derived one is not looked up yet
    EXPECT_EQ(5, t.Duration(1));
    EXPECT_TRUE(t.Published() == t.Engine1());
  }
  // Without a reader, the follow-up comes by itself.
  Testset t({1}, 1);
  t.Descent(1);
  Eventually([&] { return t.Published().duration == 5; });
  EXPECT_TRUE(t.Published() == t.Engine1());
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
  EXPECT_EQ(t.Engine1().duration, t.Duration(1));
}
