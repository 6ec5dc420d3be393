// The RF level mode of all channels ("RFLVLMODE"): 0 automatic, 1 manual (the labels are the
// engine's). In automatic mode the master control holds RFLEVEL and LOOPLOSS, so clients
// cannot set output power or loop loss; in manual mode it frees them.
#pragma once

#include "MYGUIABLE.h"
#include "Parameter.h"

class RFLEVEL_MODE : public radalt::Parameter<Velmarin::EngineAttribEnum_i> {
 public:
  static const char* const PersistanceName;
  RFLEVEL_MODE(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
               Velmarin::Lockable_i& settings, Velmarin::Lockable_i& rfLevelMode);

  void RfLevelModeCallback(int mode);
  void RecallRfLevelMode();
  Velmarin::EngineAttribEnumParams get_RfLevelModeParams();
  Velmarin::EngineAttribEnum_ptr RfLevelMode() { return This(); }
  int Value() const { return attr_.Value(); }

 private:
  // Writes mode to engines 1 .. n; whatever happens, shows the mode of the last engine that
  // took it and makes the locks match. Returns the mode shown.
  int WriteAndShow(int n, int mode, const std::string& prefix);
  // Shows the mode of channel's engine and makes the locks match it.
  int Show(int channel);
};
