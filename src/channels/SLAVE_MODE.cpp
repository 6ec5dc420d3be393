#include "SLAVE_MODE.h"
#include "Keys.h"

const char* const SLAVE_MODE::PersistanceName = "SlaveMode";

SLAVE_MODE::SLAVE_MODE(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc)
    : BooleanSetting(store, namer, gui, mc, radalt::key::SLAVEMODE, PersistanceName, &SLAVE_MODE::SlaveModeCallback) {}
