#include "platform/DDS_Failure.h"

#include <iostream>

namespace Velmarin {
namespace {

template <class E>
bool TextOf(const CORBA::Exception& e, std::string& text) {
  const auto* typed = dynamic_cast<const E*>(&e);
  if (typed == nullptr) return false;
  text = typed->text.in();
  return true;
}

}  // namespace

void DDS_ThrowNotConnected(const std::string& message) {
  std::cerr << message << std::endl;
  throw Connection_errors::Not_Connected(message.c_str());
}

std::string DDS_ExceptionText(const CORBA::Exception& e) {
  std::string text;
  const bool hasText = TextOf<Connection_errors::Generic>(e, text) ||
                       TextOf<Connection_errors::Not_Connected>(e, text) ||
                       TextOf<Connection_errors::Communications_failure>(e, text) ||
                       TextOf<Runtime_errors::Generic>(e, text) ||
                       TextOf<Runtime_errors::Unhandled_switch>(e, text) ||
                       TextOf<Operation_errors::Settings_Conflict>(e, text) ||
                       TextOf<Operation_errors::NotConfigured>(e, text) ||
                       TextOf<Operation_errors::NotSupported>(e, text) ||
                       TextOf<Operation_errors::Object_Not_Found>(e, text) ||
                       TextOf<Operation_errors::Data_Source_Not_Compatible>(e, text);
  if (const auto* locking = dynamic_cast<const Operation_errors::Locking_Error*>(&e))
    return std::string(e._name()) + ":" + locking->message.in();
  if (const auto* range = dynamic_cast<const Operation_errors::DataOutOfRange*>(&e))
    return std::string(e._name()) + ":" + range->info.text.in();
  return hasText ? std::string(e._name()) + ":" + text : std::string(e._name());
}

}  // namespace Velmarin
