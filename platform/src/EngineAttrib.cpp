#include "platform/EngineAttrib.h"

#include <cmath>

#include "platform/Orb.h"

namespace Velmarin {

EngineReadingBase_i::EngineReadingBase_i(ItemNamer& namer, Lumaren::GUI_AbleRegistration& registration,
                                         const char* key, const char* typeName)
    : Lockable_i(namer.DDS_Topic(key)),
      registration_(registration),
      key_(key),
      topic_(namer.DDS_Topic(key)),
      typeName_(typeName),
      publisher_(namer.Publisher()) {
  registration_.Register(key_, *this);
}

EngineReadingBase_i::~EngineReadingBase_i() {
  registration_.Unregister(key_, *this);
  DeactivateServant(this);
}

WriteEvent EngineReadingBase_i::Begin(const Locker_ID& who, bool write) {
  WriteEvent event(*this, who);
  event.command = !write;
  event.at = std::chrono::system_clock::now();
  if (write) HeldValue(event.before);
  event.took = std::chrono::steady_clock::now().time_since_epoch();  // the start, until End
  return event;
}

void EngineReadingBase_i::End(WriteObserver& observer, WriteEvent& event) {
  event.took = std::chrono::steady_clock::now().time_since_epoch() - event.took;
  if (!event.command) HeldValue(event.after);
  observer.Written(event);
}

void EngineReadingBase_i::GuardWith(Lockable_i& group, std::function<bool()> unless) {
  std::lock_guard<std::mutex> lock(guardsMutex_);
  for (const Guard& g : guards_)
    if (g.group == &group) return;
  guards_.push_back({&group, std::move(unless)});
}

void EngineReadingBase_i::CheckWriter(const Locker_ID& who) const {
  CheckAccess(who);
  std::vector<Guard> guards;
  {
    std::lock_guard<std::mutex> lock(guardsMutex_);
    guards = guards_;
  }
  for (const Guard& g : guards)
    if (!g.unless || !g.unless()) g.group->CheckAccess(who);
}

CORBA::Boolean EngineReadingBase_i::Blocked(const Locker_ID& who, CORBA::String_out holder,
                                            CORBA::String_out reason, CORBA::String_out message) {
  try {
    CheckWriter(who);
  } catch (const Operation_errors::Locking_Error& e) {
    holder = CORBA::string_dup(e.holder.in());
    reason = CORBA::string_dup(e.reason.in());
    message = CORBA::string_dup(e.message.in());
    return true;
  }
  holder = CORBA::string_dup("");
  reason = CORBA::string_dup("");
  message = CORBA::string_dup("");
  return false;
}

void detail::RefuseNonFinite(const std::string& key, const VALUE_DOUBLE::VALUE& value) {
  if (std::isfinite(value.val) && std::isfinite(value.min) && std::isfinite(value.max)) return;
  Operation_errors::DataOutOfRange e;
  e.info.text = CORBA::string_dup(("Attribute : " + key + " - value is not a finite number").c_str());
  e.info.minimum.d(value.min);
  e.info.maximum.d(value.max);
  e.info.value.d(value.val);
  throw e;
}

void EngineReadingBase_i::Publish(const CORBA::Any& value) const {
  if (publisher_ && *publisher_) (*publisher_)(topic_, value);
}

EngineAttribEnum_i::EngineAttribEnum_i(ItemNamer& n, Lumaren::GUI_AbleRegistration& r, const char* key,
                                       int initial, Callback cb,
                                       const std::vector<EngineAttribEnumParamElem>& elems)
    : EngineParamSetting_t(n, r, key, initial, std::move(cb), EngineAttribEnumParams(),
                           "EngineAttribEnum") {
  for (const auto& e : elems) AddParam(e.value, e.label.in());
}

void EngineAttribEnum_i::AddParam(int value, const char* label) {
  std::lock_guard<std::mutex> lock(paramsMutex_);
  for (CORBA::ULong i = 0; i < params_.length(); ++i) {
    if (params_[i].value == value) {
      params_[i].label = CORBA::string_dup(label);
      return;
    }
  }
  const CORBA::ULong n = params_.length();
  params_.length(n + 1);
  params_[n].value = value;
  params_[n].label = CORBA::string_dup(label);
}

bool EngineAttribEnum_i::HasValue(int value) const {
  std::lock_guard<std::mutex> lock(paramsMutex_);
  for (CORBA::ULong i = 0; i < params_.length(); ++i)
    if (params_[i].value == value) return true;
  return false;
}

}  // namespace Velmarin
