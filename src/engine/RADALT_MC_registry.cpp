// The channel registry: the single-channel engines found at start-up and followed as they
// come and go, the channel counts, and the references handed to the parameter objects.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <thread>

#include "Exceptions.h"
#include "NO_OF_AVAILABLE_CHANNELS.h"
#include "CALIBRATION.h"
#include "COUPLED_ALTITUDE_SIMULATION.h"
#include "NO_OF_ENABLED_CHANNELS.h"
#include "RF_CONNECTION.h"
#include "SLAVE_MODE.h"
#include "ALT_SIM_TOTAL_DURATION.h"
#include "AltSimDataParameter.h"
#include "AltSimNameParameter.h"
#include "RampParameter.h"
#include "SIMULATION_MODE.h"
#include "RADALT_MC.h"

namespace {

const char* const kScContext = "Lumaren/local/RADALTSC";
const char* const kScInhouseContext = "Lumaren/local/RADALTSC_INHOUSE";

// Channel number of a naming-service entry ("2" -> 2), 0 when it is not one.
int ChannelOf(const std::string& name) {
  if (name.empty() || name.size() > 2 || !std::all_of(name.begin(), name.end(), ::isdigit)) return 0;
  const int n = std::stoi(name);
  return (n >= 1 && n <= 3) ? n : 0;
}

void Sleep(unsigned ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

// ---- discovery -----------------------------------------------------------------------------

bool RADALT_MC::SetChannelRefs(int channel, CORBA::Object_ptr obj) {
  SCI::RADALTSC_MAIN_INTERFACE_var main = SCI::RADALTSC_MAIN_INTERFACE::_narrow(obj);
  SCI::RADALTSC_INHOUSE_INTERFACE_var inhouse = SCI::RADALTSC_INHOUSE_INTERFACE::_narrow(obj);
  std::unique_lock<std::shared_mutex> lock(registryMutex_);
  const std::size_t i = static_cast<std::size_t>(channel - 1);
  if (!CORBA::is_nil(RadaltSC_ptr[i])) retired_.push_back(CORBA::Object::_duplicate(RadaltSC_ptr[i].in()));
  if (!CORBA::is_nil(RadaltSCInhouse_ptr[i]))
    retired_.push_back(CORBA::Object::_duplicate(RadaltSCInhouse_ptr[i].in()));
  RadaltSC_ptr[i] = main._retn();
  RadaltSCInhouse_ptr[i] = inhouse._retn();
  channelValid_[i] = !CORBA::is_nil(RadaltSC_ptr[i]);
  itemRefs_.Reset(channel, RadaltSC_ptr[i].in());
  return channelValid_[i];
}

void RADALT_MC::DiscoverSingleChannelEngines() {
  std::vector<std::string> mainNames = orbw_->FindChildContext(kScContext);
  std::vector<std::string> inhouseNames = orbw_->FindChildContext(kScInhouseContext);
  while (mainNames.empty()) {
    Sleep(config_.discoveryPollMs);
    mainNames = orbw_->FindChildContext(kScContext);
    inhouseNames = orbw_->FindChildContext(kScInhouseContext);
  }
  // Each engine goes to the entry of the channel it is bound as, the same place the
  // "create," command puts it; a name that is no channel number is skipped.
  std::sort(mainNames.begin(), mainNames.end());
  unsigned found = 0;
  for (const auto& name : mainNames) {
    const int channel = ChannelOf(name);
    if (channel == 0 || found == 3) continue;
    CORBA::Object_var obj = orbw_->LookupClient({"Lumaren", "local", "RADALTSC", name});
    SetChannelRefs(channel, obj);
    if (std::find(inhouseNames.begin(), inhouseNames.end(), name) != inhouseNames.end()) {
      CORBA::Object_var in = orbw_->LookupClient({"Lumaren", "local", "RADALTSC_INHOUSE", name});
      SCI::RADALTSC_INHOUSE_INTERFACE_var inhouse = SCI::RADALTSC_INHOUSE_INTERFACE::_narrow(in);
      std::unique_lock<std::shared_mutex> lock(registryMutex_);
      RadaltSCInhouse_ptr[static_cast<std::size_t>(channel - 1)] = inhouse._retn();
    }
    {
      std::unique_lock<std::shared_mutex> lock(registryMutex_);
      mainMap_[channel] = RadaltSC_ptr[static_cast<std::size_t>(channel - 1)].in();
      inhouseMap_[channel] = RadaltSCInhouse_ptr[static_cast<std::size_t>(channel - 1)].in();
    }
    ++found;
  }
  ApplyCounts(found, found);

  std::ostringstream main, inhouse;
  {
    std::shared_lock<std::shared_mutex> lock(registryMutex_);
    for (std::size_t i = 0; i < 3; ++i) {
      // a nil reference prints as 0
      main << (i ? ", " : "")
           << (CORBA::is_nil(RadaltSC_ptr[i]) ? nullptr : static_cast<const void*>(RadaltSC_ptr[i].in()));
      inhouse << (i ? ", " : "")
              << (CORBA::is_nil(RadaltSCInhouse_ptr[i]) ? nullptr
                                                       : static_cast<const void*>(RadaltSCInhouse_ptr[i].in()));
    }
  }
  std::cout << "Pointers to sc engines setup in RadaltSC_ptr and RadaltSCInhouse_ptr arrays" << std::endl;
  std::cout << "  main: [" << main.str() << "]" << std::endl;
  std::cout << "  inhouse: [" << inhouse.str() << "]" << std::endl;

  for (int channel = 1; channel <= 3; ++channel) {
    SCI::RADALTSC_MAIN_INTERFACE_ptr sc = ChannelRefOrNil(channel);
    if (CORBA::is_nil(sc)) continue;
    try {
      while (!sc->IsReady()) Sleep(config_.readyPollMs);
    } catch (const CORBA::Exception& e) {
      std::cerr << " RADALT_MC: channel " << channel << " engine does not answer (" << e._name() << ")"
                << std::endl;
    }
  }
}

void RADALT_MC::ApplyCounts(unsigned available, unsigned enabled) {
  {
    std::unique_lock<std::shared_mutex> lock(registryMutex_);
    availableCount_ = available;
    enabledCount_ = enabled;
  }
  try {
    if (noOfAvailableChannels_) noOfAvailableChannels_->NoOfAvailableChannelsCallback(static_cast<int>(available));
    if (noOfEnabledChannels_) noOfEnabledChannels_->NoOfEnabledChannelsCallback(static_cast<int>(enabled));
  } catch (const CORBA::UserException& e) {
    std::cerr << " RADALT_MC: channel counts not applied (" << e._name() << ")" << std::endl;
  }
}

// ---- registry ------------------------------------------------------------------------------

SCI::RADALTSC_MAIN_INTERFACE_ptr RADALT_MC::GetSingleChannelPtr(int channel) {
  if (channel < 1 || channel > 3)
    radalt::LogThrow(" RADALT_MC::GetSingleChannelPtr: throw Illegal channel",
                     Velmarin::Operation_errors::DataOutOfRangeException<int>(
                         "RADALT_MC::GetSingleChannelPtr - illegal channel index", 1, 3, channel));
  std::shared_lock<std::shared_mutex> lock(registryMutex_);
  SCI::RADALTSC_MAIN_INTERFACE_ptr p = RadaltSC_ptr[static_cast<std::size_t>(channel - 1)].in();
  if (CORBA::is_nil(p)) {
    lock.unlock();
    radalt::LogThrow(" RADALT_MC::GetSingleChannelPtr:throw Pointer is zero",
                     Velmarin::Operation_errors::NotConfigured("RADALT_MC::GetSingleChannelPtr - RadaltSC_ptr is zero"));
  }
  return p;
}

SCI::RADALTSC_INHOUSE_INTERFACE_ptr RADALT_MC::GetSingleChannelInhousePtr(int channel) {
  if (channel < 1 || channel > 3)
    radalt::LogThrow(" RADALT_MC::GetSingleChannelInhousePtr: throw Illegal channel",
                     Velmarin::Operation_errors::DataOutOfRangeException<int>(
                         "RADALT_MC::GetSingleChannelInhousePtr - illegal channel index", 1, 3, channel));
  std::shared_lock<std::shared_mutex> lock(registryMutex_);
  SCI::RADALTSC_INHOUSE_INTERFACE_ptr p = RadaltSCInhouse_ptr[static_cast<std::size_t>(channel - 1)].in();
  if (CORBA::is_nil(p)) {
    lock.unlock();
    radalt::LogThrow(" RADALT_MC::GetSingleChannelInhousePtr:throw Pointer is zero",
                     Velmarin::Operation_errors::NotConfigured(
                         "RADALT_MC::GetSingleChannelInhousePtr - RadaltSCInhouse_ptr is zero"));
  }
  return p;
}

bool RADALT_MC::GetSingleChannelIsLocal(int channel) {
  if (channel < 1 || channel > 3)
    radalt::LogThrow(" RADALT_MC::GetSingleChannelIsLocal:throw Illegal channel",
                     Velmarin::Operation_errors::DataOutOfRangeException<int>(
                         "RADALT_MC::GetSingleChannelIsLocal - illegal channel index", 1, 3, channel));
  std::shared_lock<std::shared_mutex> lock(registryMutex_);
  const std::size_t i = static_cast<std::size_t>(channel - 1);
  if (CORBA::is_nil(RadaltSC_ptr[i])) {
    lock.unlock();
    radalt::LogThrow(" RADALT_MC::GetSingleChannelIsLocal:throw Pointer is zero",
                     Velmarin::Operation_errors::NotConfigured("RADALT_MC::GetSingleChannelIsLocal - RadaltSC_ptr is zero"));
  }
  return channelValid_[i];
}

SCI::RADALTSC_MAIN_INTERFACE_ptr RADALT_MC::ChannelRefOrNil(int channel) const {
  if (channel < 1 || channel > 3) return SCI::RADALTSC_MAIN_INTERFACE::_nil();
  std::shared_lock<std::shared_mutex> lock(registryMutex_);
  return RadaltSC_ptr[static_cast<std::size_t>(channel - 1)].in();
}

bool RADALT_MC::HasChannelEngine(int channel) const {
  if (channel < 1 || channel > 3) return false;
  std::shared_lock<std::shared_mutex> lock(registryMutex_);
  return !CORBA::is_nil(RadaltSC_ptr[static_cast<std::size_t>(channel - 1)]);
}

unsigned RADALT_MC::AvailableCount() const {
  std::shared_lock<std::shared_mutex> lock(registryMutex_);
  return availableCount_;
}

unsigned RADALT_MC::EnabledCount() const {
  std::shared_lock<std::shared_mutex> lock(registryMutex_);
  return enabledCount_;
}

template <class F>
void RADALT_MC::ForEachRegisteredChannel(const char* method, F&& recall) {
  std::vector<bool> present;
  {
    std::shared_lock<std::shared_mutex> lock(registryMutex_);
    for (const auto& r : RadaltSC_ptr) present.push_back(!CORBA::is_nil(r));
  }
  for (std::size_t i = 0; i < present.size(); ++i) {
    if (!present[i]) continue;
    if (i >= 3) {
      const std::string text = std::string("RADALT_MC::") + method + " default";
      radalt::LogThrow(" RADALT_MC::" + std::string(method) + ":throw " + text,
                       Velmarin::Runtime_errors::Unhandled_switch(text.c_str()));
    }
    recall(static_cast<int>(i) + 1);
  }
}

void RADALT_MC::RecallMCSettings() {
  if (noOfAvailableChannels_) noOfAvailableChannels_->RecallNoOfAvailChans();
  if (noOfEnabledChannels_) noOfEnabledChannels_->RecallNoOfEnabledChans();
  if (slaveMode_) slaveMode_->RecallSlaveMode();
  if (coupledAltitudeSimulation_) coupledAltitudeSimulation_->RecallCoupledAltSim();
  if (calibration_) calibration_->RecallFactoryCalChan();
  if (rfConnection_) rfConnection_->RecallRfConnection();
  radalt::SimulationObjects& sim = *simulation_;
  if (sim.simulationMode) sim.simulationMode->RecallSimulationMode();
  ForEachRegisteredChannel("RecallMCSettings", [&](int ch) {
    if (auto* p = sim.Ramp<radalt::RampRole::StartAltitude>(ch)) p->Recall();
    if (auto* p = sim.Ramp<radalt::RampRole::StopAltitude>(ch)) p->Recall();
    if (auto* p = sim.Ramp<radalt::RampRole::Rate>(ch)) p->Recall();
    if (auto* p = sim.Ramp<radalt::RampRole::Duration>(ch)) p->Recall();
    if (auto* p = sim.AltSimName(ch)) p->Recall();
    if (auto* p = sim.Ramp<radalt::RampRole::CurrentAltitude>(ch)) p->Recall();
  });
}

void RADALT_MC::RecallMCProfile() {
  radalt::SimulationObjects& sim = *simulation_;
  if (sim.altSimTotalDuration) sim.altSimTotalDuration->RecallAltSimTotalDuration();
  ForEachRegisteredChannel("RecallMCProfile", [&](int ch) {
    if (auto* p = sim.AltSimData(ch)) p->Recall();
  });
}

void RADALT_MC::AddChannelBoundClass(std::vector<radalt::ChannelBound*> perChannel) {
  std::lock_guard<std::recursive_mutex> change(registryChangeMutex_);
  channelBound_.push_back(std::move(perChannel));
}

void RADALT_MC::AddRadAltSc(int channel) {
  std::lock_guard<std::recursive_mutex> change(registryChangeMutex_);
  unsigned available, enabled;
  bool known;
  SCI::RADALTSC_MAIN_INTERFACE_ptr main;
  std::vector<SCI::RADALTSC_MAIN_INTERFACE_ptr> refs;
  {
    std::unique_lock<std::shared_mutex> lock(registryMutex_);
    const std::size_t i = static_cast<std::size_t>(channel - 1);
    main = RadaltSC_ptr.at(i).in();
    known = mainMap_.count(channel) != 0;
    // A channel announced again (its engine restarted) refreshes its references but is
    // counted once only.
    mainMap_[channel] = main;
    inhouseMap_[channel] = RadaltSCInhouse_ptr.at(i).in();
    if (!known) {
      ++availableCount_;
      ++enabledCount_;
    }
    available = availableCount_;
    enabled = enabledCount_;
    for (auto& r : RadaltSC_ptr) refs.push_back(r.in());
  }
  if (!known && noOfAvailableChannels_ && noOfEnabledChannels_) {
    noOfAvailableChannels_->NoOfAvailableChannelsCallback(static_cast<int>(available));
    noOfEnabledChannels_->NoOfEnabledChannelsCallback(static_cast<int>(enabled));
  }
  Velmarin::GUI_Able_var gui = gui_->_this();
  main->RegisterGui(gui);
  updateAttributeData(available, enabled, refs);
}

void RADALT_MC::RemoveRadAltSc(int channel) {
  std::lock_guard<std::recursive_mutex> change(registryChangeMutex_);
  unsigned available, enabled;
  std::vector<SCI::RADALTSC_MAIN_INTERFACE_ptr> refs;
  {
    std::unique_lock<std::shared_mutex> lock(registryMutex_);
    // A removed reference is kept alive with the retired ones: a parameter object on another
    // thread may still be using the pointer it was lent.
    auto in = inhouseMap_.find(channel);
    if (in != inhouseMap_.end()) {
      inhouseMap_.erase(in);
      auto& ref = RadaltSCInhouse_ptr.at(static_cast<std::size_t>(channel - 1));
      if (!CORBA::is_nil(ref)) retired_.push_back(CORBA::Object::_duplicate(ref.in()));
      ref = SCI::RADALTSC_INHOUSE_INTERFACE::_nil();
    } else {
      std::cout << "RADALT_MC::RemoveRadAltSc Error: " << channel << " could not be found in inhouse map!" << std::endl;
    }
    auto m = mainMap_.find(channel);
    if (m == mainMap_.end()) {
      std::cout << "RADALT_MC::RemoveRadAltSc Error: " << channel << " could not be found in main map!" << std::endl;
      return;
    }
    mainMap_.erase(m);
    const std::size_t i = static_cast<std::size_t>(channel - 1);
    if (!CORBA::is_nil(RadaltSC_ptr.at(i))) retired_.push_back(CORBA::Object::_duplicate(RadaltSC_ptr[i].in()));
    RadaltSC_ptr[i] = SCI::RADALTSC_MAIN_INTERFACE::_nil();
    itemRefs_.Reset(channel, RadaltSC_ptr[i].in());
    channelValid_[i] = false;
    // Counts never wrap below zero.
    if (availableCount_ > 0) --availableCount_;
    if (enabledCount_ > 0) --enabledCount_;
    available = availableCount_;
    enabled = enabledCount_;
    for (auto& r : RadaltSC_ptr) refs.push_back(r.in());
  }
  if (noOfAvailableChannels_ && noOfEnabledChannels_) {
    noOfAvailableChannels_->NoOfAvailableChannelsCallback(static_cast<int>(available));
    noOfEnabledChannels_->NoOfEnabledChannelsCallback(static_cast<int>(enabled));
  }
  updateAttributeData(available, enabled, refs);
}

void RADALT_MC::updateAttributeData(unsigned available, unsigned enabled,
                                    const std::vector<SCI::RADALTSC_MAIN_INTERFACE_ptr>& refs) {
  std::vector<std::vector<radalt::ChannelBound*>> classes;
  {
    std::lock_guard<std::recursive_mutex> change(registryChangeMutex_);
    classes = channelBound_;
  }
  for (const auto& perChannel : classes)
    for (std::size_t i = 0; i < perChannel.size(); ++i)
      if (perChannel[i]) perChannel[i]->updateChannelData(available, enabled, refs.at(i));
}

void RADALT_MC::RadAltDDS_SubCallback(const char* topic, const char* text) {
  const std::string command = text ? text : "";
  // The number is read from the characters after the comma, as atoi reads it.
  auto numberAfterComma = [&]() { return std::atoi(command.c_str() + command.find(',') + 1); };
  if (command.rfind("create,", 0) == 0) {
    bool ok = false;
    try {
      // Only channels 1 to 3 have places in the registry.
      const int n = numberAfterComma();
      if (n >= 1 && n <= 3) {
        for (const auto& name : orbw_->FindChildContext(kScContext)) {
          if (std::atoi(name.c_str()) != n) continue;
          CORBA::Object_var obj = orbw_->LookupClient({"Lumaren", "local", "RADALTSC", name});
          std::lock_guard<std::recursive_mutex> change(registryChangeMutex_);
          if (!SetChannelRefs(n, obj)) {
            std::cout << " RADALT_MC::RadAltDDS_SubCallback:throw 1" << std::endl;
            break;
          }
          AddRadAltSc(n);
          ok = true;
          break;
        }
      }
    } catch (const CORBA::Exception& e) {
      std::cerr << "RADALT_MC::RadAltDDS_SubCallback: " << command << ": " << e._name() << std::endl;
      ok = false;
    } catch (...) {
      ok = false;
    }
    if (!ok)
      std::cout << "RADALT_MC::RadAltDDS_SubCallback: Create RadAltSc, " << command << " is not a valid radaltsc"
                << std::endl;
  } else if (command.rfind("destroy,", 0) == 0) {
    try {
      RemoveRadAltSc(numberAfterComma());
    } catch (...) {
      std::cout << "RADALT_MC::RadAltDDS_SubCallback: Remove RadAltSc, " << command << " is not a valid radaltsc"
                << std::endl;
    }
  } else {
    std::cout << "RADALT_MC::RadAltDDS_SubCallback: " << command << " is not a valid command" << std::endl;
  }
}
