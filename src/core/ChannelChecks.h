// The refusal of a write, a command or a reading for a channel that is not enabled (the
// enabled channels are always channels 1 to the enabled count). Each caller keeps its own
// words for the refusal: the text variants below.
//
//   RequireChannelEnabled(mc, 2, " CLASS::Callback", NotEnabledText::kNumbered);
//   // 1 enabled: " CLASS::Callback throw Settings_Conflict:Channel 2 not enabled",
//   //            throws Settings_Conflict("Channel 2 not enabled")
#pragma once

#include <string>

namespace radalt {

class Core;

// The words of the refusal, in the log line and in the exception's text.
enum class NotEnabledText {
  kNumbered,         // both "Channel 2 not enabled"
  kUnnumbered,       // both "Channel not enabled"
  kNumberedLogOnly,  // the log line "Channel 2 not enabled", the exception "Channel not enabled"
};

// Whether a channel the recall on this thread brings back (RecallScope::Brings) passes before
// it counts as enabled.
enum class BroughtBack { kRefused, kPasses };

// Refuses channel unless it is enabled: logs prefix + " throw Settings_Conflict:" + the log
// text and throws Operation_errors::Settings_Conflict(the exception text). Returns the
// enabled count.
int RequireChannelEnabled(Core& mc, int channel, const std::string& prefix, NotEnabledText text,
                          BroughtBack brought = BroughtBack::kRefused);
// The same against the enabled count the caller read (returned as it is).
int RequireChannelEnabled(int enabled, int channel, const std::string& prefix, NotEnabledText text);

// Refuses while no channel is enabled: logs prefix + " throw Settings_Conflict:No enabled
// channels" and throws Settings_Conflict("No enabled channels"). Returns the enabled count.
int RequireAnyChannelEnabled(Core& mc, const std::string& prefix);

}  // namespace radalt
