// The master control: the composition root of the engine. It owns the ORB wrapper, the
// namer and GUI registry, the two stores, the channel registry, the lock groups and the
// subsystems (registered in Subsystems.cpp), builds them in their construction order, and
// runs reset, recall and the coming and going of channel engines over them. Subsystems see
// it only as radalt::Core.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "Core.h"
#include "FollowUps.h"
#include "Subsystem.h"
#include "RadAltSC.hh"
#include "VelmarinEngine.hh"
#include "platform/ItemNamer.h"
#include "platform/Lock.h"
#include "platform/ORB_wrapper.h"

namespace Velmarin {
class DDS_Strand;
template <class T>
class DDS_Publisher;
template <class T>
class DDS_Subscriber;
}  // namespace Velmarin

namespace radalt {
struct SimulationObjects;
}  // namespace radalt

class CALIBRATION;
class RadAltLockingDueToSelftest;
class lockingSelftestEngine;
class COUPLED_ALTITUDE_SIMULATION;
class NO_OF_AVAILABLE_CHANNELS;
class RF_CONNECTION;
class SLAVE_MODE;
class NO_OF_ENABLED_CHANNELS;

namespace SCI = Velmarin::RadAltSingleChannelStateControl;

class RADALT_MC : public virtual POA_Velmarin::Everybody, public radalt::Core, public radalt::EngineDisplay {
 public:
  RADALT_MC();
  explicit RADALT_MC(const radalt::EngineConfig& config);
  ~RADALT_MC() override;

  // Everybody
  char* Type() override;
  CORBA::Long InstanceNum() override;
  // table names one of the two stores by its table base and instance ("radaltmc_settings0"):
  // Save writes every persisted value's current value into its row, Recall applies the
  // rows (RecallMCSettings, RecallMCProfile). index is not used.
  void Save(const char* table, CORBA::Long index) override;
  void Recall(const char* table, CORBA::Long index) override;
  void Reset() override;
  void ClearStatus() override {}
  // The master control is not locked as a whole: its attributes and lock groups are.
  void Lock(const Velmarin::Lock_Authority&) override;
  void Unlock(const Velmarin::Locker_ID&, CORBA::ULong) override {}
  void Freeze() override {}
  void Unfreeze() override {}
  // The host ends the engine (destroyEngine); a remote shutdown is refused.
  void Shutdown() override;

  // Runs the ORB until it is shut down.
  void Start();
  // Announces "destroy," for every everybody registration and lets go of the ORB wrapper.
  void Stop();

  void InitHwInterface(int instance);
  void PushHwProgress(double percent);

  // ---- radalt::Core
  const radalt::EngineConfig& Config() const override { return config_; }
  Velmarin::ItemNamer& Namer() override { return *namer_; }
  MY_GUIABLE_i& Gui() override { return *gui_; }
  Velmarin::ORB_wrapper& OrbWrapper() override { return *orbw_; }
  STpersistance* SettingsStore() override { return settingsStore_.get(); }
  STpersistance* AltSimStore() override { return altSimStore_.get(); }
  radalt::ChannelAccess& Channels() override { return registry_; }
  radalt::LockGroups& Locks() override { return *locks_; }
  void ApplyEnabledCount(unsigned enabled) override;

  // ---- channel registry
  void AddRadAltSc(int channel);
  void RemoveRadAltSc(int channel);
  // The liveness look found channel's engine (of generation) gone or silent: it is removed
  // as if it had said goodbye, unless it was replaced meanwhile.
  void EngineLost(int channel, unsigned long generation);
  void updateAttributeData(unsigned available, unsigned enabled,
                           const std::vector<SCI::RADALTSC_MAIN_INTERFACE_ptr>& refs);
  void RadAltDDS_SubCallback(const char* topic, const char* text);
  void radaltIsValidConfigPublished(const char* topic, bool valid);
  void RecallMCSettings();
  void RecallMCProfile();
  // A new engine (obj) for channel, announced or answering again: installed, brought back to
  // the operator's settings of its channel (BringBack) before it counts, registered, and shown.
  // An engine replaced by it leaves first. False when obj is no engine. Holds the change mutex.
  bool JoinEngine(int channel, CORBA::Object_ptr obj);
  // Channel's installed engine gets the operator's settings of that channel (as they were
  // shown before it joined): the recall steps but the channel configuration, then the
  // profiles, reaching that channel only (RecallScope).
  void BringBack(int channel, radalt::RecallScope::Kept operatorSettings);
  // With no channel enabled, channel's engine takes the settings of every channel from
  // another engine (see the definition).
  void CopyChannelWideFromOthers(int channel);
  // Every subsystem shows what channel's engine holds (it answers again after a call it did
  // not answer, or it recalled settings of its own).
  void ShowEngine(int channel) override;
  unsigned AvailableCount() const { return registry_.AvailableCount(); }
  unsigned EnabledCount() const { return registry_.EnabledCount(); }
  // The channel-bound objects of one class, channel 1 to 3, told in registration order.
  void AddChannelBoundClass(std::vector<radalt::ChannelBound*> perChannel) {
    registry_.AddChannelBoundClass(std::move(perChannel));
  }

  // ---- lock groups
  // Takes g for the master control itself (the "master control" activity).
  bool TakeGroup(radalt::LockGroup g, const std::string& reason, const std::string& message);
  // Releases the master control's own hold on g.
  bool ReleaseGroup(radalt::LockGroup g);
  // The nine run-button groups, held while the configuration is invalid.
  void lockAllRunButtons();
  void unlockAllRunButtons();
  void rfLevelModeLock();
  void aidItemsLock();
  void powerDisplayModeLock();
  void setupPauseResumeButtonListener();

  // ---- the subsystems' objects (null while not built)
  NO_OF_AVAILABLE_CHANNELS* NoOfAvailableChannelsObj();
  NO_OF_ENABLED_CHANNELS* NoOfEnabledChannelsObj();
  SLAVE_MODE* SlaveModeObj();
  COUPLED_ALTITUDE_SIMULATION* CoupledAltSimObj();
  RF_CONNECTION* RfConnectionObj();
  CALIBRATION* CalibrationObj();
  radalt::SimulationObjects& Simulation();
  lockingSelftestEngine* SelftestEngineLock();
  RadAltLockingDueToSelftest* SelftestLocking();

  // The file-scope namer every engine namer derives from.
  static Velmarin::ItemNamer InstanceNamer;

 private:
  void Construct();
  // Builds construction group over every subsystem.
  void ConstructGroup(int group);
  void DiscoverSingleChannelEngines();
  void RegisterEngineAttributes();
  void InstallServants();
  void InitialLocks();
  // Follows the channel-1 engine's configuration-validity flag.
  void SubscribeConfigurationValidity();
  void PublishEverybody(const std::string& text);
  // The store whose table (base and instance) is table; throws Object_Not_Found otherwise.
  STpersistance* StoreOfTable(const std::string& table, const char* who);
  // Tells every subsystem the registry's counts.
  void ApplyCounts(unsigned available, unsigned enabled);
  void TellChannelsChanged(const radalt::ChannelRegistry::Snapshot& s);
  // Readies the enabled count's change from `from` to `to` (channels/); false, with a line
  // saying why, when it was refused.
  bool PrepareEnabledChange(unsigned from, unsigned to, bool forced);
  // Undoes what was built, in the order that keeps every callback's objects alive; announce:
  // "destroy," is published and the servant deactivated (a built master control).
  void Teardown(bool announce);

  radalt::EngineConfig config_;

  std::unique_ptr<Velmarin::ORB_wrapper> orbw_;
  std::unique_ptr<Velmarin::ItemNamer> namer_;
  std::unique_ptr<MY_GUIABLE_i> gui_;

  radalt::ChannelRegistry registry_;
  std::unique_ptr<radalt::LockGroups> locks_;

  // announcements of this engine; commands of the channel engines; configuration validity
  std::unique_ptr<Velmarin::DDS_Publisher<CORBA::String_var>> everybodyPublisher_;
  std::unique_ptr<Velmarin::DDS_Subscriber<CORBA::String_var>> radaltscSubscriber_;
  std::unique_ptr<Velmarin::DDS_Subscriber<bool>> validConfigSubscriber_;
  // Runs what the two subscribers receive, in arrival order, once construction is complete.
  std::unique_ptr<Velmarin::DDS_Strand> ddsCommands_;
  // What may be slow, one worker per channel so that a channel that does not answer holds up
  // no other: the grace of an engine that said goodbye, showing an engine that answers again.
  enum ChannelJob { kLeaveCheck, kShowEngine };
  std::array<std::unique_ptr<radalt::FollowUps>, 3> channelWork_;
  void PostChannelJob(int channel, ChannelJob job);
  void StartChannelWork();
  void StopChannelWork();
  // An engine that said goodbye (destroy,) is removed once it is gone, within the grace.
  void LeaveCheck(int channel);
  // An engine taken out because it did not answer answers again: it is taken again unless
  // another engine has its channel (on the command strand).
  void TakeBack(int channel, CORBA::Object_ptr engine);

  std::string engineName_;

  std::unique_ptr<STpersistance> settingsStore_;
  std::unique_ptr<STpersistance> altSimStore_;

  // In registration order (Subsystems.cpp); built group by group.
  std::vector<std::unique_ptr<radalt::Subsystem>> subsystems_;


  Velmarin::HwEnumerate_Able_var hwEnum_;
  Velmarin::Progress_Interface_var progress_;
  bool everybodyInstalled_ = false;
  // Held by Save and Recall, and by the destructor before the stores go.
  std::mutex saveRecallMutex_;
  bool saveRecallOpen_ = true;
};
