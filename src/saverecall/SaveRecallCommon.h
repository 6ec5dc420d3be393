// What the save/recall objects share: the log prefix of a channel's twin, the refusal of a
// channel that is not enabled (ChannelChecks.h) and the engines a per-channel write goes to.
#pragma once

#include <string>
#include <vector>

#include "ChannelChecks.h"
#include "ChannelWrites.h"
#include "Core.h"
#include "Exceptions.h"

namespace radalt {

// "<Class><N>::<Method><N>": the log prefix of channel's twin (" Settings_Name_Chan2::SettingsNameChan2Callback").
inline std::string TwinPrefix(const char* className, const char* method, int channel) {
  const std::string n = std::to_string(channel);
  return std::string(" ") + className + n + "::" + method;
}

}  // namespace radalt
