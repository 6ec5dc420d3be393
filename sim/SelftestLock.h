// A simulated self-test engine lock: other engines lock it while they run something a self
// test must not disturb. It records every request.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "VelmarinSelfTest.hh"

namespace radaltsim {

class SelftestLock_i : public virtual POA_Velmarin::HHSELFTEST::HHSELFTEST_LOCK_INTERFACE {
 public:
  ~SelftestLock_i() override;
  void Lock(const char* reason) override;
  void Unlock() override;
  CORBA::Boolean IsLocked() override;
  Velmarin::HHSELFTEST::LockHistory* History() override;

  std::vector<std::string> Requests() const;

 private:
  mutable std::mutex mutex_;
  unsigned locks_ = 0;  // outstanding locks; an unlock without a lock changes nothing
  std::vector<std::string> history_;
};

}  // namespace radaltsim
