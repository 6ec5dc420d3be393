#include "LOOP_LOSS.h"

#include <stdexcept>
#include <string>

namespace {

// Persistence names by channel.
const char* const kPersistanceNames[] = {"LoopLossChan1", "LoopLossChan2", "LoopLossChan3"};

std::size_t Index(int channel) {
  if (channel < 1 || channel > 3) throw std::out_of_range("vector::_M_range_check");
  return static_cast<std::size_t>(channel - 1);
}

}  // namespace

LOOP_LOSS::LOOP_LOSS(int channel, unsigned available, unsigned enabled, radalt::SCI::RADALTSC_MAIN_INTERFACE_ptr engine,
                     const char* key, STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui,
                     radalt::Core* mc, Velmarin::Lockable_i& loopLoss)
    : LevelParameter(radalt::LevelRole::LoopLoss, channel, key, kPersistanceNames[Index(channel)], store, namer, gui,
                     mc, loopLoss),
      kept_(channel, available, enabled, mc->Channels()) {}

radalt::SCI::RADALTSC_MAIN_INTERFACE_var LOOP_LOSS::EngineNow(const std::string& prefix) {
  SCI::RADALTSC_MAIN_INTERFACE_var engine = kept_.Engine();
  radalt::RequireEngine(engine.in(), prefix, prefix.substr(1) + " - scptr is zero");
  return engine;
}
