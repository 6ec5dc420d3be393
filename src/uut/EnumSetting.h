// The UUT detection settings and the display modes and units: test-set-wide enumerations that
// the channel engines own. One implementation for all nine; what differs is a row of the
// table in EnumSetting.cpp (key, stored value, engine item, lock groups, where the accepted
// value is read back).
//
// A write goes to the engines of every enabled channel (1 to n, in order, as this attribute's
// writer), then the value one engine accepted is read back and shown. The allowed values and
// their labels are channel 1's engine's, copied when the object is built.
#pragma once

#include <string>
#include <vector>

#include "LockGroups.h"
#include "Parameter.h"

namespace radalt {

enum class EnumRole {
  UutAutodetect, UutType, UutCdfSubType, CdfAltCorrection,
  AltitudeUnits, DistanceUnits, FreqDisplayMode, ProfileDisplayUnits, PowerDisplayMode,
};

// Which engine tells the accepted value.
enum class ReadBack { Channel1, LastEnabled };

struct EnumSettingRow {
  EnumRole role;
  const char* className;        // for the refusal lines
  const char* callbackName;
  const char* recallName;
  const char* key;
  const char* persistenceName;
  ScItemOp<Velmarin::EngineAttribEnum_ptr> engineItem;
  ReadBack readBack;
  std::vector<LockGroup> groups;  // a client write is refused while one is held
};

const EnumSettingRow& RowOf(EnumRole role);

class EnumSetting : public Parameter<Velmarin::EngineAttribEnum_i> {
 public:
  int Value() const { return attr_.Value(); }

 protected:
  // Built after channel 1's engine is reachable: its item gives the initial value and the
  // allowed values.
  EnumSetting(Core* mc, EnumRole role);

  // The write handler: "No enabled channels" while none is, else forward, read back, show.
  void Write(int value);
  // Writes the stored value to the enabled channels' engines, reads back, shows.
  void Recall();
  // The allowed values (value and label pairs, in the engine's order).
  Velmarin::EngineAttribEnumParams Params() const { return attr_.ParamsCopy(); }
  Velmarin::EngineAttribEnum_ptr Accessor() { return This(); }

  // Called after the attribute took a new value from an engine.
  virtual void Changed(int value) { (void)value; }

  const EnumSettingRow& row_;

 private:
  std::string Prefix(const char* method) const;
  // Writes value to channels 1 .. n and shows what the row's engine accepted (SettingWrite);
  // lines begin with method. Returns whether the attribute changed.
  bool WriteAndShow(int n, int value, const char* method);
  // The channel whose engine tells the accepted value, with n channels enabled.
  int ReadFrom(int n) const;
};

}  // namespace radalt
