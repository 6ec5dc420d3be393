// The unit under test a simulated channel sees: automatic detection follows what is plugged
// in, the measurements are valid and move only while a unit is present and a simulation runs,
// the unlock flags add up to the overall flag, and the diagnostic readings move only while
// their switch is on. Items are reached through their CORBA references.
#include <gtest/gtest.h>

#include "../../support/SimulatedChannels.h"

using namespace Velmarin;

namespace {

class Uut : public ::testing::Test {
 protected:
  template <class I>
  typename I::_var_type Item(const char* key) {
    return engine->Items().Ref<I>(key);
  }
  double Reading(const char* key) { return engine->Items().Number(key); }
  // Moves the readings on and returns the reading's change.
  double Moved(const char* key, double seconds = 0.3) {
    const double before = Reading(key);
    engine->Uut().Advance(seconds);
    return Reading(key) - before;
  }
  void Run(bool on) { run->Set(client.Id(), on); }
  // A level ramp: a run holds this altitude.
  void Level(double ft) {
    for (EngineAttribValueDouble_var item : {sc->CurrentStartAltitude(), sc->CurrentStopAltitude()}) {
      VALUE_DOUBLE::VALUE v = item->Get();
      v.val = ft;
      item->Set(client.Id(), v);
    }
  }

  Locker client{"client"};
  std::unique_ptr<radaltsim::ScEngine_i> engine =
      (ProcessOrb(), std::make_unique<radaltsim::ScEngine_i>(1, testset::EngineBase(1), testset::Stopped()));
  radaltsim::SC::RADALTSC_ENGINE_var sc = engine->_this();
  EngineAttribEnum_var detect = sc->UutAutodetect(), type = sc->UutType(), subType = sc->UutCdfSubType();
  EngineAttribBoolean_var run = sc->RunStopTest();
  EngineReadingBoolean_var valid = sc->MeasurementsValid();
};

}  // namespace

TEST_F(Uut, AutomaticDetectionFollowsThePlugAndIgnoresWrites) {
  EXPECT_EQ(0, detect->Get());  // automatic
  EXPECT_EQ(0, type->Get());    // nothing plugged in
  engine->Uut().Plug(4, 1);
  EXPECT_EQ(4, type->Get());
  EXPECT_EQ(1, subType->Get());

  type->Set(client.Id(), 2);  // accepted, and ignored
  subType->Set(client.Id(), 0);
  EXPECT_EQ(4, type->Get());
  EXPECT_EQ(1, subType->Get());

  detect->Set(client.Id(), 1);  // manual takes what is written
  type->Set(client.Id(), 2);
  EXPECT_EQ(2, type->Get());
  engine->Uut().Unplug();
  EXPECT_EQ(2, type->Get());

  detect->Set(client.Id(), 0);  // back to automatic: nothing is plugged in
  EXPECT_EQ(0, type->Get());
  EXPECT_THROW(engine->Uut().Plug(0, 0), Operation_errors::Settings_Conflict);
  EXPECT_THROW(engine->Uut().Plug(2, 2), Operation_errors::Settings_Conflict);
}

TEST_F(Uut, ThePlugIsAnAttributeOfTheSimulatorAndSurvivesAReset) {
  EngineAttribEnum_var plugged = Item<EngineAttribEnum>("SIMUUTTYPE");
  EngineAttribBoolean_var present = Item<EngineAttribBoolean>("SIMUUTPRESENT");
  plugged->Set(client.Id(), 3);
  present->Set(client.Id(), true);
  EXPECT_EQ(3, type->Get());
  EXPECT_EQ(1, sc->ARINCCable()->Get());

  sc->ResetState();
  EXPECT_TRUE(present->Get());
  EXPECT_EQ(3, type->Get());  // detection is automatic again after a reset and sees the unit

  present->Set(client.Id(), false);
  EXPECT_EQ(0, type->Get());
  EXPECT_EQ(0, sc->ARINCCable()->Get());
  // The simulator's controls are registered apart from the engine's items: a master control
  // that takes the engine's registry does not publish them.
  Velmarin::EngineReadingBase_var control = engine->Controls().Get_attr("SIMDPLLUNLCK");
  EXPECT_FALSE(CORBA::is_nil(control));
  Velmarin::EngineReadingBase_var offered = engine->Gui().Get_attr("SIMDPLLUNLCK");
  EXPECT_TRUE(CORBA::is_nil(offered));
  Velmarin::EngineReadingBase_var item = engine->Gui().Get_attr("DPLLUNLCK");
  EXPECT_FALSE(CORBA::is_nil(item));
}

TEST_F(Uut, MeasurementsAreValidAndMoveOnlyWithAUnitAndARun) {
  engine->Uut().Advance(0.3);
  EXPECT_FALSE(valid->Get());
  Run(true);  // running, but nothing plugged in
  EXPECT_EQ(0.0, Moved("FREQ"));
  EXPECT_FALSE(valid->Get());

  engine->Uut().Plug(2, 0);
  engine->Uut().Advance(0.3);
  EXPECT_TRUE(valid->Get());
  EXPECT_NEAR(4300.0, Reading("FREQ"), 2.0);
  EXPECT_NE(0.0, Moved("FREQ"));
  EXPECT_NE(0.0, Moved("SWPRT"));
  EXPECT_EQ(0.0, Reading("SWPRTTYPE3"));
  EXPECT_EQ(0.0, Reading("PRF"));  // an FMCW unit sends no pulses
  EXPECT_TRUE(sc->ARINC552SystemFlag()->Get());
  EXPECT_EQ(3, sc->ARINC707Label164Status()->Get());  // normal operation

  // Each type shows its own figures.
  engine->Uut().Plug(3, 0);
  engine->Uut().Advance(0.3);
  EXPECT_GT(Reading("SWPRTTYPE3"), 1000.0);
  EXPECT_EQ(0.0, Reading("SWPRT"));
  engine->Uut().Plug(1, 0);
  engine->Uut().Advance(0.3);
  EXPECT_GT(Reading("PRF"), 0.0);
  EXPECT_GT(Reading("PLSWDTH"), 0.0);
  EXPECT_EQ(0.0, Reading("FMDEVIATION"));

  Run(false);
  engine->Uut().Advance(0.3);
  EXPECT_FALSE(valid->Get());
  EXPECT_EQ(0.0, Moved("FREQ"));  // the last figures stay
  EXPECT_EQ(1, sc->ARINC707Label164Status()->Get());  // no computed data
}

TEST_F(Uut, TheReportedAltitudeFollowsTheSimulationAndTripsTheRelays) {
  Level(150);
  engine->Uut().Plug(2, 0);
  Run(true);
  engine->Uut().Advance(0.3);
  EXPECT_DOUBLE_EQ(150, Reading("SIMACTALT"));
  EXPECT_NEAR(Reading("SIMACTALT"), Reading("ALT"), 0.31);
  EXPECT_NEAR(Reading("ALT"), Reading("ALT164"), 0.0625);
  EXPECT_EQ(0, sc->ARINC707Label165Status()->Get());  // plus
  // Below their altitudes: 200, 500, ... energized; 50 and 100 not.
  EXPECT_FALSE(sc->ARINC552Trip1Energized()->Get());
  EXPECT_FALSE(sc->ARINC552Trip2Energized()->Get());
  EXPECT_TRUE(sc->ARINC552Trip5Energized()->Get());
  EXPECT_TRUE(sc->ARINC552Trip8Energized()->Get());
}

TEST_F(Uut, TheOverallUnlockFlagIsTheOrOfTheOthers) {
  EngineReadingBoolean_var overall = sc->OverallHWUnlocked();
  engine->Uut().SetUnlocked("DPLLUNLCK", true);
  EXPECT_TRUE(sc->HWUnlockedDPLL()->Get());
  EXPECT_TRUE(overall->Get());
  Item<EngineAttribBoolean>("SIMRFUNLCKEXT")->Set(client.Id(), true);  // the simulator's attribute
  engine->Uut().SetUnlocked("DPLLUNLCK", false);
  EXPECT_TRUE(overall->Get());  // the external reference is still unlocked
  EXPECT_TRUE(sc->HWRFUnlockedExtref()->Get());
  engine->Uut().SetUnlocked("RFUNLCKEXT", false);
  EXPECT_FALSE(overall->Get());
  EXPECT_THROW(engine->Uut().SetUnlocked("FREQ", true), Operation_errors::Object_Not_Found);
}

TEST_F(Uut, DiagnosticReadingsMoveOnlyWhileTheirSwitchIsOn) {
  struct Case {
    const char* switchKey;
    const char* reading;
  } cases[] = {{"DIAGRXMEASURING", "DIAGRXPOWER"},
               {"DIAGLOOPBACKMEASURING", "DIAGLOOPBACKPOWER"},
               {"DIAGLOOPBACKMEASURING", "DIAGLOOPBACKSPA"},
               {"DIAGPASSTHRURUNNING", "DIAGPASSTHRUPOWER"},
               {"DIAGPASSTHRURUNNING", "DIAGPASSTHRUSPA"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reading);
    EngineAttribBoolean_var on = Item<EngineAttribBoolean>(c.switchKey);
    EXPECT_EQ(0.0, Moved(c.reading));
    on->Set(client.Id(), true);
    engine->Uut().Advance(0.3);
    EXPECT_NE(0.0, Moved(c.reading));
    on->Set(client.Id(), false);
    EXPECT_EQ(0.0, Moved(c.reading));
  }
}
