// The simulated engine's RF path as a client meets it through the engine's CORBA reference:
// levels and losses on the instrument's step grid, distances in its own unit, per-key counts,
// the offset that follows the RF connection, and the automatic runs with their failure switch.
#include <gtest/gtest.h>

#include "../../support/SimulatedChannels.h"

using namespace Velmarin;

namespace {

class RfPath : public ::testing::Test {
 protected:
  double Set(EngineAttribValueDouble_ptr item, double v, CORBA::Long unit = -1) {
    VALUE_DOUBLE::VALUE r = item->Get();
    r.val = v;
    if (unit >= 0) r.unit = unit;
    item->Set(client.Id(), r);
    return item->Get().val;
  }

  Locker client{"client"};
  std::unique_ptr<radaltsim::ScEngine_i> engine =
      (ProcessOrb(), std::make_unique<radaltsim::ScEngine_i>(1, testset::EngineBase(1), testset::Stopped()));
  radaltsim::SC::RADALTSC_ENGINE_var sc = engine->_this();
};

TEST_F(RfPath, LevelsAndLossesTakeTheNearestStepAndCountEachAcceptedSet) {
  EngineAttribValueDouble_var power = sc->OutputPowerLevel();
  EngineAttribValueDouble_var loop = sc->LoopLoss();
  EngineAttribValueDouble_var cable = sc->TxCableLoss();
  EngineAttribValueDouble_var offset = sc->DistanceOffset();
  EXPECT_DOUBLE_EQ(-42.5, Set(power, -42.47));
  EXPECT_DOUBLE_EQ(48.9, Set(loop, 48.94));
  EXPECT_DOUBLE_EQ(3.1, Set(cable, 3.05 + 1e-9));
  EXPECT_DOUBLE_EQ(328.08, Set(offset, 100 / 0.3048));

  // Outside the limits: refused with them, not counted.
  EXPECT_THROW(Set(power, -5.0), Operation_errors::DataOutOfRange);
  EXPECT_EQ(1u, sc->CommandCount("OUTPWRLVL"));
  EngineAttribVoid_var update = sc->UpdateOutputPower();
  update->Execute(client.Id());
  update->Execute(client.Id());
  EXPECT_EQ(2u, sc->CommandCount("UPDATEPOWER"));
  EXPECT_EQ(0u, sc->CommandCount("UPDATELOOPLOSS"));
}

TEST_F(RfPath, DistancesStayInTheEnginesUnit) {
  EngineAttribValueDouble_var offset = sc->DistanceOffset();
  ASSERT_EQ(Units::FEET, offset->Get().unit);
  // A record in metres is refused rather than taken as feet; one without unit is feet.
  EXPECT_THROW(Set(offset, 30.48, Units::METRES), Operation_errors::Data_Source_Not_Compatible);
  EXPECT_DOUBLE_EQ(0.0, offset->Get().val);
  EXPECT_DOUBLE_EQ(12.5, Set(offset, 12.5, Units::NONE));
  EXPECT_EQ(Units::FEET, offset->Get().unit);
}

TEST_F(RfPath, TheRemoteFibreModuleLengthensTheDistanceOffset) {
  EngineAttribValueDouble_var offset = sc->DistanceOffset();
  EngineAttribEnum_var connection = sc->RfConnection();
  Set(offset, 10.0);
  connection->Set(client.Id(), 1);
  EXPECT_DOUBLE_EQ(10.0 + radaltsim::RfPathModel::kFibreModuleFeet, offset->Get().val);
  connection->Set(client.Id(), 1);  // no change of connection, no change of offset
  EXPECT_DOUBLE_EQ(10.0 + radaltsim::RfPathModel::kFibreModuleFeet, offset->Get().val);
  connection->Set(client.Id(), 0);
  EXPECT_DOUBLE_EQ(10.0, offset->Get().val);
}

TEST_F(RfPath, AutomaticRunsSetLoopLossAndOutputPowerFromThePath) {
  EngineAttribValueDouble_var power = sc->OutputPowerLevel();
  EngineAttribValueDouble_var loop = sc->LoopLoss();
  Set(sc->TxCableLoss(), 2.0);
  Set(sc->RxExternalLoss(), 1.5);
  const double measured = radaltsim::RfPathModel::kLoopBaseDb + 3.5;

  sc->AutoLoopLoss();
  EXPECT_NEAR(measured, loop->Get().val, 1e-9);
  EXPECT_DOUBLE_EQ(-55.0, power->Get().val);

  Set(loop, 60.0);
  sc->AutoRfLevel();
  EXPECT_NEAR(measured, loop->Get().val, 1e-9);
  EXPECT_NEAR(radaltsim::RfPathModel::kUutLevelDbm - measured, power->Get().val, 1e-9);

  const double before = power->Get().val;
  sc->AutoOutputPowerLevelDiff();
  EXPECT_NE(before, power->Get().val);
  EXPECT_EQ(1u, sc->CommandCount("AutoRfLevel"));
  EXPECT_EQ(1u, sc->CommandCount("AutoLoopLoss"));
  EXPECT_EQ(1u, sc->CommandCount("AutoOutputPowerLevelDiff"));
}

TEST_F(RfPath, AFailingAutomaticRunChangesNothingAndIsNotCounted) {
  EngineAttribValueDouble_var loop = sc->LoopLoss();
  sc->FailAutomatic("AutoLoopLoss", true);
  EXPECT_THROW(sc->AutoLoopLoss(), Runtime_errors::Generic);
  EXPECT_DOUBLE_EQ(48.9, loop->Get().val);
  EXPECT_EQ(0u, sc->CommandCount("AutoLoopLoss"));
  sc->AutoRfLevel();  // only the run made to fail fails

  sc->FailAutomatic("AutoLoopLoss", false);
  sc->AutoLoopLoss();
  EXPECT_EQ(1u, sc->CommandCount("AutoLoopLoss"));
  EXPECT_THROW(sc->FailAutomatic("AutoNothing", true), Operation_errors::Object_Not_Found);
}

}  // namespace
