// Lock identities, lockers and lockable objects.
#pragma once

#include <mutex>
#include <string>

#include "VelmarinLock.hh"

namespace Velmarin {

// The identity of nobody: a lock held by NoLock() is free.
Locker_ID NoLock();
bool IsNoLock(const Locker_ID& id);
bool SameLocker(const Locker_ID& a, const Locker_ID& b);

// One party that takes locks. Its identity is unique across processes.
class Locker {
 public:
  explicit Locker(const std::string& name);
  const Locker_ID& Id() const { return id_; }
  const std::string& Name() const { return name_; }
  Lock_Authority Authority(const std::string& reason, const std::string& message) const;

 private:
  std::string name_;
  Locker_ID id_;
};

// A lock with a holder, a key and the texts shown to those it refuses.
// Every operation is atomic; TryLock is the test-and-lock used by callers that must not
// take a lock someone else holds.
class Lockable_i : public virtual POA_Velmarin::Lockable {
 public:
  explicit Lockable_i(const std::string& name);
  ~Lockable_i() override;
  Lockable_i(const Lockable_i&) = delete;
  Lockable_i& operator=(const Lockable_i&) = delete;

  // IDL operations
  CORBA::Boolean MayI_Use(const Locker_ID& id) override;
  Locker_ID* GetLocker() override;
  CORBA::ULong Lock(const Lock_Authority& authority) override;
  void Unlock(const Locker_ID& id, CORBA::ULong key) override;
  void UpdateLockInfo(const Locker_ID& id, const char* reason, const char* message) override;
  char* GetLockReason() override;
  char* GetLockMessage() override;
  char* LockName() override;

  // Takes the lock only when it is free, as one atomic step; otherwise changes nothing
  // (not even for the holder itself: its key and texts stay) and returns false.
  bool TryLock(const Lock_Authority& authority, CORBA::ULong& key);
  // Frees the lock when held by id with key; returns whether it did.
  bool TryUnlock(const Locker_ID& id, CORBA::ULong key);
  bool IsLocked() const;
  Locker_ID Holder() const;
  std::string Reason() const;
  std::string Message() const;
  const std::string& Name() const { return name_; }
  // Throws Locking_Error(holder, reason, message) unless who may use this lock.
  void CheckAccess(const Locker_ID& who) const;

 private:
  bool FreeForLocked(const Locker_ID& id) const;
  void TakeLocked(const Lock_Authority& authority, CORBA::ULong& key);

  const std::string name_;
  mutable std::mutex mutex_;
  Locker_ID holder_;
  std::string reason_;
  std::string message_;
  CORBA::ULong key_ = 0;
  CORBA::ULong nextKey_;
};

}  // namespace Velmarin
