#include "CalibrationKinds.h"
#include "Keys.h"

namespace radalt {

namespace {

using SC = SCI::_objref_RADALTSC_MAIN_INTERFACE;
using C = CALIBRATION;

const CalKindRow kKinds[kCalKindCount] = {
    {CalKind::RxCw, radalt::key::STARTRXCWCAL, radalt::key::DORXCWCALSTEP, radalt::key::SAVERXCWCAL, &C::StartRxCWCalCallback,
     &C::DoRxCWCalStepCallback, &C::SaveRxCWCalCallback, " ", " ", " ", &SC::StartRxCWCal, &SC::DoRxCWCalStep,
     &SC::SaveRxCWCal, &SC::RxCwCalCurrentStep},
    {CalKind::RxPulse, radalt::key::STARTRXPULSECAL, radalt::key::DORXPULSECALSTEP, radalt::key::SAVERXPULSECAL,
     &C::StartRxPulseCalCallback, &C::DoRxPulseCalStepCallback, &C::SaveRxPulseCalCallback, " ", " ", " ",
     &SC::StartRxPulseCal, &SC::DoRxPulseCalStep, &SC::SaveRxPulseCal, &SC::RxPulseCalCurrentStep},
    {CalKind::Tcxo, radalt::key::STARTTCXOCAL, nullptr, radalt::key::SAVETCXOCAL, &C::StartTCXOCalCallback, nullptr,
     &C::SaveTCXOCalCallback, " ", " ", " ", &SC::StartTCXOCal, nullptr, &SC::SaveTCXOCal, nullptr},
    {CalKind::TxPower, radalt::key::STARTTXPOWERCAL, radalt::key::DOTXCALSTEP, radalt::key::SAVETXCAL, &C::StartTxPowerCalCallback,
     &C::DoTxCalStepCallback, &C::SaveTxCalCallback, " ", " ", " ", &SC::StartTxPowerCal, &SC::DoTxCalStep,
     &SC::SaveTxCal, &SC::TxCalCurrentStep},
    {CalKind::Loopback, radalt::key::STARTANALOGVARATTENCAL, nullptr, nullptr, &C::StartLoopbackCalCallback, nullptr,
     nullptr, " ", " ", " ", &SC::StartLoopbackCal, nullptr, nullptr, nullptr},
    {CalKind::Rfdm, radalt::key::STARTRFDMCAL, radalt::key::DORFDMCALSTEP, radalt::key::SAVERFDMCAL, &C::StartRFDMCalCallback,
     &C::DoRFDMCalStepCallback, &C::SaveRFDMCalCallback, "MC  ", "MC ", "MC  ", &SC::StartRFDMCal, &SC::DoRFDMCalStep,
     &SC::SaveRFDMCal, nullptr},
    {CalKind::User, radalt::key::STARTUSERCAL, nullptr, nullptr, &C::StartUserCalCallback, nullptr, nullptr, " ", " ",
     " ", &SC::StartUserCal, nullptr, nullptr, nullptr},
};

const CalValidRow kValid[kCalKindCount] = {
    {CalKind::RxCw, radalt::key::RXCWCALVALID, "RxCWCalValid", &SC::RxCWCalValid},
    {CalKind::RxPulse, radalt::key::RXPULSECALVALID, "RXPULSECalValid", &SC::RxPulseCalValid},
    {CalKind::Tcxo, radalt::key::TCXOCALVALID, "TCXOCalValid", &SC::TCXOCalValid},
    {CalKind::TxPower, radalt::key::TXCALVALID, "TXCalValid", &SC::TxCalValid},
    {CalKind::Loopback, radalt::key::ANALOGVARATTENCALVALID, "AnalogVarAttenCalValid", &SC::LoopbackCalValid},
    {CalKind::Rfdm, radalt::key::RFDMCALVALID, nullptr, &SC::RFDMCalValid},
    {CalKind::User, radalt::key::USERCALVALID, "UserCalValid", &SC::UserCalValid},
};

}  // namespace

const CalKindRow& KindRow(CalKind kind) { return kKinds[static_cast<std::size_t>(kind)]; }
const CalValidRow& ValidRow(CalKind kind) { return kValid[static_cast<std::size_t>(kind)]; }

}  // namespace radalt
