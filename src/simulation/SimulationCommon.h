// What the altitude-simulation parameter objects share: the enabled count, the coupling
// switch, the channel engines, and the lock texts of the simulation interlocks.
#pragma once

#include <string>
#include <vector>

#include "ChannelChecks.h"
#include "ChannelWrites.h"
#include "Exceptions.h"
#include "LockGroups.h"
#include "RadAltSC.hh"

namespace radalt {
class Core;
}  // namespace radalt

namespace radalt {

namespace SCI = Velmarin::RadAltSingleChannelStateControl;
namespace Legs = ::RadAltSingleChannelModel::AltimeterSimulationObjects;

// The number of enabled channels (always channels 1 to this count); 0 while the channel
// configuration object does not exist.
int EnabledChannels(radalt::Core& mc);

// Whether channels 2 and 3 follow channel 1's altitude simulation.
bool CoupledAltitudeSimulationOn(radalt::Core& mc);

// The engine of channel for a write handler: a channel outside 1 to 3 logs prefix + " throw "
// + method + " - " + what and throws Unhandled_switch(method + " - " + what).
SCI::RADALTSC_MAIN_INTERFACE_ptr ChannelEngine(radalt::Core& mc, int channel, const std::string& prefix,
                                               const std::string& method,
                                               const char* what = "current_channel");

// " CLASS::method", the start of every refusal line of a parameter object.
inline std::string LogPrefix(const std::string& className, const std::string& method) {
  return " " + className + "::" + method;
}

// The class or method name of channel's twin: stem followed by the channel digit.
inline std::string WithDigit(const char* stem, int channel) { return stem + std::to_string(channel); }

// The six diagnostics groups, in the order they are locked and released.
constexpr LockGroup kDiagnosticGroups[] = {LockGroup::DIAGTXOUTPUT,          LockGroup::DIAGTXATTENOUTPUT,
                                           LockGroup::DIAGRXMEASURING,       LockGroup::DIAGLOOPBACKOUTPUT,
                                           LockGroup::DIAGLOOPBACKMEASURING, LockGroup::DIAGPASSTHRURUNNING};

// Reasons and messages of the simulation interlocks.
struct LockText {
  const char* reason;
  const char* message;
};
namespace lock_text {
constexpr LockText kStarting{"Locked because simulation is starting.", "Locked because simulation is starting."};
constexpr LockText kStopping{"Locked because simulation is stopping.", "Locked because simulation is stopping."};
constexpr LockText kRunning{"Simulation is running", "Locked because a simulation is running. Stop the simulation"};
constexpr LockText kNotPaused{"Simulation not paused",
                              "Locked because the simulation is running. Pause the simulation to adjust the altitude"};
constexpr LockText kNone{"", ""};
constexpr LockText kNotRunning{
    "Simulation not running",
    "Locked because a simulation is not running. This value can only be set while a simulation is active"};
constexpr LockText kProfileMode{"Profile mode selected",
                                "Locked because profile mode has been selected. Change to manual mode to enable"};
constexpr LockText kNoLegsOnModeChange{
    "No profile legs defined",
    "Locked because we are in profile mode and there are no valid profile legs. Create a valid profile"};
constexpr LockText kNoLegsOnProfileWrite{
    "No profile legs defined",
    "Locked because we are in profile mode (Simulation is set to Profile) and there are no valid profile legs. Either change to manual simulation mode or define one or more legs in the profile"};
constexpr LockText kAltIndZero{"Altitude Indicator Zero active",
                               "Locked because altitude indicator zero function is active. Abort the function"};
}  // namespace lock_text

// The activities of the simulation that hold lock groups.
namespace activity {
constexpr const char* kRun = "simulation run";
// The short hold of the run button while a run starts or stops.
constexpr const char* kSettle = "simulation start/stop";
constexpr const char* kCurrentAltitude = "current altitude";
constexpr const char* kProfileMode = "profile mode";
constexpr const char* kNoProfileLegs = "no profile legs";
constexpr const char* kAltIndZero = "altitude indicator zero";
// The pause button, locked while no simulation runs.
constexpr const char* kPauseResumeButton = "pause/resume button";
}  // namespace activity

// activity takes g with text (see LockGroups::Take).
bool Take(Core& mc, LockGroup g, const char* activity, const LockText& text);
// activity releases its hold on g.
bool Release(Core& mc, LockGroup g, const char* activity);

}  // namespace radalt
