#include "UutReadings.h"

namespace radalt {

namespace {
// The UUT type whose sweep the engine measures in its variable-sweep reading.
constexpr CORBA::Long kVariableSweep = 3;
}  // namespace

Velmarin::EngineReadingValueDouble_ptr SweepRateOfUutType(SCI::RADALTSC_MAIN_INTERFACE_ptr engine) {
  OwnedRef<Velmarin::EngineAttribEnum_ptr> type = Item(engine, &SCI::_objref_RADALTSC_MAIN_INTERFACE::UutType);
  return type->Get() == kVariableSweep ? engine->UUTSweepRateType3() : engine->UUTSweepRate();
}

#define RADALT_MAKE_READING(CLASS, CH) m_##CLASS##_CHAN##CH.reset(new CLASS##_CHAN##CH(mc));
#define RADALT_MAKE_1(CLASS) RADALT_MAKE_READING(CLASS, 1)
#define RADALT_MAKE_3(CLASS) RADALT_MAKE_1(CLASS) RADALT_MAKE_READING(CLASS, 2) RADALT_MAKE_READING(CLASS, 3)

UutReadingObjects::UutReadingObjects(Core* mc) {
#define UUT_READING(CLASS, GETTER, FETCH, IFACE, N) RADALT_MAKE_##N(CLASS)
#include "UutReadings.def"
#undef UUT_READING
}

}  // namespace radalt
