#include "CALIBRATION.h"

#include <boost/bind/bind.hpp>

#include "Exceptions.h"
#include "Core.h"
#include "EngineItems.h"

namespace {
const char* const kFactoryChannelName = "FactoryCalibrationChannel";
}

CALIBRATION::CALIBRATION(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc)
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
  const int n = mc_->EnabledChannels();
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

void CALIBRATION::KeepWithinEnabled(int n, const Velmarin::Locker_ID& who) {
  const int ch = FactoryCalibrationChannelValue();
  // With no channel left the channel's own check would refuse every value: channel 1 is
  // assigned directly.
  if (n == 0 && ch > 1) AssignFactoryCalibrationChannel(1);
  else if (n >= 1 && n < ch) SetFactoryCalibrationChannel(n, who);
}
