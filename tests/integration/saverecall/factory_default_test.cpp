// The factory default of a channel on three simulated channel engines.
#include "SaveRecallBench.h"

using namespace srbench;

namespace {

const char* const kLosses[] = {"TXCBLLOSS", "RXCBLLOSS", "TXCOUPLOSS", "RXCOUPLOSS"};

std::string Key(int channel, const char* stem) { return "CH" + std::to_string(channel) + stem; }

TEST(FactoryDefault, ResetsItsChannelOrCoupledEveryEnabledOneAndTheSharedSettingsOnce) {
  SaveRecallBench b;
  auto moveAway = [&] {
    b.Manual(false);
    for (int ch = 1; ch <= 3; ++ch) {
      b.SetDouble(Key(ch, "OUTPWRLVL"), -20.0);
      for (const char* loss : kLosses) b.SetDouble(Key(ch, loss), 2.0);
    }
  };
  moveAway();
  b.Exec("CH3FACTORYDEFAULT");
  for (int ch = 1; ch <= 3; ++ch) EXPECT_DOUBLE_EQ(ch == 3 ? 0.0 : 2.0, b.Shown(Key(ch, "TXCBLLOSS"))) << ch;
  EXPECT_EQ(0, b.Attr<EngineAttribEnum>("RFLVLMODE")->Get());

  moveAway();
  b.SetBool("COUPLEDALTITUDESIMULATION", true);
  // The RF level offset keeps the fields of its own record.
  VALUE_LONG::VALUE offset = b.Attr<EngineAttribValueLong>("RFLVLOFFSET")->Get();
  b.Exec("CH1FACTORYDEFAULT");
  offset.val = 0;
  EXPECT_TRUE(ValueLongSame(offset, b.Attr<EngineAttribValueLong>("RFLVLOFFSET")->Get()));
  for (int ch = 1; ch <= 3; ++ch) {
    EXPECT_DOUBLE_EQ(-55.0, b.EngineValue(ch, "OUTPWRLVL")) << ch;
    EXPECT_NEAR(48.9, b.EngineValue(ch, "LOOPLOSS"), 0.05) << ch;
    for (const char* loss : kLosses) EXPECT_DOUBLE_EQ(0.0, b.Shown(Key(ch, loss))) << ch << loss;
  }
  EXPECT_EQ(0, b.Attr<EngineAttribEnum>("RFLVLMODE")->Get());
  EXPECT_EQ(1, b.Attr<EngineAttribEnum>("CDFALTCORRECTION")->Get());
}

TEST(FactoryDefault, SwitchesEveryDiagnosticOutputOffThePassthroughToo) {
  SaveRecallBench b;
  for (const char* key : {"DIAGPASSTHRURUNNING", "DIAGLOOPBACKOUTPUTSTATUS"}) {
    SCOPED_TRACE(key);
    b.SetBool(key, true);
    ASSERT_FALSE(b.DiagnosticsLeftOn().empty());
    b.Exec("CH1FACTORYDEFAULT");
    EXPECT_EQ(std::vector<std::string>{}, b.DiagnosticsLeftOn());
  }
}

TEST(FactoryDefault, RefusedForADisabledChannelAndDuringARunWithNothingChanged) {
  SaveRecallBench b;
  b.Manual(false);
  b.SetDouble("CH1TXCBLLOSS", 2.0);
  b.SetEnabled(1);
  const unsigned long before = b.engines[1].AcceptedCount() + b.engines[2].AcceptedCount();
  Output([&] {
    auto e = Catch<Operation_errors::Settings_Conflict>([&] { b.Exec("CH2FACTORYDEFAULT"); });
    EXPECT_STREQ("Channel 2 not enabled", e.text.in());
  });

  // A running simulation holds the settings: refused for a client and for a direct call.
  b.mc.Locks().Take(LockGroup::SETTINGS, "simulation run", "Simulation is running",
                    "Locked because a simulation is running. Stop the simulation");
  auto e = Catch<Operation_errors::Locking_Error>([&] { b.Exec("CH1FACTORYDEFAULT"); });
  EXPECT_STREQ("Simulation is running", e.reason.in());
  Output([&] { Catch<Operation_errors::Locking_Error>([&] { b.sr().factoryDefault.At(1)->Callback(); }); });
  EXPECT_EQ(before, b.engines[1].AcceptedCount() + b.engines[2].AcceptedCount());
  EXPECT_DOUBLE_EQ(2.0, b.Shown("CH1TXCBLLOSS"));
  EXPECT_EQ(radalt::kManualRfLevel, b.Attr<EngineAttribEnum>("RFLVLMODE")->Get());
}

TEST(FactoryDefault, ARefusedValueEndsTheSequenceAndWhatCameBeforeStays) {
  SaveRecallBench b;
  b.Manual(false);
  b.SetDouble("CH1OUTPWRLVL", -20.0);
  b.SetDouble("CH1TXCBLLOSS", 2.0);
  b.HoldEngineItem(1, "LOOPLOSS");
  Output([&] { Catch<Operation_errors::Locking_Error>([&] { b.Exec("CH1FACTORYDEFAULT"); }); });
  EXPECT_DOUBLE_EQ(-55.0, b.EngineValue(1, "OUTPWRLVL"));
  EXPECT_DOUBLE_EQ(2.0, b.Shown("CH1TXCBLLOSS"));
  EXPECT_EQ(radalt::kManualRfLevel, b.Attr<EngineAttribEnum>("RFLVLMODE")->Get());
}

}  // namespace
