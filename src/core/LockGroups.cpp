#include "LockGroups.h"

#include <algorithm>

namespace radalt {

LockGroups::LockGroups(Velmarin::ItemNamer& namer) {
  for (std::size_t i = 0; i < kLockGroupCount; ++i)
    groups_[i].reset(new Velmarin::Lockable_i(namer.DDS_Topic(kLockGroupNames[i])));
  locker_.reset(new Velmarin::Locker("RadAltMc"));
}

LockGroups::~LockGroups() = default;

bool LockGroups::Take(LockGroup g, const Activity& activity, const std::string& reason,
                      const std::string& message) {
  const std::size_t i = static_cast<std::size_t>(g);
  std::lock_guard<std::mutex> lock(mutex_);
  Held& held = held_[i];
  Velmarin::Lockable_i& group = *groups_[i];
  if (held.holds.empty()) {
    CORBA::ULong key = 0;
    if (!group.TryLock(locker_->Authority(reason, message), key)) return false;
    held.key = key;
    held.holds.push_back(Hold{activity, reason, message});
    return true;
  }
  auto own = std::find_if(held.holds.begin(), held.holds.end(),
                          [&](const Hold& h) { return h.activity == activity; });
  if (own == held.holds.end()) {
    held.holds.push_back(Hold{activity, reason, message});
    return true;
  }
  own->reason = reason;
  own->message = message;
  if (own == held.holds.begin()) group.UpdateLockInfo(locker_->Id(), reason.c_str(), message.c_str());
  return true;
}

bool LockGroups::ReleaseLocked(std::size_t i, const Activity& activity) {
  Held& held = held_[i];
  auto own = std::find_if(held.holds.begin(), held.holds.end(),
                          [&](const Hold& h) { return h.activity == activity; });
  if (own == held.holds.end()) return false;
  const bool shown = own == held.holds.begin();
  held.holds.erase(own);
  Velmarin::Lockable_i& group = *groups_[i];
  if (held.holds.empty()) {
    group.TryUnlock(locker_->Id(), held.key);
    held.key = 0;
  } else if (shown) {
    const Hold& next = held.holds.front();
    group.UpdateLockInfo(locker_->Id(), next.reason.c_str(), next.message.c_str());
  }
  return true;
}

bool LockGroups::Release(LockGroup g, const Activity& activity) {
  std::lock_guard<std::mutex> lock(mutex_);
  return ReleaseLocked(static_cast<std::size_t>(g), activity);
}

void LockGroups::ReleaseAll(const Activity& activity) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (std::size_t i = 0; i < kLockGroupCount; ++i) ReleaseLocked(i, activity);
}

bool LockGroups::Holds(LockGroup g, const Activity& activity) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto& holds = held_[static_cast<std::size_t>(g)].holds;
  return std::any_of(holds.begin(), holds.end(), [&](const Hold& h) { return h.activity == activity; });
}

std::vector<Activity> LockGroups::Holders(LockGroup g) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<Activity> out;
  for (const Hold& h : held_[static_cast<std::size_t>(g)].holds) out.push_back(h.activity);
  return out;
}

}  // namespace radalt
