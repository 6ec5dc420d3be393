// Channel 1's settings name ("CH1SETTINGSNAME").
#pragma once

#include "SettingsName.h"

class Settings_Name_Chan1 : public radalt::SettingsName {
 public:
  Settings_Name_Chan1(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc)
      : SettingsName(1, store, namer, gui, mc) {}

  void SettingsNameChan1Callback(const char* name) { Callback(name); }
  void SettingsNameChan1SetValue(const char* name) { SetValue(name); }
  void RecallSettingsNameChan1() { Recall(); }
  Velmarin::EngineAttribString_ptr SettingsNameChan1() { return Reference(); }
};
