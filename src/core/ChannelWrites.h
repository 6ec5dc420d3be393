// Writes that go to several channels' engines one after the other (coupled settings, the
// coupling copy, settings of every enabled channel). An engine that refuses or cannot be
// reached ends the write there: the channels before it keep the value (an engine write cannot
// be taken back), the attributes show what the engines hold, and the writer learns which
// channels took the value and which did not.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "RecallScope.h"

namespace radalt {

// The channels first .. n (at most channel 3), in order.
std::vector<int> ChannelsUpTo(int n, int first = 1);
// The channels a per-channel write goes to: channel alone, or coupled every enabled one.
std::vector<int> TargetChannels(int channel, int enabled, bool coupled);

// " (taken by channel 1; not taken by channels 2, 3)"; with unknown (a channel whose engine
// got the request but did not answer, so that it may hold the value or not):
// " (taken by channel 1; state unknown on channel 2; not taken by channel 3)"
std::string ChannelsTakenText(const std::vector<int>& took, const std::vector<int>& missed, int unknown = 0);

// Re-throws the exception in flight with ChannelsTakenText added to its text (a lock
// refusal: to its message; a range refusal: to its record's text), keeping its type. An
// engine that was not reached (a CORBA system exception, which carries no text) is reported
// as Connection_errors::Communications_failure naming the channel and the exception. Each
// but a lock refusal (whose callers log it themselves) is logged as prefix + " throw " + kind
// + ":" + text. Call only inside a catch block.
[[noreturn]] void RethrowNamingChannels(const std::string& prefix, int failed, const std::vector<int>& took,
                                        const std::vector<int>& missed);

// Runs write(ch) for each of channels in order. When one fails, show(took) runs with the
// channels that took the value (whatever it throws is dropped: the write's own failure is
// the one the writer gets), then the failure goes on, naming the channels when the write
// went to more than one. A recall that brings one channel's engine back (RecallScope) writes
// that channel only.
template <class Write, class Show>
void WriteChannels(const std::vector<int>& all, const std::string& prefix, Write&& write, Show&& show) {
  const std::vector<int> channels = RecallScope::Within(all);
  std::vector<int> took;
  for (std::size_t i = 0; i < channels.size(); ++i) {
    try {
      write(channels[i]);
    } catch (...) {
      try {
        show(took);
      } catch (...) {
      }
      if (channels.size() < 2) throw;
      RethrowNamingChannels(prefix, channels[i], took,
                            std::vector<int>(channels.begin() + static_cast<std::ptrdiff_t>(i), channels.end()));
    }
    took.push_back(channels[i]);
  }
}

}  // namespace radalt
