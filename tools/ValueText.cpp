#include "ValueText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <sstream>
#include <type_traits>

namespace radaltctl {

namespace AS = RadAltSingleChannelModel::AltimeterSimulationObjects;

namespace {

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  const auto e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

// As a stream writes it by default (six significant digits, "%g"), without building one.
std::string Number(double v) {
  char buf[32];
  const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
  return std::string(buf, res.ptr);
}

// "12.5 ft", or the number alone when the unit has no text.
template <class V>
std::string WithUnit(const V& v) {
  std::string out = std::is_floating_point_v<decltype(v.val)> ? Number(v.val) : std::to_string(v.val);
  const std::string unit = UnitText(v.unit);
  return unit.empty() ? out : out + " " + unit;
}

}  // namespace

std::string UnitText(long code) {
  switch (code) {
    case Velmarin::Units::METRES: return "m";
    case Velmarin::Units::DBM: return "dBm";
    case Velmarin::Units::FEET: return "ft";
    case Velmarin::Units::DB: return "dB";
    case Velmarin::Units::MHZ: return "MHz";
    case Velmarin::Units::NS: return "ns";
    case Velmarin::Units::HZ: return "Hz";
    case Velmarin::Units::SECONDS: return "s";
    case Velmarin::Units::FEET_PER_SECOND: return "ft/s";
    default: return "";
  }
}

std::string Describe(const CORBA::Any& value, bool full) {
  // One look at the type first: a failed extraction compares type codes, which costs more
  // than the text (the journal describes three values of every write).
  CORBA::TypeCode_var tc = value.type();
  switch (tc->kind()) {
    case CORBA::tk_boolean: {
      CORBA::Boolean b;
      if (value >>= CORBA::Any::to_boolean(b)) return b ? "true" : "false";
      break;
    }
    case CORBA::tk_long: {
      CORBA::Long l;
      if (value >>= l) return std::to_string(l);
      break;
    }
    case CORBA::tk_string: {
      const char* s;
      if (value >>= s) return std::string("\"") + s + "\"";
      break;
    }
    case CORBA::tk_null:
    case CORBA::tk_void:
      return "-";
    default:
      break;
  }
  const VALUE_DOUBLE::VALUE* vd;
  const VALUE_LONG::VALUE* vl;
  const AS::alt_sim_data_seq* legs;
  if (value >>= vd) {
    if (!full) return WithUnit(*vd);
    std::ostringstream o;
    o << WithUnit(*vd) << " (min " << vd->min << ", max " << vd->max << ", resolution " << vd->resolution
      << ", unit " << vd->unit << ", valid " << (vd->valid ? "true" : "false") << ")";
    return o.str();
  }
  if (value >>= vl) {
    if (!full) return WithUnit(*vl);
    std::ostringstream o;
    o << WithUnit(*vl) << " (min " << vl->min << ", max " << vl->max << ", step " << vl->step << ", unit "
      << vl->unit << ", valid " << (vl->valid ? "true" : "false") << ")";
    return o.str();
  }
  if (value >>= legs) return DescribeLegs(*legs);
  return "(value of another kind)";
}

bool ParseBool(const std::string& text) {
  const std::string t = Lower(Trim(text));
  if (t == "1" || t == "true" || t == "on" || t == "yes") return true;
  if (t == "0" || t == "false" || t == "off" || t == "no") return false;
  throw BadValue("not a boolean: '" + text + "' (use true/false, on/off or 1/0)");
}

long ParseLong(const std::string& text) {
  const std::string t = Trim(text);
  std::size_t used = 0;
  long v = 0;
  try {
    v = std::stol(t, &used);
  } catch (...) {
    used = 0;
  }
  if (t.empty() || used != t.size() || v < -2147483648L || v > 2147483647L)
    throw BadValue("not an integer: '" + text + "'");
  return v;
}

double ParseDouble(const std::string& text) {
  const std::string t = Trim(text);
  std::size_t used = 0;
  double v = 0;
  try {
    v = std::stod(t, &used);
  } catch (...) {
    used = 0;
  }
  if (t.empty() || used != t.size() || !std::isfinite(v)) throw BadValue("not a number: '" + text + "'");
  return v;
}

long ParseEnum(const std::string& text, const Velmarin::EngineAttribEnumParams& params) {
  const std::string t = Lower(Trim(text));
  for (CORBA::ULong i = 0; i < params.length(); ++i)
    if (Lower(params[i].label.in()) == t) return params[i].value;
  long v;
  try {
    v = ParseLong(text);
  } catch (const BadValue&) {
    v = -1;
    std::string labels;
    for (CORBA::ULong i = 0; i < params.length(); ++i)
      labels += (i ? ", " : "") + std::to_string(params[i].value) + "=" + params[i].label.in();
    throw BadValue("not a value of this enumeration: '" + text + "' (" + labels + ")");
  }
  return v;  // an unknown number is left for the engine to refuse, with its limits
}

AS::alt_sim_data_seq ParseLegs(const std::string& text) {
  AS::alt_sim_data_seq legs;
  std::stringstream in(text);
  std::string part;
  CORBA::ULong n = 0;
  while (std::getline(in, part, ',')) {
    if (Trim(part).empty()) continue;
    std::stringstream fields(part);
    std::string f[3], extra;
    if (!std::getline(fields, f[0], ':') || !std::getline(fields, f[1], ':') || !std::getline(fields, f[2], ':') ||
        std::getline(fields, extra, ':'))
      throw BadValue("a leg is start:stop:rate-or-duration, not '" + Trim(part) + "'");
    legs.length(n + 1);
    legs[n].Start_Alt = ParseDouble(f[0]);
    legs[n].Stop_Alt = ParseDouble(f[1]);
    legs[n].AltRate_Dur = ParseDouble(f[2]);
    legs[n].Leg_Number = static_cast<CORBA::Long>(n + 1);
    ++n;
  }
  return legs;
}

std::string DescribeLegs(const AS::alt_sim_data_seq& legs) {
  if (legs.length() == 0) return "(no legs)";
  std::string out;
  for (CORBA::ULong i = 0; i < legs.length(); ++i)
    out += (i ? ", " : "") + Number(legs[i].Start_Alt) + ":" + Number(legs[i].Stop_Alt) + ":" +
           Number(legs[i].AltRate_Dur);
  return out;
}

std::string DescribeSampleText(const std::string& text) {
  if (text.rfind("val=", 0) != 0) return text;
  std::istringstream in(text);
  std::string field, value, unit;
  while (in >> field) {
    const auto eq = field.find('=');
    if (eq == std::string::npos) continue;
    if (field.compare(0, eq, "val") == 0) value = field.substr(eq + 1);
    if (field.compare(0, eq, "unit") == 0) unit = field.substr(eq + 1);
  }
  try {
    std::string out = Number(std::stod(value));
    const std::string u = unit.empty() ? "" : UnitText(std::stol(unit));
    return u.empty() ? out : out + " " + u;
  } catch (...) {
    return text;
  }
}

}  // namespace radaltctl
