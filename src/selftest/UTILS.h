// The master control's handle on the platform self-test engine's lock: activities that must
// not be disturbed lock the self-test engine while they run.
#pragma once

#include <mutex>
#include <set>
#include <string>

#include "Services.h"
#include "VelmarinSelfTest.hh"
#include "platform/ORB_wrapper.h"

namespace radalt {
class Core;
}  // namespace radalt

class lockingSelftestEngine : public radalt::SelftestEngineLock {
 public:
  lockingSelftestEngine(Velmarin::ORB_wrapper* orbw, radalt::Core* mc);
  ~lockingSelftestEngine() override = default;

  // SelftestEngineLock: each activity locks the engine once and unlocks only its own lock;
  // the engine counts the locks, so it stays locked while any activity holds it.
  void Lock(const radalt::Activity& activity, const std::string& reason) override;
  void Unlock(const radalt::Activity& activity) override;

  // Looks the lock interface up at "Lumaren/local/HHSELFTEST_LOCK/1".
  void findSelftestEngine();
  // Both are dropped silently while no self-test engine is registered; the engine is looked
  // up again on the next request.
  void lockSelftestEngine(std::string reason);
  void unlockSelftestEngine();

 private:
  // The interface, found on demand; null while there is none.
  Velmarin::HHSELFTEST::HHSELFTEST_LOCK_INTERFACE_ptr Interface();
  // Forgets a found engine that no longer answers, so the next request looks it up again.
  void Forget();

  Velmarin::ORB_wrapper* orbw_;
  radalt::Core* mc_;
  std::mutex mutex_;
  std::mutex holdsMutex_;
  std::set<radalt::Activity> holds_;
  bool found_ = false;
  Velmarin::HHSELFTEST::HHSELFTEST_LOCK_INTERFACE_var lock_;
};
