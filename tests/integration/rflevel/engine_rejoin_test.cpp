// A channel engine that restarts (a new process in its place) starts from its own defaults.
// Before it counts again the master control brings it back to the operator's settings of its
// channel, and every attribute of the channel then shows what the engine holds: a setting the
// new engine refuses shows the engine's value, never the operator's value it does not hold.
#include "RfBench.h"
#include "platform/Orb.h"

using namespace rfbench;

namespace {

std::string Say(Bench& b, const std::string& command) {
  testing::internal::CaptureStdout();
  b.mc.RadAltDDS_SubCallback("Lumaren/local/RADALTSC", command.c_str());
  return testing::internal::GetCapturedStdout();
}

// The operator's settings of channel 3 (and the RF level mode, which every channel shares).
void SetChannel3(Bench& b) {
  b.SetEnabled(3);
  b.Manual(false);
  b.SetDouble("CH3TXCBLLOSS", 12.5);
  b.SetDouble("CH3OUTPWRLVL", -80.0);
  b.SetDouble("CH3LOOPLOSS", 60.0);
  ASSERT_DOUBLE_EQ(-80.0, b.EngineValue(3, "OUTPWRLVL"));
}

void ExpectChannel3BroughtBack(Bench& b) {
  EXPECT_EQ(3u, b.mc.EnabledCount());
  EXPECT_DOUBLE_EQ(1.0, b.EngineValue(3, "RFLVLMODE"));
  EXPECT_DOUBLE_EQ(-80.0, b.EngineValue(3, "OUTPWRLVL"));
  EXPECT_DOUBLE_EQ(12.5, b.EngineValue(3, "TXCABLELOSS"));
  EXPECT_DOUBLE_EQ(60.0, b.EngineValue(3, "LOOPLOSS"));
  EXPECT_DOUBLE_EQ(-80.0, b.Shown("CH3OUTPWRLVL"));
  EXPECT_DOUBLE_EQ(12.5, b.Shown("CH3TXCBLLOSS"));
  EXPECT_DOUBLE_EQ(60.0, b.Shown("CH3LOOPLOSS"));
  // It is the operator's channel again: a write reaches the new engine.
  b.SetDouble("CH3OUTPWRLVL", -70.0);
  EXPECT_DOUBLE_EQ(-70.0, b.EngineValue(3, "OUTPWRLVL"));
}

}  // namespace

TEST(EngineRejoin, AnEngineThatSaidGoodbyeAndCameBackGetsTheOperatorsSettings) {
  Bench b;
  SetChannel3(b);
  Velmarin::DeactivateServant(&b.engines[3]);
  Say(b, "destroy,3");
  EXPECT_EQ(2u, b.mc.EnabledCount());

  b.engines.Start(3);
  ASSERT_DOUBLE_EQ(-55.0, b.EngineValue(3, "OUTPWRLVL"));  // the new process's own default
  Say(b, "create,3");
  ExpectChannel3BroughtBack(b);
}

TEST(EngineRejoin, AnEngineReplacedWithoutAGoodbyeGetsTheOperatorsSettings) {
  // Killed and started again before anyone noticed: the new process announces itself while
  // the old one is still registered.
  Bench b;
  SetChannel3(b);
  b.engines.Start(3);
  Say(b, "create,3");
  ExpectChannel3BroughtBack(b);
}

TEST(EngineRejoin, ASettingTheNewEngineRefusesShowsWhatTheEngineHolds) {
  Bench b;
  SetChannel3(b);
  b.engines.Start(3);
  b.HoldEngineItem(3, "OUTPWRLVL");
  const std::string said = Say(b, "create,3");
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
  Say(b, "destroy,1");
  EXPECT_EQ(0u, b.mc.EnabledCount());

  b.engines.Start(1);
  ASSERT_DOUBLE_EQ(0.0, b.EngineValue(1, "RFLVLMODE"));
  Say(b, "create,1");
  EXPECT_EQ(3u, b.mc.EnabledCount());
  EXPECT_DOUBLE_EQ(1.0, b.EngineValue(1, "RFLVLMODE"));
  EXPECT_EQ(1, b.Attr<EngineAttribEnum>("RFLVLMODE")->Get());
  EXPECT_DOUBLE_EQ(-90.0, b.EngineValue(1, "OUTPWRLVL"));
  EXPECT_DOUBLE_EQ(-90.0, b.Shown("CH1OUTPWRLVL"));
}
