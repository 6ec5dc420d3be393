#include "EnumSetting.h"

#include <boost/bind/bind.hpp>

#include "ChannelChecks.h"
#include "SettingWrite.h"
#include "Keys.h"

namespace radalt {

namespace {

using SC = SCI::_objref_RADALTSC_MAIN_INTERFACE;

const EnumSettingRow kRows[] = {
    {EnumRole::UutAutodetect, "UUT_AUTODETECT", "UutAutodetectCallback", "RecallUutAutodetect", radalt::key::UUTDETECT,
     "UutAutodetect", &SC::UutAutodetect, ReadBack::LastEnabled, {LockGroup::SETTINGS}},
    {EnumRole::UutType, "UUT_TYPE", "UutUutTypeCallback", "RecallUutType", radalt::key::UUTTYPE, "UutType",
     &SC::UutType, ReadBack::LastEnabled, {LockGroup::SETTINGS, LockGroup::UUT_TYPE}},
    {EnumRole::UutCdfSubType, "UUT_CDF_SUB_TYPE", "UutUutCdfSubTypeCallback", "RecallUutCdfSubType",
     radalt::key::UUTCDFSUBTYPE, "UutCdfSubType", &SC::UutCdfSubType, ReadBack::LastEnabled,
     {LockGroup::SETTINGS, LockGroup::UUT_CDF_SUB_TYPE}},
    {EnumRole::CdfAltCorrection, "CdfAltCorrection", "CdfAltCorrCallback", "RecallCdfAltCorr", radalt::key::CDFALTCORRECTION,
     "CdfAltCorr", &SC::CdfAltCorrection, ReadBack::LastEnabled, {LockGroup::SETTINGS}},
    {EnumRole::AltitudeUnits, "ALTITUDE_UNITS", "AltitudeUnitsCallback", "RecallAltitudeUnits", radalt::key::ALTUNITS,
     "AltitudeUnits", &SC::AltitudeUnits, ReadBack::Channel1, {LockGroup::SETTINGS}},
    {EnumRole::DistanceUnits, "DISTANCE_UNITS", "DistanceUnitsCallback", "RecallDistanceUnits", radalt::key::DISTUNITS,
     "DistanceUnits", &SC::DistanceUnits, ReadBack::Channel1, {LockGroup::SETTINGS}},
    {EnumRole::FreqDisplayMode, "FreqDisplayMode", "freqDisplayModeCallback", "recallFreqDisplayMode",
     radalt::key::FREQDISPLAYMODE, "FreqDisplayMode", &SC::FreqDisplayMode, ReadBack::LastEnabled, {LockGroup::SETTINGS}},
    {EnumRole::ProfileDisplayUnits, "ProfileDisplayUnits", "profileDisplayUnitsCallback",
     "recallProfileDisplayUnits", radalt::key::PROFILEDISPLAYUNITS, "ProfileDisplayUnits", &SC::ProfileDisplayUnits,
     ReadBack::LastEnabled, {LockGroup::SETTINGS}},
    {EnumRole::PowerDisplayMode, "PowerDisplayMode", "powerDisplayModeCallback", "recallPowerDisplayMode",
     radalt::key::POWERDISPLAYMODE, "PowerDisplayMode", &SC::PowerDisplayMode, ReadBack::LastEnabled,
     {LockGroup::SETTINGS, LockGroup::POWERDISPLAYMODE}},
};

// Channel 1's engine item of row; a master control without it cannot be built.
OwnedRef<Velmarin::EngineAttribEnum_ptr> Channel1Item(Core* mc, const EnumSettingRow& row) {
  return Item(mc->Items(), mc->GetSingleChannelPtr(1), row.engineItem);
}

}  // namespace

const EnumSettingRow& RowOf(EnumRole role) {
  for (const EnumSettingRow& row : kRows)
    if (row.role == role) return row;
  throw std::logic_error("no row for an enumeration setting");
}

EnumSetting::EnumSetting(Core* mc, EnumRole role)
    : Parameter(mc, mc->SettingsStore(), mc->Namer(), mc->Gui(), RowOf(role).key,
                Channel1Item(mc, RowOf(role))->Get(),
                boost::bind(&EnumSetting::Write, this, boost::placeholders::_1)),
      row_(RowOf(role)) {
  Velmarin::EngineAttribEnumParams_var labels = Channel1Item(mc, row_)->GetParams();
  for (CORBA::ULong i = 0; i < labels->length(); ++i) attr_.AddParam(labels[i].value, labels[i].label.in());
  Persist<int>(row_.persistenceName, attr_.Value());
  for (LockGroup g : row_.groups) attr_.GuardWith(mc->Group(g));
}

std::string EnumSetting::Prefix(const char* method) const {
  return std::string(" ") + row_.className + "::" + method;
}

int EnumSetting::ReadFrom(int n) const { return row_.readBack == ReadBack::Channel1 ? 1 : n; }

bool EnumSetting::WriteAndShow(int n, int value, const char* method) {
  const Velmarin::Locker_ID who = WriterId();
  return SettingWrite::ToEnabled(Prefix(method), n, ReadFrom(n))
      .Run([&](int ch) { WriteItem(mc_->Items(), mc_->GetSingleChannelPtr(ch), row_.engineItem, who, value); },
           [&](int ch) {
             // The attribute shows what the row's engine holds.
             const int accepted = ReadItem(mc_->Items(), mc_->GetSingleChannelPtr(ch), row_.engineItem);
             if (accepted == attr_.Value()) return false;
             attr_ = accepted;
             return true;
           });
}

void EnumSetting::Write(int value) {
  const int n = RequireAnyChannelEnabled(*mc_, Prefix(row_.callbackName));
  if (WriteAndShow(n, value, row_.callbackName)) Changed(attr_.Value());
}

void EnumSetting::Recall() {
  const int n = mc_->EnabledChannels();
  // The stored value is shown only as far as an engine takes it: written, read back, shown.
  if (n == 0) return;
  WriteAndShow(n, Recalled<int>(row_.persistenceName), row_.recallName);
  Changed(attr_.Value());
}

}  // namespace radalt
