// How long the profiles take ("TOTALDURATION"): the longest total of the enabled channels'
// engines, or channel 1's when the channels are coupled.
#pragma once

#include "MYGUIABLE.h"
#include "Parameter.h"

class ALT_SIM_TOTAL_DURATION : public radalt::Parameter<Velmarin::EngineReadingValueDouble_i> {
 public:
  static const char* const PersistanceName;

  ALT_SIM_TOTAL_DURATION(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc);

  // Gathers the engines' totals into the reading and returns the reading.
  Velmarin::EngineReadingValueDouble_ptr AltSimTotalDuration();
  // The reading's record built from channel 1's engine total.
  VALUE_DOUBLE::VALUE init_DurationValue();
  void RecallAltSimTotalDuration();
  // Gathers the engines' totals into the reading, as a client's question does, after the
  // profiles, the ramps or the coupling changed; a total that cannot be gathered now (no
  // channel enabled, an engine that does not answer or gives an unusable record) leaves the
  // reading as it is.
  void Follow();
  VALUE_DOUBLE::VALUE Value() const { return attr_.Value(); }

  // The reading's record for a total of seconds.
  static VALUE_DOUBLE::VALUE Record(double seconds);
  // Whether an engine's total is one this reading can show: a valid count of whole seconds
  // from 0.
  static bool Compatible(const VALUE_LONG::VALUE& total);

 private:
  // The longest total, or nothing when some engine's record is unusable.
  bool Gather(int count, CORBA::ULong& total);
};

namespace radalt {
// The master control's total duration follows the engines (ALT_SIM_TOTAL_DURATION::Follow).
void FollowTotalDuration(Core& mc);
}  // namespace radalt
