// The channel engines found at start-up and followed as they come and go: the registry
// (core/ChannelRegistry) keeps them and the counts; here they are discovered, announced
// commands are handled, and the subsystems are told.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "ChannelWideItems.h"
#include "DDS_ChannelCommand.h"
#include "DDS_Strand.h"
#include "Exceptions.h"
#include "RADALT_MC.h"
#include "RecallScope.h"
#include "platform/Orb.h"

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

// How often the wait for channel 1's engine says again what it waits for.
constexpr std::chrono::milliseconds kWaitTellPeriod(10000);

// The master control cannot be built: the host reports the text and ends.
[[noreturn]] void StartUpError(const std::string& text) {
  std::cout << " RADALT_MC: " << text << std::endl;
  throw std::runtime_error(text);
}

}  // namespace

// ---- discovery -----------------------------------------------------------------------------

void RADALT_MC::DiscoverSingleChannelEngines() {
  std::vector<std::string> mainNames, inhouseNames;
  // The master control takes its start-up values and enumerations from channel 1's engine:
  // it waits for one that answers, engines of other channels alone are not enough. A name
  // left behind by an engine whose process has gone counts as no engine. What it waits for
  // is said at once, when it changes and every kWaitTellPeriod; after startWaitMs it gives up.
  const auto begin = std::chrono::steady_clock::now();
  const auto deadline = begin + std::chrono::milliseconds(config_.startWaitMs);
  auto nextTell = begin;
  std::string told;
  for (;;) {
    std::string state;
    try {
      mainNames = orbw_->FindChildContext(kScContext);
      inhouseNames = orbw_->FindChildContext(kScInhouseContext);
      std::sort(mainNames.begin(), mainNames.end());
      std::string others, channel1;
      for (const auto& name : mainNames) {
        const int channel = ChannelOf(name);
        if (channel == 1) channel1 = name;
        else if (channel != 0) others += (others.empty() ? "" : ", ") + std::to_string(channel);
      }
      const bool named = !channel1.empty();
      if (named) {
        CORBA::Object_var obj = orbw_->LookupClient({"Lumaren", "local", "RADALTSC", channel1});
        if (Velmarin::Probe(obj) != Velmarin::Liveness::Gone) break;
      }
      state = std::string(named ? "named but gone; " : "") +
              (others.empty() ? (named ? "no other engine found" : "no engine found yet") : "engines found: " + others);
    } catch (const CORBA::TRANSIENT&) {
      state = "naming service not reachable";
    } catch (const CORBA::COMM_FAILURE&) {
      state = "naming service not reachable";
    } catch (const CORBA::TIMEOUT&) {
      state = "naming service not reachable";
    } catch (const CosNaming::NamingContext::NotFound&) {
      state = "named but gone";  // unbound between the list and the look-up
    } catch (const CORBA::BAD_INV_ORDER&) {
      // the ORB is shut down: the host is stopping
      StartUpError("stopped while waiting for the engine of channel 1");
    } catch (const CORBA::Exception& e) {
      StartUpError(std::string("the engine of channel 1 could not be looked for (") + e._name() +
                   "): the master control cannot start without it");
    }
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) {
      const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(now - begin).count();
      std::ostringstream text;
      text << "the engine of channel 1 is not registered after " << (waited + 500) / 1000 << " s (" << state
           << "): the master control cannot start without it; its start-up values come from channel 1's engine";
      StartUpError(text.str());
    }
    if (state != told || now >= nextTell) {
      std::cout << " RADALT_MC: waiting for the engine of channel 1 (" << state << ")" << std::endl;
      told = state;
      nextTell = now + kWaitTellPeriod;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
    Sleep(static_cast<unsigned>(std::min<long long>(config_.discoveryPollMs, left)));
  }
  // Each engine goes to the entry of the channel it is bound as, the same place the
  // "create," command puts it; a name that is no channel number is skipped.
  unsigned found = 0;
  {
    std::lock_guard<std::recursive_mutex> change(registry_.ChangeMutex());
    for (const auto& name : mainNames) {
      const int channel = ChannelOf(name);
      if (channel == 0 || found == 3) continue;
      CORBA::Object_var obj = orbw_->LookupClient({"Lumaren", "local", "RADALTSC", name});
      // A name left behind by an engine whose process has gone is no engine: it is left out
      // (a new process announces itself) instead of failing the start-up on its first call.
      if (Velmarin::Probe(obj) == Velmarin::Liveness::Gone) {
        std::cout << " RADALT_MC: channel " << channel << " engine named but gone; left out" << std::endl;
        continue;
      }
      registry_.Install(channel, obj);
      if (std::find(inhouseNames.begin(), inhouseNames.end(), name) != inhouseNames.end()) {
        CORBA::Object_var in = orbw_->LookupClient({"Lumaren", "local", "RADALTSC_INHOUSE", name});
        SCI::RADALTSC_INHOUSE_INTERFACE_var inhouse = SCI::RADALTSC_INHOUSE_INTERFACE::_narrow(in);
        registry_.InstallInhouse(channel, inhouse.in());
      }
      bool known = false;
      registry_.Register(channel, 0, known);
      ++found;
    }
  }
  if (!registry_.HasChannelEngine(1))
    StartUpError("the engine of channel 1 went during start-up: the master control cannot start without it");
  ApplyCounts(found, found);

  std::ostringstream main, inhouse;
  for (int channel = 1; channel <= 3; ++channel) {
    SCI::RADALTSC_MAIN_INTERFACE_ptr m = registry_.RefOrNil(channel);
    // a nil reference prints as 0
    main << (channel > 1 ? ", " : "") << (CORBA::is_nil(m) ? nullptr : static_cast<const void*>(m));
    SCI::RADALTSC_INHOUSE_INTERFACE_ptr in =
        registry_.HasChannelEngine(channel) ? registry_.GetSingleChannelInhousePtr(channel)
                                            : SCI::RADALTSC_INHOUSE_INTERFACE::_nil();
    inhouse << (channel > 1 ? ", " : "") << (CORBA::is_nil(in) ? nullptr : static_cast<const void*>(in));
  }
  std::cout << "Pointers to sc engines setup in RadaltSC_ptr and RadaltSCInhouse_ptr arrays" << std::endl;
  std::cout << "  main: [" << main.str() << "]" << std::endl;
  std::cout << "  inhouse: [" << inhouse.str() << "]" << std::endl;

  for (int channel = 1; channel <= 3; ++channel) {
    SCI::RADALTSC_MAIN_INTERFACE_ptr sc = registry_.RefOrNil(channel);
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
  std::lock_guard<std::recursive_mutex> change(registry_.ChangeMutex());
  registry_.SetCounts(available, enabled);
  TellChannelsChanged(registry_.Current());
}

void RADALT_MC::ApplyEnabledCount(unsigned enabled) {
  std::lock_guard<std::recursive_mutex> change(registry_.ChangeMutex());
  const radalt::ChannelRegistry::Snapshot s = registry_.SetEnabled(enabled);
  TellChannelsChanged(s);
  registry_.TellChannelBound(s);
}

void RADALT_MC::TellChannelsChanged(const radalt::ChannelRegistry::Snapshot& s) {
  // Every subsystem hears of the change, whatever another one made of it.
  for (auto& subsystem : subsystems_) {
    try {
      subsystem->ChannelsChanged(s.available, s.enabled);
    } catch (const CORBA::Exception& e) {
      std::cerr << " RADALT_MC: " << subsystem->Name() << " did not follow the channel counts (" << e._name() << ")"
                << std::endl;
    } catch (const std::exception& e) {
      std::cerr << " RADALT_MC: " << subsystem->Name() << " did not follow the channel counts (" << e.what() << ")"
                << std::endl;
    }
  }
}

bool RADALT_MC::PrepareEnabledChange(unsigned from, unsigned to, bool forced) {
  if (from == to) return true;
  auto* change = Find<radalt::EnabledCountChange>();
  if (!change) return true;
  try {
    change->PrepareEnabledChange(static_cast<int>(from), static_cast<int>(to), forced);
    return true;
  } catch (const Velmarin::Operation_errors::Settings_Conflict& e) {
    std::cout << " RADALT_MC: enabled channels stay " << from << ": " << e.text.in() << std::endl;
  } catch (const CORBA::Exception& e) {
    std::cout << " RADALT_MC: enabled channels stay " << from << ": " << e._name() << std::endl;
  }
  return false;
}

// ---- recall --------------------------------------------------------------------------------

void RADALT_MC::RecallMCSettings() {
  for (radalt::RecallStep step : radalt::kRecallSteps)
    for (auto& subsystem : subsystems_) subsystem->RecallSettings(step);
}

void RADALT_MC::RecallMCProfile() {
  for (auto& subsystem : subsystems_) subsystem->RecallProfile();
}

namespace {

// Runs what a subsystem does for channel's engine; a failure is logged and the others go on.
template <class Action>
void ForChannel(int channel, const char* subsystem, const char* what, Action action) {
  try {
    action();
    return;
  } catch (const Velmarin::Operation_errors::Locking_Error& e) {
    std::cout << " RADALT_MC: channel " << channel << ": " << subsystem << " could not " << what << " ("
              << e.reason.in() << ": " << e.message.in() << ")" << std::endl;
  } catch (const CORBA::Exception& e) {
    std::cout << " RADALT_MC: channel " << channel << ": " << subsystem << " could not " << what << " ("
              << e._name() << ")" << std::endl;
  } catch (const std::exception& e) {
    std::cout << " RADALT_MC: channel " << channel << ": " << subsystem << " could not " << what << " ("
              << e.what() << ")" << std::endl;
  }
}

}  // namespace

void RADALT_MC::BringBack(int channel, radalt::RecallScope::Kept operatorSettings) {
  // Without the settings store (reported at start-up) the operator's settings are not known:
  // the engine keeps its own, and the attributes show them (ShowEngine).
  if (!settingsStore_) return;
  // The counts and the coupling are the registry's and the other engines' business; the rest
  // is recalled in the recall's order, to this channel only, taking the operator's settings
  // (not the stored start-up values).
  radalt::RecallScope scope(channel, std::move(operatorSettings));
  for (radalt::RecallStep step : radalt::kRecallSteps) {
    if (step == radalt::RecallStep::ChannelConfiguration) continue;
    for (auto& subsystem : subsystems_)
      ForChannel(channel, subsystem->Name(), "recall its settings", [&] { subsystem->RecallSettings(step); });
  }
  for (auto& subsystem : subsystems_)
    ForChannel(channel, subsystem->Name(), "recall its profiles", [&] { subsystem->RecallProfile(); });
}

void RADALT_MC::CopyChannelWideFromOthers(int channel) {
  // Channels that become enabled take the settings of every channel from channel 1's engine
  // (PrepareEnabledChange). With no channel enabled (channel 1 itself comes back) the engine
  // takes them from the first engine left, which has followed the operator all along.
  if (registry_.EnabledCount() != 0) return;
  for (int donor = 1; donor <= 3; ++donor) {
    if (donor == channel || !registry_.HasChannelEngine(donor)) continue;
    SCI::RADALTSC_MAIN_INTERFACE_ptr from = registry_.RefOrNil(donor);
    SCI::RADALTSC_MAIN_INTERFACE_ptr to = registry_.RefOrNil(channel);
    for (const auto& copy : radalt::ChannelWideItems())
      ForChannel(channel, "channels", "copy a setting of every channel",
                 [&] { copy(registry_.Items(), from, to, McLocker().Id()); });
    return;
  }
}

bool RADALT_MC::JoinEngine(int channel, CORBA::Object_ptr obj) {
  std::lock_guard<std::recursive_mutex> change(registry_.ChangeMutex());
  SCI::RADALTSC_MAIN_INTERFACE_var engine = SCI::RADALTSC_MAIN_INTERFACE::_narrow(obj);
  if (CORBA::is_nil(engine)) return false;
  SCI::RADALTSC_MAIN_INTERFACE_ptr known = registry_.RefOrNil(channel);
  // The operator's settings as shown before anything changes (a value the engine keeps in its
  // own unit is asked of the engine it replaces while that one still answers).
  radalt::RecallScope::Kept operatorSettings = CurrentValuesByName({settingsStore_.get(), altSimStore_.get()});
  if (!CORBA::is_nil(known) && known->_is_equivalent(engine.in())) {
    // The same engine announced again: counted once, and it holds what it held.
    registry_.Install(channel, obj);
    AddRadAltSc(channel);
    return true;
  }
  // Another process took the channel: the engine it replaces has gone, with whatever ran on it.
  if (!CORBA::is_nil(known)) RemoveRadAltSc(channel);
  if (!registry_.Install(channel, obj)) return false;
  // The new engine starts from its own defaults. Before it counts (a client cannot write it
  // meanwhile) it gets the operator's settings of its channel; the objects bound to the
  // channel follow it first.
  radalt::ChannelRegistry::Snapshot installed = registry_.Current();
  registry_.TellChannelBound(installed);
  BringBack(channel, std::move(operatorSettings));
  CopyChannelWideFromOthers(channel);
  AddRadAltSc(channel);
  // Whatever was refused on the way, the attributes show what the engine holds.
  ShowEngine(channel);
  return true;
}

void RADALT_MC::ShowEngine(int channel) {
  // Not while an engine joins (the strand holds the change mutex from its installation to
  // its registration): what the new engine holds before it is brought back is not shown.
  std::lock_guard<std::recursive_mutex> change(registry_.ChangeMutex());
  if (!registry_.HasChannelEngine(channel)) return;
  for (auto& subsystem : subsystems_)
    ForChannel(channel, subsystem->Name(), "show its engine", [&] { subsystem->ShowEngine(channel); });
}

void RADALT_MC::StartChannelWork() {
  for (int channel = 1; channel <= 3; ++channel) {
    auto work = std::make_unique<radalt::FollowUps>(std::chrono::milliseconds(0));
    work->Define(kLeaveCheck, [this, channel] { LeaveCheck(channel); });
    work->Define(kShowEngine, [this, channel] { ShowEngine(channel); });
    channelWork_[static_cast<std::size_t>(channel - 1)] = std::move(work);
  }
}

void RADALT_MC::StopChannelWork() {
  for (auto& work : channelWork_)
    if (work) work->Stop();
  for (auto& work : channelWork_) work.reset();
}

void RADALT_MC::PostChannelJob(int channel, ChannelJob job) {
  if (channel < 1 || channel > 3) return;
  if (auto& work = channelWork_[static_cast<std::size_t>(channel - 1)]) work->Post(job);
}

void RADALT_MC::LeaveCheck(int channel) {
  // Anyone can publish the command: the engine must really have gone (its reference no
  // longer answers) before it leaves the registry.
  SCI::RADALTSC_MAIN_INTERFACE_ptr engine = registry_.RefOrNil(channel);
  const unsigned long generation = registry_.Generation(channel);
  if (CORBA::is_nil(engine)) return;
  if (!Velmarin::WaitGone(engine, std::chrono::milliseconds(config_.leaveGraceMs))) {
    std::cout << "RADALT_MC::RadAltDDS_SubCallback: Remove RadAltSc, destroy," << channel
              << " refused: the engine of channel " << channel << " has not gone" << std::endl;
    return;
  }
  ddsCommands_->Post([this, channel, generation] {
    std::lock_guard<std::recursive_mutex> change(registry_.ChangeMutex());
    // Replaced meanwhile: the new engine stays.
    if (registry_.Generation(channel) != generation) return;
    try {
      RemoveRadAltSc(channel);
    } catch (...) {
      std::cout << "RADALT_MC::RadAltDDS_SubCallback: Remove RadAltSc, destroy," << channel
                << " is not a valid radaltsc" << std::endl;
    }
  });
}

void RADALT_MC::TakeBack(int channel, CORBA::Object_ptr engine) {
  std::lock_guard<std::recursive_mutex> change(registry_.ChangeMutex());
  // Another engine took the channel meanwhile: it stays.
  if (registry_.HasChannelEngine(channel)) return;
  std::cout << " RADALT_MC: the engine of channel " << channel << " answers again; channel " << channel
            << " taken again" << std::endl;
  try {
    JoinEngine(channel, engine);
  } catch (const CORBA::Exception& e) {
    std::cout << " RADALT_MC: channel " << channel << " not taken again (" << e._name() << ")" << std::endl;
  }
}

// ---- engines coming and going --------------------------------------------------------------

void RADALT_MC::AddRadAltSc(int channel) {
  std::lock_guard<std::recursive_mutex> change(registry_.ChangeMutex());
  // The new engine is enabled with the others when the user works with every channel and
  // nothing keeps the count from changing; it is counted as available in any case.
  const unsigned current = registry_.EnabledCount();
  unsigned enabled = registry_.EnabledOnceRegistered(channel);
  if (enabled > current && !PrepareEnabledChange(current, enabled, false)) enabled = current;
  bool known = false;
  const radalt::ChannelRegistry::Snapshot s = registry_.Register(channel, enabled, known);
  // A channel announced again (its engine restarted) is counted once; the subsystems hear
  // of its new engine all the same.
  TellChannelsChanged(s);
  updateAttributeData(s.available, s.enabled, {s.refs.begin(), s.refs.end()});
  Velmarin::GUI_Able_var gui = gui_->_this();
  registry_.GetSingleChannelPtr(channel)->RegisterGui(gui);
}

void RADALT_MC::RemoveRadAltSc(int channel) {
  std::lock_guard<std::recursive_mutex> change(registry_.ChangeMutex());
  // A channel whose engine has gone cannot stay enabled, whatever runs: the change does not wait.
  const unsigned current = registry_.EnabledCount();
  const unsigned enabled = registry_.EnabledOnceUnregistered(channel);
  if (enabled < current && registry_.HasChannelEngine(channel)) PrepareEnabledChange(current, enabled, true);
  radalt::ChannelRegistry::Snapshot s;
  if (!registry_.Unregister(channel, enabled, s)) return;
  TellChannelsChanged(s);
  updateAttributeData(s.available, s.enabled, {s.refs.begin(), s.refs.end()});
}

void RADALT_MC::EngineLost(int channel, unsigned long generation) {
  std::lock_guard<std::recursive_mutex> change(registry_.ChangeMutex());
  // Replaced or removed since it was looked at: nothing to do.
  if (registry_.Generation(channel) != generation || !registry_.HasChannelEngine(channel)) return;
  std::cout << " RADALT_MC: the engine of channel " << channel << " does not answer; channel " << channel
            << " removed" << std::endl;
  RemoveRadAltSc(channel);
}

void RADALT_MC::updateAttributeData(unsigned available, unsigned enabled,
                                    const std::vector<SCI::RADALTSC_MAIN_INTERFACE_ptr>& refs) {
  radalt::ChannelRegistry::Snapshot s;
  s.available = available;
  s.enabled = enabled;
  for (std::size_t i = 0; i < refs.size() && i < 3; ++i) s.refs[i] = refs[i];
  registry_.TellChannelBound(s);
}

void RADALT_MC::RadAltDDS_SubCallback(const char* topic, const char* text) {
  const std::string command = text ? text : "";
  // The whole text is read: "create,2junk" and "destroy,abc" are no commands.
  const Velmarin::DDS_ChannelCommand parsed = Velmarin::DDS_ChannelCommand::Parse(command);
  const int n = parsed.channel;
  if (parsed.verb == Velmarin::DDS_ChannelCommand::Verb::Create) {
    bool ok = false;
    try {
      // Only channels 1 to 3 have places in the registry.
      if (n >= 1 && n <= 3) {
        for (const auto& name : orbw_->FindChildContext(kScContext)) {
          if (ChannelOf(name) != n) continue;
          CORBA::Object_var obj = orbw_->LookupClient({"Lumaren", "local", "RADALTSC", name});
          if (!JoinEngine(n, obj)) {
            std::cout << " RADALT_MC::RadAltDDS_SubCallback:throw 1" << std::endl;
            break;
          }
          ok = true;
          break;
        }
      }
    } catch (const CORBA::Exception& e) {
      std::cerr << "RADALT_MC::RadAltDDS_SubCallback: " << Velmarin::DDS_LogText(command) << ": " << e._name()
                << std::endl;
      ok = false;
    } catch (...) {
      ok = false;
    }
    if (!ok)
      std::cout << "RADALT_MC::RadAltDDS_SubCallback: Create RadAltSc, " << Velmarin::DDS_LogText(command)
                << " is not a valid radaltsc" << std::endl;
  } else if (parsed.verb == Velmarin::DDS_ChannelCommand::Verb::Destroy) {
    // Anyone can publish the command: the engine must really have gone (its reference no
    // longer answers) before it leaves the registry. One that still answers is given the
    // grace on the channel's worker: the commands behind this one do not wait for it.
    SCI::RADALTSC_MAIN_INTERFACE_ptr engine = registry_.RefOrNil(n);
    if (!CORBA::is_nil(engine) && Velmarin::Probe(engine) != Velmarin::Liveness::Gone) {
      PostChannelJob(n, kLeaveCheck);
      return;
    }
    try {
      RemoveRadAltSc(n);
    } catch (...) {
      std::cout << "RADALT_MC::RadAltDDS_SubCallback: Remove RadAltSc, " << Velmarin::DDS_LogText(command)
                << " is not a valid radaltsc" << std::endl;
    }
  } else {
    std::cout << "RADALT_MC::RadAltDDS_SubCallback: " << Velmarin::DDS_LogText(command) << " is not a valid command"
              << std::endl;
  }
}
