// A channel engine that restarts (a new process in its place) starts from its own defaults.
// Before it counts again the master control brings it back to the operator's settings of its
// channel, and every attribute of the channel then shows what the engine holds: a setting the
// new engine refuses shows the engine's value, never the operator's value it does not hold.
#include <tuple>

#include "RfBench.h"
#include "platform/Orb.h"

using namespace rfbench;

namespace {

// The operator's settings of channel 3 (and the RF level mode, which every channel shares).
void SetChannel3(Bench& b) {
  b.SetEnabled(3);
  b.Manual(false);
  b.SetDouble("CH3TXCBLLOSS", 12.5);
  b.SetDouble("CH3OUTPWRLVL", -80.0);
  b.SetDouble("CH3LOOPLOSS", 60.0);
  ASSERT_DOUBLE_EQ(-80.0, b.EngineValue(3, "OUTPWRLVL"));
}

}  // namespace

// Whether the old process said goodbye first or was killed and started again before anyone
// noticed (the new process announces itself while the old one is still registered).
TEST(EngineRejoin, AnEngineThatCameBackWithOrWithoutAGoodbyeGetsTheOperatorsSettings) {
  for (bool goodbye : {true, false}) {
    SCOPED_TRACE(goodbye ? "after a goodbye" : "without a goodbye");
    Bench b;
    SetChannel3(b);
    if (goodbye) {
      Velmarin::DeactivateServant(&b.engines[3]);
      b.Announce("destroy,3");
      EXPECT_EQ(2u, b.mc.EnabledCount());
    }
    b.engines.Start(3);
    ASSERT_DOUBLE_EQ(-55.0, b.EngineValue(3, "OUTPWRLVL"));  // the new process's own default
    b.Announce("create,3");
    EXPECT_EQ(3u, b.mc.EnabledCount());
    EXPECT_DOUBLE_EQ(1.0, b.EngineValue(3, "RFLVLMODE"));
    const std::tuple<const char*, const char*, double> kSettings[] = {
        {"OUTPWRLVL", "CH3OUTPWRLVL", -80.0}, {"TXCABLELOSS", "CH3TXCBLLOSS", 12.5}, {"LOOPLOSS", "CH3LOOPLOSS", 60.0}};
    for (const auto& [engineKey, key, value] : kSettings) {
      EXPECT_DOUBLE_EQ(value, b.EngineValue(3, engineKey)) << key;
      EXPECT_DOUBLE_EQ(value, b.Shown(key)) << key;
    }
    // It is the operator's channel again: a write reaches the new engine.
    b.SetDouble("CH3OUTPWRLVL", -70.0);
    EXPECT_DOUBLE_EQ(-70.0, b.EngineValue(3, "OUTPWRLVL"));
  }
}

TEST(EngineRejoin, ASettingTheNewEngineRefusesShowsWhatTheEngineHolds) {
  Bench b;
  SetChannel3(b);
  b.engines.Start(3);
  b.HoldEngineItem(3, "OUTPWRLVL");
  const std::string said = b.Announce("create,3");
  EXPECT_EQ(3u, b.mc.EnabledCount());
  EXPECT_DOUBLE_EQ(-55.0, b.EngineValue(3, "OUTPWRLVL"));
  EXPECT_DOUBLE_EQ(-55.0, b.Shown("CH3OUTPWRLVL"));
  EXPECT_NE(std::string::npos, said.find("channel 3: rflevel could not recall its settings")) << said;
  // The rest of the channel was brought back all the same.
  EXPECT_DOUBLE_EQ(12.5, b.EngineValue(3, "TXCABLELOSS"));
  EXPECT_DOUBLE_EQ(12.5, b.Shown("CH3TXCBLLOSS"));
}

TEST(EngineRejoin, ChannelOneComingBackTakesTheSettingsOfEveryChannelFromTheOthers) {
  Bench b;
  b.SetEnabled(3);
  b.Manual(false);
  b.SetDouble("CH1OUTPWRLVL", -90.0);
  Velmarin::DeactivateServant(&b.engines[1]);
  b.Announce("destroy,1");
  EXPECT_EQ(0u, b.mc.EnabledCount());

  b.engines.Start(1);
  ASSERT_DOUBLE_EQ(0.0, b.EngineValue(1, "RFLVLMODE"));
  b.Announce("create,1");
  EXPECT_EQ(3u, b.mc.EnabledCount());
  EXPECT_DOUBLE_EQ(1.0, b.EngineValue(1, "RFLVLMODE"));
  EXPECT_EQ(1, b.Attr<EngineAttribEnum>("RFLVLMODE")->Get());
  EXPECT_DOUBLE_EQ(-90.0, b.EngineValue(1, "OUTPWRLVL"));
  EXPECT_DOUBLE_EQ(-90.0, b.Shown("CH1OUTPWRLVL"));
}
