// The automatic RF level runs of each channel and the AID settings, on simulated channels.
#include "RfBench.h"

#include "AID_FIXED.h"
#include "AID_VARIABLE.h"
#include "AutoCommand.h"

using namespace rfbench;

namespace {

// (A channel not enabled or whose engine has gone: path_loss_test.)
TEST(AutoRfLevel, EveryChannelsRunsReachItsOwnEngineAndShowWhatItFound) {
  Bench b;
  for (int ch = 1; ch <= 3; ++ch) {
    SCOPED_TRACE(ch);
    const std::string c = "CH" + std::to_string(ch);
    auto showsTheEngine = [&] {
      EXPECT_DOUBLE_EQ(b.EngineValue(ch, "OUTPWRLVL"), b.Shown(c + "OUTPWRLVL"));
      EXPECT_DOUBLE_EQ(b.EngineValue(ch, "LOOPLOSS"), b.Shown(c + "LOOPLOSS"));
    };
    b.Exec(c + "AUTORFLEVEL");
    EXPECT_NE(-55.0, b.EngineValue(ch, "OUTPWRLVL"));
    showsTheEngine();
    b.rf().autoLoopLoss.At(ch)->AutoLoopLoss();
    b.rf().pwrLvlDiff.At(ch)->AutoOutputPwrLvlDiff();
    for (const char* run : {"AutoRfLevel", "AutoLoopLoss", "AutoOutputPowerLevelDiff"})
      EXPECT_EQ(1u, b.Count(ch, run)) << run;
    showsTheEngine();
  }
}

TEST(AutoRfLevel, AFailedRunChangesNothing) {
  Bench b;
  b.engines[2].FailAutomatic("AutoRfLevel", true);
  EXPECT_THROW(b.Exec("CH2AUTORFLEVEL"), Runtime_errors::Generic);
  EXPECT_DOUBLE_EQ(-55.0, b.Shown("CH2OUTPWRLVL"));
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
