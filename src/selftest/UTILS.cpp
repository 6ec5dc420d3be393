#include "UTILS.h"

lockingSelftestEngine::lockingSelftestEngine(Velmarin::ORB_wrapper* orbw, radalt::Core* mc)
    : orbw_(orbw), mc_(mc) {}

void lockingSelftestEngine::findSelftestEngine() {
  Velmarin::HHSELFTEST::HHSELFTEST_LOCK_INTERFACE_var found;
  try {
    CORBA::Object_var obj = orbw_->LookupClient({"Lumaren", "local", "HHSELFTEST_LOCK", "1"});
    found = Velmarin::HHSELFTEST::HHSELFTEST_LOCK_INTERFACE::_narrow(obj);
  } catch (const CosNaming::NamingContext::NotFound&) {
    // not registered (yet)
  }
  std::lock_guard<std::mutex> lock(mutex_);
  lock_ = found._retn();
  found_ = !CORBA::is_nil(lock_);
}

Velmarin::HHSELFTEST::HHSELFTEST_LOCK_INTERFACE_ptr lockingSelftestEngine::Interface() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (found_) return Velmarin::HHSELFTEST::HHSELFTEST_LOCK_INTERFACE::_duplicate(lock_);
  }
  findSelftestEngine();
  std::lock_guard<std::mutex> lock(mutex_);
  return found_ ? Velmarin::HHSELFTEST::HHSELFTEST_LOCK_INTERFACE::_duplicate(lock_)
                : Velmarin::HHSELFTEST::HHSELFTEST_LOCK_INTERFACE::_nil();
}

void lockingSelftestEngine::Forget() {
  std::lock_guard<std::mutex> lock(mutex_);
  found_ = false;
  lock_ = Velmarin::HHSELFTEST::HHSELFTEST_LOCK_INTERFACE::_nil();
}

void lockingSelftestEngine::lockSelftestEngine(std::string reason) {
  Velmarin::HHSELFTEST::HHSELFTEST_LOCK_INTERFACE_var engine = Interface();
  if (CORBA::is_nil(engine)) return;
  try {
    engine->Lock(reason.c_str());
  } catch (const CORBA::SystemException&) {
    Forget();
    throw;
  }
}

void lockingSelftestEngine::unlockSelftestEngine() {
  Velmarin::HHSELFTEST::HHSELFTEST_LOCK_INTERFACE_var engine = Interface();
  if (CORBA::is_nil(engine)) return;
  try {
    engine->Unlock();
  } catch (const CORBA::SystemException&) {
    Forget();
    throw;
  }
}

void lockingSelftestEngine::Lock(const radalt::Activity& activity, const std::string& reason) {
  {
    std::lock_guard<std::mutex> lock(holdsMutex_);
    if (!holds_.insert(activity).second) return;
  }
  lockSelftestEngine(reason);
}

void lockingSelftestEngine::Unlock(const radalt::Activity& activity) {
  {
    std::lock_guard<std::mutex> lock(holdsMutex_);
    if (holds_.erase(activity) == 0) return;
  }
  unlockSelftestEngine();
}
