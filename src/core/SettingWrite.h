// The path every write of a setting to the channel engines takes, a client's write or a recall
// alike. A family of settings (enumerations, levels, path losses, ramps, AID, diagnostic
// settings) gives only what differs: the prefix of its lines, the channels written and read
// back, how one channel's engine takes the value and how one channel's attribute shows its
// engine again. The steps, in order:
//
//   refuse   a channel that is not enabled (ChannelChecks.h), before the family chooses targets
//   write    each target's engine takes the value, in order (WriteChannelsNamed): when one
//            fails, the channels before it keep the value, the attributes show what their
//            engines hold, and the writer's error names the channels
//   refusals an engine's lock refusal logged and passed on as Locking_Error_Exception (or as it
//            is, where the family says so); a range refusal logged once
//   show     each read-back channel's attribute shows what its engine holds now, a failure
//            naming the channel (OnChannel)
//
// What an attribute shows is persisted (Parameter::Persist keeps the store current) and
// published by the attribute itself; the registry's observer sees the outcome.
//
//   SettingWrite w{prefix, targets, {channel}};
//   if (w.Run([&](int ch) { /* ch's engine takes value */ },
//             [&](int ch) { return /* ch's attribute changed */; }))
//     Changed();
#pragma once

#include <iostream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "ChannelWrites.h"
#include "EngineFailure.h"
#include "Exceptions.h"
#include "RecallScope.h"

namespace radalt {

// What becomes of an engine's Locking_Error.
enum class EngineLocks {
  kTranslated,  // logged as prefix + " throw Locking_Error_Exception", thrown as that with its texts
  kAsTheyAre,   // passed on unchanged
};

// Which attributes show their engines after a write that failed part way.
enum class AfterFailure {
  kEachReadBack,  // each read-back channel, but one whose engine was not reached or did not answer
  kLastTaken,     // the read-back (one value of the test set) shows the last channel that took it
};

struct SettingWrite {
  std::string prefix;         // " CLASS::Method", the start of every line the write logs
  std::vector<int> targets;   // the channels whose engines take the value, in this order
  std::vector<int> readBack;  // the channels whose attributes show their engines afterwards
  EngineLocks locks = EngineLocks::kTranslated;
  AfterFailure afterFailure = AfterFailure::kEachReadBack;

  // write(ch) for each target. When one fails, the failure goes on as the steps above say, after
  // show ran (its own failures dropped: the write's failure is the one the writer gets) for
  // the channels afterFailure names. A channel that refused the value shows what it kept; one
  // whose engine was not reached or did not answer is not asked again (it would only wait again).
  template <class Write, class Show>
  void WriteEngines(Write&& write, Show&& show) const;
  // show(ch) for each read-back channel, in order; whether any of them said it changed (a
  // show that returns nothing says no).
  template <class Show>
  bool ShowEngines(Show&& show) const;
  // A value of the whole test set: written to the engines of channels 1 .. n, shown from
  // channel from (kLastEnabled: channel n); with no channel enabled nothing is written or shown.
  static constexpr int kLastEnabled = 0;
  static SettingWrite ToEnabled(std::string prefix, int n, int from, EngineLocks locks = EngineLocks::kTranslated,
                                AfterFailure afterFailure = AfterFailure::kEachReadBack) {
    std::vector<int> channels = ChannelsUpTo(n);
    std::vector<int> shown;
    if (!channels.empty()) shown.push_back(from == kLastEnabled ? channels.back() : from);
    return SettingWrite{std::move(prefix), std::move(channels), std::move(shown), locks, afterFailure};
  }

  // Both steps.
  template <class Write, class Show>
  bool Run(Write&& write, Show&& show) const {
    WriteEngines(std::forward<Write>(write), show);
    return ShowEngines(show);
  }
};

namespace detail {
template <class Show>
bool Shown(Show& show, int channel) {
  if constexpr (std::is_void_v<decltype(show(channel))>) {
    show(channel);
    return false;
  } else {
    return static_cast<bool>(show(channel));
  }
}
}  // namespace detail

template <class Write, class Show>
void SettingWrite::WriteEngines(Write&& write, Show&& show) const {
  int silent = 0;  // a channel whose engine was not reached or did not answer
  const auto tracked = [&](int ch) {
    try {
      write(ch);
    } catch (const CORBA::SystemException&) {
      silent = ch;
      throw;
    }
  };
  try {
    WriteChannelsNamed(targets, prefix, tracked, [&](const std::vector<int>& took) {
      std::vector<int> asked = readBack;
      if (afterFailure == AfterFailure::kLastTaken) asked = took.empty() ? took : std::vector<int>{took.back()};
      for (int ch : asked) {
        if (ch == silent) continue;
        try {
          detail::Shown(show, ch);
        } catch (...) {
          // that channel cannot say: its attribute keeps what it showed
        }
      }
    });
  } catch (const Velmarin::Operation_errors::Locking_Error& e) {
    if (locks == EngineLocks::kAsTheyAre) throw;
    LogThrow(prefix + " throw Locking_Error_Exception", Velmarin::Operation_errors::Locking_Error_Exception(e));
  } catch (const Velmarin::Operation_errors::DataOutOfRange& e) {
    // Among several channels the refusal was logged with the channels named.
    if (RecallScope::Within(targets).size() < 2)
      std::cout << prefix << " throw DataOutOfRange:" << e.info.text.in() << std::endl;
    throw;
  }
}

template <class Show>
bool SettingWrite::ShowEngines(Show&& show) const {
  bool changed = false;
  for (int ch : readBack)
    if (OnChannel(ch, prefix, [&] { return detail::Shown(show, ch); })) changed = true;
  return changed;
}

}  // namespace radalt
