// The attribute list a complete build of the master control publishes: its own attributes
// (the system's table, idl/radaltmc_attributes.def) and, for each channel with an engine,
// the engine's items (idl/radaltsc_items.def) as "CH<n>:<key>".
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace radalt {

// The keys of the master control's own attributes, in the table's order.
const std::vector<std::string>& MasterControlKeys();

// Names separated by one blank, sorted. hasEngine tells which channels have an engine.
std::string ExpectedAttributeList(const std::function<bool(int channel)>& hasEngine);

}  // namespace radalt
