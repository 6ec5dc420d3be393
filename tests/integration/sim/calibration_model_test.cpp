// The simulated engine calibrates like the instrument: stepped kinds prompt step by step up to
// their total and end with a dated valid result; the loopback and user calibrations run by
// themselves; abort or a reset ends a run; and each change is published. Items are reached through
// the engine's CORBA reference, as the master control reaches them.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <mutex>

#include "ScEngine.h"
#include "platform/Orb.h"
#include "../../support/Eventually.h"

using namespace Velmarin;
using namespace std::chrono_literals;
using Conflict = Operation_errors::Settings_Conflict;

namespace {

// The keys of every topic the engine published on, with how often.
class Published {
 public:
  void operator()(const std::string& topic, const CORBA::Any&) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++count_[topic.substr(topic.rfind('/') + 1)];
  }
  int Count(const std::string& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    return count_[key];
  }

 private:
  std::mutex mutex_;
  std::map<std::string, int> count_;
};

class Calibrating : public ::testing::Test {
 protected:
  Calibrating() : published(std::make_shared<Published>()) {
    ProcessOrb();
    radaltsim::ScEngineOptions options;
    options.tick = 0ms;
    options.calibration.step = 10ms;
    options.calibration.loopback = 300ms;
    options.calibration.user = 100ms;
    options.calibration.tick = 5ms;
    options.publisher = [rec = published](const std::string& t, const CORBA::Any& v) { (*rec)(t, v); };
    engine = std::make_unique<radaltsim::ScEngine_i>(1, "Lumaren/local/RADALTSC/1", options);
    sc = engine->_this();
  }
  ~Calibrating() override { sc = radaltsim::SC::RADALTSC_MAIN_INTERFACE::_nil(); }

  void Exec(EngineAttribVoid_ptr cmd) {
    EngineAttribVoid_var owned = cmd;
    owned->Execute(who.Id());
  }
  // A reading handed out by the engine (a long or a flag), its reference released.
  template <class R>
  auto Value(R* r) {
    const auto v = r->Get();
    CORBA::release(r);
    return v;
  }
  std::string Text(EngineAttribString_ptr r) {
    EngineAttribString_var owned = r;
    CORBA::String_var t = owned->Get();
    return t.in();
  }
  // One step, waited for as the master control waits for it.
  void StepTx() {
    const long before = Value(sc->TxCalCurrentStep());
    Exec(sc->DoTxCalStep());
    ASSERT_TRUE(Eventually([&] { return Value(sc->TxCalCurrentStep()) == before + 1; }));
  }

  std::shared_ptr<Published> published;
  std::unique_ptr<radaltsim::ScEngine_i> engine;
  radaltsim::SC::RADALTSC_MAIN_INTERFACE_var sc;
  Locker who{"operator"};
};

TEST_F(Calibrating, SteppedKindRunsFromStepZeroToItsTotalAndSavesADatedResult) {
  const long total = radaltsim::CalibrationModel::TotalSteps("STARTTXCAL");
  Exec(sc->StartTxPowerCal());
  EXPECT_EQ(Value(sc->TxCalCurrentStep()), 0);
  EXPECT_EQ(Value(sc->TxCalTotalSteps()), total);
  EXPECT_FALSE(Value(sc->TxCalValid()));

  EngineReadingValueDouble_var freq = sc->TxCalPromptFrequency();
  const double firstPrompt = freq->Get().val;
  for (long s = 0; s < total; ++s) StepTx();
  EXPECT_NE(freq->Get().val, firstPrompt);
  EXPECT_THROW(Exec(sc->DoTxCalStep()), Conflict) << "no step past the total";
  EXPECT_EQ(Value(sc->TxCalCurrentStep()), total);

  Exec(sc->SaveTxCal());
  EXPECT_EQ(Text(sc->TxCalDateTime()).size(), 19u) << "a date and time";
  EXPECT_FALSE(Value(sc->FactoryCalRunning()));
  EXPECT_THROW(Exec(sc->SaveTxCal()), Conflict) << "the run ended with the save";
}

TEST_F(Calibrating, StepOrSaveWithoutAStartIsRefused) {
  EXPECT_THROW(Exec(sc->DoRxCWCalStep()), Conflict);
  EXPECT_THROW(Exec(sc->SaveRxCWCal()), Conflict);
  EXPECT_THROW(Exec(sc->SaveTCXOCal()), Conflict);
  // A step of another kind than the one running is refused too.
  Exec(sc->StartRxPulseCal());
  EXPECT_THROW(Exec(sc->DoRxCWCalStep()), Conflict);
  EXPECT_THROW(Exec(sc->StartTxPowerCal()), Conflict) << "one calibration at a time";
  EXPECT_FALSE(Value(sc->RxCWCalValid()));
}

TEST_F(Calibrating, StepReadingsChangeAndArePublished) {
  Exec(sc->StartRxCWCal());
  const int before = published->Count("RXCWCURRSTEP");
  const long adc = Value(sc->RxCwCalADCInfo());
  const long before_step = Value(sc->RxCwCalCurrentStep());
  Exec(sc->DoRxCWCalStep());
  ASSERT_TRUE(Eventually([&] { return Value(sc->RxCwCalCurrentStep()) == before_step + 1; }));
  EXPECT_NE(Value(sc->RxCwCalADCInfo()), adc);
  EXPECT_GT(published->Count("RXCWCURRSTEP"), before);
  EXPECT_GT(published->Count("RXCWPROMPTPWR"), 0);
}

TEST_F(Calibrating, AbortEndsEveryRunningCalibration) {
  Exec(sc->StartRFDMCal());
  Exec(sc->AbortCalibration());
  EXPECT_FALSE(Value(sc->RFDMCalRunning()));
  EXPECT_THROW(Exec(sc->DoRFDMCalStep()), Conflict);
  EXPECT_FALSE(Value(sc->RFDMCalValid())) << "an aborted calibration leaves no result";

  Exec(sc->StartUserCal());
  Exec(sc->AbortCalibration());
  EXPECT_FALSE(Value(sc->UserCalRunning()));
  Exec(sc->AbortCalibration());  // nothing running: nothing to do, no refusal
}

// (The percentage and the valid results as the master control shows them, and the factory
// calibration running and valid after a save: calibration_test.)
TEST_F(Calibrating, TheSelfRunningKindsEndByThemselvesWithTheirResults) {
  Exec(sc->StartLoopbackCal());
  EXPECT_TRUE(Value(sc->FactoryCalRunning()));
  ASSERT_TRUE(Eventually([&] { return !Value(sc->LoopbackCalRunning()); }));
  EXPECT_FALSE(Text(sc->LoopbackCalDateTime()).empty());
  EXPECT_GT(published->Count("ANALOGVARATTENCALPCT"), 2) << "the percentage is published on its way";

  Exec(sc->StartUserCal());
  EXPECT_FALSE(Value(sc->FactoryCalRunning())) << "not a factory calibration";
  ASSERT_TRUE(Eventually([&] { return !Value(sc->UserCalRunning()); }));
  EngineReadingValueDouble_var offset = sc->UserCalDDSOffset();
  EXPECT_NE(offset->Get().val, 0.0);
}

TEST_F(Calibrating, AResetOfTheStateEndsARunButKeepsTheResults) {
  Exec(sc->StartTCXOCal());
  Exec(sc->SaveTCXOCal());
  Exec(sc->StartRxCWCal());
  sc->ResetState();
  EXPECT_FALSE(Value(sc->FactoryCalRunning()));
  EXPECT_TRUE(Value(sc->TCXOCalValid()));
  EXPECT_THROW(Exec(sc->DoRxCWCalStep()), Conflict);
}

}  // namespace
