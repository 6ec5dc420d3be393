// One channel's altitude profile ("CH<n>LEGDATA"): a sequence of up to 20 legs, each a ramp from
// a start to a stop altitude at a rate, or a level leg held for a duration. The profile goes to
// the channel's engine; in profile mode the leg the engine is at is shown in the channel's
// manual ramp settings, and the run button is locked while the profile has no valid leg.
#pragma once

#include <string>

#include "MYGUIABLE.h"
#include "Parameter.h"
#include "SimulationCommon.h"

namespace radalt {

class AltSimDataParameter : public Parameter<Velmarin::EngineAttribAny_i> {
 public:
  void Callback(const CORBA::Any& data);
  // Assigns data; for an enabled channel in profile mode it shows the engine's current leg
  // in the ramp settings (or locks the run button when there is none), and tells the
  // engine that the simulation changed. Nothing is checked, the data is not forwarded.
  void SetValue(const CORBA::Any& data);
  // Shows the profile this channel's engine holds, nothing else (no lock, no ramp copy).
  void ShowEngine();
  // Writes the profile kept in the profile store through the write handler.
  void Recall();
  CORBA::Any Value() const { return attr_.Value(); }
  // A profile without legs (what a reset writes).
  static CORBA::Any EmptyProfile();
  int Channel() const { return channel_; }
  Velmarin::EngineAttribAny_ptr Reference() { return This(); }

 protected:
  // store: the profile store.
  AltSimDataParameter(int channel, STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui,
                      radalt::Core* mc, Velmarin::Lockable_i& profileTest);

 private:
  struct Initial {
    CORBA::Any value;
    CORBA::Any params;
  };
  AltSimDataParameter(int channel, STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui,
                      radalt::Core* mc, Velmarin::Lockable_i& profileTest, const Initial& initial);
  static Initial FromChannel1(radalt::Core* mc);

  std::string Prefix(const std::string& method) const;
  std::string MethodName(const char* what) const;
  // Refuses data that is no leg sequence, holds a number that is not finite, or holds more
  // legs than the store can keep.
  void CheckStorable(const CORBA::Any& data, const std::string& prefix, const std::string& method) const;
  // The writes to the ramp settings pass the holder of MANUALTEST, which the master control
  // holds in profile mode.
  Velmarin::Locker_ID WriterIdentity() const;
  // channel's profile shows what its engine holds (through its SetValue).
  void ShowChannel(int channel);
  void ShowEngineLeg(SCI::RADALTSC_MAIN_INTERFACE_ptr sc, const Velmarin::Locker_ID& who);
  void CopyLegToRamp(const Legs::Alt_Sim_Data& leg, SCI::RADALTSC_MAIN_INTERFACE_ptr sc,
                     const Velmarin::Locker_ID& who);

  const int channel_;
};

}  // namespace radalt
