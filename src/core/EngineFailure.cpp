#include "EngineFailure.h"

#include "ItemRefs.h"

namespace radalt {

bool EngineStateUnknown(const CORBA::SystemException& e) {
  return CORBA::TIMEOUT::_downcast(&e) || e.completed() != CORBA::COMPLETED_NO;
}

std::string EngineFailureText(int channel, const CORBA::SystemException& e) {
  const std::string engine = "Channel " + std::to_string(channel) + " engine ";
  const std::string kind = std::string(" (") + e._name() + ")";
  if (EngineStateUnknown(e)) return engine + "did not answer" + kind + "; its state is unknown";
  if (ObjectGone(e)) return engine + "not reached" + kind;
  return engine + "failed the request" + kind;
}

void RethrowPeerFailure() {
  try {
    throw;
  } catch (const CORBA::SystemException& e) {
    const int channel = ItemRefs::FailedChannel();
    const std::string text = channel ? EngineFailureText(channel, e)
                                     : std::string("A peer of the master control did not answer (") + e._name() + ")";
    LogThrow(" RADALT_MC throw Communications_failure:" + text,
             Velmarin::Connection_errors::Communications_failure(text.c_str()));
  }
}

void RethrowEngineFailure(const std::string& prefix, int channel) {
  try {
    throw;
  } catch (const CORBA::SystemException& e) {
    const std::string text = EngineFailureText(channel, e);
    LogThrow(prefix + " throw Communications_failure:" + text,
             Velmarin::Connection_errors::Communications_failure(text.c_str()));
  }
}

}  // namespace radalt
