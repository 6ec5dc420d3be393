#include "platform/DDS_SampleTypes.h"

#include <iterator>
#include <sstream>

namespace Velmarin {
namespace {

struct KindName {
  DDS_ValueKind kind;
  const char* typeName;
};

const KindName kKindNames[] = {
    {DDS_ValueKind::Boolean, "VIZU_DDS::ATTR_BOOLEAN"},
    {DDS_ValueKind::Long, "VIZU_DDS::ATTR_LONG"},
    {DDS_ValueKind::String, "VIZU_DDS::ATTR_STRING"},
    {DDS_ValueKind::ValueDouble, "VIZU_DDS::ATTR_VALUE_DOUBLE"},
    {DDS_ValueKind::ValueLong, "VIZU_DDS::ATTR_VALUE_LONG"},
};

template <class Record>
std::string RecordText(const Record& value, const char* fourthName, long fourth) {
  std::ostringstream text;
  text.precision(15);
  text << "val=" << value.val << " min=" << value.min << " max=" << value.max << ' '
       << fourthName << '=' << fourth << " unit=" << value.unit
       << " valid=" << (value.valid ? "true" : "false");
  return text.str();
}

}  // namespace

const char* DDS_TypeName(DDS_ValueKind kind) {
  for (const auto& entry : kKindNames)
    if (entry.kind == kind) return entry.typeName;
  return "";
}

std::string DDS_ValueText(bool value) { return value ? "true" : "false"; }

std::string DDS_ValueText(int value) { return std::to_string(value); }

std::string DDS_ValueText(const char* value) { return value != nullptr ? value : ""; }

std::string DDS_ValueText(const VALUE_DOUBLE::VALUE& value) {
  return RecordText(value, "resolution", value.resolution);
}

std::string DDS_ValueText(const VALUE_LONG::VALUE& value) {
  return RecordText(value, "step", value.step);
}

}  // namespace Velmarin
