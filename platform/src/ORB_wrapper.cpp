#include "platform/ORB_wrapper.h"

#include <cstdlib>
#include <iostream>

#include "VelmarinEngine.hh"
#include "platform/Orb.h"

namespace Velmarin {

// The object a process binds under its own registration; it lives as long as the process,
// so a registration whose token no longer answers is left over from a dead process.
class ProcessToken_i : public virtual POA_Velmarin::ProcessToken {
 public:
  explicit ProcessToken_i(std::string process) : process_(std::move(process)) {}
  char* Process() override { return CORBA::string_dup(process_.c_str()); }

 private:
  std::string process_;
};

namespace {

CosNaming::Name ToName(const std::vector<std::string>& path) {
  CosNaming::Name name;
  name.length(static_cast<CORBA::ULong>(path.size()));
  for (CORBA::ULong i = 0; i < name.length(); ++i) {
    name[i].id = CORBA::string_dup(path[i].c_str());
    name[i].kind = CORBA::string_dup("");
  }
  return name;
}

bool Alive(CORBA::Object_ptr obj) {
  try {
    return !CORBA::is_nil(obj) && !obj->_non_existent();
  } catch (const CORBA::Exception&) {
    return false;
  }
}

}  // namespace

ORB_wrapper_base::ORB_wrapper_base() {
  CORBA::Object_var obj = ProcessOrb()->resolve_initial_references("NameService");
  root_ = CosNaming::NamingContext::_narrow(obj);
  if (CORBA::is_nil(root_)) throw CORBA::OBJECT_NOT_EXIST();
  // Registrations are withdrawn while the ORB can still reach the naming service.
  shutdownHook_ = AddShutdownHook([this] { Withdraw(); });
}

ORB_wrapper_base::~ORB_wrapper_base() {
  RemoveShutdownHook(shutdownHook_);
  StopRebinder();
  Withdraw();
}

void ORB_wrapper_base::Withdraw() {
  std::lock_guard<std::mutex> binding(bindMutex_);
  std::vector<std::vector<std::string>> paths;
  {
    std::lock_guard<std::mutex> lock(pathsMutex_);
    if (withdrawn_) return;
    withdrawn_ = true;
    for (const auto& b : paths_) paths.push_back(b.path);
  }
  for (auto it = paths.rbegin(); it != paths.rend(); ++it) {
    try {
      root_->unbind(ToName(*it));
    } catch (...) {
    }
  }
}

void ORB_wrapper_base::Remember(const std::vector<std::string>& path, CORBA::Object_ptr obj) {
  std::lock_guard<std::mutex> lock(pathsMutex_);
  paths_.push_back(Binding{path, CORBA::Object::_duplicate(obj)});
}

void ORB_wrapper_base::InstallAt(const std::vector<std::string>& path, CORBA::Object_ptr obj) {
  std::vector<std::string> parent(path.begin(), path.end() - 1);
  CosNaming::NamingContext_var ctx = EnsureContext(parent);
  ctx->rebind(ToName({path.back()}), obj);
  Remember(path, obj);
}

std::vector<std::string> ORB_wrapper_base::GetPathName(int i) const {
  std::lock_guard<std::mutex> lock(pathsMutex_);
  if (i < 0 || static_cast<size_t>(i) >= paths_.size()) return {};
  return paths_[static_cast<size_t>(i)].path;
}

int ORB_wrapper_base::GetMaxPathName() const {
  std::lock_guard<std::mutex> lock(pathsMutex_);
  return static_cast<int>(paths_.size());
}

std::chrono::milliseconds ORB_wrapper_base::DefaultRebindPeriod() {
  const char* env = std::getenv("RADALT_REBIND_MS");
  const long ms = env ? std::atol(env) : 0;
  return std::chrono::milliseconds(ms > 0 ? ms : 1000);
}

void ORB_wrapper_base::KeepBound(std::chrono::milliseconds period) {
  std::lock_guard<std::mutex> lock(rebinderMutex_);
  rebindPeriod_ = period;
  rebinderWake_.notify_all();
  if (rebinder_.joinable()) return;
  rebinder_ = std::thread([this] {
    std::unique_lock<std::mutex> lock(rebinderMutex_);
    while (!rebinderStop_) {
      if (rebinderWake_.wait_for(lock, rebindPeriod_, [this] { return rebinderStop_; })) break;
      lock.unlock();
      Rebind();
      lock.lock();
    }
  });
}

void ORB_wrapper_base::StopRebinder() {
  {
    std::lock_guard<std::mutex> lock(rebinderMutex_);
    rebinderStop_ = true;
  }
  rebinderWake_.notify_all();
  if (rebinder_.joinable()) rebinder_.join();
}

int ORB_wrapper_base::Rebind() {
  std::vector<const Binding*> bindings;
  {
    std::lock_guard<std::mutex> lock(pathsMutex_);
    for (const auto& b : paths_) bindings.push_back(&b);
  }
  int made = 0;
  for (const Binding* b : bindings) {
    try {
      if (RebindOne(*b)) ++made;
    } catch (const CORBA::Exception&) {
      // the naming service is out of reach (or this ORB is shutting down): next time
      return made;
    } catch (...) {
      return made;
    }
  }
  return made;
}

bool ORB_wrapper_base::RebindOne(const Binding& b) {
  try {
    CORBA::Object_var bound = root_->resolve(ToName(b.path));
    if (bound->_is_equivalent(b.obj.in()) || Alive(bound)) return false;
  } catch (const CosNaming::NamingContext::NotFound&) {
  }
  std::lock_guard<std::mutex> binding(bindMutex_);
  {
    std::lock_guard<std::mutex> lock(pathsMutex_);
    if (withdrawn_) return false;
  }
  std::vector<std::string> parent(b.path.begin(), b.path.end() - 1);
  CosNaming::NamingContext_var ctx = EnsureContext(parent);
  const CosNaming::Name last = ToName({b.path.back()});
  try {
    ctx->bind(last, b.obj.in());
  } catch (const CosNaming::NamingContext::AlreadyBound&) {
    // Bound meanwhile: a live holder keeps it.
    CORBA::Object_var holder = ctx->resolve(last);
    if (holder->_is_equivalent(b.obj.in()) || Alive(holder)) return false;
    ctx->rebind(last, b.obj.in());
  }
  std::string text;
  for (const auto& part : b.path) text += (text.empty() ? "" : "/") + part;
  std::cout << "ORB_wrapper: " << text << " bound again" << std::endl;
  return true;
}

CORBA::ORB_ptr ORB_wrapper_base::orb() const { return ProcessOrb(); }

std::vector<std::string> ORB_wrapper_base::Split(const std::string& path) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : path) {
    if (c == '/') {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) parts.push_back(cur);
  return parts;
}

std::vector<std::string> ORB_wrapper_base::FindChildContext(const std::string& path) const {
  std::vector<std::string> names;
  CosNaming::NamingContext_var ctx;
  try {
    CORBA::Object_var obj = root_->resolve(ToName(Split(path)));
    ctx = CosNaming::NamingContext::_narrow(obj);
  } catch (const CosNaming::NamingContext::NotFound&) {
    return names;
  }
  if (CORBA::is_nil(ctx)) return names;
  CosNaming::BindingList_var list;
  CosNaming::BindingIterator_var it;
  ctx->list(1000, list.out(), it.out());
  for (CORBA::ULong i = 0; i < list->length(); ++i) names.push_back(list[i].binding_name[0].id.in());
  if (!CORBA::is_nil(it)) {
    CosNaming::Binding_var b;
    while (it->next_one(b.out())) names.push_back(b->binding_name[0].id.in());
    it->destroy();
  }
  return names;
}

CORBA::Object_ptr ORB_wrapper_base::LookupClient(const std::vector<std::string>& path) const {
  return root_->resolve(ToName(path));
}

CosNaming::NamingContext_ptr ORB_wrapper_base::EnsureContext(const std::vector<std::string>& path) const {
  CosNaming::NamingContext_var ctx = CosNaming::NamingContext::_duplicate(root_);
  for (const auto& part : path) {
    CosNaming::Name n = ToName({part});
    CosNaming::NamingContext_var next;
    try {
      next = ctx->bind_new_context(n);
    } catch (const CosNaming::NamingContext::AlreadyBound&) {
      CORBA::Object_var obj = ctx->resolve(n);
      next = CosNaming::NamingContext::_narrow(obj);
    }
    ctx = next;
  }
  return ctx._retn();
}

ORB_wrapper::ORB_wrapper(const std::string& process, const std::string& context)
    : process_(process), context_(context) {
  std::vector<std::string> ctxPath = Split(context);
  ctxPath.push_back(process);
  CosNaming::NamingContext_var ctx = EnsureContext(ctxPath);

  // Registrations left by processes that died without unbinding are removed first.
  for (const auto& name : FindChildContext(context + "/" + process)) {
    try {
      CORBA::Object_var obj = ctx->resolve(ToName({name}));
      if (!Alive(obj)) ctx->unbind(ToName({name}));
    } catch (const CORBA::Exception&) {
    }
  }

  token_ = new ProcessToken_i(process);
  PortableServer::ObjectId_var oid = ProcessPoa()->activate_object(token_);
  CORBA::Object_var tokenRef = ProcessPoa()->id_to_reference(oid);
  for (int n = 1;; ++n) {
    try {
      ctx->bind(ToName({std::to_string(n)}), tokenRef);
      instance_ = std::to_string(n);
      break;
    } catch (const CosNaming::NamingContext::AlreadyBound&) {
    }
  }
  std::vector<std::string> own = ctxPath;
  own.push_back(instance_);
  Remember(own, tokenRef);
  KeepBound(DefaultRebindPeriod());
}

ORB_wrapper::~ORB_wrapper() {
  StopRebinder();
  if (token_) {
    DeactivateServant(token_);
    token_->_remove_ref();
  }
}

std::string ORB_wrapper::Name() const { return context_ + "/" + process_ + "/" + instance_; }

void ORB_wrapper::InstallChildObj(const std::string& child, CORBA::Object_ptr obj) {
  std::vector<std::string> path = Split(context_);
  path.push_back(child);
  path.push_back(process_ + instance_);
  InstallAt(path, obj);
}

}  // namespace Velmarin
