// How the DDS adapters report failures.
#pragma once

#include <string>

#include "VelmarinErrors.hh"

namespace Velmarin {

// The runtime error raised for a sample that cannot be handled.
using DDS_RuntimeError = Runtime_errors::Generic;

// Writes message to standard error and throws Connection_errors::Not_Connected(message).
[[noreturn]] void DDS_ThrowNotConnected(const std::string& message);

// The text carried by an exception caught at a DDS boundary, for the line on standard error:
// the exception's name and, for the platform's exceptions, its text.
std::string DDS_ExceptionText(const CORBA::Exception& e);

}  // namespace Velmarin
