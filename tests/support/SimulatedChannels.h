// Simulated channel engines served from the test process and bound in the test naming
// service where the master control looks for them, as the real engine processes bind
// themselves; the platform's self-test engine lock likewise.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ScEngine.h"
#include "SelftestLock.h"
#include "platform/ORB_wrapper.h"
#include "platform/Orb.h"

namespace testset {


inline std::string EngineBase(int channel) { return "Lumaren/local/RADALTSC/" + std::to_string(channel); }

// Engine options with the flight's clock stopped, so that a test moves the readings itself.
inline radaltsim::ScEngineOptions Stopped(radaltsim::CalibrationTiming calibration = {}) {
  radaltsim::ScEngineOptions o;
  o.tick = std::chrono::milliseconds(0);
  o.calibration = calibration;
  return o;
}

// Engines of type E for the channels given. An engine started again replaces the one before
// (as after a restart); one removed goes as a process would: its names unbound, its object
// gone (kept while a lent reference may still point at it) or destroyed (Kill).
template <class E>
class Channels {
 public:
  using Maker = std::function<std::unique_ptr<E>(int channel)>;
  static Maker Options(radaltsim::ScEngineOptions options) {
    return [options](int ch) {
      auto e = std::make_unique<E>(ch, EngineBase(ch), options);
      e->SetReady(true);
      return e;
    };
  }

  explicit Channels(std::vector<int> channels, Maker make = Options({})) : make_(std::move(make)) {
    for (int c : channels) Start(c);
  }
  void Start(int channel) {
    std::unique_ptr<E> e = make_(channel);
    CORBA::Object_var ref = e->_this();
    const std::string name = std::to_string(channel);
    naming_.InstallAt({"Lumaren", "local", "RADALTSC", name}, ref);
    naming_.InstallAt({"Lumaren", "local", "RADALTSC_INHOUSE", name}, ref);
    for (auto& slot : engines_)
      if (slot->Channel() == channel) {
        gone_.push_back(std::move(slot));
        slot = std::move(e);
        return;
      }
    engines_.push_back(std::move(e));
  }
  void Add(int channel) { Start(channel); }
  void Remove(int channel) {
    Unbind(channel);
    auto it = Find(channel);
    Velmarin::DeactivateServant(it->get());
    gone_.push_back(std::move(*it));
    engines_.erase(it);
  }
  void Kill(int channel) {
    Unbind(channel);
    engines_.erase(Find(channel));
  }
  // The engine stops answering without a goodbye (its process hangs): its main interface and
  // items reach no object, its names stay bound.
  void Silence(int channel) {
    E& e = Engine(channel);
    for (const std::string& key : e.Items().Keys()) Velmarin::DeactivateServant(&e.Items().Servant(key));
    Velmarin::DeactivateServant(&e);
  }
  E& Engine(int channel) { return **Find(channel); }
  E& operator[](int channel) { return Engine(channel); }

 private:
  typename std::vector<std::unique_ptr<E>>::iterator Find(int channel) {
    for (auto it = engines_.begin(); it != engines_.end(); ++it)
      if ((*it)->Channel() == channel) return it;
    throw std::out_of_range("no simulated channel " + std::to_string(channel));
  }
  void Unbind(int channel) {
    for (const char* context : {"RADALTSC", "RADALTSC_INHOUSE"}) {
      CosNaming::Name n;
      n.length(3);
      n[0].id = "Lumaren";
      n[1].id = "local";
      n[2].id = context;
      CosNaming::NamingContext_var ctx =
          CosNaming::NamingContext::_narrow(CORBA::Object_var(naming_.root()->resolve(n)));
      n.length(1);
      n[0].id = std::to_string(channel).c_str();
      ctx->unbind(n);
    }
  }

  Maker make_;
  Velmarin::ORB_wrapper_base naming_;  // unbinds everything it bound when it goes
  std::vector<std::unique_ptr<E>> engines_;
  std::vector<std::unique_ptr<E>> gone_;
};

// The platform's self-test engine lock, where the master control looks for it.
struct SelftestEngine {
  SelftestEngine() {
    CORBA::Object_var ref = lock._this();
    naming.InstallAt({"Lumaren", "local", "HHSELFTEST_LOCK", "1"}, ref);
  }
  radaltsim::SelftestLock_i lock;
  Velmarin::ORB_wrapper_base naming;
};

using SimulatedChannels = Channels<radaltsim::ScEngine_i>;

}  // namespace testset
