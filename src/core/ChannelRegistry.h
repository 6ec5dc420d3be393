// The channel registry: which single-channel engine serves channel 1, 2 and 3, how many
// channels there are, and who is told when that changes.
#pragma once

#include <array>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <thread>
#include <utility>
#include <vector>

#include "ChannelBound.h"
#include "ItemRefs.h"
#include "RadAltSC.hh"

namespace radalt {

namespace SCI = Velmarin::RadAltSingleChannelStateControl;

// What a subsystem may ask the registry.
class ChannelAccess {
 public:
  virtual ~ChannelAccess() = default;
  // The engine of channel, lent (not duplicated; it stays valid as long as the master
  // control). DataOutOfRangeException<int> outside 1 to 3, NotConfigured for a channel
  // without engine; both log their line first.
  virtual SCI::RADALTSC_MAIN_INTERFACE_ptr GetSingleChannelPtr(int channel) = 0;
  virtual SCI::RADALTSC_INHOUSE_INTERFACE_ptr GetSingleChannelInhousePtr(int channel) = 0;
  // Whether channel's engine runs in this test set (the same refusals).
  virtual bool GetSingleChannelIsLocal(int channel) = 0;
  // Whether channel (any number) has an engine; never throws, logs nothing.
  virtual bool HasChannelEngine(int channel) const = 0;
  // The engines registered now.
  virtual unsigned AvailableCount() const = 0;
  virtual unsigned EnabledCount() const = 0;
  // How many channels can be enabled: channels 1 to this count all have an engine.
  virtual unsigned EnableableCount() const = 0;
  // Counts up each time channel's engine is installed or removed; a reference obtained
  // under another generation may belong to an engine that is gone.
  virtual unsigned long Generation(int channel) const = 0;
  // The item references of the registered engines, kept until an engine leaves or is
  // replaced (every engine-item access goes through them, see EngineItems.h).
  virtual ItemRefs& Items() = 0;
  // Serialises whole changes of the registry (engines coming and going, the enabled count);
  // held by whoever changes it, across the checks that decide the change.
  virtual std::recursive_mutex& ChangeMutex() = 0;
};

class ChannelRegistry : public ChannelAccess {
 public:
  using MainRefs = std::array<SCI::RADALTSC_MAIN_INTERFACE_ptr, 3>;
  // The registry after a change: counts and the (lent) references of channels 1 to 3.
  struct Snapshot {
    unsigned available = 0;
    unsigned enabled = 0;
    MainRefs refs{};
  };

  ChannelRegistry();
  ~ChannelRegistry() override;

  SCI::RADALTSC_MAIN_INTERFACE_ptr GetSingleChannelPtr(int channel) override;
  SCI::RADALTSC_INHOUSE_INTERFACE_ptr GetSingleChannelInhousePtr(int channel) override;
  bool GetSingleChannelIsLocal(int channel) override;
  bool HasChannelEngine(int channel) const override;
  unsigned AvailableCount() const override;
  unsigned EnabledCount() const override;
  unsigned EnableableCount() const override;
  unsigned long Generation(int channel) const override;
  ItemRefs& Items() override { return itemRefs_; }
  // The lent main reference of channel, nil when it has none; never throws.
  SCI::RADALTSC_MAIN_INTERFACE_ptr RefOrNil(int channel) const;
  Snapshot Current() const;

  // ---- changes (made holding ChangeMutex())
  std::recursive_mutex& ChangeMutex() override { return changeMutex_; }
  // Installs channel's references from obj (main and in-house narrowed from it); the
  // references replaced are kept alive until the registry goes. Returns whether obj is an
  // engine. The channel is not registered (counted) by this.
  bool Install(int channel, CORBA::Object_ptr obj);
  void InstallInhouse(int channel, SCI::RADALTSC_INHOUSE_INTERFACE_ptr inhouse);
  // The enabled count the user's choice comes to once channel is registered too: the
  // channels enabled are always channels 1 to the count, each with an engine; a user who
  // works with every channel that can be enabled gets the new one as well.
  unsigned EnabledOnceRegistered(int channel) const;
  // The same once channel is unregistered (never more than enabled now).
  unsigned EnabledOnceUnregistered(int channel) const;
  // Registers an installed channel (counted once however often it is registered) and sets
  // the enabled count, in one hold. known tells whether it was registered already.
  Snapshot Register(int channel, unsigned enabled, bool& known);
  // Forgets channel and uncounts it, setting the enabled count, in one hold; false (with its
  // log line) when it was not registered.
  bool Unregister(int channel, unsigned enabled, Snapshot& after);
  // The counts found at start-up: every engine found is enabled.
  void SetCounts(unsigned available, unsigned enabled);
  // The user's enabled count (within EnableableCount()); it is also the count the registry
  // comes back to when engines return.
  Snapshot SetEnabled(unsigned enabled);

  // ---- liveness: a look at every registered engine on a thread of its own
  // lost(channel, generation) is called (on that thread) for an engine that is gone or has
  // not answered misses looks in a row; once per engine.
  using LostEngine = std::function<void(int channel, unsigned long generation)>;
  void StartLiveness(unsigned intervalMs, unsigned misses, LostEngine lost);
  // Ends the thread (waits for a look in progress, at most one call timeout). Safe to repeat.
  void StopLiveness();
  // A call on channel's engine was not answered: look at it now. Once it answers again, the
  // engine may hold what the call asked for or not: answered(channel) is told (on the liveness
  // thread) so that what is shown of it can be read again.
  void Suspect(int channel);
  using AnsweredAgain = std::function<void(int channel)>;
  void OnAnsweredAgain(AnsweredAgain answered);
  // An engine taken out because it did not answer (stopped, or a host too busy to answer in
  // time or to accept a connection) is looked at further; when it answers while its channel
  // has no engine, back(channel, engine) is told (on the liveness thread), so that it can be
  // taken again. A new engine of that channel ends the watch.
  using CameBack = std::function<void(int channel, CORBA::Object_ptr engine)>;
  void OnCameBack(CameBack back);
  // How many replaced or removed references are kept alive (see the retired list).
  std::size_t Retired() const;

  // Drops every reference (the master control goes).
  void Clear();

  // ---- objects bound to one channel, told when engines come or go
  void AddChannelBoundClass(std::vector<ChannelBound*> perChannel);
  void TellChannelBound(const Snapshot& s);

 private:
  mutable std::shared_mutex mutex_;
  std::vector<SCI::RADALTSC_MAIN_INTERFACE_var> main_;
  std::vector<SCI::RADALTSC_INHOUSE_INTERFACE_var> inhouse_;
  std::vector<bool> valid_;
  std::array<unsigned long, 3> generation_{};
  std::map<int, SCI::RADALTSC_MAIN_INTERFACE_ptr> mainMap_;
  std::map<int, SCI::RADALTSC_INHOUSE_INTERFACE_ptr> inhouseMap_;
  // Replaced and removed references, kept alive for a pointer lent before the change; the
  // oldest go once more than kKeptRetired are kept (a lent pointer is used for one call).
  static constexpr std::size_t kKeptRetired = 24;
  std::deque<CORBA::Object_var> retired_;
  void RetireLocked(CORBA::Object_ptr ref);
  // Told of every change of a channel's main reference, with the generation; the engines it
  // keeps items for stay alive among the retired references.
  ItemRefs itemRefs_;
  unsigned availableCount_ = 0;
  unsigned enabledCount_ = 0;
  // What the user (or the start-up) chose; enabled is this within the enableable channels.
  unsigned wantedEnabled_ = 0;
  std::recursive_mutex changeMutex_;
  std::vector<std::vector<ChannelBound*>> channelBound_;

  unsigned EnableableLocked(int without = 0, int with = 0) const;
  void LivenessLoop(unsigned intervalMs, unsigned misses, LostEngine lost);
  std::mutex livenessMutex_;
  std::condition_variable livenessWake_;
  bool livenessStop_ = false;
  std::array<bool, 3> suspected_{};
  std::array<bool, 3> unsure_{};
  AnsweredAgain answered_;
  CameBack back_;
  // The engines taken out, watched until they answer, their channel has another engine, or
  // kWatchLooks looks have passed.
  static constexpr unsigned kWatchLooks = 120;
  static constexpr unsigned kGoneRecheckMs = 100;
  std::array<CORBA::Object_var, 3> silentLost_;
  std::array<unsigned, 3> watchLooksLeft_{};
  std::thread liveness_;
  // What the ORB hands the handlers of calls on an engine that got no answer.
  std::array<std::pair<ChannelRegistry*, int>, 3> handlerCookies_{};
};

}  // namespace radalt
