// A manual RF level setting of one channel: its output power level or its loop loss. A write
// goes to its own channel's engine, or, in manual mode with the coupling switch on, to every
// enabled engine (with the engine's update command while a simulation runs); each channel
// written then shows what its own engine accepted. In automatic mode the engines decide the
// level and the write mostly only reads back. Limits, step and unit are the engine's.
#pragma once

#include <string>
#include <vector>

#include "ChannelDoubleSetting.h"

namespace radalt {

enum class LevelRole { OutputPower, LoopLoss };

// What tells the two settings apart.
struct LevelRoleInfo {
  SettingNames names;         // OUTPUT_POWER_LEVEL_CHAN + digit; LOOP_LOSS
  NotEnabledText refusal;     // "Channel 2 not enabled" or "Channel not enabled"
  bool automaticWritesOwn;    // in automatic mode channels 2 and 3 still write their own engine
  LockGroup group;            // the group the attribute joins
  ScItemOp<Velmarin::EngineAttribValueDouble_ptr> item;
  ScItemOp<Velmarin::EngineAttribVoid_ptr> update;  // the engine's command that applies it while running
};
const LevelRoleInfo& LevelInfo(LevelRole role);

class LevelParameter : public ChannelDoubleSetting {
 public:
  // Write handler: channel check, the engine's limits, the mode's targets, read-back.
  void Callback(const Record& value) override;
  // Writes the persisted value to this channel's engine and shows what it accepted.
  void Recall();
  // Shows what this channel's engine holds now; returns whether that changed the attribute.
  bool ReadBack();
  LevelRole Role() const { return role_; }

  // This channel's engine as it is now; a missing engine is refused with NotConfigured.
  virtual SCI::RADALTSC_MAIN_INTERFACE_var EngineNow(const std::string& prefix) = 0;

 protected:
  LevelParameter(LevelRole role, int channel, const char* key, const char* persistanceName, STpersistance* store,
                 Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc, Velmarin::Lockable_i& group);

 private:
  // Writes value to the channels given (running: then their update command), then shows on
  // every channel written, and on this one, what its engine holds; a failure on the way
  // still shows what the channels written so far accepted before it goes to the writer.
  void WriteAndShow(const std::vector<int>& targets, const Record& value, bool update, const std::string& prefix);

  const LevelRole role_;
};

// Copies channel 1's value of role (read from its engine) to the engines of channels 2 .. n
// as writer who, then shows on each channel written what its engine accepted.
void CopyChannel1Level(radalt::Core& mc, LevelRole role, int n, const Velmarin::Locker_ID& who,
                       const std::string& prefix);

}  // namespace radalt
