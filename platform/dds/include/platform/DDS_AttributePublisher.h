// Publishes the values that attribute and reading servants are assigned.
#pragma once

#include <omniORB4/CORBA.h>

#include <string>

#include "platform/ItemNamer.h"

namespace Velmarin {

// An AttributePublisher (for ItemNamer::SetPublisher) that sends each assigned value on the
// attribute's topic. The first value on a topic fixes the topic's sample type:
//   boolean -> ATTR_BOOLEAN, long -> ATTR_LONG, string -> ATTR_STRING,
//   VALUE_DOUBLE::VALUE -> ATTR_VALUE_DOUBLE, VALUE_LONG::VALUE -> ATTR_VALUE_LONG,
//   anything else (a profile, an enumeration, a sequence) -> ATTR_STRING carrying AnyText(value).
// A later value of another kind goes out as text on a string topic and is dropped (with a line
// on standard error) on the others. The function holds a share of the process participant and
// its writers, created on first use, as long as it or a copy of it lives. It never throws:
// failures go to standard error.
AttributePublisher MakeDdsAttributePublisher();

// Printable text of any value an attribute can hold: "true", "42", "text", and for records and
// sequences their members, e.g. "[{Start_Alt=0, Stop_Alt=1000, AltRate_Dur=10, Leg_Number=1}]".
std::string AnyText(const CORBA::Any& value);

}  // namespace Velmarin
