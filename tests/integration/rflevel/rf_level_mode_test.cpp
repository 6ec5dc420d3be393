// RF level mode, output power and the coupling switch on three simulated channels: the locks
// that follow the mode, which engines a write reaches, and that every attribute shows what
// its own engine accepted. A write whose channel engine is gone reaches the writer as a
// Communications_failure naming that channel: a raw middleware exception would tell the client
// the master control itself cannot be reached.
#include "RfBench.h"

using namespace rfbench;

namespace {

const char* const kAutoReason = "Auto rf level mode";

TEST(RfLevelMode, StartsLockedInAutomaticModeWithTheTextsClientsSeeAndRefusesOtherModes) {
  Bench b;
  EXPECT_EQ(0, b.Attr<EngineAttribEnum>("RFLVLMODE")->Get());
  ASSERT_TRUE(b.HeldByMc(LockGroup::RFLEVEL));
  ASSERT_TRUE(b.HeldByMc(LockGroup::LOOPLOSS));
  EXPECT_EQ(kAutoReason, b.mc.Group(LockGroup::RFLEVEL).Reason());
  EXPECT_EQ("Locked because auto rf level mode selected. Select manual rf level mode to set rf level manually",
            b.mc.Group(LockGroup::RFLEVEL).Message());
  EXPECT_EQ("Locked because auto rf level mode selected. Select manual rf level mode to set loop loss manually",
            b.mc.Group(LockGroup::LOOPLOSS).Message());

  auto refused = Catch<Operation_errors::Locking_Error>([&] { b.SetDouble("CH1OUTPWRLVL", -40.0); });
  EXPECT_STREQ(kAutoReason, refused.reason.in());
  EXPECT_THROW(b.SetDouble("CH2LOOPLOSS", 40.0), Operation_errors::Locking_Error);
  EXPECT_EQ(0u, b.Count(1, "OUTPWRLVL"));
  EXPECT_EQ(0u, b.Count(2, "LOOPLOSS"));

  // A mode other than automatic or manual reaches no engine.
  auto range = Catch<Operation_errors::DataOutOfRange>([&] { b.rf().rfLevelMode->RfLevelModeCallback(2); });
  EXPECT_EQ(0, range.info.minimum.l());
  EXPECT_EQ(1, range.info.maximum.l());
  EXPECT_EQ(2, range.info.value.l());
  for (int ch = 1; ch <= 3; ++ch) EXPECT_EQ(0u, b.Count(ch, "RFLVLMODE"));
  EXPECT_TRUE(b.HeldByMc(LockGroup::RFLEVEL));
}

TEST(RfLevelMode, SwitchingTheModeFreesAndRetakesTheLocksOnce) {
  Bench b;
  b.SetInt("RFLVLMODE", 1);
  EXPECT_FALSE(b.mc.Group(LockGroup::RFLEVEL).IsLocked());
  EXPECT_FALSE(b.mc.Group(LockGroup::LOOPLOSS).IsLocked());
  for (int ch = 1; ch <= 3; ++ch) EXPECT_EQ(1, b.EngineValue(ch, "RFLVLMODE"));

  // The same mode again reaches every engine once more and leaves the locks alone.
  b.SetInt("RFLVLMODE", 1);
  EXPECT_EQ(2u, b.Count(3, "RFLVLMODE"));
  EXPECT_FALSE(b.mc.Group(LockGroup::RFLEVEL).IsLocked());

  b.SetInt("RFLVLMODE", 0);
  ASSERT_TRUE(b.HeldByMc(LockGroup::RFLEVEL));
  ASSERT_TRUE(b.HeldByMc(LockGroup::LOOPLOSS));
  EXPECT_EQ(kAutoReason, b.mc.Group(LockGroup::LOOPLOSS).Reason());
}

TEST(RfLevelMode, APartlyRefusedModeShowsWhatTheEnginesTookAndTheLocksFollowIt) {
  Bench b;
  b.HoldEngineItem(2, "RFLVLMODE");
  Output([&] { EXPECT_THROW(b.rf().rfLevelMode->RfLevelModeCallback(1), Operation_errors::Locking_Error); });
  EXPECT_EQ(1, b.EngineValue(1, "RFLVLMODE"));
  EXPECT_EQ(0, b.EngineValue(2, "RFLVLMODE"));
  // Channel 1 took manual mode: the attribute says so and the locks are free to match.
  EXPECT_EQ(1, b.Attr<EngineAttribEnum>("RFLVLMODE")->Get());
  EXPECT_FALSE(b.mc.Group(LockGroup::RFLEVEL).IsLocked());
}

TEST(OutputPower, ManualUncoupledReachesItsOwnChannelOnlyAndShowsTheRoundedLevel) {
  Bench b;
  b.Manual(false);
  b.SetDouble("CH2OUTPWRLVL", -42.47);
  EXPECT_DOUBLE_EQ(-42.5, b.EngineValue(2, "OUTPWRLVL"));
  EXPECT_DOUBLE_EQ(-42.5, b.Shown("CH2OUTPWRLVL"));
  EXPECT_DOUBLE_EQ(-55.0, b.Shown("CH1OUTPWRLVL"));
  EXPECT_DOUBLE_EQ(-55.0, b.Shown("CH3OUTPWRLVL"));
}

TEST(OutputPower, ManualCoupledReachesEveryEnabledEngineAndEachShowsItsOwn) {
  Bench b;
  b.Manual(true);  // coupling on copies channel 1's level to channels 2 and 3
  const unsigned long copies[] = {0, 1, 1};
  b.SetDouble("CH2OUTPWRLVL", -31.26);
  for (int ch = 1; ch <= 3; ++ch) {
    EXPECT_EQ(copies[ch - 1] + 1, b.Count(ch, "OUTPWRLVL")) << ch;
    EXPECT_DOUBLE_EQ(-31.3, b.Shown("CH" + std::to_string(ch) + "OUTPWRLVL")) << ch;
  }
  EXPECT_EQ(0u, b.Count(1, "UPDATEPOWER"));  // no run: no update command

  // Two enabled: channel 3 is neither written nor shown the new level.
  b.SetEnabled(2);
  b.SetDouble("CH1OUTPWRLVL", -20.0);
  EXPECT_DOUBLE_EQ(-20.0, b.Shown("CH2OUTPWRLVL"));
  EXPECT_DOUBLE_EQ(-31.3, b.Shown("CH3OUTPWRLVL"));
  EXPECT_EQ(2u, b.Count(3, "OUTPWRLVL"));
}

TEST(OutputPower, WhileRunningEachTargetEngineGetsItsUpdateCommand) {
  Bench b;
  b.Manual(true);
  b.Running(true);
  b.SetDouble("CH1OUTPWRLVL", -40.0);
  b.SetDouble("CH3LOOPLOSS", 50.0);
  for (int ch = 1; ch <= 3; ++ch) {
    EXPECT_EQ(1u, b.Count(ch, "UPDATEPOWER")) << ch;
    EXPECT_EQ(1u, b.Count(ch, "UPDATELOOPLOSS")) << ch;
  }
  b.Running(false);
  b.SetDouble("CH1OUTPWRLVL", -41.0);
  b.SetDouble("CH3LOOPLOSS", 51.0);
  EXPECT_EQ(1u, b.Count(2, "UPDATEPOWER"));
  EXPECT_EQ(1u, b.Count(2, "UPDATELOOPLOSS"));
}

TEST(OutputPower, ARangeRefusalCarriesTheEnginesLimits) {
  Bench b;
  b.Manual(false);
  auto range = Catch<Operation_errors::DataOutOfRange>([&] { b.SetDouble("CH1OUTPWRLVL", 5.0); });
  EXPECT_DOUBLE_EQ(-130.0, range.info.minimum.d());
  EXPECT_DOUBLE_EQ(-10.0, range.info.maximum.d());
  EXPECT_DOUBLE_EQ(-55.0, b.Shown("CH1OUTPWRLVL"));
}

TEST(Coupling, AutomaticToManualWithCouplingOnCopiesChannel1sLevelAndLoss) {
  Bench b;
  b.SetBool("COUPLEDMANUALRFLVL", true);
  // Channel 1's engine has its own level and loss (an automatic run decided them).
  b.Engine(1).Assign("OUTPWRLVL", -61.2);
  b.Engine(1).Assign("LOOPLOSS", 44.4);
  b.SetInt("RFLVLMODE", 1);
  for (int ch = 2; ch <= 3; ++ch) {
    EXPECT_DOUBLE_EQ(-61.2, b.EngineValue(ch, "OUTPWRLVL"));
    EXPECT_DOUBLE_EQ(44.4, b.EngineValue(ch, "LOOPLOSS"));
    EXPECT_DOUBLE_EQ(-61.2, b.Shown("CH" + std::to_string(ch) + "OUTPWRLVL"));
    EXPECT_DOUBLE_EQ(44.4, b.Shown("CH" + std::to_string(ch) + "LOOPLOSS"));
  }
}

TEST(Coupling, TheCopyToAGoneEngineNamesTheChannelsThatTookChannel1sLevel) {
  Bench b;
  b.SetInt("RFLVLMODE", radalt::kManualRfLevel);
  b.SetDouble("CH1OUTPWRLVL", -35.0);
  b.engines.Silence(3);

  Connection_errors::Communications_failure gone;
  Output([&] { gone = Catch<Connection_errors::Communications_failure>([&] { b.SetBool("COUPLEDMANUALRFLVL", true); }); });
  const std::string text = gone.text.in();
  EXPECT_NE(std::string::npos, text.find("Channel 3 engine not reached")) << text;
  EXPECT_NE(std::string::npos, text.find("(taken by channel 2; not taken by channel 3)")) << text;
  EXPECT_DOUBLE_EQ(-35.0, b.EngineValue(2, "OUTPWRLVL"));
  EXPECT_DOUBLE_EQ(-35.0, b.Shown("CH2OUTPWRLVL"));
  EXPECT_DOUBLE_EQ(-55.0, b.Shown("CH3OUTPWRLVL"));
}

TEST(Coupling, NoEnabledChannelRefusesModeAndCouplingAndReachesNoEngine) {
  Bench b;
  b.SetEnabled(0);
  auto mode = Catch<Operation_errors::Settings_Conflict>([&] { b.SetInt("RFLVLMODE", 1); });
  EXPECT_STREQ("No enabled channels", mode.text.in());
  auto coupling = Catch<Operation_errors::Settings_Conflict>([&] { b.SetBool("COUPLEDMANUALRFLVL", true); });
  EXPECT_STREQ("No enabled channels", coupling.text.in());
  radalt::LevelParameter* power = b.rf().Level(radalt::LevelRole::OutputPower, 1);
  auto refused = Catch<Operation_errors::Settings_Conflict>([&] { power->Callback(power->WithValue(-40.0)); });
  EXPECT_STREQ("Channel 1 not enabled", refused.text.in());
  EXPECT_EQ(0u, b.Count(1, "RFLVLMODE"));
  EXPECT_FALSE(b.Attr<EngineAttribBoolean>("COUPLEDMANUALRFLVL")->Get());
}

}  // namespace
