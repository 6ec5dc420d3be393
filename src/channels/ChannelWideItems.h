// The channel-wide items of the channel engines: a newly enabled channel takes them from
// channel 1.
#pragma once

#include <functional>
#include <vector>

#include "EngineItems.h"

namespace radalt {

using ItemCopier = std::function<void(ItemRefs& refs, SCI::RADALTSC_MAIN_INTERFACE_ptr from, SCI::RADALTSC_MAIN_INTERFACE_ptr to,
                                      const Velmarin::Locker_ID& who)>;

// In copy order. The CDF altitude correction is per channel and is not among them.
const std::vector<ItemCopier>& ChannelWideItems();

}  // namespace radalt
