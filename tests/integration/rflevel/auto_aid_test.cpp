// The automatic RF level runs of each channel and the AID settings, on simulated channels.
#include "RfBench.h"
#include "platform/Orb.h"

#include "AID_FIXED.h"
#include "AID_VARIABLE.h"
#include "AutoCommand.h"

using namespace rfbench;

namespace {

void Execute(Bench& b, const std::string& key) { b.Attr<EngineAttribVoid>(key)->Execute(b.client.Id()); }

TEST(AutoRfLevel, ReachesOnlyEnabledChannelsAndShowsTheLevelAndLossTheEngineFound) {
  Bench b;
  b.SetEnabled(1);
  std::string out = Output([&] {
    auto e = Catch<Operation_errors::Settings_Conflict>([&] { Execute(b, "CH2AUTORFLEVEL"); });
    EXPECT_STREQ("Channel not enabled", e.text.in());
  });
  EXPECT_EQ(" AUTORFLEVEL::AutoRfLevel throw Settings_Conflict:Channel 2 not enabled\n", out);
  EXPECT_EQ(0u, b.Count(2, "AutoRfLevel"));

  Execute(b, "CH1AUTORFLEVEL");
  EXPECT_EQ(1u, b.Count(1, "AutoRfLevel"));
  EXPECT_NE(-55.0, b.EngineValue(1, "OUTPWRLVL"));
  EXPECT_DOUBLE_EQ(b.EngineValue(1, "OUTPWRLVL"), b.Shown("CH1OUTPWRLVL"));
  EXPECT_DOUBLE_EQ(b.EngineValue(1, "LOOPLOSS"), b.Shown("CH1LOOPLOSS"));
}

TEST(AutoRfLevel, EveryEnabledChannelReachesItsOwnEngine) {
  Bench b;
  for (int ch = 1; ch <= 3; ++ch) {
    const std::string c = "CH" + std::to_string(ch);
    b.rf().autoLoopLoss.At(ch)->AutoLoopLoss();
    b.rf().pwrLvlDiff.At(ch)->AutoOutputPwrLvlDiff();
    EXPECT_EQ(1u, b.Count(ch, "AutoLoopLoss")) << ch;
    EXPECT_EQ(1u, b.Count(ch, "AutoOutputPowerLevelDiff")) << ch;
    EXPECT_DOUBLE_EQ(b.EngineValue(ch, "LOOPLOSS"), b.Shown(c + "LOOPLOSS"));
    EXPECT_DOUBLE_EQ(b.EngineValue(ch, "OUTPWRLVL"), b.Shown(c + "OUTPWRLVL"));
  }
}

TEST(AutoRfLevel, AFailedRunOrAMissingEngineChangesNothing) {
  Bench b;
  b.engines[2].FailAutomatic("AutoRfLevel", true);
  EXPECT_THROW(Execute(b, "CH2AUTORFLEVEL"), Runtime_errors::Generic);
  EXPECT_DOUBLE_EQ(-55.0, b.Shown("CH2OUTPWRLVL"));

  // Channel 3's engine goes: its automatic run is refused before any engine is asked.
  Velmarin::DeactivateServant(&b.engines[3]);
  Output([&] { b.mc.RadAltDDS_SubCallback("Lumaren/local/RADALTSC", "destroy,3"); });
  std::string out = Output([&] {
    auto e = Catch<Operation_errors::Settings_Conflict>([&] { b.rf().autoRfLevel.At(3)->AutoRfLevel(); });
    EXPECT_STREQ("Channel not enabled", e.text.in());
  });
  EXPECT_EQ(" AUTORFLEVEL::AutoRfLevel throw Settings_Conflict:Channel 3 not enabled\n", out);
}

TEST(Aid, FixedAndModeAreAlwaysLockedWhileTheVariableReachesChannel1) {
  Bench b;
  for (const char* key : {"AIDFIXED", "AIDMODE"}) {
    auto e = Catch<Operation_errors::Locking_Error>([&] { b.SetInt(key, 0); });
    EXPECT_STREQ("Currently always locked on Tarvik", e.reason.in()) << key;
  }
  auto var = b.Attr<EngineAttribValueLong>("AIDVAR");
  VALUE_LONG::VALUE v = var->Get();
  v.val = 57;
  var->Set(b.client.Id(), v);
  EXPECT_EQ(57, b.EngineValue(1, "AIDVAR"));
  EXPECT_EQ(57, var->Get().val);

  // Beneath the lock layer (reset, factory default) the fixed AID is still set.
  b.rf().aidFixed->AidFixedCallback(2);
  EXPECT_EQ(2, b.EngineValue(1, "AIDFIXED"));
  EXPECT_EQ(2, b.Attr<EngineAttribEnum>("AIDFIXED")->Get());

  b.SetEnabled(0);
  auto e = Catch<Operation_errors::Settings_Conflict>([&] { var->Set(b.client.Id(), v); });
  EXPECT_STREQ("No enabled channels", e.text.in());
}

TEST(Aid, AWriteAfterChannel1sEngineRestartedReachesTheNewEngine) {
  Bench b;
  b.mc.RadAltDDS_SubCallback("Lumaren/local/RADALTSC", "destroy,1");
  b.engines.Start(1);
  b.mc.RadAltDDS_SubCallback("Lumaren/local/RADALTSC", "create,1");
  ASSERT_EQ(3, b.mc.NoOfEnabledChannelsObj()->Value());

  VALUE_LONG::VALUE v = b.rf().aidVariable->Current();
  v.val = 120;
  b.rf().aidVariable->AidVariableCallback(v);
  EXPECT_EQ(120, b.EngineValue(1, "AIDVAR"));
  EXPECT_EQ(120, b.rf().aidVariable->Current().val);
}

}  // namespace
