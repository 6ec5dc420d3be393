// A recall that brings one channel's engine back to the operator's settings (the engine
// restarted or came back) reaches that channel only, before the channel counts as enabled. The
// scope belongs to the thread that runs the recall: the per-channel recalls and the writes to
// several channels (WriteChannels) ask it which channels they reach; on every other thread
// every channel is reached.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/STpersistance.h"

namespace radalt {

class RecallScope {
 public:
  // The values a recall takes instead of the stored ones, by store and persisted name.
  using Kept = std::map<std::pair<const STpersistance*, std::string>, Bound>;

  explicit RecallScope(int channel);
  // Within this scope a recall of a value kept here takes it (the operator's setting as shown
  // when the scope began) instead of the stored start-up value.
  RecallScope(int channel, Kept kept);
  ~RecallScope();
  RecallScope(const RecallScope&) = delete;
  RecallScope& operator=(const RecallScope&) = delete;

  // Whether a recall on this thread may reach channel now.
  static bool Reaches(int channel);
  // Whether this thread brings channel back now: its recall writes it, enabled yet or not.
  static bool Brings(int channel);
  // The channels a write meant for channels reaches: all of them without a scope; the
  // scope's channel alone (a setting of several channels is also that channel's) with one.
  static std::vector<int> Within(const std::vector<int>& channels);
  // The value kept for name of store by the scope of this thread; false when none is.
  static bool KeptValue(const STpersistance* store, const std::string& name, Bound& value);

 private:
  int previous_;
  const Kept* previousKept_;
  Kept kept_;
};

}  // namespace radalt
