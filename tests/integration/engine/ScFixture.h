// Simulated channel engines served from the test process and bound in the test naming
// service, as the real engine processes bind themselves.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ScEngine.h"
#include "platform/ORB_wrapper.h"
#include "platform/Orb.h"

class SimulatedChannels {
 public:
  explicit SimulatedChannels(std::vector<int> channels) {
    for (int c : channels) Add(c);
  }
  void Add(int channel) {
    auto e = std::make_unique<radaltsim::ScEngine_i>(channel, "Lumaren/local/RADALTSC/" + std::to_string(channel));
    e->SetReady(true);
    CORBA::Object_var ref = e->_this();
    const std::string name = std::to_string(channel);
    naming_.InstallAt({"Lumaren", "local", "RADALTSC", name}, ref);
    naming_.InstallAt({"Lumaren", "local", "RADALTSC_INHOUSE", name}, ref);
    engines_.push_back(std::move(e));
  }
  radaltsim::ScEngine_i& Engine(int channel) {
    for (auto& e : engines_)
      if (e->Channel() == channel) return *e;
    throw std::out_of_range("no simulated channel " + std::to_string(channel));
  }

 private:
  Velmarin::ORB_wrapper_base naming_;  // unbinds everything it bound when it goes
  std::vector<std::unique_ptr<radaltsim::ScEngine_i>> engines_;
};
