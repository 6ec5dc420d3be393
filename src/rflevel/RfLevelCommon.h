// What the RF level parameter objects share: the state they read (enabled count, RF level
// mode, coupling switch, a running test), the locks that follow the RF level mode, and the
// engine writes that show what each engine accepted.
#pragma once

#include <iostream>
#include <mutex>
#include <string>
#include <vector>

#include "ChannelChecks.h"
#include "SettingWrite.h"
#include "EngineItems.h"
#include "Exceptions.h"
#include "LockGroups.h"
#include "RadAltSC.hh"

namespace radalt {
class Core;
class ChannelAccess;
}  // namespace radalt

namespace radalt {

namespace SCI = Velmarin::RadAltSingleChannelStateControl;
using ScMain = SCI::_objref_RADALTSC_MAIN_INTERFACE;

// The activity that holds RFLEVEL and LOOPLOSS while the RF level mode is automatic.
constexpr const char* kAutoRfLevelActivity = "auto rf level mode";

constexpr int kAutomaticRfLevel = 0;
constexpr int kManualRfLevel = 1;

// The enabled count as NO_OF_ENABLED_CHANNELS holds it now (0 while it does not exist).
int EnabledNow(radalt::Core& mc);
// The RF level mode the master control shows, and the coupling switch of output power and
// loop loss.
int RfLevelModeNow(radalt::Core& mc);
bool CoupledManualRfLevelNow(radalt::Core& mc);
// Whether a simulation runs (the engines then take level changes through their update commands).
bool TestRunningNow(radalt::Core& mc);

// Makes RFLEVEL and LOOPLOSS match mode: held for automatic mode with their reasons and
// messages, that hold released in manual mode. Other holds and other lockers stay as they are.
void ApplyRfLevelLocks(radalt::Core& mc, int mode);

// " CLASS::method", the start of every refusal line.
inline std::string Prefix(const std::string& className, const std::string& method) {
  return " " + className + "::" + method;
}

// A nil engine reference is refused, never used: logs prefix + ":throw Pointer is zero" and
// throws NotConfigured(text).
void RequireEngine(CORBA::Object_ptr engine, const std::string& prefix, const std::string& text);

}  // namespace radalt

namespace radalt {

// The channel data a channel-bound object keeps: the counts, told when engines come or go
// (from another thread than the writes). The engine is the registry's, asked at each use: a
// replaced engine is never reached through a copy kept here.
class KeptChannel {
 public:
  KeptChannel(int channel, unsigned available, unsigned enabled, ChannelAccess& channels);
  void Update(unsigned available, unsigned enabled);
  // A reference of its own to the channel's engine as the registry has it now (nil while the
  // channel has none).
  SCI::RADALTSC_MAIN_INTERFACE_var Engine() const;
  int Channel() const { return channel_; }
  unsigned Available() const;
  unsigned Enabled() const;

 private:
  const int channel_;
  ChannelAccess& channels_;
  mutable std::mutex mutex_;
  unsigned available_;
  unsigned enabled_;
};

}  // namespace radalt
