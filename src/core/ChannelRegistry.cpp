#include "ChannelRegistry.h"

#include <iostream>

#include "Exceptions.h"

namespace radalt {

ChannelRegistry::ChannelRegistry() : main_(3), inhouse_(3), valid_(3, false) {}
ChannelRegistry::~ChannelRegistry() { Clear(); }

SCI::RADALTSC_MAIN_INTERFACE_ptr ChannelRegistry::GetSingleChannelPtr(int channel) {
  if (channel < 1 || channel > 3)
    LogThrow(" RADALT_MC::GetSingleChannelPtr: throw Illegal channel",
             Velmarin::Operation_errors::DataOutOfRangeException<int>(
                 "RADALT_MC::GetSingleChannelPtr - illegal channel index", 1, 3, channel));
  std::shared_lock<std::shared_mutex> lock(mutex_);
  SCI::RADALTSC_MAIN_INTERFACE_ptr p = main_[static_cast<std::size_t>(channel - 1)].in();
  if (CORBA::is_nil(p)) {
    lock.unlock();
    LogThrow(" RADALT_MC::GetSingleChannelPtr:throw Pointer is zero",
             Velmarin::Operation_errors::NotConfigured("RADALT_MC::GetSingleChannelPtr - RadaltSC_ptr is zero"));
  }
  return p;
}

SCI::RADALTSC_INHOUSE_INTERFACE_ptr ChannelRegistry::GetSingleChannelInhousePtr(int channel) {
  if (channel < 1 || channel > 3)
    LogThrow(" RADALT_MC::GetSingleChannelInhousePtr: throw Illegal channel",
             Velmarin::Operation_errors::DataOutOfRangeException<int>(
                 "RADALT_MC::GetSingleChannelInhousePtr - illegal channel index", 1, 3, channel));
  std::shared_lock<std::shared_mutex> lock(mutex_);
  SCI::RADALTSC_INHOUSE_INTERFACE_ptr p = inhouse_[static_cast<std::size_t>(channel - 1)].in();
  if (CORBA::is_nil(p)) {
    lock.unlock();
    LogThrow(" RADALT_MC::GetSingleChannelInhousePtr:throw Pointer is zero",
             Velmarin::Operation_errors::NotConfigured(
                 "RADALT_MC::GetSingleChannelInhousePtr - RadaltSCInhouse_ptr is zero"));
  }
  return p;
}

bool ChannelRegistry::GetSingleChannelIsLocal(int channel) {
  if (channel < 1 || channel > 3)
    LogThrow(" RADALT_MC::GetSingleChannelIsLocal:throw Illegal channel",
             Velmarin::Operation_errors::DataOutOfRangeException<int>(
                 "RADALT_MC::GetSingleChannelIsLocal - illegal channel index", 1, 3, channel));
  std::shared_lock<std::shared_mutex> lock(mutex_);
  const std::size_t i = static_cast<std::size_t>(channel - 1);
  if (CORBA::is_nil(main_[i])) {
    lock.unlock();
    LogThrow(" RADALT_MC::GetSingleChannelIsLocal:throw Pointer is zero",
             Velmarin::Operation_errors::NotConfigured("RADALT_MC::GetSingleChannelIsLocal - RadaltSC_ptr is zero"));
  }
  return valid_[i];
}

SCI::RADALTSC_MAIN_INTERFACE_ptr ChannelRegistry::RefOrNil(int channel) const {
  if (channel < 1 || channel > 3) return SCI::RADALTSC_MAIN_INTERFACE::_nil();
  std::shared_lock<std::shared_mutex> lock(mutex_);
  return main_[static_cast<std::size_t>(channel - 1)].in();
}

bool ChannelRegistry::HasChannelEngine(int channel) const { return !CORBA::is_nil(RefOrNil(channel)); }

unsigned ChannelRegistry::AvailableCount() const {
  std::shared_lock<std::shared_mutex> lock(mutex_);
  return availableCount_;
}

unsigned ChannelRegistry::EnabledCount() const {
  std::shared_lock<std::shared_mutex> lock(mutex_);
  return enabledCount_;
}

unsigned long ChannelRegistry::Generation(int channel) const {
  if (channel < 1 || channel > 3) return 0;
  std::shared_lock<std::shared_mutex> lock(mutex_);
  return generation_[static_cast<std::size_t>(channel - 1)];
}

ChannelRegistry::Snapshot ChannelRegistry::Current() const {
  std::shared_lock<std::shared_mutex> lock(mutex_);
  Snapshot s;
  s.available = availableCount_;
  s.enabled = enabledCount_;
  for (std::size_t i = 0; i < 3; ++i) s.refs[i] = main_[i].in();
  return s;
}

bool ChannelRegistry::Install(int channel, CORBA::Object_ptr obj) {
  SCI::RADALTSC_MAIN_INTERFACE_var main = SCI::RADALTSC_MAIN_INTERFACE::_narrow(obj);
  SCI::RADALTSC_INHOUSE_INTERFACE_var inhouse = SCI::RADALTSC_INHOUSE_INTERFACE::_narrow(obj);
  std::unique_lock<std::shared_mutex> lock(mutex_);
  const std::size_t i = static_cast<std::size_t>(channel - 1);
  if (!CORBA::is_nil(main_[i])) retired_.push_back(CORBA::Object::_duplicate(main_[i].in()));
  if (!CORBA::is_nil(inhouse_[i])) retired_.push_back(CORBA::Object::_duplicate(inhouse_[i].in()));
  main_[i] = main._retn();
  inhouse_[i] = inhouse._retn();
  valid_[i] = !CORBA::is_nil(main_[i]);
  ++generation_[i];
  itemRefs_.Reset(channel, main_[i].in());
  return valid_[i];
}

void ChannelRegistry::InstallInhouse(int channel, SCI::RADALTSC_INHOUSE_INTERFACE_ptr inhouse) {
  std::unique_lock<std::shared_mutex> lock(mutex_);
  auto& slot = inhouse_[static_cast<std::size_t>(channel - 1)];
  if (!CORBA::is_nil(slot)) retired_.push_back(CORBA::Object::_duplicate(slot.in()));
  slot = SCI::RADALTSC_INHOUSE_INTERFACE::_duplicate(inhouse);
}

ChannelRegistry::Snapshot ChannelRegistry::Register(int channel, bool& known) {
  std::unique_lock<std::shared_mutex> lock(mutex_);
  const std::size_t i = static_cast<std::size_t>(channel - 1);
  known = mainMap_.count(channel) != 0;
  mainMap_[channel] = main_.at(i).in();
  inhouseMap_[channel] = inhouse_.at(i).in();
  if (!known) {
    ++availableCount_;
    ++enabledCount_;
  }
  Snapshot s;
  s.available = availableCount_;
  s.enabled = enabledCount_;
  for (std::size_t c = 0; c < 3; ++c) s.refs[c] = main_[c].in();
  return s;
}

bool ChannelRegistry::Unregister(int channel, Snapshot& after) {
  std::unique_lock<std::shared_mutex> lock(mutex_);
  // A removed reference is kept alive with the retired ones: a parameter object on another
  // thread may still be using the pointer it was lent.
  auto in = inhouseMap_.find(channel);
  if (in != inhouseMap_.end()) {
    inhouseMap_.erase(in);
    auto& ref = inhouse_.at(static_cast<std::size_t>(channel - 1));
    if (!CORBA::is_nil(ref)) retired_.push_back(CORBA::Object::_duplicate(ref.in()));
    ref = SCI::RADALTSC_INHOUSE_INTERFACE::_nil();
  } else {
    std::cout << "RADALT_MC::RemoveRadAltSc Error: " << channel << " could not be found in inhouse map!" << std::endl;
  }
  auto m = mainMap_.find(channel);
  if (m == mainMap_.end()) {
    std::cout << "RADALT_MC::RemoveRadAltSc Error: " << channel << " could not be found in main map!" << std::endl;
    return false;
  }
  mainMap_.erase(m);
  const std::size_t i = static_cast<std::size_t>(channel - 1);
  if (!CORBA::is_nil(main_.at(i))) retired_.push_back(CORBA::Object::_duplicate(main_[i].in()));
  main_[i] = SCI::RADALTSC_MAIN_INTERFACE::_nil();
  valid_[i] = false;
  ++generation_[i];
  itemRefs_.Reset(channel, main_[i].in());
  // Counts never wrap below zero.
  if (availableCount_ > 0) --availableCount_;
  if (enabledCount_ > 0) --enabledCount_;
  after.available = availableCount_;
  after.enabled = enabledCount_;
  for (std::size_t c = 0; c < 3; ++c) after.refs[c] = main_[c].in();
  return true;
}

void ChannelRegistry::SetCounts(unsigned available, unsigned enabled) {
  std::unique_lock<std::shared_mutex> lock(mutex_);
  availableCount_ = available;
  enabledCount_ = enabled;
}

void ChannelRegistry::Clear() {
  std::unique_lock<std::shared_mutex> lock(mutex_);
  mainMap_.clear();
  inhouseMap_.clear();
  for (auto& r : main_) r = SCI::RADALTSC_MAIN_INTERFACE::_nil();
  for (auto& r : inhouse_) r = SCI::RADALTSC_INHOUSE_INTERFACE::_nil();
  // The kept items go before the engines they were kept for.
  for (int channel = 1; channel <= 3; ++channel) itemRefs_.Reset(channel, SCI::RADALTSC_MAIN_INTERFACE::_nil());
  retired_.clear();
}

void ChannelRegistry::AddChannelBoundClass(std::vector<ChannelBound*> perChannel) {
  std::lock_guard<std::recursive_mutex> change(changeMutex_);
  channelBound_.push_back(std::move(perChannel));
}

void ChannelRegistry::TellChannelBound(const Snapshot& s) {
  std::vector<std::vector<ChannelBound*>> classes;
  {
    std::lock_guard<std::recursive_mutex> change(changeMutex_);
    classes = channelBound_;
  }
  for (const auto& perChannel : classes)
    for (std::size_t i = 0; i < perChannel.size() && i < 3; ++i)
      if (perChannel[i]) perChannel[i]->updateChannelData(s.available, s.enabled, s.refs[i]);
}

}  // namespace radalt
