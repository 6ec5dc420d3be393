// The distance offset of one channel ("CH1OFFSET" .. "CH3OFFSET"); one class for the three
// channels. The engine keeps the offset in feet; the attribute shows it in the distance units
// channel 1's engine uses (feet, or metres), and a write may come in either unit.
#pragma once

#include "PathLossParameter.h"

class OFFSET : public radalt::BoundPathLoss {
 public:
  OFFSET(int channel, unsigned available, unsigned enabled, radalt::SCI::RADALTSC_MAIN_INTERFACE_ptr engine, const char* key,
         STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
         Velmarin::Lockable_i& settings);

  void OffsetCallback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallOffset() { Recall(); }
  bool OffsetSetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr Offset() { return Reference(); }
  // Shows the engine's offset again (it changes with the RF connection), in the units in use.
  void OffsetUpdateFromSC();

  // Feet per metre of the offset's record units: unit code 1 is metres, 3 is feet.
  static constexpr double kMetresPerFoot = 0.3048;

 protected:
  Record ToEngine(const Record& written) const override;
  Record ToShown(const Record& engine) const override;

 private:
  // Whether channel 1's engine shows distances in metres (its distance units are 1).
  bool ShownInMetres() const;
};
