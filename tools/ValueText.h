// Text forms of attribute values, for the command-line client.
#pragma once

#include <omniORB4/CORBA.h>

#include <stdexcept>
#include <string>

#include "RadAltSC.hh"

namespace radaltctl {

// A value the user typed that does not fit the attribute.
struct BadValue : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Human-readable form of an attribute value ("1", "-55.0 dBm", "true", legs as
// "start:stop:rate, ..."). full adds every field of the value records.
std::string Describe(const CORBA::Any& value, bool full = false);

bool ParseBool(const std::string& text);
long ParseLong(const std::string& text);
double ParseDouble(const std::string& text);
// The value of an enumerator given by value or by label (case-insensitive).
long ParseEnum(const std::string& text, const Velmarin::EngineAttribEnumParams& params);
// "1000:500:100, 500:500:30": start:stop:rate-or-duration per leg, numbered from 1.
RadAltSingleChannelModel::AltimeterSimulationObjects::alt_sim_data_seq ParseLegs(const std::string& text);
std::string DescribeLegs(const RadAltSingleChannelModel::AltimeterSimulationObjects::alt_sim_data_seq& legs);
std::string UnitText(long code);
// A published record's text ("val=12.5 min=0 ... unit=3 valid=true") as "12.5 ft"; any other
// text as it is.
std::string DescribeSampleText(const std::string& text);

}  // namespace radaltctl
