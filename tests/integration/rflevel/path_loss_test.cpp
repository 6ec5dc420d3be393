// Loop loss, cable, coupler and external losses, the distance offset, the RF level offset and
// the AID settings on three simulated channels; the automatic RF level runs; the recalls.
#include "RfBench.h"
#include "platform/Orb.h"

#include "AID_FIXED.h"
#include "AID_VARIABLE.h"
#include "AutoCommand.h"
#include "OFFSET.h"
#include "RF_LEVEL_OFFSET.h"
#include "TX_CABLE_LOSS_CHAN1.h"
#include "TX_EXTERNAL_LOSS.h"

using namespace rfbench;

namespace {

VALUE_DOUBLE::VALUE Record(const VALUE_DOUBLE::VALUE& like, double v, CORBA::Long unit) {
  VALUE_DOUBLE::VALUE r = like;
  r.val = v;
  r.unit = unit;
  return r;
}

TEST(PathLoss, ALossShowsTheStepTheEngineTookAndEngineLocksAreTranslated) {
  Bench b;
  b.SetDouble("CH2RXCOUPLOSS", 3.04);
  EXPECT_DOUBLE_EQ(3.0, b.EngineValue(2, "RXCOUPLERLOSS"));
  EXPECT_DOUBLE_EQ(3.0, b.Shown("CH2RXCOUPLOSS"));

  b.HoldEngineItem(1, "TXCABLELOSS");
  std::string out = Output([&] {
    auto e = Catch<Operation_errors::Locking_Error>([&] { b.SetDouble("CH1TXCBLLOSS", 4.0); });
    EXPECT_STREQ("Held in test", e.reason.in());
  });
  EXPECT_EQ(" TX_CABLE_LOSS_CHAN1::TxCableLossChan1Callback throw Locking_Error_Exception\n", out);
  EXPECT_DOUBLE_EQ(0.0, b.Shown("CH1TXCBLLOSS"));
}

TEST(PathLoss, LoopLossInAutomaticModeIsNotForwardedButShowsTheEngine) {
  Bench b;
  b.Engine(2).Assign("LOOPLOSS", 47.7);
  radalt::LevelParameter* loop = b.rf().Level(radalt::LevelRole::LoopLoss, 2);
  loop->Callback(loop->WithValue(20.0));
  EXPECT_EQ(0u, b.Count(2, "LOOPLOSS"));
  EXPECT_DOUBLE_EQ(47.7, b.Shown("CH2LOOPLOSS"));

  b.Manual(true);
  b.SetDouble("CH1LOOPLOSS", 52.06);
  for (int ch = 1; ch <= 3; ++ch) EXPECT_DOUBLE_EQ(52.1, b.Shown("CH" + std::to_string(ch) + "LOOPLOSS")) << ch;
}

TEST(PathLoss, WithTwoChannelsEveryChannel3SettingIsRefusedAndNoEngineChanges) {
  Bench b;
  b.Manual(false);
  // Told through the enabled-count setting only: the channel-bound objects keep older counts.
  b.SetEnabled(2);
  const unsigned long before = b.engines[3].AcceptedCount();
  const struct {
    const char* key;
    const char* text;
  } kCases[] = {
      {"CH3OUTPWRLVL", "Channel 3 not enabled"}, {"CH3LOOPLOSS", "Channel not enabled"},
      {"CH3TXCBLLOSS", "Channel 3 not enabled"}, {"CH3RXCBLLOSS", "Channel 3 not enabled"},
      {"CH3TXCOUPLOSS", "Channel 3 not enabled"}, {"CH3RXCOUPLOSS", "Channel 3 not enabled"},
      {"CH3TXEXTLOSS", "Channel not enabled"},  {"CH3RXEXTLOSS", "Channel not enabled"},
      {"CH3OFFSET", "Channel not enabled"},
  };
  for (const auto& c : kCases) {
    auto e = Catch<Operation_errors::Settings_Conflict>([&] { b.SetDouble(c.key, 1.0); });
    EXPECT_STREQ(c.text, e.text.in()) << c.key;
  }
  for (const char* key : {"CH3AUTORFLEVEL", "CH3AUTOLOOPLOSS", "CH3AUTOPWRLVLDIFF"}) {
    auto e = Catch<Operation_errors::Settings_Conflict>([&] { b.Attr<EngineAttribVoid>(key)->Execute(b.client.Id()); });
    EXPECT_STREQ("Channel not enabled", e.text.in()) << key;
  }
  EXPECT_EQ(before, b.engines[3].AcceptedCount());
}

TEST(PathLoss, AChannelWhoseEngineHasGoneIsRefused) {
  Bench b;
  Velmarin::DeactivateServant(&b.engines[3]);
  b.Announce("destroy,3");
  auto e = Catch<Operation_errors::Settings_Conflict>([&] { b.SetDouble("CH3TXEXTLOSS", 1.0); });
  EXPECT_STREQ("Channel not enabled", e.text.in());
  // Its automatic run too, before any engine is asked.
  e = Catch<Operation_errors::Settings_Conflict>([&] { Output([&] { b.Exec("CH3AUTORFLEVEL"); }); });
  EXPECT_STREQ("Channel not enabled", e.text.in());
}

// (A channel not enabled or whose engine has gone: above.)
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

TEST(DistanceOffset, TheEngineGetsFeetAndTheOffsetRoundTripsThroughAChangeOfDistanceUnits) {
  Bench b;
  OFFSET& offset = *b.rf().offset.At(1);
  offset.OffsetCallback(Record(offset.Value(), 100.0, Units::METRES));
  EXPECT_DOUBLE_EQ(328.08, b.EngineValue(1, "DISTOFFSET"));
  EXPECT_DOUBLE_EQ(328.08, offset.Value().val);  // the distance units are feet
  EXPECT_EQ(Units::FEET, offset.Value().unit);

  // Metres in use: 30.48 m is 100 ft in the engine.
  b.Engine(1).Assign("DISTUNITS", 1);
  offset.OffsetCallback(Record(offset.Value(), 30.48, Units::METRES));
  EXPECT_DOUBLE_EQ(100.0, b.EngineValue(1, "DISTOFFSET"));
  EXPECT_NEAR(30.48, offset.Value().val, 1e-9);
  EXPECT_EQ(Units::METRES, offset.Value().unit);

  // To feet and back, as the distance-units setting rewrites the offset.
  b.Engine(1).Assign("DISTUNITS", 0);
  offset.OffsetCallback(Record(offset.Value(), offset.Value().val / OFFSET::kMetresPerFoot, Units::FEET));
  EXPECT_NEAR(100.0, offset.Value().val, 1e-9);
  EXPECT_EQ(Units::FEET, offset.Value().unit);
  b.Engine(1).Assign("DISTUNITS", 1);
  offset.OffsetCallback(Record(offset.Value(), offset.Value().val * OFFSET::kMetresPerFoot, Units::METRES));
  EXPECT_NEAR(30.48, offset.Value().val, 1e-9);
  EXPECT_EQ(Units::METRES, offset.Value().unit);
  EXPECT_DOUBLE_EQ(100.0, b.EngineValue(1, "DISTOFFSET"));
}

TEST(DistanceOffset, FollowsTheEngineWhenTheRfConnectionChanges) {
  Bench b;
  b.SetDouble("CH2OFFSET", 10.0);
  b.SetInt("RFCONNECT", 1);
  for (int ch = 1; ch <= 3; ++ch) {
    const double expected = (ch == 2 ? 10.0 : 0.0) + radaltsim::RfPathModel::kFibreModuleFeet;
    EXPECT_DOUBLE_EQ(expected, b.Shown("CH" + std::to_string(ch) + "OFFSET")) << ch;
  }
}

TEST(RfLevelOffset, ReachesEveryEnabledEngineAndNeedsOne) {
  Bench b;
  auto attr = b.Attr<EngineAttribValueLong>("RFLVLOFFSET");
  VALUE_LONG::VALUE v = attr->Get();
  v.val = 7;
  b.SetEnabled(2);
  attr->Set(b.client.Id(), v);
  EXPECT_EQ(7, b.EngineValue(1, "RFLVLOFFSET"));
  EXPECT_EQ(7, b.EngineValue(2, "RFLVLOFFSET"));
  EXPECT_EQ(0u, b.Count(3, "RFLVLOFFSET"));
  EXPECT_EQ(7, attr->Get().val);

  b.SetEnabled(0);
  auto e = Catch<Operation_errors::Settings_Conflict>([&] { attr->Set(b.client.Id(), v); });
  EXPECT_STREQ("No enabled channels", e.text.in());
}

TEST(Recall, WritesReadsBackThenShowsAndTheLocksFollowTheRecalledMode) {
  Bench b;
  // The stored values are the engines' at start-up; the engines and the mode move on.
  b.Manual(false);
  b.SetDouble("CH1TXCBLLOSS", 5.0);
  b.SetDouble("CH2OUTPWRLVL", -30.0);
  radalt::RecallRfLevelModeAndCoupling(b.rf());
  for (int ch = 1; ch <= 3; ++ch) {
    radalt::RecallChannelLevels(b.rf(), ch);
    radalt::RecallChannelPath(b.rf(), ch);
  }
  EXPECT_DOUBLE_EQ(0.0, b.EngineValue(1, "TXCABLELOSS"));
  EXPECT_DOUBLE_EQ(0.0, b.Shown("CH1TXCBLLOSS"));
  EXPECT_DOUBLE_EQ(-55.0, b.EngineValue(2, "OUTPWRLVL"));
  EXPECT_DOUBLE_EQ(-55.0, b.Shown("CH2OUTPWRLVL"));
  EXPECT_EQ(0, b.Attr<EngineAttribEnum>("RFLVLMODE")->Get());
  EXPECT_TRUE(b.HeldByMc(LockGroup::RFLEVEL));
  EXPECT_TRUE(b.HeldByMc(LockGroup::LOOPLOSS));
}

}  // namespace
