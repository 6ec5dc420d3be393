// The RF level offset common to all channels ("RFLVLOFFSET"), written to every enabled engine.
#pragma once

#include "MYGUIABLE.h"
#include "Parameter.h"

class RF_LEVEL_OFFSET : public radalt::Parameter<Velmarin::EngineAttribValueLong_i> {
 public:
  static const char* const PersistanceName;
  RF_LEVEL_OFFSET(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                  Velmarin::Lockable_i& settings);

  void RfLevelOffsetCallback(const VALUE_LONG::VALUE& v);
  void RecallRfLevelOffset();
  Velmarin::EngineAttribValueLong_ptr RfLevelOffset() { return This(); }
  VALUE_LONG::VALUE Value() const { return attr_.Value(); }

 private:
  // Writes v to engines 1 .. n, then shows what the last engine written holds (also when a
  // later engine refused).
  void WriteAndShow(int n, const VALUE_LONG::VALUE& v);
};
