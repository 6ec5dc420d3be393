// The keys of the master control's table of attributes (idl/radaltmc_attributes.def) that a
// registry does not hold: empty for a complete master control.
#pragma once

#include <string>
#include <vector>

#include "ExpectedAttributes.h"

// registry: anything with Get_attr(const char*) handing out a reference (the master control's
// registry servant, or a GUI_Able reference).
template <class Registry>
std::vector<std::string> UnregisteredKeys(Registry& registry) {
  std::vector<std::string> missing;
  for (const std::string& key : radalt::MasterControlKeys()) {
    CORBA::Object_var attr = registry.Get_attr(key.c_str());
    if (CORBA::is_nil(attr)) missing.push_back(key);
  }
  return missing;
}
