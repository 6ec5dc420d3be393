// Lock semantics the master control relies on: who may use a lock, keys, texts, and the
// atomic take-if-free.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/Lock.h"

using namespace Velmarin;

// A locker is its identity, not its name: other is called "mc" too.
TEST(Lock, HolderKeyAndTextsGovernUseAndRelease) {
  Locker mc("mc"), other("mc");
  Lockable_i group("SIMRUN");
  EXPECT_TRUE(group.MayI_Use(other.Id()));

  const CORBA::ULong key = group.Lock(mc.Authority("Simulation is running", "Locked because a simulation is running"));
  EXPECT_TRUE(group.MayI_Use(mc.Id()));
  EXPECT_FALSE(group.MayI_Use(other.Id()));
  EXPECT_TRUE(SameLocker(group.Holder(), mc.Id()));
  EXPECT_FALSE(SameLocker(group.Holder(), other.Id()));

  // Another locker is refused (the texts it gets: attribute_test).
  EXPECT_THROW(group.CheckAccess(other.Id()), Operation_errors::Locking_Error);
  EXPECT_THROW(group.Lock(other.Authority("x", "y")), Operation_errors::Locking_Error);

  // Only the holder changes the texts; only the holder with the right key unlocks.
  group.UpdateLockInfo(other.Id(), "hijack", "hijack");
  EXPECT_EQ("Simulation is running", group.Reason());
  EXPECT_FALSE(group.TryUnlock(mc.Id(), key + 1));
  EXPECT_FALSE(group.TryUnlock(other.Id(), key));
  EXPECT_THROW(group.Unlock(other.Id(), key), Operation_errors::Locking_Error);
  EXPECT_TRUE(group.TryUnlock(mc.Id(), key));
  EXPECT_TRUE(IsNoLock(group.Holder()));
  EXPECT_TRUE(group.Reason().empty());
}

TEST(Lock, TakeIfFreeKeepsAnExistingHoldAsItIs) {
  Locker mc("mc");
  Lockable_i group("CURRENTALT");
  CORBA::ULong first = 0, second = 0;
  ASSERT_TRUE(group.TryLock(mc.Authority("first", "first message"), first));
  // Already held, even by the same locker: key and texts stay.
  EXPECT_FALSE(group.TryLock(mc.Authority("second", "second message"), second));
  EXPECT_EQ("first", group.Reason());
  EXPECT_TRUE(group.TryUnlock(mc.Id(), first));
  // The no-holder identity can never take a lock.
  Lock_Authority nobody = mc.Authority("r", "m");
  nobody.locker = NoLock();
  EXPECT_FALSE(group.TryLock(nobody, second));
  EXPECT_FALSE(group.IsLocked());
}

TEST(Lock, ExactlyOneOfManyRacingLockersTakesAFreeGroup) {
  for (int round = 0; round < 50; ++round) {
    Lockable_i group("RACE");
    std::vector<std::unique_ptr<Locker>> lockers;
    for (int i = 0; i < 8; ++i) lockers.emplace_back(new Locker("l" + std::to_string(i)));
    std::atomic<int> winners{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (auto& l : lockers)
      threads.emplace_back([&, locker = l.get()] {
        while (!go) std::this_thread::yield();
        CORBA::ULong key;
        if (group.TryLock(locker->Authority("r", "m"), key)) ++winners;
      });
    go = true;
    for (auto& t : threads) t.join();
    ASSERT_EQ(1, winners.load());
  }
}
