// The master control on three simulated channel engines with the save/recall engine's
// stand-in served beside it, bound where the master control looks for it.
#pragma once

#include "../rflevel/RfBench.h"

#include <memory>
#include <string>

#include "CALIBRATION.h"
#include "EverybodyEng.h"
#include "SaveRecallObjects.h"

namespace srbench {

using namespace rfbench;

// Removes the binding of path from the naming service (nothing when there is none).
inline void Unbind(const std::vector<std::string>& path) {
  Velmarin::ORB_wrapper_base naming;
  CosNaming::Name name;
  name.length(static_cast<CORBA::ULong>(path.size()));
  for (CORBA::ULong i = 0; i < name.length(); ++i) {
    name[i].id = path[i].c_str();
    name[i].kind = "";
  }
  try {
    naming.root()->unbind(name);
  } catch (const CORBA::Exception&) {
  }
}

const std::vector<std::string> kEnginePath{"Lumaren", "local", "EVERYBODYENG", "1"};

// The diagnostic outputs (switches) of the maintenance screens, and the groups they hold.
const char* const kDiagnosticOutputs[] = {"DIAGOUTPUTSTATUS",         "DIAGRXMEASURING",       "DIAGATTENOUTPUTSTATUS",
                                          "DIAGLOOPBACKOUTPUTSTATUS", "DIAGLOOPBACKMEASURING", "DIAGPASSTHRURUNNING"};
const LockGroup kDiagnosticHolds[] = {LockGroup::SIMRUN,          LockGroup::ALTZERORUN,         LockGroup::CALRUN,
                                      LockGroup::DIAGTXOUTPUT,    LockGroup::DIAGTXATTENOUTPUT,  LockGroup::DIAGRXMEASURING,
                                      LockGroup::DIAGLOOPBACKOUTPUT, LockGroup::DIAGLOOPBACKMEASURING,
                                      LockGroup::DIAGPASSTHRURUNNING};

class SaveRecallBench : public Bench {
 public:
  explicit SaveRecallBench(bool withEngine = true, std::vector<int> channels = {1, 2, 3}, std::string root = FreshRoot())
      : Bench(std::move(channels), root), root_(root) {
    Unbind(kEnginePath);
    if (withEngine) StartEngine();
  }
  ~SaveRecallBench() { Unbind(kEnginePath); }

  // The stand-in, on the master control's database folder, bound under kEnginePath; owner
  // in place of the registered owners when given.
  radaltsim::EverybodyEng_i& StartEngine(radaltsim::EverybodyEng_i::Owner owner = {}) {
    engine_ = std::make_unique<radaltsim::EverybodyEng_i>(root_ + "/engines/lib", std::chrono::seconds(30), owner);
    CORBA::Object_var ref = engine_->_this();
    naming_.InstallAt(kEnginePath, ref);
    return *engine_;
  }
  radaltsim::EverybodyEng_i& Saver() { return *engine_; }
  std::string EngineName(int channel) {
    CORBA::String_var s = Engine(channel).Ref<EngineAttribString>("SETTINGSNAME")->Get();
    return s.in();
  }

  // The master control's settings (profile) table as the save/recall engine names it.
  std::string Table(bool profile = false) {
    return std::string(profile ? "radaltmc_altsim" : "radaltmc_settings") + std::to_string(mc.InstanceNum());
  }
  std::vector<std::string> Snapshots(bool profile = false) {
    Velmarin::String_Seq_var names = Saver().Snapshots(Table(profile).c_str());
    return std::vector<std::string>(names->get_buffer(), names->get_buffer() + names->length());
  }

  radalt::SaveRecallObjects& sr() { return *mc.Find<radalt::SaveRecallObjects>(); }
  void SetName(int channel, const std::string& name) {
    Attr<EngineAttribString>("CH" + std::to_string(channel) + "SETTINGSNAME")->Set(client.Id(), name.c_str());
  }
  std::string Name(int channel) {
    CORBA::String_var s = Attr<EngineAttribString>("CH" + std::to_string(channel) + "SETTINGSNAME")->Get();
    return s.in();
  }
  // What is still on of the diagnostics: outputs shown or on at channel 1's engine, held
  // groups, the calibration buttons' code; empty when every output is off.
  std::vector<std::string> DiagnosticsLeftOn() {
    std::vector<std::string> on;
    for (const char* key : kDiagnosticOutputs) {
      if (Attr<EngineAttribBoolean>(key)->Get()) on.push_back(std::string(key) + " shown");
      if (EngineValue(1, key) != 0) on.push_back(std::string(key) + " at the engine");
    }
    for (LockGroup g : kDiagnosticHolds)
      if (mc.Group(g).IsLocked()) on.push_back("group " + std::to_string(static_cast<int>(g)) + " held");
    if (const unsigned code = mc.CalibrationObj()->CalibrationButtonsLocked())
      on.push_back("calibration buttons code " + std::to_string(code));
    return on;
  }

  // Stores (or recalls) the settings under name, as an operator does.
  void StoreSettings(const std::string& name) {
    SetName(1, name);
    Exec("STORESETTINGS");
  }
  void RecallSettings(const std::string& name) {
    SetName(1, name);
    Exec("RECALLSETTINGS");
  }

 private:
  std::string root_;
  Velmarin::ORB_wrapper_base naming_;
  std::unique_ptr<radaltsim::EverybodyEng_i> engine_;
};

}  // namespace srbench
