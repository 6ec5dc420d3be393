// A simulated single-channel engine: the channel's items and the operations around them.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>

#include "Flight.h"
#include "RadAltSC.hh"
#include "ScItems.h"
#include "UutModel.h"

namespace radaltsim {

namespace SC = Velmarin::RadAltSingleChannelStateControl;

struct ScEngineOptions {
  // Period of the flight's clock; zero leaves the flight to FlightModel::Advance.
  std::chrono::milliseconds tick{100};
  // Where the items publish their assignments (none when empty).
  Velmarin::AttributePublisher publisher;
  // What the VALIDCONFIG reading starts with.
  bool configurationValid = true;
};

class ScEngine_i : public virtual POA_Velmarin::RadAltSingleChannelStateControl::RADALTSC_ENGINE {
 public:
  // namerBase: the base of the items' topics ("Lumaren/local/RADALTSC/2").
  ScEngine_i(int channel, const std::string& namerBase, ScEngineOptions options = {});
  ~ScEngine_i() override;

  void SetReady(bool ready) { ready_ = ready; }
  ItemStore& Items() { return *items_; }
  FlightModel& Flight() { return *flight_; }
  UutModel& Uut() { return *uut_; }
  // Flips the configuration validity; returns the new state.
  bool ToggleConfigurationValid();
  Velmarin::GUI_Able_i& Gui() { return *gui_; }

  // main interface
  CORBA::Boolean IsReady() override { return ready_; }
  void RegisterGui(Velmarin::GUI_Able_ptr gui) override;
  // Whether a master control has registered this engine (given it its GUI registry).
  bool RegisteredWithMaster() const { return registered_; }
  Velmarin::GUI_Able_ptr GuiObject() override { return gui_->_this(); }
  void ResetState() override;
  void ResetHardware() override;
  CORBA::Boolean ApplyCurrentAltitude() override;
  void AutoRfLevel() override;
  void AutoLoopLoss() override;
  void AutoOutputPowerLevelDiff() override;
  SC::String_Seq* AltSimNameList() override { return new SC::String_Seq; }
  SC::String_Seq* SettingsNameList() override { return new SC::String_Seq; }
  CORBA::Long Channel() override { return channel_; }
  CORBA::ULong AcceptedCount() override { return static_cast<CORBA::ULong>(items_->Calls()); }
  void SetConfigurationValid(CORBA::Boolean valid) override;

#define SC_ITEM(op, kind, key, mn, mx, st, init, unit, text) \
  Velmarin::Engine##kind##_ptr op() override { return items_->Ref<Velmarin::Engine##kind>(key); }
#include "radaltsc_items.def"
#undef SC_ITEM

  // in-house interface: the boards answer with plausible constants.
  CORBA::Double rci_get_rf_temperature() override { return 35.0; }
  CORBA::ULong rci_get_rf_status() override { return 0; }
  CORBA::ULong rci_get_rf_CardID() override { return 0x52460000u + channel_; }
  CORBA::ULong rci_get_rf_CardRevision() override { return 3; }
  CORBA::ULong rci_get_rf_FirmwareVersion() override { return 0x0102; }
  CORBA::ULong get_digitalbrd_CardID() override { return 0x44470000u + channel_; }
  CORBA::ULong get_digitalbrd_CardRevision() override { return 2; }
  CORBA::ULong get_digitalbrd_FirmwareVersion() override { return 0x0201; }
  CORBA::ULong rci_get_digital_flash_id_low() override { return 0x1234u; }
  CORBA::ULong rci_get_digital_flash_id_high() override { return 0x5678u; }
  CORBA::Boolean rci_write_rf_dds(CORBA::ULong, CORBA::ULong, CORBA::ULong) override { return Board(); }
  CORBA::Boolean rci_write_rf_dds_offset(CORBA::Long) override { return Board(); }
  CORBA::Boolean rci_set_rf_mode(CORBA::Boolean, CORBA::Boolean) override { return Board(); }
  CORBA::Boolean rci_set_rf_sleep() override { asleep_ = true; return Board(); }
  CORBA::Boolean rci_set_rf_wake() override { asleep_ = false; return Board(); }
  CORBA::Boolean rci_set_rf_attenRX0(CORBA::ULong) override { return Board(); }
  CORBA::Boolean rci_set_rf_attenTX0(CORBA::Long) override { return Board(); }
  CORBA::Boolean rci_set_rf_attenTX1(CORBA::Boolean) override { return Board(); }
  CORBA::Boolean rci_set_rf_attenTX2(CORBA::Long) override { return Board(); }
  CORBA::Boolean rci_set_digital_operational_mode(CORBA::ULong) override { return Board(); }
  CORBA::Boolean rci_set_digital_pulse_TX_state(CORBA::Boolean) override { return Board(); }
  CORBA::Boolean selftest_prepare_power_down() override { return Board(); }
  CORBA::Boolean testVoltages() override { return Test(); }
  CORBA::Boolean testTemperatures() override { return Test(); }
  CORBA::Boolean testLoopbackPower() override { return Test(); }
  CORBA::Boolean testRx0() override { return Test(); }
  CORBA::Boolean testTx0() override { return Test(); }
  CORBA::Boolean testTx1() override { return Test(); }
  CORBA::Boolean testTx2() override { return Test(); }
  CORBA::Boolean testTxAnalogAtten() override { return Test(); }
  CORBA::Boolean testPlls(CORBA::ULong) override { return Test(); }
  CORBA::Boolean testRxAnalogAtten(CORBA::ULong) override { return Test(); }
  CORBA::Boolean testGainStage(CORBA::ULong) override { return Test(); }
  CORBA::Boolean testFreq(CORBA::ULong) override { return Test(); }
  CORBA::Boolean testDDS(CORBA::ULong) override { return Test(); }
  CORBA::Boolean testFMCW(CORBA::ULong) override { return Test(); }
  CORBA::Boolean testBeatSig(CORBA::ULong) override { return Test(); }
  CORBA::Boolean testPulse(CORBA::ULong) override { return Test(); }
  CORBA::Boolean testRFDMAmps(CORBA::ULong) override { return Test(); }
  CORBA::Boolean testRFDMAttens(CORBA::ULong) override { return Test(); }

 private:
  // Sets and publishes the configuration's validity; configMutex_ is held.
  void ShowConfiguration(bool valid);
  // A board access succeeds while the board is awake.
  CORBA::Boolean Board() { return true; }
  // A hardware test passes while the board is awake.
  CORBA::Boolean Test() { return !asleep_; }

  const int channel_;
  Velmarin::ItemNamer namer_;
  std::unique_ptr<Velmarin::GUI_Able_i> gui_;
  std::unique_ptr<ItemStore> items_;
  std::unique_ptr<FlightModel> flight_;
  std::unique_ptr<UutModel> uut_;
  std::mutex configMutex_;
  std::atomic<bool> ready_{false};
  std::atomic<bool> asleep_{false};
  std::mutex guiMutex_;
  Velmarin::GUI_Able_var masterGui_;
  std::atomic<bool> registered_{false};
};

}  // namespace radaltsim
