#include "UutSubsystem.h"

#include "Core.h"
#include "UutObjects.h"

namespace radalt {

namespace {

class UutSubsystem : public Subsystem {
 public:
  explicit UutSubsystem(Core& core) : core_(core) { core.Provide(objects_); }
  const char* Name() const override { return "uut"; }

  void Construct(int group) override {
    UutObjects& o = objects_;
    Core* mc = &core_;
    if (group == 3) o.readings.reset(new UutReadingObjects(mc));
    if (group != 5) return;
    o.altitudeUnits.reset(new ALTITUDE_UNITS(mc));
    o.distanceUnits.reset(new DISTANCE_UNITS(mc));
    o.uutAutodetect.reset(new UUT_AUTODETECT(mc));
    o.uutType.reset(new UUT_TYPE(mc));
    o.uutCdfSubType.reset(new UUT_CDF_SUB_TYPE(mc));
    o.freqDisplayMode.reset(new FreqDisplayMode(mc));
    o.cdfAltCorrection.reset(new CdfAltCorrection(mc));
    o.profileDisplayUnits.reset(new ProfileDisplayUnits(mc));
    o.powerDisplayMode.reset(new PowerDisplayMode(mc));
  }

  void Reset(ResetStep step) override {
    UutObjects& o = objects_;
    switch (step) {
      case ResetStep::AltitudeUnits:
        if (o.altitudeUnits) o.altitudeUnits->AltitudeUnitsCallback(0);
        break;
      case ResetStep::DistanceUnits:
        if (o.distanceUnits) o.distanceUnits->DistanceUnitsCallback(0);
        break;
      case ResetStep::UutDetection:
        if (o.uutAutodetect) o.uutAutodetect->UutAutodetectCallback(0);
        if (o.uutType) o.uutType->UutTypeCallback(0);
        if (o.uutCdfSubType) o.uutCdfSubType->UutCdfSubTypeCallback(0);
        if (o.cdfAltCorrection) o.cdfAltCorrection->CdfAltCorrCallback(1);
        break;
      case ResetStep::DisplayModes:
        if (o.freqDisplayMode) o.freqDisplayMode->freqDisplayModeCallback(0);
        if (o.profileDisplayUnits) o.profileDisplayUnits->profileDisplayUnitsCallback(0);
        if (o.powerDisplayMode) o.powerDisplayMode->powerDisplayModeCallback(0);
        break;
      default:
        break;
    }
  }

  void RecallSettings(RecallStep step) override {
    if (step != RecallStep::UnitsAndUut) return;
    UutObjects& o = objects_;
    if (o.altitudeUnits) o.altitudeUnits->RecallAltitudeUnits();
    if (o.distanceUnits) o.distanceUnits->RecallDistanceUnits();
    if (o.uutAutodetect) o.uutAutodetect->RecallUutAutodetect();
    if (o.uutType) o.uutType->RecallUutType();
    if (o.uutCdfSubType) o.uutCdfSubType->RecallUutCdfSubType();
    if (o.freqDisplayMode) o.freqDisplayMode->recallFreqDisplayMode();
    if (o.cdfAltCorrection) o.cdfAltCorrection->RecallCdfAltCorr();
    if (o.profileDisplayUnits) o.profileDisplayUnits->recallProfileDisplayUnits();
    if (o.powerDisplayMode) o.powerDisplayMode->recallPowerDisplayMode();
  }

 private:
  Core& core_;
  UutObjects objects_;
};

}  // namespace

std::unique_ptr<Subsystem> MakeUutSubsystem(Core& core) { return std::make_unique<UutSubsystem>(core); }

}  // namespace radalt
