#include "ChannelChecks.h"

#include "Core.h"
#include "Exceptions.h"
#include "RecallScope.h"

namespace radalt {

namespace {

[[noreturn]] void Refuse(const std::string& prefix, const std::string& logText, const std::string& text) {
  LogThrow(prefix + " throw Settings_Conflict:" + logText, Velmarin::Operation_errors::Settings_Conflict(text.c_str()));
}

}  // namespace

int RequireChannelEnabled(int enabled, int channel, const std::string& prefix, NotEnabledText text) {
  if (enabled >= channel) return enabled;
  const std::string numbered = "Channel " + std::to_string(channel) + " not enabled";
  const std::string unnumbered = "Channel not enabled";
  switch (text) {
    case NotEnabledText::kNumbered:
      Refuse(prefix, numbered, numbered);
    case NotEnabledText::kUnnumbered:
      Refuse(prefix, unnumbered, unnumbered);
    case NotEnabledText::kNumberedLogOnly:
      Refuse(prefix, numbered, unnumbered);
  }
  Refuse(prefix, numbered, numbered);
}

int RequireChannelEnabled(Core& mc, int channel, const std::string& prefix, NotEnabledText text,
                          BroughtBack brought) {
  const int n = mc.EnabledChannels();
  // A channel brought back is enabled once its recall is done.
  if (brought == BroughtBack::kPasses && RecallScope::Brings(channel)) return n;
  return RequireChannelEnabled(n, channel, prefix, text);
}

int RequireAnyChannelEnabled(Core& mc, const std::string& prefix) {
  const int n = mc.EnabledChannels();
  if (n < 1) Refuse(prefix, "No enabled channels", "No enabled channels");
  return n;
}

}  // namespace radalt
