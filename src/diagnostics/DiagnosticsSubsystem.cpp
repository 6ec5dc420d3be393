#include "DiagnosticsSubsystem.h"

#include <iostream>

#include "Core.h"
#include "DiagnosticsObjects.h"

namespace radalt {

DiagnosticsObjects::DiagnosticsObjects(Core* mc)
    :
#define DIAG_SETTING(CLASS, KEY, SERVANT, CALLBACK, ACCESSOR, PARAMS, ITEM) m_##CLASS(new CLASS(mc)),
#include "DiagSettings.def"
#undef DIAG_SETTING
      diagOutputStatus(new DIAG_OUTPUT_STATUS(mc, interlock)),
      diagRxMeasuring(new DIAG_RX_MEASURING(mc, interlock)),
      diagAttenOutputStatus(new DiagAttenOutputStatus(mc, interlock)),
      diagLoopbackOutputStatus(new DiagLoopbackOutputStatus(mc, interlock)),
      diagLoopbackMeasuring(new DiagLoopbackMeasuring(mc, interlock)),
      diagPassthruRunning(new DiagPassthruRunning(mc, interlock)),
      diagRxPower(new DIAG_RX_POWER(mc)),
      diagLoopbackPower(new DiagLoopbackPower(mc)),
      diagLoopbackSPA(new DiagLoopbackSPA(mc)),
      diagPassthruPower(new DiagPassthruPower(mc)),
      diagPassthruSPA(new DiagPassthruSPA(mc)) {}

namespace {

// The start-up values the settings get back on a reset, in their order.
struct ResetValue {
  void (*write)(DiagnosticsObjects&, double);
  double value;
};
#define RESET(CLASS, V) {[](DiagnosticsObjects& o, double v) { o.m_##CLASS->WriteValue(v); }, V}
const ResetValue kResetValues[] = {
    RESET(DIAG_MODE, 0), RESET(DIAG_OUTPUT_FREQUENCY, 4300), RESET(DIAG_OUTPUT_PWR, -55.0), RESET(DIAG_PRF, 2000),
    RESET(DIAG_PULSE_WIDTH, 20), RESET(DiagRxAttenuation, 31), RESET(DIAG_RX_GAINSTAGE, 0),
    RESET(DiagAttenFrequency, 4300), RESET(DiagAttenTX0, 63), RESET(DiagAttenTX1, 63), RESET(DiagAttenTX2, 63),
    RESET(DiagLoopbackFrequency, 4300), RESET(DiagLoopbackTXAnalogAtten, 1023), RESET(DiagLoopbackTX0, 63),
    RESET(DiagLoopbackTX1, 63), RESET(DiagLoopbackTX2, 63), RESET(DiagLoopbackRX0, 63),
    RESET(DiagLoopbackGainStage, 0), RESET(DiagLoopbackRXAnalogAtten, 1023),
    RESET(DiagPassthruTXAnalogAtten, 1023), RESET(DiagPassthruDDS0, 0), RESET(DiagPassthruDDS1, 0),
    RESET(DiagPassthruTX0, 63), RESET(DiagPassthruTX1, 63), RESET(DiagPassthruTX2, 63), RESET(DiagPassthruRX0, 63),
    RESET(DiagPassthruGainStage, 0), RESET(DiagPassthruRXAnalogAtten, 1023),
};
#undef RESET

class DiagnosticsSubsystem : public Subsystem {
 public:
  explicit DiagnosticsSubsystem(Core& core) : core_(core) {}
  const char* Name() const override { return "diagnostics"; }

  void Construct(int group) override {
    if (group != 5) return;
    objects_.reset(new DiagnosticsObjects(&core_));
    core_.Provide(*objects_);
  }

  void Reset(ResetStep step) override {
    if (!objects_) return;
    if (step == ResetStep::StopActivities) {
      AllOff("reset");
    } else if (step == ResetStep::DiagnosticSettings) {
      for (const ResetValue& r : kResetValues) r.write(*objects_, r.value);
    }
  }

  void RecallSettings(RecallStep step) override {
    // The recalled settings are applied with no diagnostic output on.
    if (objects_ && step == RecallStep::ChannelConfiguration) AllOff("recall");
  }

  void ChannelsChanged(unsigned available, unsigned enabled) override {
    (void)available;
    if (!objects_ || (enabled > 0 && core_.HasChannelEngine(1))) return;
    // No output stays on, and no lock stays held, for a channel that cannot be reached.
    for (DiagSwitch* s : objects_->interlock.Switches()) s->ChannelsLost();
  }

 private:
  // Every output off, the passthrough too, each releasing its holds and the buttons' code. An
  // output that its engine keeps on is logged and stays shown on; the others go off all the same.
  void AllOff(const char* why) {
    for (DiagSwitch* s : objects_->interlock.Switches()) {
      try {
        s->Write(false);
      } catch (const CORBA::Exception& e) {
        std::cout << " DiagnosticsSubsystem: " << s->Row().key << " not switched off on " << why << " ("
                  << e._name() << ")" << std::endl;
      }
    }
  }

  Core& core_;
  std::unique_ptr<DiagnosticsObjects> objects_;
};

}  // namespace

std::unique_ptr<Subsystem> MakeDiagnosticsSubsystem(Core& core) {
  return std::make_unique<DiagnosticsSubsystem>(core);
}

}  // namespace radalt
