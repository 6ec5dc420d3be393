// Factory and user calibration control. It carries, so far, the factory calibration channel
// and the calibration-button state that every activity sets ("CALBUTTONSLOCKED" tells the
// GUI which activity holds the buttons).
#pragma once

#include "CalibrationButtonCodes.h"
#include "MYGUIABLE.h"
#include "persistence/PersistedValue.h"
#include "Services.h"
#include "platform/EngineAttrib.h"

namespace radalt {
class Core;
}  // namespace radalt

class CALIBRATION : public radalt::CalibrationButtons, public radalt::FactoryCalibrationChannel {
 public:
  CALIBRATION(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc);
  ~CALIBRATION() override = default;

  // CalibrationButtons
  void SetCalibrationButtonsLocked(unsigned code) override { setCalibrationButtonsLocked(code); }
  unsigned CalibrationButtonsLocked() const override { return static_cast<unsigned>(calButtonsLocked_.Value()); }
  // FactoryCalibrationChannel
  void KeepWithinEnabled(int enabled, const Velmarin::Locker_ID& who) override;

  // Assigns code to CALBUTTONSLOCKED (published to the GUI); the last writer wins.
  void setCalibrationButtonsLocked(unsigned int code);
  virtual Velmarin::EngineReadingLong_ptr CalButtonsLocked() { return calButtonsLocked_._this(); }

  // The channel the factory calibrations run on ("FACTORYCALIBRATIONCHANNEL").
  void FactoryCalibrationChannelCallback(int ch);
  void RecallFactoryCalChan();
  Velmarin::EngineAttribLongParams get_FactoryCalibrationChannelParams() const { return {1, 3, 1}; }
  virtual Velmarin::EngineAttribLong_ptr FactoryCalibrationChannel() { return factoryChannel_._this(); }
  int FactoryCalibrationChannelValue() const override { return factoryChannel_.Value(); }
  // A write through the attribute, with its checks, as writer who.
  void SetFactoryCalibrationChannel(int ch, const Velmarin::Locker_ID& who) { factoryChannel_.Set(who, ch); }
  // Assigns ch without the checks (with no channel enabled the write would be refused).
  void AssignFactoryCalibrationChannel(int ch) { factoryChannel_ = ch; }

 private:
  radalt::Core* mc_;
  STpersistance* store_;
  Velmarin::EngineReadingLong_i calButtonsLocked_;
  Velmarin::EngineAttribLong_i factoryChannel_;
};
