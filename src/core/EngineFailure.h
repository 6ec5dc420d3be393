// A call to a channel's engine that failed in the middleware (a CORBA system exception: the
// engine's process is gone, its object no longer exists, it did not answer in time) told to
// the writer as the failure of that channel, not of the master control: the client learns
// Connection_errors::Communications_failure naming the channel, while a system exception it
// gets itself still means the master control was not reached.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "ChannelWrites.h"
#include "Exceptions.h"
#include "ItemRefs.h"

namespace radalt {

// "Channel 2 engine not reached (COMM_FAILURE)"; for a request that may have reached the
// engine (a TIMEOUT, or completed "maybe") "Channel 2 engine did not answer (TIMEOUT); its
// state is unknown"; any other system exception "Channel 2 engine failed the request (...)".
std::string EngineFailureText(int channel, const CORBA::SystemException& e);
// Whether the request may have reached the engine (it timed out, or the connection broke after
// it was sent): the engine may have done it or not.
bool EngineStateUnknown(const CORBA::SystemException& e);

// Call only inside a catch block. A CORBA system exception in flight (from a call to channel's
// engine) is logged as prefix + " throw Communications_failure:" + text and thrown as
// Communications_failure(EngineFailureText); anything else goes on as it is.
[[noreturn]] void RethrowEngineFailure(const std::string& prefix, int channel);

// Call only inside a catch block with a CORBA system exception in flight (see below).
[[noreturn]] void RethrowPeerFailure();

// A client's write runs callback(args...) (the attribute's handler). A CORBA system exception
// that leaves it came from a peer the master control called, never from the master control
// itself, which answers: it reaches the writer as Communications_failure naming the channel
// whose engine failed last on this thread (ItemRefs), or "a peer" when no engine call failed.
template <class Callback>
auto PeerFailuresNamed(Callback callback) {
  return [callback](auto&&... args) mutable {
    ItemRefs::ForgetFailedChannel();
    try {
      return callback(std::forward<decltype(args)>(args)...);
    } catch (const CORBA::SystemException&) {
      RethrowPeerFailure();
    }
  };
}
// Runs f, which calls channel's engine, with its system exceptions told as above.
template <class F>
auto OnChannel(int channel, const std::string& prefix, F&& f) -> decltype(f()) {
  try {
    return std::forward<F>(f)();
  } catch (const CORBA::SystemException&) {
    RethrowEngineFailure(prefix, channel);
  }
}

// WriteChannels, and a write that went to one channel only names its engine as well when it
// was not reached (WriteChannels names it only among several).
template <class Write, class Show>
void WriteChannelsNamed(const std::vector<int>& channels, const std::string& prefix, Write&& write, Show&& show) {
  try {
    WriteChannels(channels, prefix, std::forward<Write>(write), std::forward<Show>(show));
  } catch (const CORBA::SystemException&) {
    if (channels.size() != 1) throw;
    RethrowEngineFailure(prefix, channels.front());
  }
}

}  // namespace radalt
