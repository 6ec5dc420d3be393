#include "CalibrationSubsystem.h"

#include "CALIBRATION.h"
#include "Core.h"

namespace radalt {

namespace {

class CalibrationSubsystem : public Subsystem {
 public:
  explicit CalibrationSubsystem(Core& core) : core_(core) {}
  const char* Name() const override { return "calibration"; }

  void Construct(int group) override {
    if (group != 5) return;
    calibration_.reset(new CALIBRATION(core_.SettingsStore(), core_.Namer(), core_.Gui(), &core_));
    core_.Provide<CalibrationButtons>(*calibration_);
    core_.Provide<FactoryCalibrationChannel>(*calibration_);
    core_.Provide(*calibration_);
  }
  void RecallSettings(RecallStep step) override {
    if (step == RecallStep::Calibration && calibration_) calibration_->RecallFactoryCalChan();
  }

 private:
  Core& core_;
  std::unique_ptr<CALIBRATION> calibration_;
};

}  // namespace

std::unique_ptr<Subsystem> MakeCalibrationSubsystem(Core& core) { return std::make_unique<CalibrationSubsystem>(core); }

}  // namespace radalt
