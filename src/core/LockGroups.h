// The master control's 24 lock groups and the holds its activities have on them.
//
// A group is one platform lockable. The master control takes it under its own locker on
// behalf of an activity (a running simulation, an invalid configuration, a self test ...);
// several activities may hold the same group at once. The group stays locked while any of
// them holds it, an activity releases only its own hold, and clients see the reason and
// message of the earliest hold that remains.
//
//   locks.Take(LockGroup::SIMRUN, "simulation run", "Simulation is running", "Locked because ...");
//   locks.Take(LockGroup::SIMRUN, "invalid configuration", "Invalid Configuration", "...");
//   locks.Release(LockGroup::SIMRUN, "simulation run");   // still held, with the other texts
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ItemNamer.h"
#include "platform/Lock.h"
#include "Keys.h"

namespace radalt {

enum class LockGroup : std::size_t {
  RadAltMc1, RadAltMc2, RadAltMc3,
  MANUALTEST, PROFILETEST, SETTINGS, CURRENTALT,
  DIAGTXOUTPUT, DIAGTXATTENOUTPUT, DIAGRXMEASURING, DIAGLOOPBACKOUTPUT, DIAGLOOPBACKMEASURING,
  DIAGPASSTHRURUNNING, SIMRUN, ALTZERORUN, CALRUN,
  RFLEVEL, LOOPLOSS, UUT_TYPE, UUT_CDF_SUB_TYPE,
  PAUSERESUMEBUTTON, RFLEVELMODE, AIDITEMS, POWERDISPLAYMODE,
  Count
};

constexpr std::size_t kLockGroupCount = static_cast<std::size_t>(LockGroup::Count);

// The name each group is constructed with (below the engine's namer), in construction order.
constexpr const char* kLockGroupNames[kLockGroupCount] = {
    "RadAltMc", "RadAltMc", "RadAltMc",
    "MANUALTEST", "PROFILETEST", "SETTINGS", "CURRENTALT",
    "DIAGTXOUTPUT", "DIAGTXATTENOUTPUT", radalt::key::DIAGRXMEASURING, "DIAGLOOPBACKOUTPUT", radalt::key::DIAGLOOPBACKMEASURING,
    radalt::key::DIAGPASSTHRURUNNING, "SIMRUN", "ALTZERORUN", "CALRUN",
    "RFLEVEL", "LOOPLOSS", "UUT_TYPE", "UUT_CDF_SUB_TYPE",
    "PAUSERESUMEBUTTON", "RFLEVELMODE", "AIDITEMS", radalt::key::POWERDISPLAYMODE};

inline const char* NameOf(LockGroup g) { return kLockGroupNames[static_cast<std::size_t>(g)]; }

// Who holds a group on the master control's behalf, e.g. "simulation run". Each subsystem
// names its own activities (see the Activity constants of its folder).
using Activity = std::string;

class LockGroups {
 public:
  // Builds the 24 groups in their order below namer and the master control's locker.
  explicit LockGroups(Velmarin::ItemNamer& namer);
  ~LockGroups();
  LockGroups(const LockGroups&) = delete;
  LockGroups& operator=(const LockGroups&) = delete;

  Velmarin::Lockable_i& Group(LockGroup g) { return *groups_[static_cast<std::size_t>(g)]; }
  // The master control's locker: the holder clients see while any activity holds a group.
  const Velmarin::Locker& McLocker() const { return *locker_; }

  // activity takes g with its texts. A free group is locked; a group the master control
  // holds for other activities gains one more hold (its texts stay those of the earliest);
  // a group another locker holds is left alone. Taking again replaces the activity's texts.
  // Returns whether activity holds g afterwards.
  bool Take(LockGroup g, const Activity& activity, const std::string& reason, const std::string& message);
  // activity gives up its hold on g; the group is freed when no hold remains. Returns whether
  // activity held it.
  bool Release(LockGroup g, const Activity& activity);
  // Releases every hold of activity.
  void ReleaseAll(const Activity& activity);
  bool Holds(LockGroup g, const Activity& activity) const;
  // The activities holding g, earliest first.
  std::vector<Activity> Holders(LockGroup g) const;

 private:
  struct Hold {
    Activity activity;
    std::string reason;
    std::string message;
  };
  struct Held {
    CORBA::ULong key = 0;
    std::vector<Hold> holds;
  };
  bool ReleaseLocked(std::size_t i, const Activity& activity);

  std::array<std::unique_ptr<Velmarin::Lockable_i>, kLockGroupCount> groups_;
  std::unique_ptr<Velmarin::Locker> locker_;
  mutable std::mutex mutex_;
  std::array<Held, kLockGroupCount> held_;
};

}  // namespace radalt
