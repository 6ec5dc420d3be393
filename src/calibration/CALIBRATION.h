// Factory and user calibration control. It carries, so far, the factory calibration channel
// and the calibration-button state that every activity sets ("CALBUTTONSLOCKED" tells the
// GUI which activity holds the buttons).
#pragma once

#include "MYGUIABLE.h"
#include "persistence/PersistedValue.h"
#include "platform/EngineAttrib.h"

class RADALT_MC;

// Codes of CALBUTTONSLOCKED.
enum CalButtonsHolder : unsigned {
  CALBUTTONS_FREE = 0,
  CALBUTTONS_RXCW_CAL = 1,
  CALBUTTONS_RXPULSE_CAL = 2,
  CALBUTTONS_TCXO_CAL = 3,
  CALBUTTONS_TXPOWER_CAL = 4,
  CALBUTTONS_LOOPBACK_CAL = 6,
  CALBUTTONS_USER_CAL = 7,
  CALBUTTONS_DIAG_ATTEN = 8,
  CALBUTTONS_DIAG_LOOPBACK = 9,
  CALBUTTONS_DIAG_TX = 10,
  CALBUTTONS_DIAG_RX = 11,
  CALBUTTONS_TEST_RUN = 12,
  CALBUTTONS_SELFTEST = 13,
  CALBUTTONS_ALT_IND_ZERO = 14,
  CALBUTTONS_DIAG_PASSTHRU = 15,
  CALBUTTONS_RFDM_CAL = 16,
};

class CALIBRATION {
 public:
  CALIBRATION(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, RADALT_MC* mc);
  virtual ~CALIBRATION() = default;

  // Assigns code to CALBUTTONSLOCKED (published to the GUI); the last writer wins.
  void setCalibrationButtonsLocked(unsigned int code);
  unsigned int CalibrationButtonsLocked() const { return static_cast<unsigned>(calButtonsLocked_.Value()); }
  virtual Velmarin::EngineReadingLong_ptr CalButtonsLocked() { return calButtonsLocked_._this(); }

  // The channel the factory calibrations run on ("FACTORYCALIBRATIONCHANNEL").
  void FactoryCalibrationChannelCallback(int ch);
  void RecallFactoryCalChan();
  Velmarin::EngineAttribLongParams get_FactoryCalibrationChannelParams() const { return {1, 3, 1}; }
  virtual Velmarin::EngineAttribLong_ptr FactoryCalibrationChannel() { return factoryChannel_._this(); }
  int FactoryCalibrationChannelValue() const { return factoryChannel_.Value(); }
  // A write through the attribute, with its checks, as writer who.
  void SetFactoryCalibrationChannel(int ch, const Velmarin::Locker_ID& who) { factoryChannel_.Set(who, ch); }
  // Assigns ch without the checks (with no channel enabled the write would be refused).
  void AssignFactoryCalibrationChannel(int ch) { factoryChannel_ = ch; }

 private:
  RADALT_MC* mc_;
  STpersistance* store_;
  Velmarin::EngineReadingLong_i calButtonsLocked_;
  Velmarin::EngineAttribLong_i factoryChannel_;
};
