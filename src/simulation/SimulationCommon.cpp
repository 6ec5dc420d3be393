#include "SimulationCommon.h"

#include "COUPLED_ALTITUDE_SIMULATION.h"

#include "NO_OF_ENABLED_CHANNELS.h"
#include "RADALT_MC.h"

namespace radalt {

int EnabledChannels(RADALT_MC& mc) {
  NO_OF_ENABLED_CHANNELS* enabled = mc.NoOfEnabledChannelsObj();
  return enabled ? enabled->Value() : 0;
}

int RequireChannelEnabled(RADALT_MC& mc, int channel, const std::string& prefix) {
  const int n = EnabledChannels(mc);
  if (n < channel) {
    const std::string text = "Channel " + std::to_string(channel) + " not enabled";
    LogThrow(prefix + " throw Settings_Conflict:" + text,
             Velmarin::Operation_errors::Settings_Conflict(text.c_str()));
  }
  return n;
}

int RequireAnyChannelEnabled(RADALT_MC& mc, const std::string& prefix) {
  const int n = EnabledChannels(mc);
  if (n == 0)
    LogThrow(prefix + " throw Settings_Conflict:No enabled channels",
             Velmarin::Operation_errors::Settings_Conflict("No enabled channels"));
  return n;
}

std::vector<int> TargetChannels(int channel, int enabled, bool coupled) {
  if (!coupled) return {channel};
  std::vector<int> all;
  for (int ch = 1; ch <= enabled; ++ch) all.push_back(ch);
  return all;
}

SCI::RADALTSC_MAIN_INTERFACE_ptr ChannelEngine(RADALT_MC& mc, int channel, const std::string& prefix,
                                               const std::string& method, const char* what) {
  if (channel < 1 || channel > 3) {
    const std::string text = method + " - " + what;
    LogThrow(prefix + " throw " + text, Velmarin::Runtime_errors::Unhandled_switch(text.c_str()));
  }
  return mc.GetSingleChannelPtr(channel);
}

bool Take(RADALT_MC& mc, LockGroup g, const LockText& text) {
  return mc.TakeGroup(g, text.reason, text.message);
}

}  // namespace radalt

namespace radalt {

bool CoupledAltitudeSimulationOn(RADALT_MC& mc) {
  COUPLED_ALTITUDE_SIMULATION* coupling = mc.CoupledAltSimObj();
  return coupling && coupling->Value();
}

}  // namespace radalt
