#include "ChannelRegistry.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <thread>

#include "Exceptions.h"
#include "platform/Orb.h"

namespace radalt {

namespace {

// A call on a channel engine's main reference that got no answer: the registry looks at the
// engine now. The ORB's own choice (retry only a forwarded reference that failed) is kept.
struct Unanswered {
  static CORBA::Boolean Transient(void* cookie, CORBA::ULong retries, const CORBA::TRANSIENT& e) {
    if (e.minor() == omni::TRANSIENT_FailedOnForwarded && retries == 0) return true;
    Tell(cookie);
    return false;
  }
  static CORBA::Boolean Timeout(void* cookie, CORBA::ULong, const CORBA::TIMEOUT&) {
    Tell(cookie);
    return false;
  }
  static CORBA::Boolean CommFailure(void* cookie, CORBA::ULong, const CORBA::COMM_FAILURE&) {
    Tell(cookie);
    return false;
  }
  static CORBA::Boolean System(void* cookie, CORBA::ULong, const CORBA::SystemException& e) {
    if (CORBA::OBJECT_NOT_EXIST::_downcast(&e)) Tell(cookie);
    return false;
  }
  static void Tell(void* cookie) {
    auto* c = static_cast<std::pair<ChannelRegistry*, int>*>(cookie);
    c->first->Suspect(c->second);
  }
};

}  // namespace

ChannelRegistry::ChannelRegistry() : main_(3), inhouse_(3), valid_(3, false) {
  for (int channel = 1; channel <= 3; ++channel) handlerCookies_[static_cast<std::size_t>(channel - 1)] = {this, channel};
  itemRefs_.OnUnanswered([this](int channel) { Suspect(channel); });
}
ChannelRegistry::~ChannelRegistry() {
  StopLiveness();
  Clear();
}

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

unsigned ChannelRegistry::EnableableCount() const {
  std::shared_lock<std::shared_mutex> lock(mutex_);
  return EnableableLocked();
}

unsigned ChannelRegistry::EnableableLocked(int without, int with) const {
  unsigned n = 0;
  for (int channel = 1; channel <= 3; ++channel) {
    const bool registered = channel == with || (channel != without && mainMap_.count(channel) != 0);
    if (!registered) break;
    ++n;
  }
  return n;
}

unsigned ChannelRegistry::EnabledOnceRegistered(int channel) const {
  std::shared_lock<std::shared_mutex> lock(mutex_);
  const unsigned after = EnableableLocked(0, channel);
  // A user who works with every channel that can be enabled works with the new one too.
  const unsigned wanted = wantedEnabled_ >= EnableableLocked() ? std::max(wantedEnabled_, after) : wantedEnabled_;
  return std::min(wanted, after);
}

unsigned ChannelRegistry::EnabledOnceUnregistered(int channel) const {
  std::shared_lock<std::shared_mutex> lock(mutex_);
  return std::min(enabledCount_, EnableableLocked(channel, 0));
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
  if (!CORBA::is_nil(main_[i])) RetireLocked(main_[i].in());
  if (!CORBA::is_nil(inhouse_[i])) RetireLocked(inhouse_[i].in());
  if (!CORBA::is_nil(main)) {
    // A call on it that gets no answer brings the next look at the engine forward.
    void* cookie = &handlerCookies_[i];
    omniORB::installTransientExceptionHandler(main.in(), cookie, &Unanswered::Transient);
    omniORB::installTimeoutExceptionHandler(main.in(), cookie, &Unanswered::Timeout);
    omniORB::installCommFailureExceptionHandler(main.in(), cookie, &Unanswered::CommFailure);
    omniORB::installSystemExceptionHandler(main.in(), cookie, &Unanswered::System);
  }
  main_[i] = main._retn();
  inhouse_[i] = inhouse._retn();
  {
    // A new engine of the channel: the one taken out for silence is no longer waited for.
    std::lock_guard<std::mutex> watch(livenessMutex_);
    silentLost_[i] = CORBA::Object::_nil();
    unsure_[i] = false;
  }
  valid_[i] = !CORBA::is_nil(main_[i]);
  ++generation_[i];
  itemRefs_.Reset(channel, main_[i].in());
  return valid_[i];
}

void ChannelRegistry::InstallInhouse(int channel, SCI::RADALTSC_INHOUSE_INTERFACE_ptr inhouse) {
  std::unique_lock<std::shared_mutex> lock(mutex_);
  auto& slot = inhouse_[static_cast<std::size_t>(channel - 1)];
  if (!CORBA::is_nil(slot)) RetireLocked(slot.in());
  slot = SCI::RADALTSC_INHOUSE_INTERFACE::_duplicate(inhouse);
}

ChannelRegistry::Snapshot ChannelRegistry::Register(int channel, unsigned enabled, bool& known) {
  std::unique_lock<std::shared_mutex> lock(mutex_);
  const std::size_t i = static_cast<std::size_t>(channel - 1);
  known = mainMap_.count(channel) != 0;
  mainMap_[channel] = main_.at(i).in();
  inhouseMap_[channel] = inhouse_.at(i).in();
  if (!known) ++availableCount_;
  enabledCount_ = std::min(enabled, EnableableLocked());
  wantedEnabled_ = std::max(wantedEnabled_, enabledCount_);
  Snapshot s;
  s.available = availableCount_;
  s.enabled = enabledCount_;
  for (std::size_t c = 0; c < 3; ++c) s.refs[c] = main_[c].in();
  return s;
}

bool ChannelRegistry::Unregister(int channel, unsigned enabled, Snapshot& after) {
  std::unique_lock<std::shared_mutex> lock(mutex_);
  // A removed reference is kept alive with the retired ones: a parameter object on another
  // thread may still be using the pointer it was lent.
  auto in = inhouseMap_.find(channel);
  if (in != inhouseMap_.end()) {
    inhouseMap_.erase(in);
    auto& ref = inhouse_.at(static_cast<std::size_t>(channel - 1));
    if (!CORBA::is_nil(ref)) RetireLocked(ref.in());
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
  if (!CORBA::is_nil(main_.at(i))) RetireLocked(main_[i].in());
  main_[i] = SCI::RADALTSC_MAIN_INTERFACE::_nil();
  valid_[i] = false;
  ++generation_[i];
  itemRefs_.Reset(channel, main_[i].in());
  // Counts never wrap below zero.
  if (availableCount_ > 0) --availableCount_;
  enabledCount_ = std::min(enabled, EnableableLocked());
  after.available = availableCount_;
  after.enabled = enabledCount_;
  for (std::size_t c = 0; c < 3; ++c) after.refs[c] = main_[c].in();
  return true;
}

void ChannelRegistry::SetCounts(unsigned available, unsigned enabled) {
  std::unique_lock<std::shared_mutex> lock(mutex_);
  availableCount_ = available;
  wantedEnabled_ = enabled;
  enabledCount_ = std::min(enabled, EnableableLocked());
}

ChannelRegistry::Snapshot ChannelRegistry::SetEnabled(unsigned enabled) {
  std::unique_lock<std::shared_mutex> lock(mutex_);
  wantedEnabled_ = enabled;
  enabledCount_ = std::min(enabled, EnableableLocked());
  Snapshot s;
  s.available = availableCount_;
  s.enabled = enabledCount_;
  for (std::size_t c = 0; c < 3; ++c) s.refs[c] = main_[c].in();
  return s;
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
  std::lock_guard<std::mutex> watch(livenessMutex_);
  for (auto& r : silentLost_) r = CORBA::Object::_nil();
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

// ---- liveness ------------------------------------------------------------------------------

void ChannelRegistry::StartLiveness(unsigned intervalMs, unsigned misses, LostEngine lost) {
  StopLiveness();
  {
    std::lock_guard<std::mutex> lock(livenessMutex_);
    livenessStop_ = false;
  }
  liveness_ = std::thread(&ChannelRegistry::LivenessLoop, this, intervalMs, misses, std::move(lost));
}

void ChannelRegistry::StopLiveness() {
  {
    std::lock_guard<std::mutex> lock(livenessMutex_);
    livenessStop_ = true;
  }
  livenessWake_.notify_all();
  if (liveness_.joinable()) liveness_.join();
}

void ChannelRegistry::Suspect(int channel) {
  if (channel < 1 || channel > 3) return;
  {
    std::lock_guard<std::mutex> lock(livenessMutex_);
    suspected_[static_cast<std::size_t>(channel - 1)] = true;
    unsure_[static_cast<std::size_t>(channel - 1)] = true;
  }
  livenessWake_.notify_all();
}
void ChannelRegistry::OnAnsweredAgain(AnsweredAgain answered) {
  std::lock_guard<std::mutex> lock(livenessMutex_);
  answered_ = std::move(answered);
}
void ChannelRegistry::OnCameBack(CameBack back) {
  std::lock_guard<std::mutex> lock(livenessMutex_);
  back_ = std::move(back);
}
std::size_t ChannelRegistry::Retired() const {
  std::shared_lock<std::shared_mutex> lock(mutex_);
  return retired_.size();
}
void ChannelRegistry::RetireLocked(CORBA::Object_ptr ref) {
  retired_.push_back(CORBA::Object::_duplicate(ref));
  while (retired_.size() > kKeptRetired) retired_.pop_front();
}

void ChannelRegistry::LivenessLoop(unsigned intervalMs, unsigned misses, LostEngine lost) {
  std::array<unsigned, 3> silent{};
  std::array<unsigned long, 3> reported{};  // the generation last reported lost, per channel
  for (;;) {
    std::array<bool, 3> unsure{};
    AnsweredAgain answered;
    CameBack back;
    std::array<CORBA::Object_var, 3> watched;
    {
      std::unique_lock<std::mutex> lock(livenessMutex_);
      auto anySuspected = [&] { return suspected_[0] || suspected_[1] || suspected_[2]; };
      livenessWake_.wait_for(lock, std::chrono::milliseconds(intervalMs),
                             [&] { return livenessStop_ || anySuspected(); });
      if (livenessStop_) return;
      suspected_ = {};
      unsure = unsure_;
      answered = answered_;
      back = back_;
      for (std::size_t i = 0; i < 3; ++i) watched[i] = CORBA::Object::_duplicate(silentLost_[i].in());
    }
    for (int channel = 1; channel <= 3; ++channel) {
      const std::size_t i = static_cast<std::size_t>(channel - 1);
      SCI::RADALTSC_MAIN_INTERFACE_ptr engine;
      unsigned long generation;
      bool registered;
      {
        std::shared_lock<std::shared_mutex> lock(mutex_);
        registered = mainMap_.count(channel) != 0;
        // Lent: a reference replaced meanwhile stays alive among the retired ones.
        engine = main_[i].in();
        generation = generation_[i];
      }
      if (!registered) {
        // An engine taken out that answers again is offered back; one that has not answered
        // for kWatchLooks looks is given up.
        if (CORBA::is_nil(watched[i])) continue;
        const bool answers = Velmarin::Probe(watched[i].in()) == Velmarin::Liveness::Answers;
        {
          std::lock_guard<std::mutex> lock(livenessMutex_);
          if (livenessStop_) return;
          if (silentLost_[i].in() != watched[i].in()) continue;  // another engine came meanwhile
          if (answers || --watchLooksLeft_[i] == 0) silentLost_[i] = CORBA::Object::_nil();
        }
        if (answers && back) back(channel, watched[i].in());
        continue;
      }
      if (CORBA::is_nil(engine) || reported[i] == generation) continue;
      Velmarin::Liveness l = Velmarin::Probe(engine);
      if (l == Velmarin::Liveness::Gone) {
        // A host too busy to accept a connection at once looks like a process that has gone:
        // it is looked at once more before it counts as gone.
        std::this_thread::sleep_for(std::chrono::milliseconds(kGoneRecheckMs));
        l = Velmarin::Probe(engine);
      }
      if (l == Velmarin::Liveness::Answers) {
        silent[i] = 0;
        if (unsure[i]) {
          {
            std::lock_guard<std::mutex> lock(livenessMutex_);
            unsure_[i] = false;
          }
          // It did not answer a call before: what it holds is read again.
          if (answered) answered(channel);
        }
        continue;
      }
      if (l == Velmarin::Liveness::Silent && ++silent[i] < misses) continue;
      silent[i] = 0;
      reported[i] = generation;
      {
        std::lock_guard<std::mutex> lock(livenessMutex_);
        if (livenessStop_) return;
        // Stopped, too busy to answer, or only unreachable for a while is not always gone:
        // it is watched, and taken again if it answers while its channel has no engine.
        silentLost_[i] = CORBA::Object::_duplicate(engine);
        watchLooksLeft_[i] = kWatchLooks;
        unsure_[i] = false;
      }
      lost(channel, generation);
    }
  }
}

}  // namespace radalt
