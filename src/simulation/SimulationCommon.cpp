#include "SimulationCommon.h"

#include "Core.h"

namespace radalt {

int EnabledChannels(Core& mc) { return mc.EnabledChannels(); }

SCI::RADALTSC_MAIN_INTERFACE_ptr ChannelEngine(radalt::Core& mc, int channel, const std::string& prefix,
                                               const std::string& method, const char* what) {
  if (channel < 1 || channel > 3) {
    const std::string text = method + " - " + what;
    LogThrow(prefix + " throw " + text, Velmarin::Runtime_errors::Unhandled_switch(text.c_str()));
  }
  return mc.GetSingleChannelPtr(channel);
}

bool Take(Core& mc, LockGroup g, const char* activity, const LockText& text) {
  return mc.Locks().Take(g, activity, text.reason, text.message);
}

bool Release(Core& mc, LockGroup g, const char* activity) { return mc.Locks().Release(g, activity); }

bool CoupledAltitudeSimulationOn(Core& mc) { return mc.CoupledAltitudeSimulation(); }

}  // namespace radalt
