// A manual RF level setting of one channel: its output power level or its loop loss. A write
// goes to its own channel's engine, or, in manual mode with the coupling switch on, to every
// enabled engine (with the engine's update command while a simulation runs); each channel
// written then shows what its own engine accepted. In automatic mode the engines decide the
// level and the write mostly only reads back. Limits, step and unit are the engine's.
#pragma once

#include <string>
#include <vector>

#include "MYGUIABLE.h"
#include "Parameter.h"
#include "RfLevelCommon.h"

namespace radalt {

enum class LevelRole { OutputPower, LoopLoss };

// What tells the two settings apart.
struct LevelRoleInfo {
  const char* classStem;      // OUTPUT_POWER_LEVEL_CHAN + digit; LOOP_LOSS
  bool digitInNames;          // the class and method names carry the channel digit
  const char* methodStem;     // OutputPowerLevelChan + digit; LoopLoss
  NotEnabledText refusal;     // "Channel 2 not enabled" or "Channel not enabled"
  bool automaticWritesOwn;    // in automatic mode channels 2 and 3 still write their own engine
  LockGroup group;            // the group the attribute joins
  ScItemOp<Velmarin::EngineAttribValueDouble_ptr> item;
  ScItemOp<Velmarin::EngineAttribVoid_ptr> update;  // the engine's command that applies it while running
};
const LevelRoleInfo& LevelInfo(LevelRole role);

class LevelParameter : public Parameter<Velmarin::EngineAttribValueDouble_i> {
 public:
  using Record = VALUE_DOUBLE::VALUE;

  // Write handler: channel check, the engine's limits, the mode's targets, read-back.
  void Callback(const Record& value);
  // Writes the persisted value to this channel's engine and shows what it accepted.
  void Recall();
  // Assigns value when it differs (ValueDoubleSame, 0.001); nothing forwarded.
  bool SetValue(const Record& value);
  // Shows what this channel's engine holds now; returns whether that changed the attribute.
  bool ReadBack();
  Record Value() const { return attr_.Value(); }
  Record WithValue(double v) const;
  int Channel() const { return channel_; }
  LevelRole Role() const { return role_; }
  Velmarin::EngineAttribValueDouble_ptr Reference() { return This(); }

  // This channel's engine as it is now; a missing engine is refused with NotConfigured.
  virtual SCI::RADALTSC_MAIN_INTERFACE_var EngineNow(const std::string& prefix) = 0;

 protected:
  LevelParameter(LevelRole role, int channel, const char* key, const char* persistanceName, STpersistance* store,
                 Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc, Velmarin::Lockable_i& group);

  std::string ClassName() const;
  std::string MethodName(const std::string& what) const;

 private:
  struct Initial {
    Record value;
    Velmarin::EngineAttribValueDoubleParams params;
  };
  LevelParameter(LevelRole role, int channel, const char* key, const char* persistanceName, STpersistance* store,
                 Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc, Velmarin::Lockable_i& group,
                 const Initial& initial);
  static Initial FromChannel1(radalt::Core* mc, LevelRole role);

  // Writes value to the channels given (running: then their update command), then shows on
  // every channel written, and on this one, what its engine holds; a failure on the way
  // still shows what the channels written so far accepted before it goes to the writer.
  void WriteAndShow(const std::vector<int>& targets, const Record& value, bool update, const std::string& prefix);

  const LevelRole role_;
  const int channel_;
  const std::string persistanceName_;
};

// Copies channel 1's value of role (read from its engine) to the engines of channels 2 .. n
// as writer who, then shows on each channel written what its engine accepted.
void CopyChannel1Level(radalt::Core& mc, LevelRole role, int n, const Velmarin::Locker_ID& who,
                       const std::string& prefix);

}  // namespace radalt
