#include "COUPLED_MANUAL_RF_LEVEL.h"

#include <boost/bind/bind.hpp>

#include "LevelParameter.h"
#include "Core.h"
#include "RfLevelCommon.h"
#include "Keys.h"

const char* const COUPLED_MANUAL_RF_LEVEL::PersistanceName = "CoupledManualRfLevel";

COUPLED_MANUAL_RF_LEVEL::COUPLED_MANUAL_RF_LEVEL(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui,
                                                 radalt::Core* mc)
    : Parameter(mc, store, namer, gui, radalt::key::COUPLEDMANUALRFLVL, false,
                boost::bind(&COUPLED_MANUAL_RF_LEVEL::CoupledManualRfLevelCallback, this, boost::placeholders::_1)) {
  Persist<int>(PersistanceName, 0);
}

void COUPLED_MANUAL_RF_LEVEL::CoupledManualRfLevelCallback(int coupled) {
  const std::string prefix = " COUPLED_MANUAL_RF_LEVEL::CoupledManualRfLevelCallback";
  const int n = radalt::RequireAnyChannelEnabled(*mc_, prefix);
  const bool before = Value();
  if ((coupled != 0) != before) attr_ = (coupled != 0);
  const int mode = radalt::Item(mc_->Items(), mc_->GetSingleChannelPtr(1), &radalt::ScMain::RfLevelMode)->Get();
  if (before || !Value() || mode != radalt::kManualRfLevel) return;
  // Coupling switched on in manual mode: the channels start from channel 1's level and loss.
  const Velmarin::Locker_ID who = WriterId();
  radalt::CopyChannel1Level(*mc_, radalt::LevelRole::OutputPower, n, who, prefix);
  radalt::CopyChannel1Level(*mc_, radalt::LevelRole::LoopLoss, n, who, prefix);
}
