#include "RecallScope.h"

namespace radalt {

namespace {
// 0: no scope, every channel is reached.
thread_local int scopeChannel = 0;
thread_local const RecallScope::Kept* scopeKept = nullptr;
}  // namespace

RecallScope::RecallScope(int channel) : RecallScope(channel, Kept()) {}

RecallScope::RecallScope(int channel, Kept kept)
    : previous_(scopeChannel), previousKept_(scopeKept), kept_(std::move(kept)) {
  scopeChannel = channel;
  scopeKept = &kept_;
}

RecallScope::~RecallScope() {
  scopeChannel = previous_;
  scopeKept = previousKept_;
}

bool RecallScope::KeptValue(const STpersistance* store, const std::string& name, Bound& value) {
  if (!scopeKept) return false;
  auto it = scopeKept->find({store, name});
  if (it == scopeKept->end()) return false;
  value = it->second;
  return true;
}

bool RecallScope::Reaches(int channel) { return scopeChannel == 0 || scopeChannel == channel; }

bool RecallScope::Brings(int channel) { return scopeChannel != 0 && scopeChannel == channel; }

std::vector<int> RecallScope::Within(const std::vector<int>& channels) {
  if (scopeChannel == 0 || channels.empty()) return channels;
  // A setting written to several channels is the operator's for every channel: the channel
  // brought back gets it, enabled yet or not.
  return {scopeChannel};
}

}  // namespace radalt
