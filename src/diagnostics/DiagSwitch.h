// The six diagnostic switches (transmit output, receive measuring, attenuator output, loopback
// output, loopback measuring, passthrough running) and the interlock they share. A switch is
// an activity of the lock groups:
//
// - on: refused with "No enabled channels" while no channel is, and with the texts of its own
//   group while another activity holds it (a run, an altitude-indicator zero, a calibration, a
//   self test, an invalid configuration, another diagnostic). Otherwise it takes SIMRUN,
//   ALTZERORUN, CALRUN and the other diagnostics' groups, then switches channel 1's engine on;
//   when the engine does not take it, it lets go again. Once on, the calibration buttons show
//   its code and the self-test engine is locked.
// - off: always possible while channel 1's engine exists (with no channel enabled too); it
//   releases exactly the holds its on took. Holds that another activity has on the same
//   groups stay: the two loopback switches share their groups until both are off.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "LockGroups.h"
#include "Parameter.h"

namespace radalt {

enum class DiagSwitchRole { TxOutput, RxMeasuring, AttenOutput, LoopbackOutput, LoopbackMeasuring, PassthruRunning };

struct DiagSwitchRow {
  DiagSwitchRole role;
  const char* className;
  const char* callbackName;
  const char* key;
  ScItemOp<Velmarin::EngineAttribBoolean_ptr> engineItem;
  const char* activity;  // the holds it takes
  const char* reason;
  const char* message;
  unsigned calibrationCode;
  LockGroup own;                     // the group that guards this switch
  std::vector<LockGroup> locks;      // the diagnostic groups it takes, in order
};

const DiagSwitchRow& RowOf(DiagSwitchRole role);

class DiagSwitch;

// What the switches share: one transition at a time, and who is on.
class DiagInterlock {
 public:
  void Add(DiagSwitch& s) { switches_.push_back(&s); }
  const std::vector<DiagSwitch*>& Switches() const { return switches_; }
  // Whether a switch other than s is on.
  bool OtherOn(const DiagSwitch& s) const;
  std::recursive_mutex& Mutex() { return mutex_; }

 private:
  std::vector<DiagSwitch*> switches_;
  std::recursive_mutex mutex_;
};

class DiagSwitch : public Parameter<Velmarin::EngineAttribBoolean_i> {
 public:
  bool Value() const { return attr_.Value(); }
  const DiagSwitchRow& Row() const { return row_; }

  // The write handler (a client's or Reset's).
  void Write(bool on);
  // The output cannot stay on: no channel is enabled or channel 1's engine went. Switches it
  // off where the engine is still there, and lets go of the locks in any case.
  void ChannelsLost();

 protected:
  DiagSwitch(Core* mc, DiagInterlock& interlock, DiagSwitchRole role);

 private:
  std::string Prefix() const { return std::string(" ") + row_.className + "::" + row_.callbackName; }
  void SwitchOn();
  void SwitchOff();
  // Refuses with the group's texts while anyone holds this switch's own group.
  void RequireOwnGroupFree();
  void TakeLocks();
  void ReleaseLocks();
  // Off, as seen by the master control: holds released, buttons and self-test engine freed.
  void ShowOff();

  const DiagSwitchRow& row_;
  DiagInterlock& interlock_;
};

}  // namespace radalt
