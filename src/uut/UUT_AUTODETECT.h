// Automatic (0) or manual UUT detection ("UUTDETECT"). While detection is automatic the UUT
// type and CDF sub-type are the engines' to set: their groups UUT_TYPE and UUT_CDF_SUB_TYPE are
// held, from the moment the object is built, after every change and after a recall.
#pragma once

#include "EnumSetting.h"

class UUT_AUTODETECT : public radalt::EnumSetting {
 public:
  // The activity that holds UUT_TYPE and UUT_CDF_SUB_TYPE while detection is automatic.
  static const char* const kActivity;

  explicit UUT_AUTODETECT(radalt::Core* mc);

  void UutAutodetectCallback(int value) { Write(value); }
  void RecallUutAutodetect() { Recall(); }
  Velmarin::EngineAttribEnumParams get_UutAutodetectParams() const { return Params(); }
  Velmarin::EngineAttribEnum_ptr UutAutodetect() { return Accessor(); }
  bool Automatic() const { return Value() == 0; }

 protected:
  void Changed(int value) override;

 private:
  // Holds or frees the two groups as the mode says; message is shown while they are held.
  void ApplyLocks(bool automatic, const char* message);
};
