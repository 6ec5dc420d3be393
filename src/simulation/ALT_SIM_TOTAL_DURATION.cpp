#include "ALT_SIM_TOTAL_DURATION.h"

#include <algorithm>

#include "Core.h"
#include "EngineItems.h"
#include "SimulationCommon.h"
#include "SimulationObjects.h"
#include "Keys.h"

namespace {

const char* const kAccessor = " ALT_SIM_TOTAL_DURATION::AltSimTotalDuration";

VALUE_LONG::VALUE EngineTotal(radalt::Core& mc, int channel) {
  return radalt::ReadItem(mc.Items(), mc.GetSingleChannelPtr(channel),
                          &SCI::_objref_RADALTSC_MAIN_INTERFACE::AltSimTotalDuration);
}

}  // namespace

const char* const ALT_SIM_TOTAL_DURATION::PersistanceName = "TotalDuration_min";

ALT_SIM_TOTAL_DURATION::ALT_SIM_TOTAL_DURATION(STpersistance* store, Velmarin::ItemNamer& namer,
                                               MY_GUIABLE_i& gui, radalt::Core* mc)
    : Parameter(mc, store, namer, gui, radalt::key::TOTALDURATION, Record(0)) {
  attr_ = init_DurationValue();
  Persist<int>(PersistanceName, static_cast<int>(attr_.Value().val));
}

VALUE_DOUBLE::VALUE ALT_SIM_TOTAL_DURATION::Record(double seconds) {
  VALUE_DOUBLE::VALUE r;
  r.val = seconds;
  r.min = 0.0;
  r.max = 0.0;
  r.resolution = 0;
  r.unit = Velmarin::Units::SECONDS;
  r.valid = true;
  return r;
}

bool ALT_SIM_TOTAL_DURATION::Compatible(const VALUE_LONG::VALUE& total) {
  return total.valid && total.min == 0 && total.step == 1 && total.unit == Velmarin::Units::SECONDS &&
         total.val >= 0;
}

VALUE_DOUBLE::VALUE ALT_SIM_TOTAL_DURATION::init_DurationValue() {
  return Record(EngineTotal(*mc_, 1).val);
}

bool ALT_SIM_TOTAL_DURATION::Gather(int count, CORBA::ULong& total) {
  total = 0;
  for (int ch = 1; ch <= count; ++ch) {
    const VALUE_LONG::VALUE r = EngineTotal(*mc_, ch);
    if (!Compatible(r)) return false;
    total = std::max(total, static_cast<CORBA::ULong>(r.val));
  }
  return true;
}

Velmarin::EngineReadingValueDouble_ptr ALT_SIM_TOTAL_DURATION::AltSimTotalDuration() {
  radalt::Core& mc = *mc_;
  const int n = radalt::RequireAnyChannelEnabled(mc, kAccessor);
  const int count = radalt::CoupledAltitudeSimulationOn(mc) ? 1 : n;
  CORBA::ULong total = 0;
  if (!Gather(count, total))
    radalt::LogThrow(
        " ALT_SIM_TOTAL_DURATION::AltSimTotalDuration throw Data_Source_Not_Compatible:AltSimTotalDuration - AltSimTotalDuration() invalid value struct",
                     Velmarin::Operation_errors::Data_Source_Not_Compatible(
                         "AltSimTotalDuration - AltSimTotalDuration() invalid value struct"));
  attr_ = Record(total);
  return This();
}

void ALT_SIM_TOTAL_DURATION::Follow() {
  radalt::Core& mc = *mc_;
  const int n = mc.EnabledChannels();
  if (n < 1) return;
  const int count = radalt::CoupledAltitudeSimulationOn(mc) ? 1 : n;
  CORBA::ULong total = 0;
  try {
    if (!Gather(count, total)) return;
  } catch (const CORBA::Exception&) {
    return;  // the write that changed the engines reports its own failure
  }
  if (attr_.Value().val != static_cast<double>(total)) attr_ = Record(total);
}

void ALT_SIM_TOTAL_DURATION::RecallAltSimTotalDuration() { attr_ = Record(Recalled<int>(PersistanceName)); }

namespace radalt {
void FollowTotalDuration(Core& mc) {
  if (ALT_SIM_TOTAL_DURATION* total = Simulation(mc).altSimTotalDuration.get()) total->Follow();
}
}  // namespace radalt
