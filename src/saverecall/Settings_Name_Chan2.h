// Channel 2's settings name ("CH2SETTINGSNAME").
#pragma once

#include "SettingsName.h"

class Settings_Name_Chan2 : public radalt::SettingsName {
 public:
  Settings_Name_Chan2(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc)
      : SettingsName(2, store, namer, gui, mc) {}

  void SettingsNameChan2Callback(const char* name) { Callback(name); }
  void SettingsNameChan2SetValue(const char* name) { SetValue(name); }
  void RecallSettingsNameChan2() { Recall(); }
  Velmarin::EngineAttribString_ptr SettingsNameChan2() { return Reference(); }
};
