// An RF level write whose channel engine is gone reaches the writer as a Communications_failure
// naming that channel: a raw middleware exception would tell the client the master control
// itself cannot be reached.
#include "RfBench.h"
#include "EngineFailure.h"

using namespace rfbench;
using Connection_errors::Communications_failure;

namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(EngineFailure, AWriteToOneGoneEngineNamesItsChannel) {
  Bench b;
  b.Manual(false);
  b.SetDouble("CH2OUTPWRLVL", -42.0);
  b.engines.Silence(2);

  Communications_failure gone;
  const std::string out =
      Output([&] { gone = Catch<Communications_failure>([&] { b.SetDouble("CH2OUTPWRLVL", -60.0); }); });
  EXPECT_TRUE(Has(gone.text.in(), "Channel 2 engine not reached")) << gone.text.in();
  EXPECT_TRUE(Has(out, " OUTPUT_POWER_LEVEL_CHAN2::OutputPowerLevelChan2Callback throw Communications_failure:")) << out;
  EXPECT_DOUBLE_EQ(-42.0, b.Shown("CH2OUTPWRLVL"));

  // The other channels are written as before.
  b.SetDouble("CH3OUTPWRLVL", -30.0);
  EXPECT_DOUBLE_EQ(-30.0, b.EngineValue(3, "OUTPWRLVL"));
}

TEST(EngineFailure, TheCouplingCopyNamesTheChannelsThatTookChannel1sLevel) {
  Bench b;
  b.SetInt("RFLVLMODE", radalt::kManualRfLevel);
  b.SetDouble("CH1OUTPWRLVL", -35.0);
  b.engines.Silence(3);

  Communications_failure gone;
  Output([&] { gone = Catch<Communications_failure>([&] { b.SetBool("COUPLEDMANUALRFLVL", true); }); });
  EXPECT_TRUE(Has(gone.text.in(), "Channel 3 engine not reached")) << gone.text.in();
  EXPECT_TRUE(Has(gone.text.in(), "(taken by channel 2; not taken by channel 3)")) << gone.text.in();
  EXPECT_DOUBLE_EQ(-35.0, b.EngineValue(2, "OUTPWRLVL"));
  EXPECT_DOUBLE_EQ(-35.0, b.Shown("CH2OUTPWRLVL"));
}

// A call that timed out may still run on the engine: the writer is not told it was not taken.
TEST(EngineFailure, ATimeoutLeavesTheChannelsStateUnknown) {
  Communications_failure late;
  Output([&] {
    late = Catch<Communications_failure>([] {
      radalt::OnChannel(2, " TEST::Write", [] { throw CORBA::TIMEOUT(0, CORBA::COMPLETED_MAYBE); });
    });
  });
  EXPECT_STREQ("Channel 2 engine did not answer (TIMEOUT); its state is unknown", late.text.in());
  // Whatever else the call throws goes on as it is.
  EXPECT_THROW(radalt::OnChannel(2, " TEST::Write", [] { throw std::runtime_error("not an engine's"); }),
               std::runtime_error);
}

}  // namespace
