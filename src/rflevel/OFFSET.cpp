#include "OFFSET.h"

#include "Core.h"

namespace {
constexpr CORBA::Long kMetres = Velmarin::Units::METRES;
constexpr CORBA::Long kFeet = Velmarin::Units::FEET;
constexpr CORBA::Long kMetresDistanceUnits = 1;
}  // namespace

OFFSET::OFFSET(int channel, unsigned available, unsigned enabled, radalt::SCI::RADALTSC_MAIN_INTERFACE_ptr engine,
               const char* key, STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
               Velmarin::Lockable_i& settings)
    : BoundPathLoss(radalt::PathRole::Offset, channel, available, enabled, engine, key, store, namer, gui, mc,
                    settings) {
  SetValue(ToShown(Value()));
}

bool OFFSET::ShownInMetres() const {
  try {
    radalt::Core& mc = const_cast<OFFSET*>(this)->Mc();
    return radalt::Item(mc.Items(), mc.GetSingleChannelPtr(1), &radalt::ScMain::DistanceUnits)->Get() == kMetresDistanceUnits;
  } catch (const CORBA::Exception&) {
    // channel 1 cannot say: the offset keeps the unit it shows
    return Value().unit == kMetres;
  }
}

OFFSET::Record OFFSET::ToEngine(const Record& written) const {
  Record r = written;
  // A record in neither unit is taken as being in the units shown.
  const bool metres = written.unit == kMetres || (written.unit != kFeet && ShownInMetres());
  if (metres) {
    r.val /= kMetresPerFoot;
    r.min /= kMetresPerFoot;
    r.max /= kMetresPerFoot;
  }
  r.unit = kFeet;
  return r;
}

OFFSET::Record OFFSET::ToShown(const Record& engine) const {
  if (!ShownInMetres()) return engine;
  Record r = engine;
  r.val *= kMetresPerFoot;
  r.min *= kMetresPerFoot;
  r.max *= kMetresPerFoot;
  r.unit = kMetres;
  return r;
}

void OFFSET::OffsetUpdateFromSC() {
  radalt::SCI::RADALTSC_MAIN_INTERFACE_var engine = EngineNow(radalt::Prefix("OFFSET", "OffsetUpdateFromSC"));
  SetValue(EngineValueShown(engine.in()));
}
