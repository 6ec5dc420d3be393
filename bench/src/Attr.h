// The master control as a client sees it: its attribute registry, and writers that set an
// attribute the way an operator page or a remote client does.
#pragma once

#include <omniORB4/CORBA.h>

#include <string>
#include <utility>

#include "VelmarinEngine.hh"
#include "platform/Lock.h"

namespace radalt_bench {

// The master control's registry, found in the naming service under
// "Lumaren/local/GUI_ABLE/RADALT<n>".
class Registry {
 public:
  // Throws CORBA::TRANSIENT when no master control is registered.
  Registry();

  // The attribute's reference; nil when the registry knows no attribute of that name.
  Velmarin::EngineReadingBase_ptr Find(const std::string& name);
  bool Has(const std::string& name);
  // The registry's reference (borrowed).
  Velmarin::GUI_Able_ptr Gui() const { return gui_.in(); }

 private:
  Velmarin::GUI_Able_var gui_;
};

// The name of a CORBA exception followed by the texts it carries.
std::string DescribeException(const CORBA::Exception& e);

// Current value of any attribute or reading as a number: booleans 0/1, value records their
// value field; NaN for a value that is no number.
double ReadNumber(Velmarin::EngineReadingBase_ptr attr);

// Writes one attribute, holding its narrowed reference, as a client that fetched it once.
class AttrWriter {
 public:
  // Reads the attribute's type, value and limits once. Throws std::runtime_error for a
  // reading or a value kind the bench does not write.
  AttrWriter(Velmarin::EngineReadingBase_ptr attr, const Velmarin::Locker_ID& who);

  const std::string& Type() const { return type_; }
  // The two values WriteNext alternates between (a command and a text: 0 and 0).
  std::pair<double, double> Alternation() const { return pair_; }

  // Writes the other of the two alternating values than the last one written (the first
  // call writes the second value, so that it is a change); a command is executed.
  void WriteNext();
  // Writes v: numbers and enumerations as they are, booleans as v != 0, value records in
  // their value field (the other fields as last read).
  void Write(double v);
  double Read() { return ReadNumber(attr_.in()); }

 private:
  enum class Kind { Boolean, Long, Enum, String, ValueLong, ValueDouble, Command };

  Velmarin::EngineReadingBase_var attr_;
  Velmarin::Locker_ID who_;
  std::string type_;
  Kind kind_ = Kind::Long;
  std::pair<double, double> pair_{0, 0};
  bool second_ = false;
  std::string text_;
  VALUE_DOUBLE::VALUE double_{};
  VALUE_LONG::VALUE long_{};
  Velmarin::EngineAttribBoolean_var boolean_;
  Velmarin::EngineAttribLong_var longAttr_;
  Velmarin::EngineAttribEnum_var enum_;
  Velmarin::EngineAttribString_var string_;
  Velmarin::EngineAttribValueLong_var valueLong_;
  Velmarin::EngineAttribValueDouble_var valueDouble_;
  Velmarin::EngineAttribVoid_var command_;
};

}  // namespace radalt_bench
