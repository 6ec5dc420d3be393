// The master control: owns every parameter object, lock group, store, servant and channel
// engine reference of the test set.
#pragma once

#include <array>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include <boost/thread/mutex.hpp>

#include "ChannelBound.h"
#include "EngineConfig.h"
#include "ItemRefs.h"
#include "LockGroups.h"
#include "MYGUIABLE.h"
#include "SimulationObjects.h"
#include "persistence/PersistedValue.h"
#include "RadAltSC.hh"
#include "VelmarinEngine.hh"
#include "platform/ItemNamer.h"
#include "platform/Lock.h"
#include "platform/ORB_wrapper.h"

namespace Velmarin {
template <class T>
class DDS_Publisher;
template <class T>
class DDS_Subscriber;
}  // namespace Velmarin

class CALIBRATION;
class RadAltLockingDueToSelftest;
class lockingSelftestEngine;
class COUPLED_ALTITUDE_SIMULATION;
class NO_OF_AVAILABLE_CHANNELS;
class RF_CONNECTION;
class SLAVE_MODE;
class NO_OF_ENABLED_CHANNELS;

namespace SCI = Velmarin::RadAltSingleChannelStateControl;

class RADALT_MC : public virtual POA_Velmarin::Everybody {
 public:
  RADALT_MC();
  explicit RADALT_MC(const radalt::EngineConfig& config);
  ~RADALT_MC() override;

  // Everybody
  char* Type() override;
  CORBA::Long InstanceNum() override;
  void Save(const char*, CORBA::Long) override {}
  void Recall(const char*, CORBA::Long) override {}
  void Reset() override;
  void ClearStatus() override {}
  void Lock(const Velmarin::Lock_Authority&) override {}
  void Unlock(const Velmarin::Locker_ID&, CORBA::ULong) override {}
  void Freeze() override {}
  void Unfreeze() override {}
  void Shutdown() override {}

  // Runs the ORB until it is shut down.
  void Start();
  // Announces "destroy," for every everybody registration and lets go of the ORB wrapper.
  void Stop();

  void InitHwInterface(int instance);
  void PushHwProgress(double percent);

  // ---- channel registry
  SCI::RADALTSC_MAIN_INTERFACE_ptr GetSingleChannelPtr(int channel);
  SCI::RADALTSC_INHOUSE_INTERFACE_ptr GetSingleChannelInhousePtr(int channel);
  bool GetSingleChannelIsLocal(int channel);
  // Whether channel (any number) has an engine; never throws, logs nothing.
  bool HasChannelEngine(int channel) const;
  void AddRadAltSc(int channel);
  void RemoveRadAltSc(int channel);
  void updateAttributeData(unsigned available, unsigned enabled,
                           const std::vector<SCI::RADALTSC_MAIN_INTERFACE_ptr>& refs);
  void RadAltDDS_SubCallback(const char* topic, const char* text);
  void radaltIsValidConfigPublished(const char* topic, bool valid);
  void RecallMCSettings();
  void RecallMCProfile();
  unsigned AvailableCount() const;
  unsigned EnabledCount() const;
  // The kept item references of the registered engines.
  radalt::ItemRefs& Items() { return itemRefs_; }
  // The channel-bound objects of one class, channel 1 to 3, told in registration order.
  void AddChannelBoundClass(std::vector<radalt::ChannelBound*> perChannel);

  // ---- lock groups
  Velmarin::Lockable_i& Group(radalt::LockGroup g) { return *lockGroups_[static_cast<std::size_t>(g)]; }
  Velmarin::Locker& McLocker() { return *radaltMcLocker; }
  // Takes g for the master control when it is free; a group already held (by anyone)
  // keeps its holder, key and texts. Returns whether this call took it.
  bool TakeGroup(radalt::LockGroup g, const std::string& reason, const std::string& message);
  // Releases g when the master control holds it.
  bool ReleaseGroup(radalt::LockGroup g);
  // The nine run-button groups, locked for an invalid configuration and released again.
  void lockAllRunButtons();
  void unlockAllRunButtons();
  void rfLevelModeLock();
  void aidItemsLock();
  void powerDisplayModeLock();
  void setupPauseResumeButtonListener();

  // ---- what parameter objects reach through the master control
  Velmarin::ItemNamer& Namer() { return *namer_; }
  MY_GUIABLE_i& Gui() { return *gui_; }
  Velmarin::ORB_wrapper& OrbWrapper() { return *orbw_; }
  const radalt::EngineConfig& Config() const { return config_; }
  NO_OF_AVAILABLE_CHANNELS* NoOfAvailableChannelsObj() { return noOfAvailableChannels_.get(); }
  NO_OF_ENABLED_CHANNELS* NoOfEnabledChannelsObj() { return noOfEnabledChannels_.get(); }
  SLAVE_MODE* SlaveModeObj() { return slaveMode_.get(); }
  COUPLED_ALTITUDE_SIMULATION* CoupledAltSimObj() { return coupledAltitudeSimulation_.get(); }
  RF_CONNECTION* RfConnectionObj() { return rfConnection_.get(); }
  CALIBRATION* CalibrationObj() { return calibration_.get(); }
  radalt::SimulationObjects& Simulation() { return *simulation_; }
  STpersistance* SettingsStore() { return Settings_Persistence; }
  STpersistance* AltSimStore() { return AltSim_Persistence; }
  lockingSelftestEngine* SelftestEngineLock() { return lockingSelftestEngine_.get(); }
  RadAltLockingDueToSelftest* SelftestLocking() { return radAltLockingDueToSelftest_.get(); }

  // The file-scope namer every engine namer derives from.
  static Velmarin::ItemNamer InstanceNamer;

 private:
  void Construct();
  void ConstructGroup(int group);
  void DiscoverSingleChannelEngines();
  void WaitForEnginesReady(int count);
  void RegisterEngineAttributes();
  void InstallServants();
  void InitialLocks();
  // Follows the channel-1 engine's configuration-validity flag.
  void SubscribeConfigurationValidity();
  void PublishEverybody(const std::string& text);
  // Installs the references of channel from obj (main and in-house narrowed from it).
  bool SetChannelRefs(int channel, CORBA::Object_ptr obj);
  void ApplyCounts(unsigned available, unsigned enabled);
  // Runs recall for each channel with an engine, in channel order.
  template <class F>
  void ForEachRegisteredChannel(const char* method, F&& recall);
  // The lent main reference of channel, nil when it has none; never throws.
  SCI::RADALTSC_MAIN_INTERFACE_ptr ChannelRefOrNil(int channel) const;

  radalt::EngineConfig config_;

  Velmarin::ORB_wrapper* orbw_ = nullptr;
  std::unique_ptr<Velmarin::ItemNamer> namer_;
  std::unique_ptr<MY_GUIABLE_i> gui_;
  std::unique_ptr<Velmarin::Velmarin_Test_Able_i> testAble_;

  // registry: entry i is channel i+1
  mutable std::shared_mutex registryMutex_;
  std::vector<SCI::RADALTSC_MAIN_INTERFACE_var> RadaltSC_ptr;
  std::vector<SCI::RADALTSC_INHOUSE_INTERFACE_var> RadaltSCInhouse_ptr;
  std::vector<bool> channelValid_;
  std::map<int, SCI::RADALTSC_MAIN_INTERFACE_ptr> mainMap_;
  std::map<int, SCI::RADALTSC_INHOUSE_INTERFACE_ptr> inhouseMap_;
  // References replaced or removed while parameter objects may still be using them; they
  // are released with the master control.
  std::vector<CORBA::Object_var> retired_;
  // Told of every change of a channel's main reference (the retired ones stay alive).
  radalt::ItemRefs itemRefs_;
  unsigned availableCount_ = 0;
  unsigned enabledCount_ = 0;
  // Serialises whole registry changes (create/destroy commands); readers take registryMutex_.
  std::recursive_mutex registryChangeMutex_;
  std::vector<std::vector<radalt::ChannelBound*>> channelBound_;

  // announcements of this engine; commands of the channel engines; configuration validity
  std::unique_ptr<Velmarin::DDS_Publisher<CORBA::String_var>> everybodyPublisher_;
  std::unique_ptr<Velmarin::DDS_Subscriber<CORBA::String_var>> radaltscSubscriber_;
  std::unique_ptr<Velmarin::DDS_Subscriber<bool>> validConfigSubscriber_;

  std::array<std::unique_ptr<Velmarin::Lockable_i>, radalt::kLockGroupCount> lockGroups_;
  std::array<CORBA::ULong, radalt::kLockGroupCount> lockKeys_{};
  std::mutex lockKeysMutex_;
  boost::mutex mutex_;
  std::string engineName_;
  std::unique_ptr<Velmarin::Locker> radaltMcLocker;

  STpersistance* Settings_Persistence = nullptr;
  STpersistance* AltSim_Persistence = nullptr;

  // construction group 0
  std::unique_ptr<lockingSelftestEngine> lockingSelftestEngine_;
  // construction group 1
  std::unique_ptr<NO_OF_AVAILABLE_CHANNELS> noOfAvailableChannels_;
  std::unique_ptr<NO_OF_ENABLED_CHANNELS> noOfEnabledChannels_;
  std::unique_ptr<SLAVE_MODE> slaveMode_;
  std::unique_ptr<COUPLED_ALTITUDE_SIMULATION> coupledAltitudeSimulation_;
  // altitude simulation (groups 2 to 5)
  std::unique_ptr<radalt::SimulationObjects> simulation_{new radalt::SimulationObjects};
  // construction group 5
  std::unique_ptr<RF_CONNECTION> rfConnection_;
  std::unique_ptr<CALIBRATION> calibration_;
  std::unique_ptr<RadAltLockingDueToSelftest> radAltLockingDueToSelftest_;

  Velmarin::HwEnumerate_Able_var hwEnum_;
  Velmarin::Progress_Interface_var progress_;
  bool everybodyInstalled_ = false;
};
