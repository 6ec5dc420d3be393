// The three AID settings: their names, persisted values and lock groups.
#include "AID_FIXED.h"
#include "AID_MODE.h"
#include "AID_VARIABLE.h"
#include "Keys.h"

namespace {
const radalt::AidInfo kAidFixed{"AID_FIXED", "AidFixedCallback", "RecallAidFixed", radalt::key::AIDFIXED, "AidFixed"};
const radalt::AidInfo kAidVariable{"AID_VARIABLE", "AidVariableCallback", "RecallAidVarible", radalt::key::AIDVAR,
                                   "AidVariable"};
const radalt::AidInfo kAidMode{"AID_MODE", "AidModeCallback", "RecallAidMode", radalt::key::AIDMODE, "AidMode"};
}  // namespace

AID_FIXED::AID_FIXED(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                     Velmarin::Lockable_i& settings, Velmarin::Lockable_i& aidItems)
    : AidSetting(kAidFixed, &radalt::ScMain::AidFixed, store, namer, gui, mc) {
  attr_.GuardWith(settings);
  attr_.GuardWith(aidItems);
}

AID_MODE::AID_MODE(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                   Velmarin::Lockable_i& settings, Velmarin::Lockable_i& aidItems)
    : AidSetting(kAidMode, &radalt::ScMain::AidMode, store, namer, gui, mc) {
  attr_.GuardWith(settings);
  attr_.GuardWith(aidItems);
}

AID_VARIABLE::AID_VARIABLE(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                           Velmarin::Lockable_i& settings)
    : AidSetting(kAidVariable, &radalt::ScMain::AidVariable, store, namer, gui, mc) {
  attr_.GuardWith(settings);
}
