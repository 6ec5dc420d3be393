// Channel 3's settings name ("CH3SETTINGSNAME").
#pragma once

#include "SettingsName.h"

class Settings_Name_Chan3 : public radalt::SettingsName {
 public:
  Settings_Name_Chan3(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc)
      : SettingsName(3, store, namer, gui, mc) {}

  void SettingsNameChan3Callback(const char* name) { Callback(name); }
  void SettingsNameChan3SetValue(const char* name) { SetValue(name); }
  void RecallSettingsNameChan3() { Recall(); }
  Velmarin::EngineAttribString_ptr SettingsNameChan3() { return Reference(); }
};
