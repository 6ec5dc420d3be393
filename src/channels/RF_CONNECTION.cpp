#include "RF_CONNECTION.h"

#include <boost/bind/bind.hpp>

#include "ChannelChecks.h"
#include "Core.h"
#include "Keys.h"

namespace {
using SC = Velmarin::RadAltSingleChannelStateControl::_objref_RADALTSC_MAIN_INTERFACE;

// Channel 1's current value, or 0 while channel 1 has no engine.
int Channel1Value(radalt::Core* mc) {
  try {
    return radalt::ReadItem(mc->Items(), mc->GetSingleChannelPtr(1), &SC::RfConnection);
  } catch (const CORBA::UserException&) {
    return 0;
  }
}
}  // namespace

const char* const RF_CONNECTION::PersistanceName = "RfConnection";

RF_CONNECTION::RF_CONNECTION(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc)
    : Parameter(mc, store, namer, gui, radalt::key::RFCONNECT, Channel1Value(mc),
                boost::bind(&RF_CONNECTION::RfConnectionCallback, this, boost::placeholders::_1)) {
  get_RfConnectionParams();
  Persist<int>(PersistanceName, attr_.Value());
}

Velmarin::EngineAttribEnumParams RF_CONNECTION::get_RfConnectionParams() {
  try {
    Velmarin::EngineAttribEnumParams_var params =
        mc_->Items().Call(mc_->GetSingleChannelPtr(1), &SC::RfConnection,
                          [](Velmarin::EngineAttribEnum_ptr item) { return item->GetParams(); });
    for (CORBA::ULong i = 0; i < params->length(); ++i) attr_.AddParam(params[i].value, params[i].label.in());
  } catch (const CORBA::UserException&) {
    // no channel-1 engine: no values to offer yet
  }
  return attr_.ParamsCopy();
}

void RF_CONNECTION::RfConnectionCallback(int v) {
  const int n = radalt::RequireAnyChannelEnabled(*mc_, " RF_CONNECTION::RfConnectionCallback");
  if (n > 3)
    radalt::LogThrow(" RF_CONNECTION::RfConnectionCallback throw RfConnectionCallback - current_Channel",
                     Velmarin::Runtime_errors::Unhandled_switch("RfConnectionCallback - current_Channel"));
  ForwardToChannels(n, &SC::RfConnection, static_cast<CORBA::Long>(v), " RF_CONNECTION::RfConnectionCallback");
  // The engines change the distance offset with the connection.
  if (auto* offsets = mc_->Find<radalt::DistanceOffsets>()) offsets->OffsetUpdateFromSC();
}

void RF_CONNECTION::RecallRfConnection() {
  const int v = Recalled<int>(PersistanceName);
  const int n = mc_->EnabledChannels();
  // Without an enabled channel no engine can say: the stored value is shown.
  if (n == 0) attr_ = v;
  ForwardToChannels(n, &SC::RfConnection, static_cast<CORBA::Long>(v), " RF_CONNECTION::RecallRfConnection");
}
