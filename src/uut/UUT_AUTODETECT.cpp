#include "UUT_AUTODETECT.h"

using radalt::LockGroup;

namespace {

const char* const kReason = "Auto uut detect mode";
// The message after the detection mode changed, and (its variant) from start-up.
const char* const kChangedMessage =
    "Locked because auto uut detect mode is selected - the test set is automatically detecting the type of the "
    "Altimeter. To manually select the Altimeter type, change the Uut Detect Mode from Auto to Manual";
const char* const kStartupMessage =
    "Locked because auto uut detect mode is selected - the test set is automatically detecting the type of the "
    "Altimeter. To manually select the Altimeter type, change the uut detect mode from Auto to Manual";

const LockGroup kTypeGroups[] = {LockGroup::UUT_TYPE, LockGroup::UUT_CDF_SUB_TYPE};

}  // namespace

const char* const UUT_AUTODETECT::kActivity = "auto uut detect mode";

UUT_AUTODETECT::UUT_AUTODETECT(radalt::Core* mc) : EnumSetting(mc, radalt::EnumRole::UutAutodetect) {
  ApplyLocks(Automatic(), kStartupMessage);
}

void UUT_AUTODETECT::Changed(int value) { ApplyLocks(value == 0, kChangedMessage); }

void UUT_AUTODETECT::ApplyLocks(bool automatic, const char* message) {
  radalt::LockGroups& locks = mc_->Locks();
  for (LockGroup g : kTypeGroups) {
    if (!automatic)
      locks.Release(g, kActivity);
    else if (!locks.Holds(g, kActivity))
      locks.Take(g, kActivity, kReason, message);
  }
}
