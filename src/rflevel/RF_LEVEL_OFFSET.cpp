#include "RF_LEVEL_OFFSET.h"

#include <boost/bind/bind.hpp>

#include "Core.h"
#include "RfLevelCommon.h"
#include "Keys.h"

namespace {
radalt::OwnedRef<Velmarin::EngineAttribValueLong_ptr> OffsetItem(radalt::Core* mc, int channel) {
  return radalt::Item(mc->Items(), mc->GetSingleChannelPtr(channel), &radalt::ScMain::RfLevelOffset);
}
}  // namespace

const char* const RF_LEVEL_OFFSET::PersistanceName = "RfLevelOffset";

RF_LEVEL_OFFSET::RF_LEVEL_OFFSET(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                                 Velmarin::Lockable_i& settings)
    : Parameter(mc, store, namer, gui, radalt::key::RFLVLOFFSET, OffsetItem(mc, 1)->Get(),
                boost::bind(&RF_LEVEL_OFFSET::RfLevelOffsetCallback, this, boost::placeholders::_1),
                OffsetItem(mc, 1)->GetParams()) {
  Persist<int>(PersistanceName, attr_.Value().val);
  attr_.GuardWith(settings);
}

void RF_LEVEL_OFFSET::RfLevelOffsetCallback(const VALUE_LONG::VALUE& v) {
  const int n = radalt::RequireAnyChannelEnabled(*mc_, " RF_LEVEL_OFFSET::RfLevelOffsetCallback");
  WriteAndShow(n, v);
}

void RF_LEVEL_OFFSET::RecallRfLevelOffset() {
  VALUE_LONG::VALUE v = attr_.Value();
  v.val = Recalled<int>(PersistanceName);
  WriteAndShow(radalt::EnabledNow(*mc_), v);
}

void RF_LEVEL_OFFSET::WriteAndShow(int n, const VALUE_LONG::VALUE& v) {
  const Velmarin::Locker_ID who = WriterId();
  // The offset shows the last channel's engine (after a failure, the last engine that took it).
  using radalt::SettingWrite;
  const SettingWrite write = SettingWrite::ToEnabled(" RF_LEVEL_OFFSET::RfLevelOffsetCallback", n,
                                                     SettingWrite::kLastEnabled, radalt::EngineLocks::kAsTheyAre,
                                                     radalt::AfterFailure::kLastTaken);
  write.Run([&](int ch) { OffsetItem(mc_, ch)->Set(who, v); },
            [&](int ch) {
              const VALUE_LONG::VALUE accepted = OffsetItem(mc_, ch)->Get();
              if (!ValueLongSame(accepted, attr_.Value())) attr_ = accepted;
            });
}
