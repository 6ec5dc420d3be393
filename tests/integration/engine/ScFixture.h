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
  // The engine of channel goes as a process would: its names unbound, its object gone.
  void Remove(int channel) {
    const std::string name = std::to_string(channel);
    for (const char* context : {"RADALTSC", "RADALTSC_INHOUSE"}) {
      CosNaming::Name n;
      n.length(3);
      n[0].id = "Lumaren";
      n[1].id = "local";
      n[2].id = context;
      CosNaming::NamingContext_var ctx = CosNaming::NamingContext::_narrow(CORBA::Object_var(naming_.root()->resolve(n)));
      n.length(1);
      n[0].id = name.c_str();
      ctx->unbind(n);
    }
    for (auto it = engines_.begin(); it != engines_.end(); ++it)
      if ((*it)->Channel() == channel) {
        Velmarin::DeactivateServant(it->get());
        gone_.push_back(std::move(*it));  // a lent reference may still point at it
        engines_.erase(it);
        return;
      }
  }
  radaltsim::ScEngine_i& Engine(int channel) {
    for (auto& e : engines_)
      if (e->Channel() == channel) return *e;
    throw std::out_of_range("no simulated channel " + std::to_string(channel));
  }

 private:
  Velmarin::ORB_wrapper_base naming_;  // unbinds everything it bound when it goes
  std::vector<std::unique_ptr<radaltsim::ScEngine_i>> engines_;
  std::vector<std::unique_ptr<radaltsim::ScEngine_i>> gone_;
};
