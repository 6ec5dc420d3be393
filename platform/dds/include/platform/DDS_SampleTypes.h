// The VIZU_DDS sample types and the value each one carries.
#pragma once

#include <fastrtps/types/TypesBase.h>
#include <omniORB4/CORBA.h>

#include <string>

#include "VelmarinValues.hh"
#include "platform/DDS_Failure.h"
#include "VizuDds.h"
#include "VizuDdsPubSubTypes.h"

namespace Velmarin {

using DDS_ReturnCode = eprosima::fastrtps::types::ReturnCode_t;

// The value types a topic can carry.
enum class DDS_ValueKind { Boolean, Long, String, ValueDouble, ValueLong };

// The registered type name of the samples of kind ("VIZU_DDS::ATTR_BOOLEAN", ...).
const char* DDS_TypeName(DDS_ValueKind kind);

// Printable text of a value: "true", "42", the string itself, or the record's fields
// ("val=12.5 min=0 max=100 resolution=1 unit=2 valid=true").
std::string DDS_ValueText(bool value);
std::string DDS_ValueText(int value);
std::string DDS_ValueText(const char* value);
std::string DDS_ValueText(const VALUE_DOUBLE::VALUE& value);
std::string DDS_ValueText(const VALUE_LONG::VALUE& value);
inline std::string DDS_ValueText(const CORBA::String_var& value) { return DDS_ValueText(value.in()); }

// How a value of type T travels: its sample type, the type support that registers it, and the
// copies between value and sample. Every sample carries the key `instance`, left at 0, so that a
// topic holds one instance.
template <class T>
struct DDS_SampleTraits;

template <>
struct DDS_SampleTraits<bool> {
  using Sample = VIZU_DDS::ATTR_BOOLEAN;
  using TypeSupport = VIZU_DDS::ATTR_BOOLEANPubSubType;
  static constexpr DDS_ValueKind Kind = DDS_ValueKind::Boolean;
  static void Fill(Sample& sample, bool value) { sample.value(value); }
  static bool Value(const Sample& sample) { return sample.value(); }
};

template <>
struct DDS_SampleTraits<int> {
  using Sample = VIZU_DDS::ATTR_LONG;
  using TypeSupport = VIZU_DDS::ATTR_LONGPubSubType;
  static constexpr DDS_ValueKind Kind = DDS_ValueKind::Long;
  static void Fill(Sample& sample, int value) { sample.value(value); }
  static int Value(const Sample& sample) { return sample.value(); }
};

// Strings are sent from a String_var and arrive as a fresh String_var; a null string is sent
// as "". A sample whose text holds a NUL has no String_var: it is refused (DDS_RuntimeError)
// rather than cut at the NUL ("create,2" NUL "junk" is not "create,2").
template <>
struct DDS_SampleTraits<CORBA::String_var> {
  using Sample = VIZU_DDS::ATTR_STRING;
  using TypeSupport = VIZU_DDS::ATTR_STRINGPubSubType;
  static constexpr DDS_ValueKind Kind = DDS_ValueKind::String;
  static void Fill(Sample& sample, const CORBA::String_var& value) {
    sample.value(value.in() != nullptr ? value.in() : "");
  }
  static CORBA::String_var Value(const Sample& sample) {
    const std::string& text = sample.value();
    const std::string::size_type nul = text.find('\0');
    if (nul != std::string::npos)
      throw DDS_RuntimeError(("string sample of " + std::to_string(text.size()) + " bytes refused: NUL at byte " +
                              std::to_string(nul))
                                 .c_str());
    return CORBA::string_dup(text.c_str());
  }
};

template <>
struct DDS_SampleTraits<VALUE_DOUBLE::VALUE> {
  using Sample = VIZU_DDS::ATTR_VALUE_DOUBLE;
  using TypeSupport = VIZU_DDS::ATTR_VALUE_DOUBLEPubSubType;
  static constexpr DDS_ValueKind Kind = DDS_ValueKind::ValueDouble;
  static void Fill(Sample& sample, const VALUE_DOUBLE::VALUE& value) {
    sample.val(value.val);
    sample.min(value.min);
    sample.max(value.max);
    sample.resolution(value.resolution);
    sample.unit(value.unit);
    sample.valid(value.valid);
  }
  static VALUE_DOUBLE::VALUE Value(const Sample& sample) {
    VALUE_DOUBLE::VALUE value;
    value.val = sample.val();
    value.min = sample.min();
    value.max = sample.max();
    value.resolution = sample.resolution();
    value.unit = sample.unit();
    value.valid = sample.valid();
    return value;
  }
};

template <>
struct DDS_SampleTraits<VALUE_LONG::VALUE> {
  using Sample = VIZU_DDS::ATTR_VALUE_LONG;
  using TypeSupport = VIZU_DDS::ATTR_VALUE_LONGPubSubType;
  static constexpr DDS_ValueKind Kind = DDS_ValueKind::ValueLong;
  static void Fill(Sample& sample, const VALUE_LONG::VALUE& value) {
    sample.val(value.val);
    sample.min(value.min);
    sample.max(value.max);
    sample.step(value.step);
    sample.unit(value.unit);
    sample.valid(value.valid);
  }
  static VALUE_LONG::VALUE Value(const Sample& sample) {
    VALUE_LONG::VALUE value;
    value.val = sample.val();
    value.min = sample.min();
    value.max = sample.max();
    value.step = sample.step();
    value.unit = sample.unit();
    value.valid = sample.valid();
    return value;
  }
};

}  // namespace Velmarin
