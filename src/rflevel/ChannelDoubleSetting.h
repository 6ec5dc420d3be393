// A value of one channel's RF path (an output power level, the loop loss, a loss or the
// distance offset), the shape the level and path-loss settings share: the attribute starts
// with the record, limits and step of channel 1's engine, takes a value only when it differs
// (ValueDoubleSame, 0.001), and names its lines by class and method, with the channel digit
// where the class is one of three twins.
#pragma once

#include <string>

#include "MYGUIABLE.h"
#include "Parameter.h"
#include "RfLevelCommon.h"

namespace radalt {

// How a setting's lines name it.
struct SettingNames {
  const char* classStem;   // OUTPUT_POWER_LEVEL_CHAN (+ digit), LOOP_LOSS
  const char* methodStem;  // OutputPowerLevelChan (+ digit), LoopLoss
  bool digitInNames;       // the class and method names carry the channel digit
};

class ChannelDoubleSetting : public Parameter<Velmarin::EngineAttribValueDouble_i> {
 public:
  using Record = VALUE_DOUBLE::VALUE;
  using ItemOp = ScItemOp<Velmarin::EngineAttribValueDouble_ptr>;

  // Write handler (the attribute's callback).
  virtual void Callback(const Record& value) = 0;
  // Assigns value when it differs; nothing forwarded. Returns whether it changed.
  bool SetValue(const Record& value);
  Record Value() const { return attr_.Value(); }
  // The shown record with another value.
  Record WithValue(double v) const;
  int Channel() const { return channel_; }
  Velmarin::EngineAttribValueDouble_ptr Reference() { return This(); }

 protected:
  ChannelDoubleSetting(int channel, ItemOp item, SettingNames names, std::string persistanceName, const char* key,
                       STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc);

  std::string ClassName() const;
  std::string MethodName(const std::string& what) const;

  const int channel_;
  const ItemOp item_;
  const SettingNames names_;
  const std::string persistanceName_;

 private:
  struct Initial {
    Record value;
    Velmarin::EngineAttribValueDoubleParams params;
  };
  ChannelDoubleSetting(int channel, ItemOp item, SettingNames names, std::string persistanceName, const char* key,
                       STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                       const Initial& initial);
  static Initial FromChannel1(radalt::Core* mc, ItemOp item);
};

}  // namespace radalt
