#include "CalibrationKinds.h"
#include "Keys.h"

namespace radalt {

namespace {

using SC = SCI::_objref_RADALTSC_MAIN_INTERFACE;
using C = CALIBRATION;

const CalKindRow kKinds[kCalKindCount] = {
    {CalKind::RxCw, "RX CW", radalt::key::STARTRXCWCAL, radalt::key::DORXCWCALSTEP, radalt::key::SAVERXCWCAL, &C::StartRxCWCalCallback,
     &C::DoRxCWCalStepCallback, &C::SaveRxCWCalCallback, "StartRxCWCalCallback", "DoRxCWCalStepCallback",
     "SaveRxCWCalCallback", " ", " ", " ", "RX CW Calibration active",
     "Locked because a RX CW calibration is active. Abort the calibration", CALBUTTONS_RXCW_CAL,
     &SC::StartRxCWCal, &SC::DoRxCWCalStep, &SC::SaveRxCWCal, &SC::RxCwCalCurrentStep, false},
    {CalKind::RxPulse, "RX pulse", radalt::key::STARTRXPULSECAL, radalt::key::DORXPULSECALSTEP, radalt::key::SAVERXPULSECAL,
     &C::StartRxPulseCalCallback, &C::DoRxPulseCalStepCallback, &C::SaveRxPulseCalCallback,
     "StartRxPulseCalCallback", "DoRxPulseCalStepCallback", "SaveRxPulseCalCallback", " ", " ", " ",
     "RX Pulse Calibration active", "Locked because a RX pulse calibration is active. Abort the calibration",
     CALBUTTONS_RXPULSE_CAL, &SC::StartRxPulseCal, &SC::DoRxPulseCalStep, &SC::SaveRxPulseCal,
     &SC::RxPulseCalCurrentStep, false},
    {CalKind::Tcxo, "TCXO", radalt::key::STARTTCXOCAL, nullptr, radalt::key::SAVETCXOCAL, &C::StartTCXOCalCallback, nullptr,
     &C::SaveTCXOCalCallback, "StartTCXOCalCallback", nullptr, "SaveTCXOCalCallback", " ", " ", " ",
     "TCXO Calibration active", "Locked because a TCXO calibration is active. Abort the calibration",
     CALBUTTONS_TCXO_CAL, &SC::StartTCXOCal, nullptr, &SC::SaveTCXOCal, nullptr, false},
    {CalKind::TxPower, "TX", radalt::key::STARTTXPOWERCAL, radalt::key::DOTXCALSTEP, radalt::key::SAVETXCAL, &C::StartTxPowerCalCallback,
     &C::DoTxCalStepCallback, &C::SaveTxCalCallback, "StartTxPowerCalCallback", "DoTxCalStepCallback",
     "SaveTxCalCallback", " ", " ", " ", "TX Calibration active",
     "Locked because a TX calibration is active. Abort the calibration", CALBUTTONS_TXPOWER_CAL,
     &SC::StartTxPowerCal, &SC::DoTxCalStep, &SC::SaveTxCal, &SC::TxCalCurrentStep, false},
    {CalKind::Loopback, "loopback", radalt::key::STARTANALOGVARATTENCAL, nullptr, nullptr, &C::StartLoopbackCalCallback,
     nullptr, nullptr, "StartLoopbackCalCallback", nullptr, nullptr, " ", " ", " ", "Loopback Calibration active",
     "Locked because a loopback calibration is active. Abort the calibration", CALBUTTONS_LOOPBACK_CAL,
     &SC::StartLoopbackCal, nullptr, nullptr, nullptr, true},
    {CalKind::Rfdm, "RFDM", radalt::key::STARTRFDMCAL, radalt::key::DORFDMCALSTEP, radalt::key::SAVERFDMCAL, &C::StartRFDMCalCallback,
     &C::DoRFDMCalStepCallback, &C::SaveRFDMCalCallback, "StartRFDMCalCallback", "DoRFDMCalStepCallback",
     "SaveRFDMCalCallback", "MC  ", "MC ", "MC  ", "RFDM Calibration active",
     "Locked because a RFDM calibration is active. Abort the calibration", CALBUTTONS_RFDM_CAL,
     &SC::StartRFDMCal, &SC::DoRFDMCalStep, &SC::SaveRFDMCal, nullptr, false},
    {CalKind::User, "delay", radalt::key::STARTUSERCAL, nullptr, nullptr, &C::StartUserCalCallback, nullptr, nullptr,
     "StartUserCalCallback", nullptr, nullptr, " ", " ", " ", "Delay Calibration active",
     "Locked because a delay calibration is active. Abort the calibration", CALBUTTONS_USER_CAL,
     &SC::StartUserCal, nullptr, nullptr, nullptr, true},
};

const CalValidRow kValid[kCalKindCount] = {
    {CalKind::RxCw, radalt::key::RXCWCALVALID, "RxCWCalValid", 60, &SC::RxCWCalValid},
    {CalKind::RxPulse, radalt::key::RXPULSECALVALID, "RXPULSECalValid", 61, &SC::RxPulseCalValid},
    {CalKind::Tcxo, radalt::key::TCXOCALVALID, "TCXOCalValid", 59, &SC::TCXOCalValid},
    {CalKind::TxPower, radalt::key::TXCALVALID, "TXCalValid", 62, &SC::TxCalValid},
    {CalKind::Loopback, radalt::key::ANALOGVARATTENCALVALID, "AnalogVarAttenCalValid", 63, &SC::LoopbackCalValid},
    {CalKind::Rfdm, radalt::key::RFDMCALVALID, nullptr, 0, &SC::RFDMCalValid},
    {CalKind::User, radalt::key::USERCALVALID, "UserCalValid", 58, &SC::UserCalValid},
};

}  // namespace

const CalKindRow& KindRow(CalKind kind) { return kKinds[static_cast<std::size_t>(kind)]; }
const CalValidRow& ValidRow(CalKind kind) { return kValid[static_cast<std::size_t>(kind)]; }

}  // namespace radalt
