#include "SelftestLock.h"

#include <iostream>

#include "platform/Orb.h"

namespace radaltsim {

SelftestLock_i::~SelftestLock_i() { Velmarin::DeactivateServant(this); }

void SelftestLock_i::Lock(const char* reason) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++locks_;
  history_.push_back(std::string("lock: ") + reason);
  std::cout << "selftest lock: locked (" << locks_ << "): " << reason << std::endl;
}

void SelftestLock_i::Unlock() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (locks_ > 0) --locks_;
  history_.push_back("unlock");
  std::cout << "selftest lock: unlocked (" << locks_ << " left)" << std::endl;
}

CORBA::Boolean SelftestLock_i::IsLocked() {
  std::lock_guard<std::mutex> lock(mutex_);
  return locks_ > 0;
}

Velmarin::HHSELFTEST::LockHistory* SelftestLock_i::History() {
  std::lock_guard<std::mutex> lock(mutex_);
  auto* h = new Velmarin::HHSELFTEST::LockHistory;
  h->length(static_cast<CORBA::ULong>(history_.size()));
  for (CORBA::ULong i = 0; i < h->length(); ++i) (*h)[i] = CORBA::string_dup(history_[i].c_str());
  return h;
}

std::vector<std::string> SelftestLock_i::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return history_;
}

}  // namespace radaltsim
