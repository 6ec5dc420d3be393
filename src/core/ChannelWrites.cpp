#include "ChannelWrites.h"

#include <iostream>

#include "EngineFailure.h"
#include "Exceptions.h"

namespace radalt {

namespace {

std::string Listed(const std::vector<int>& channels) {
  if (channels.empty()) return "no channel";
  std::string text = channels.size() == 1 ? "channel " : "channels ";
  for (std::size_t i = 0; i < channels.size(); ++i) text += (i ? ", " : "") + std::to_string(channels[i]);
  return text;
}

template <class E>
[[noreturn]] void WithText(const std::string& prefix, const char* kind, const E& e, const std::string& list) {
  E amended(e);
  const std::string text = std::string(e.text.in()) + list;
  amended.text = CORBA::string_dup(text.c_str());
  LogThrow(prefix + " throw " + kind + ":" + text, amended);
}

}  // namespace

std::vector<int> ChannelsUpTo(int n, int first) {
  std::vector<int> out;
  for (int ch = first; ch <= n && ch <= 3; ++ch) out.push_back(ch);
  return out;
}

std::vector<int> TargetChannels(int channel, int enabled, bool coupled) {
  return coupled ? ChannelsUpTo(enabled) : std::vector<int>{channel};
}

std::string ChannelsTakenText(const std::vector<int>& took, const std::vector<int>& missed, int unknown) {
  std::vector<int> notTaken;
  for (int ch : missed)
    if (ch != unknown) notTaken.push_back(ch);
  std::string text = " (taken by " + Listed(took);
  if (unknown != 0) text += "; state unknown on channel " + std::to_string(unknown);
  if (unknown == 0 || !notTaken.empty()) text += "; not taken by " + Listed(notTaken);
  return text + ")";
}

void RethrowNamingChannels(const std::string& prefix, int failed, const std::vector<int>& took,
                           const std::vector<int>& missed) {
  namespace Op = Velmarin::Operation_errors;
  namespace Conn = Velmarin::Connection_errors;
  namespace Run = Velmarin::Runtime_errors;
  const std::string list = ChannelsTakenText(took, missed);
  try {
    throw;
  } catch (const Op::Locking_Error& e) {
    const std::string message = std::string(e.message.in()) + list;
    throw Op::Locking_Error_Exception(e.holder.in(), e.reason.in(), message.c_str());
  } catch (const Op::DataOutOfRange& e) {
    Op::DataOutOfRange amended(e);
    const std::string text = std::string(e.info.text.in()) + list;
    amended.info.text = CORBA::string_dup(text.c_str());
    LogThrow(prefix + " throw DataOutOfRangeException:" + text, amended);
  } catch (const Op::Settings_Conflict& e) {
    WithText(prefix, "Settings_Conflict", e, list);
  } catch (const Op::NotConfigured& e) {
    WithText(prefix, "NotConfigured", e, list);
  } catch (const Op::NotSupported& e) {
    WithText(prefix, "NotSupported", e, list);
  } catch (const Op::Object_Not_Found& e) {
    WithText(prefix, "Object_Not_Found", e, list);
  } catch (const Op::Data_Source_Not_Compatible& e) {
    WithText(prefix, "Data_Source_Not_Compatible", e, list);
  } catch (const Conn::Generic& e) {
    WithText(prefix, "Generic", e, list);
  } catch (const Conn::Not_Connected& e) {
    WithText(prefix, "Not_Connected", e, list);
  } catch (const Conn::Communications_failure& e) {
    WithText(prefix, "Communications_failure", e, list);
  } catch (const Run::Unhandled_switch& e) {
    WithText(prefix, "Unhandled_switch", e, list);
  } catch (const Run::Generic& e) {
    WithText(prefix, "Generic", e, list);
  } catch (const CORBA::SystemException& e) {
    const std::string text = EngineFailureText(failed, e) +
                             (EngineStateUnknown(e) ? ChannelsTakenText(took, missed, failed) : list);
    LogThrow(prefix + " throw Communications_failure:" + text, Conn::Communications_failure(text.c_str()));
  }
  // Anything else (not a refusal of an engine) goes on as it is.
  throw;
}

}  // namespace radalt
