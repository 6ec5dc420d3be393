// The objects of UUT identification, readings and display, as the other subsystems find them
// (Core::Find<radalt::UutObjects>()).
#pragma once

#include <memory>

#include "ALTITUDE_UNITS.h"
#include "CdfAltCorrection.h"
#include "DISTANCE_UNITS.h"
#include "FreqDisplayMode.h"
#include "PowerDisplayMode.h"
#include "ProfileDisplayUnits.h"
#include "UUT_AUTODETECT.h"
#include "UUT_CDF_SUB_TYPE.h"
#include "UUT_TYPE.h"
#include "UutReadings.h"

namespace radalt {

struct UutObjects {
  // construction group 3
  std::unique_ptr<UutReadingObjects> readings;
  // construction group 5
  std::unique_ptr<ALTITUDE_UNITS> altitudeUnits;
  std::unique_ptr<DISTANCE_UNITS> distanceUnits;
  std::unique_ptr<UUT_AUTODETECT> uutAutodetect;
  std::unique_ptr<UUT_TYPE> uutType;
  std::unique_ptr<UUT_CDF_SUB_TYPE> uutCdfSubType;
  std::unique_ptr<FreqDisplayMode> freqDisplayMode;
  std::unique_ptr<CdfAltCorrection> cdfAltCorrection;
  std::unique_ptr<ProfileDisplayUnits> profileDisplayUnits;
  std::unique_ptr<PowerDisplayMode> powerDisplayMode;
};

}  // namespace radalt
