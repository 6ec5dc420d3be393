#include "platform/Lock.h"

#include <unistd.h>

#include "platform/Orb.h"

#include <atomic>
#include <random>

namespace Velmarin {

Locker_ID NoLock() {
  Locker_ID id;
  id.name = CORBA::string_dup("");
  id.id = 0;
  return id;
}

bool IsNoLock(const Locker_ID& id) { return id.id == 0; }

bool SameLocker(const Locker_ID& a, const Locker_ID& b) { return a.id == b.id; }

namespace {
CORBA::ULongLong NextLockerId() {
  static std::atomic<CORBA::ULong> counter{0};
  return (static_cast<CORBA::ULongLong>(::getpid()) << 32) | (++counter);
}
}  // namespace

Locker::Locker(const std::string& name) : name_(name) {
  id_.name = CORBA::string_dup(name.c_str());
  id_.id = NextLockerId();
}

Lock_Authority Locker::Authority(const std::string& reason, const std::string& message) const {
  Lock_Authority a;
  a.locker = id_;
  a.reason = CORBA::string_dup(reason.c_str());
  a.message = CORBA::string_dup(message.c_str());
  return a;
}

Lockable_i::Lockable_i(const std::string& name) : name_(name), holder_(NoLock()) {
  std::random_device rd;
  nextKey_ = rd() | 1u;
}

Lockable_i::~Lockable_i() { DeactivateServant(this); }

bool Lockable_i::FreeForLocked(const Locker_ID& id) const {
  return IsNoLock(holder_) || SameLocker(holder_, id);
}

CORBA::Boolean Lockable_i::MayI_Use(const Locker_ID& id) {
  std::lock_guard<std::mutex> lock(mutex_);
  return FreeForLocked(id);
}

Locker_ID* Lockable_i::GetLocker() { return new Locker_ID(Holder()); }

void Lockable_i::TakeLocked(const Lock_Authority& authority, CORBA::ULong& key) {
  holder_ = authority.locker;
  reason_ = authority.reason.in();
  message_ = authority.message.in();
  key_ = nextKey_++;
  if (key_ == 0) key_ = nextKey_++;
  key = key_;
}

bool Lockable_i::TryLock(const Lock_Authority& authority, CORBA::ULong& key) {
  if (IsNoLock(authority.locker)) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  if (!IsNoLock(holder_)) return false;
  TakeLocked(authority, key);
  return true;
}

CORBA::ULong Lockable_i::Lock(const Lock_Authority& authority) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (IsNoLock(authority.locker))
    throw Operation_errors::Locking_Error("", "Lock refused", "A lock needs a locker");
  if (!FreeForLocked(authority.locker))
    throw Operation_errors::Locking_Error(holder_.name.in(), reason_.c_str(), message_.c_str());
  CORBA::ULong key = 0;
  TakeLocked(authority, key);
  return key;
}

bool Lockable_i::TryUnlock(const Locker_ID& id, CORBA::ULong key) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (IsNoLock(holder_) || !SameLocker(holder_, id) || key != key_) return false;
  holder_ = NoLock();
  reason_.clear();
  message_.clear();
  key_ = 0;
  return true;
}

void Lockable_i::Unlock(const Locker_ID& id, CORBA::ULong key) {
  if (TryUnlock(id, key)) return;
  std::lock_guard<std::mutex> lock(mutex_);
  if (IsNoLock(holder_)) return;  // already free
  throw Operation_errors::Locking_Error(holder_.name.in(), reason_.c_str(), message_.c_str());
}

void Lockable_i::UpdateLockInfo(const Locker_ID& id, const char* reason, const char* message) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (IsNoLock(holder_) || !SameLocker(holder_, id)) return;
  reason_ = reason ? reason : "";
  message_ = message ? message : "";
}

char* Lockable_i::GetLockReason() { return CORBA::string_dup(Reason().c_str()); }
char* Lockable_i::GetLockMessage() { return CORBA::string_dup(Message().c_str()); }
char* Lockable_i::LockName() { return CORBA::string_dup(name_.c_str()); }

bool Lockable_i::IsLocked() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return !IsNoLock(holder_);
}

Locker_ID Lockable_i::Holder() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return holder_;
}

std::string Lockable_i::Reason() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return reason_;
}

std::string Lockable_i::Message() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return message_;
}

void Lockable_i::CheckAccess(const Locker_ID& who) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (FreeForLocked(who)) return;
  throw Operation_errors::Locking_Error(holder_.name.in(), reason_.c_str(), message_.c_str());
}

}  // namespace Velmarin
