// The system's exception types and the comparisons of value records.
#pragma once

#include <iostream>
#include <string>
#include <type_traits>

#include "VelmarinErrors.hh"
#include "VelmarinValues.hh"

// Signals, caught only by the entry points.
class Term_Exception {};
class Quit_Exception {};

namespace Velmarin {
namespace Operation_errors {

// A value outside its limits: the text, the limits and the offending value.
template <class T>
class DataOutOfRangeException : public DataOutOfRange {
 public:
  DataOutOfRangeException(const std::string& text, T minimum, T maximum, T value) {
    info.text = CORBA::string_dup(text.c_str());
    info.minimum = Number(minimum);
    info.maximum = Number(maximum);
    info.value = Number(value);
  }

 private:
  static TypeUnion Number(T v) {
    TypeUnion u;
    if (std::is_integral<T>::value)
      u.l(static_cast<CORBA::Long>(v));
    else
      u.d(static_cast<CORBA::Double>(v));
    return u;
  }
};

// An engine's lock refusal, passed on with its three texts.
class Locking_Error_Exception : public Locking_Error {
 public:
  Locking_Error_Exception(const char* holder, const char* reason, const char* message)
      : Locking_Error(holder, reason, message) {}
  explicit Locking_Error_Exception(const Locking_Error& e)
      : Locking_Error(e.holder.in(), e.reason.in(), e.message.in()) {}
};

}  // namespace Operation_errors
}  // namespace Velmarin

namespace radalt {

// Writes the refusal line to standard output, then throws.
template <class E>
[[noreturn]] void LogThrow(const std::string& line, const E& e) {
  std::cout << line << std::endl;
  throw e;
}

}  // namespace radalt

// True when every field of the two records is equal.
bool ValueLongSame(const VALUE_LONG::VALUE& a, const VALUE_LONG::VALUE& b);
// True when the integer and flag fields are equal, the values differ by no more than
// tolerance1 and each limit by no more than tolerance2.
bool ValueDoubleSame(const VALUE_DOUBLE::VALUE& a, const VALUE_DOUBLE::VALUE& b, double tolerance1,
                     double tolerance2);
