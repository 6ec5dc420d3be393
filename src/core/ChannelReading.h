// A reading relayed from one channel's engine: the master control does not copy it, it hands
// the engine's own reading object to the caller once the channel is found enabled.
//
//   class UUT_FREQUENCY_CHAN2 : public radalt::ChannelReading<Velmarin::EngineReadingValueDouble_ptr> ...
//   reading.Fetch();   // channel 2 not enabled: " CLASS::getter throw Settings_Conflict:Channel 2 not enabled"
#pragma once

#include <string>

#include "ChannelChecks.h"

#include "Core.h"
#include "EngineItems.h"
#include "Exceptions.h"

namespace radalt {

// How a reading is taken from a channel's engine; the caller owns the reference.
template <class P>
using ReadingFetch = P (*)(SCI::RADALTSC_MAIN_INTERFACE_ptr engine);

// The fetch of a reading that is one engine item: FetchOp<&SC::UUTFrequency>.
template <auto Op>
auto FetchOp(SCI::RADALTSC_MAIN_INTERFACE_ptr engine) {
  return (engine->*Op)();
}

template <class P>
class ChannelReading {
 public:
  // className and getter name the refusal line.
  ChannelReading(Core* mc, int channel, const char* className, const char* getter, ReadingFetch<P> fetch)
      : mc_(mc), channel_(channel), className_(className), getter_(getter), fetch_(fetch) {}
  virtual ~ChannelReading() = default;
  ChannelReading(const ChannelReading&) = delete;
  ChannelReading& operator=(const ChannelReading&) = delete;

  int Channel() const { return channel_; }

 protected:
  // The engine's reading; refused with "Channel n not enabled" (the engine is not asked)
  // while fewer than n channels are enabled. Errors of the engine pass unchanged.
  P Fetch() {
    RequireChannelEnabled(*mc_, channel_, " " + className_ + "::" + getter_, NotEnabledText::kNumbered);
    return fetch_(mc_->GetSingleChannelPtr(channel_));
  }

 private:
  Core* mc_;
  const int channel_;
  const std::string className_;
  const std::string getter_;
  const ReadingFetch<P> fetch_;
};

}  // namespace radalt
