// One object per channel (1 to 3), owned, of a common base T: the three twins of a
// per-channel setting, each built as the class named for its channel.
//
//   PerChannel<PathLossParameter> txCableLoss;
//   txCableLoss.BuildEach<TX_CABLE_LOSS_CHAN1, TX_CABLE_LOSS_CHAN2, TX_CABLE_LOSS_CHAN3>(store, namer, gui, mc, group);
//   if (PathLossParameter* p = txCableLoss.At(ch)) p->ReadBack();   // null outside 1..3 or unbuilt
//   for (auto [channel, p] : txCableLoss) ...                        // the built ones, channel 1 first
//
// Channel 3's object goes first, then 2 and 1, as three members declared in channel order would.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

namespace radalt {

template <class T>
class PerChannel {
  using Slots = std::array<std::unique_ptr<T>, 3>;

 public:
  static constexpr int kChannels = 3;

  // A built slot and its channel.
  struct Entry {
    int channel;
    T* object;
  };

  // The built slots in channel order.
  class Iterator {
   public:
    Iterator(const Slots* slots, int channel) : slots_(slots), channel_(channel) { Skip(); }
    Entry operator*() const { return {channel_, (*slots_)[Index(channel_)].get()}; }
    Iterator& operator++() {
      ++channel_;
      Skip();
      return *this;
    }
    bool operator==(const Iterator& other) const { return channel_ == other.channel_; }
    bool operator!=(const Iterator& other) const { return channel_ != other.channel_; }

   private:
    void Skip() {
      while (channel_ <= kChannels && !(*slots_)[Index(channel_)]) ++channel_;
    }
    const Slots* slots_;
    int channel_;
  };

  // Channel's object; null outside 1 to 3 and while its slot is not built.
  T* At(int channel) const { return InRange(channel) ? slots_[Index(channel)].get() : nullptr; }

  // Builds channel's slot as a U from args, in place of what it held; returns it.
  template <class U = T, class... Args>
  U& Build(int channel, Args&&... args) {
    static_assert(std::is_base_of_v<T, U>, "a slot holds a T");
    static_assert(std::is_same_v<T, U> || std::has_virtual_destructor_v<T>, "a slot is deleted as a T");
    if (!InRange(channel)) throw std::out_of_range("PerChannel: channel " + std::to_string(channel));
    auto made = std::make_unique<U>(std::forward<Args>(args)...);
    U& built = *made;
    slots_[Index(channel)] = std::move(made);
    return built;
  }

  // Builds channels 1, 2 and 3 (in that order) as C1, C2 and C3, each from the same args.
  template <class C1, class C2, class C3, class... Args>
  void BuildEach(Args&&... args) {
    Build<C1>(1, args...);
    Build<C2>(2, args...);
    Build<C3>(3, args...);
  }

  Iterator begin() const { return Iterator(&slots_, 1); }
  Iterator end() const { return Iterator(&slots_, kChannels + 1); }

 private:
  static bool InRange(int channel) { return channel >= 1 && channel <= kChannels; }
  static std::size_t Index(int channel) { return static_cast<std::size_t>(channel - 1); }

  Slots slots_;
};

}  // namespace radalt
