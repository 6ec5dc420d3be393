#include "CALIBRATION.h"

#include <boost/bind/bind.hpp>

#include "Exceptions.h"
#include "NO_OF_ENABLED_CHANNELS.h"
#include "RADALT_MC.h"

namespace {
const char* const kFactoryChannelName = "FactoryCalibrationChannel";
}

CALIBRATION::CALIBRATION(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, RADALT_MC* mc)
    : mc_(mc),
      store_(store),
      calButtonsLocked_(namer, gui, "CALBUTTONSLOCKED", 0),
      factoryChannel_(namer, gui, "FACTORYCALIBRATIONCHANNEL", 1,
                      boost::bind(&CALIBRATION::FactoryCalibrationChannelCallback, this, boost::placeholders::_1),
                      get_FactoryCalibrationChannelParams()) {
  if (store_) store_->CreateValue<int>(7, kFactoryChannelName, 1.0f, factoryChannel_.Value());
}

void CALIBRATION::setCalibrationButtonsLocked(unsigned int code) {
  calButtonsLocked_ = static_cast<CORBA::Long>(code);
}

void CALIBRATION::FactoryCalibrationChannelCallback(int ch) {
  const int n = mc_->NoOfEnabledChannelsObj() ? mc_->NoOfEnabledChannelsObj()->Value() : 0;
  if (!(n >= ch && ch > 0))
    radalt::LogThrow("<CALIBRATION::FactoryCalibrationChannelCallback:throw Illegal channel",
                     Velmarin::Operation_errors::DataOutOfRangeException<int>("Illegal channel", 1, n, ch));
  if (!mc_->GetSingleChannelIsLocal(ch))
    radalt::LogThrow(
        "<CALIBRATION::FactoryCalibrationChannelCallback:throw Cannot perform a factory calibration on an external channel",
        Velmarin::Operation_errors::NotSupported("Cannot perform a factory calibration on an external channel"));
  for (int c = 1; c <= n; ++c) {
    if (radalt::ReadItem(mc_->Items(), mc_->GetSingleChannelPtr(c),
                         &Velmarin::RadAltSingleChannelStateControl::_objref_RADALTSC_MAIN_INTERFACE::FactoryCalRunning))
      radalt::LogThrow(
          "<CALIBRATION::FactoryCalibrationChannelCallback:throw Cannot change channel since a factory calibration is active",
          Velmarin::Operation_errors::Settings_Conflict("Cannot change channel since a factory calibration is active"));
  }
  if (ch != factoryChannel_.Value()) factoryChannel_ = ch;
}

void CALIBRATION::RecallFactoryCalChan() {
  if (store_) factoryChannel_ = store_->GetValue<int>(std::string(kFactoryChannelName), 1.0f);
}
