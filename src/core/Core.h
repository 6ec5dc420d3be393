// What a subsystem gets from the master control: its configuration, the namer and GUI
// registry, the two stores, the channel registry, the lock groups, and the few questions
// other subsystems answer. The composition root (RADALT_MC) implements it; subsystems see
// nothing else of it.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <utility>
#include <vector>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <typeindex>

#include "ChannelRegistry.h"
#include "EngineConfig.h"
#include "LockGroups.h"
#include "MYGUIABLE.h"
#include "RecallScope.h"
#include "Services.h"
#include "persistence/PersistedValue.h"
#include "platform/ItemNamer.h"
#include "platform/ORB_wrapper.h"

// The single-channel engine interfaces, as parameter objects name them.
namespace SCI = Velmarin::RadAltSingleChannelStateControl;

namespace radalt {

class Core {
 public:
  virtual ~Core() = default;

  virtual const EngineConfig& Config() const = 0;
  virtual Velmarin::ItemNamer& Namer() = 0;
  virtual MY_GUIABLE_i& Gui() = 0;
  virtual Velmarin::ORB_wrapper& OrbWrapper() = 0;
  // The settings store and the profile store; null when a store could not be opened.
  virtual STpersistance* SettingsStore() = 0;
  virtual STpersistance* AltSimStore() = 0;
  virtual ChannelAccess& Channels() = 0;
  virtual LockGroups& Locks() = 0;
  // The enabled count a client or a recall chose, checked and readied by the caller
  // (at most Channels().EnableableCount()), holding Channels().ChangeMutex(): the registry
  // takes it and every subsystem is told.
  virtual void ApplyEnabledCount(unsigned enabled) = 0;

  // ---- the registry and the lock groups under the names parameter objects use
  SCI::RADALTSC_MAIN_INTERFACE_ptr GetSingleChannelPtr(int channel) { return Channels().GetSingleChannelPtr(channel); }
  SCI::RADALTSC_INHOUSE_INTERFACE_ptr GetSingleChannelInhousePtr(int channel) {
    return Channels().GetSingleChannelInhousePtr(channel);
  }
  bool GetSingleChannelIsLocal(int channel) { return Channels().GetSingleChannelIsLocal(channel); }
  bool HasChannelEngine(int channel) { return Channels().HasChannelEngine(channel); }
  ItemRefs& Items() { return Channels().Items(); }
  Velmarin::Lockable_i& Group(LockGroup g) { return Locks().Group(g); }
  const Velmarin::Locker& McLocker() { return Locks().McLocker(); }

  // ---- questions other subsystems answer (0 / false / nothing while none provides them)
  int EnabledChannels() const {
    auto* c = Find<ChannelConfiguration>();
    return c ? c->EnabledChannels() : 0;
  }
  bool CoupledAltitudeSimulation() const {
    auto* c = Find<ChannelConfiguration>();
    return c && c->CoupledAltitudeSimulation();
  }
  bool SimulationRunning() const {
    auto* s = Find<SimulationState>();
    return s && s->SimulationRunning();
  }
  int SimulationMode() const {
    auto* s = Find<SimulationState>();
    return s ? s->SimulationMode() : 0;
  }
  void FollowEnabledChoice() {
    if (auto* c = Find<EnabledCountChange>()) c->FollowChoice();
  }
  void SetCalibrationButtonsLocked(unsigned code) {
    if (auto* c = Find<CalibrationButtons>()) c->SetCalibrationButtonsLocked(code);
  }
  void LockSelftestEngine(const Activity& activity, const std::string& reason) {
    if (auto* s = Find<SelftestEngineLock>()) s->Lock(activity, reason);
  }
  void UnlockSelftestEngine(const Activity& activity) {
    if (auto* s = Find<SelftestEngineLock>()) s->Unlock(activity);
  }
  void NoteEvent(const std::string& kind, const std::string& text) {
    if (auto* j = Find<EventJournal>()) j->Note(kind, text);
  }

  // ---- what the persisted values are now
  // A persisted value's current value, as its store keeps it.
  using CurrentValue = std::function<Bound()>;
  // Tells that value id of store is now what source gives (a later call for the same id
  // replaces the source). Sources are asked when a store's rows are brought up to date.
  void KeepCurrent(STpersistance* store, unsigned id, CurrentValue source, const std::string& name = "") {
    if (!store) return;
    std::lock_guard<std::mutex> lock(currentMutex_);
    current_[store][id] = std::move(source);
    if (!name.empty()) names_[store][name] = id;
  }
  // The current value of every named value of the stores, as a recall would take them
  // (RecallScope): what the attributes show now.
  RecallScope::Kept CurrentValuesByName(const std::vector<STpersistance*>& stores) {
    std::lock_guard<std::mutex> lock(currentMutex_);
    RecallScope::Kept values;
    for (STpersistance* store : stores) {
      auto names = names_.find(store);
      auto sources = current_.find(store);
      if (names == names_.end() || sources == current_.end()) continue;
      for (const auto& [name, id] : names->second) {
        auto source = sources->second.find(id);
        if (source != sources->second.end()) values[{store, name}] = source->second();
      }
    }
    return values;
  }
  // The value a recall of name of store takes: the one the recall scope of this thread keeps,
  // else the stored one (0, false or empty when there is none).
  template <class T>
  static T RecallValue(STpersistance* store, const std::string& name) {
    if (!store) return T();
    Bound kept;
    if (!RecallScope::KeptValue(store, name, kept)) return store->GetValue<T>(name, 1.0f);
    if constexpr (std::is_same_v<T, std::string>) {
      return kept.text;
    } else {
      return kept.kind == Bound::Kind::Real ? static_cast<T>(kept.real) : static_cast<T>(kept.integer);
    }
  }
  // The current value of every id of store with a source, by id.
  std::vector<std::pair<unsigned, Bound>> CurrentValues(STpersistance* store) {
    std::lock_guard<std::mutex> lock(currentMutex_);
    std::vector<std::pair<unsigned, Bound>> values;
    auto it = current_.find(store);
    if (it == current_.end()) return values;
    for (const auto& [id, source] : it->second) values.emplace_back(id, source());
    return values;
  }

  // ---- interfaces one subsystem provides to the others (declared in core/)
  // Provides impl as I until the master control goes; a second provider is a start-up error.
  template <class I>
  void Provide(I& impl) {
    std::lock_guard<std::mutex> lock(providedMutex_);
    if (!provided_.emplace(std::type_index(typeid(I)), &impl).second)
      throw std::logic_error(std::string("interface provided twice: ") + typeid(I).name());
  }
  template <class I>
  I* Find() const {
    std::lock_guard<std::mutex> lock(providedMutex_);
    auto it = provided_.find(std::type_index(typeid(I)));
    return it == provided_.end() ? nullptr : static_cast<I*>(it->second);
  }

 protected:
  void ForgetProvided() {
    std::lock_guard<std::mutex> lock(providedMutex_);
    provided_.clear();
  }
  // Drops every current-value source (before the objects behind them go).
  void ForgetCurrentValues() {
    std::lock_guard<std::mutex> lock(currentMutex_);
    current_.clear();
  }

 private:
  std::mutex currentMutex_;
  std::map<STpersistance*, std::map<std::string, unsigned>> names_;
  std::map<STpersistance*, std::map<unsigned, CurrentValue>> current_;
  mutable std::mutex providedMutex_;
  std::map<std::type_index, void*> provided_;
};

}  // namespace radalt
