// A simulated single-channel engine: the channel's items and the operations around them.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>

#include "Calibration.h"
#include "Catalogue.h"
#include "Flight.h"
#include "RfPath.h"
#include "RadAltSC.hh"
#include "ScInhouse.h"
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
  // How long the calibrations take.
  CalibrationTiming calibration;
  // Folder of the catalogue of named settings and profiles (shared by the engines of the test
  // set); empty: kept in this process's memory only.
  std::string catalogueFolder;
};

class ScEngine_i : public virtual POA_Velmarin::RadAltSingleChannelStateControl::RADALTSC_ENGINE,
                   public ScInhouse_i {
 public:
  // namerBase: the base of the items' topics ("Lumaren/local/RADALTSC/2").
  ScEngine_i(int channel, const std::string& namerBase, ScEngineOptions options = {});
  ~ScEngine_i() override;

  void SetReady(bool ready) { ready_ = ready; }
  ItemStore& Items() { return *items_; }
  FlightModel& Flight() { return *flight_; }
  CalibrationModel& Calibration() { return *calibration_; }
  UutModel& Uut() { return *uut_; }
  // Flips the configuration validity; returns the new state.
  bool ToggleConfigurationValid();
  Velmarin::GUI_Able_i& Gui() { return *gui_; }
  // The simulator's own controls (what is plugged in, synthesiser unlocks): a registry of
  // their own, apart from the engine's items, so that a master control publishes only what a
  // real channel engine offers. Bound as Lumaren/local/RADALTSC_SIM/<channel>.
  Velmarin::GUI_Able_i& Controls() { return *controls_; }

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
  SC::String_Seq* AltSimNameList() override { return NameList(Catalogued::Profile); }
  SC::String_Seq* SettingsNameList() override { return NameList(Catalogued::Settings); }
  CORBA::Long Channel() override { return channel_; }
  CORBA::ULong AcceptedCount() override { return static_cast<CORBA::ULong>(items_->Calls()); }
  CORBA::ULong RequestCount() override;
  void SetConfigurationValid(CORBA::Boolean valid) override;
  CORBA::ULong CommandCount(const char* key) override { return static_cast<CORBA::ULong>(items_->Count(key)); }
  void FailAutomatic(const char* operation, CORBA::Boolean fail) override { rfPath_->FailAutomatic(operation, fail); }

#define SC_ITEM(op, kind, key, mn, mx, st, init, unit, text) \
  Velmarin::Engine##kind##_ptr op() override { return items_->Ref<Velmarin::Engine##kind>(key); }
#include "radaltsc_items.def"
#undef SC_ITEM

  // in-house interface: the boards (ScInhouse_i), and what they were asked
  SC::String_Seq* InhouseRequests() override;

 private:
  SC::String_Seq* NameList(Catalogued kind);
  // Sets and publishes the configuration's validity; configMutex_ is held.
  void ShowConfiguration(bool valid);

  const int channel_;
  Velmarin::ItemNamer namer_;
  std::unique_ptr<Velmarin::GUI_Able_i> gui_;
  std::unique_ptr<Velmarin::GUI_Able_i> controls_;
  std::unique_ptr<ItemStore> items_;
  std::unique_ptr<FlightModel> flight_;
  std::unique_ptr<CalibrationModel> calibration_;
  std::unique_ptr<RfPathModel> rfPath_;
  std::unique_ptr<UutModel> uut_;
  std::unique_ptr<CatalogueModel> catalogue_;  // after the items, whose handlers call it
  std::mutex configMutex_;
  std::atomic<bool> ready_{false};
  std::mutex guiMutex_;
  Velmarin::GUI_Able_var masterGui_;
  std::atomic<bool> registered_{false};
};

}  // namespace radaltsim
