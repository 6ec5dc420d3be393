// What the save/recall objects share: the refusal of a channel that is not enabled and the
// engines a per-channel write goes to.
#pragma once

#include <string>
#include <vector>

#include "Core.h"
#include "Exceptions.h"

namespace radalt {

// "<Class><N>::<Method><N>": the log prefix of channel's twin (" Settings_Name_Chan2::SettingsNameChan2Callback").
inline std::string TwinPrefix(const char* className, const char* method, int channel) {
  const std::string n = std::to_string(channel);
  return std::string(" ") + className + n + "::" + method;
}

// Throws Settings_Conflict "Channel <channel> not enabled" unless channel is among the
// enabled ones; returns the enabled count.
inline int RequireEnabled(Core& mc, int channel, const std::string& prefix) {
  const int n = mc.EnabledChannels();
  if (n < channel) {
    const std::string text = "Channel " + std::to_string(channel) + " not enabled";
    LogThrow(prefix + " throw Settings_Conflict:" + text, Velmarin::Operation_errors::Settings_Conflict(text.c_str()));
  }
  return n;
}

// The channels a per-channel write goes to: channel alone, or coupled every enabled one.
inline std::vector<int> WriteChannels(int channel, int enabled, bool coupled) {
  if (!coupled) return {channel};
  std::vector<int> all;
  for (int ch = 1; ch <= enabled; ++ch) all.push_back(ch);
  return all;
}

}  // namespace radalt
