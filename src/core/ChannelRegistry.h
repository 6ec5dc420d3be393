// The channel registry: which single-channel engine serves channel 1, 2 and 3, how many
// channels there are, and who is told when that changes.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <mutex>
#include <shared_mutex>
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
  virtual unsigned AvailableCount() const = 0;
  virtual unsigned EnabledCount() const = 0;
  // Counts up each time channel's engine is installed or removed; a reference obtained
  // under another generation may belong to an engine that is gone.
  virtual unsigned long Generation(int channel) const = 0;
  // The item references of the registered engines, kept until an engine leaves or is
  // replaced (every engine-item access goes through them, see EngineItems.h).
  virtual ItemRefs& Items() = 0;
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
  unsigned long Generation(int channel) const override;
  ItemRefs& Items() override { return itemRefs_; }
  // The lent main reference of channel, nil when it has none; never throws.
  SCI::RADALTSC_MAIN_INTERFACE_ptr RefOrNil(int channel) const;
  Snapshot Current() const;

  // ---- changes (the composition root makes them, holding ChangeMutex())
  std::recursive_mutex& ChangeMutex() { return changeMutex_; }
  // Installs channel's references from obj (main and in-house narrowed from it); the
  // references replaced are kept alive until the registry goes. Returns whether obj is an
  // engine. The channel is not registered (counted) by this.
  bool Install(int channel, CORBA::Object_ptr obj);
  void InstallInhouse(int channel, SCI::RADALTSC_INHOUSE_INTERFACE_ptr inhouse);
  // Registers an installed channel; a channel registered already is counted once. known
  // tells which it was.
  Snapshot Register(int channel, bool& known);
  // Forgets channel and uncounts it; false (with its log line) when it was not registered.
  bool Unregister(int channel, Snapshot& after);
  void SetCounts(unsigned available, unsigned enabled);
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
  std::vector<CORBA::Object_var> retired_;
  // Told of every change of a channel's main reference, with the generation; the engines it
  // keeps items for stay alive among the retired references.
  ItemRefs itemRefs_;
  unsigned availableCount_ = 0;
  unsigned enabledCount_ = 0;
  std::recursive_mutex changeMutex_;
  std::vector<std::vector<ChannelBound*>> channelBound_;
};

}  // namespace radalt
