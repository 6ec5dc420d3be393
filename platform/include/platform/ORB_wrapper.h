// Naming-service registration and lookup for one engine process.
#pragma once

#include <omniORB4/CORBA.h>
#include <omniORB4/Naming.hh>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Velmarin {

class ProcessToken_i;

// Lookup in the naming service. Paths are "/"-separated context names ("Lumaren/local/X").
class ORB_wrapper_base {
 public:
  ORB_wrapper_base();
  virtual ~ORB_wrapper_base();

  CORBA::ORB_ptr orb() const;
  CosNaming::NamingContext_ptr root() const { return root_.in(); }

  // The names bound in the context at path (empty when the context does not exist).
  std::vector<std::string> FindChildContext(const std::string& path) const;
  // The object bound at path components; throws CosNaming::NamingContext::NotFound.
  CORBA::Object_ptr LookupClient(const std::vector<std::string>& path) const;

  static std::vector<std::string> Split(const std::string& path);

  // Binds (or rebinds) obj at path, creating the contexts on the way; the binding is
  // removed again when this wrapper goes.
  void InstallAt(const std::vector<std::string>& path, CORBA::Object_ptr obj);
  // The components of the i-th path bound through this wrapper, in binding order.
  std::vector<std::string> GetPathName(int i) const;
  int GetMaxPathName() const;

  // From now on a thread looks at every binding of this wrapper once per period and binds
  // again what the naming service no longer holds (a naming service restarted without its
  // log). A name bound meanwhile to another live object is left to it (so an instance number
  // claimed meanwhile by another process stays its own); one held by an object that no longer
  // answers is taken back. Calling it again changes the period.
  void KeepBound(std::chrono::milliseconds period);
  // The period of $RADALT_REBIND_MS, 1000 ms when unset or not a positive number.
  static std::chrono::milliseconds DefaultRebindPeriod();
  // One look at every binding, as the thread of KeepBound makes it; returns the number of
  // bindings made again. Never throws: a naming service out of reach is tried next time.
  int Rebind();

  // Unbinds every path bound through this wrapper (the list stays readable) and binds
  // nothing again.
  void Withdraw();

 protected:
  void Remember(const std::vector<std::string>& path, CORBA::Object_ptr obj);
  // Ends the thread of KeepBound (a derived class, before it takes its objects away).
  void StopRebinder();

  // The context at path, created where missing.
  CosNaming::NamingContext_ptr EnsureContext(const std::vector<std::string>& path) const;

  CosNaming::NamingContext_var root_;

 private:
  struct Binding {
    std::vector<std::string> path;
    CORBA::Object_var obj;
  };
  // Binds b again where the naming service lost it; true when it did.
  bool RebindOne(const Binding& b);

  mutable std::mutex pathsMutex_;
  std::deque<Binding> paths_;  // appended only: an entry stays where it is
  bool withdrawn_ = false;
  int shutdownHook_ = 0;
  // Held while a binding is made again and while the bindings are withdrawn, so that no
  // binding is made again after it was withdrawn.
  std::mutex bindMutex_;
  std::mutex rebinderMutex_;
  std::condition_variable rebinderWake_;
  std::chrono::milliseconds rebindPeriod_{0};
  bool rebinderStop_ = false;
  std::thread rebinder_;
};

// Registers the process as "<context>/<process>/<instance>" with the lowest free instance
// number, and binds its children; everything it bound is unbound again when it goes. It keeps
// its bindings (KeepBound with DefaultRebindPeriod()).
class ORB_wrapper : public ORB_wrapper_base {
 public:
  ORB_wrapper(const std::string& process, const std::string& context);
  ~ORB_wrapper() override;

  // The instance number as text ("1").
  std::string GetInstanceNum() const { return instance_; }
  // "<context>/<process>/<instance>".
  std::string Name() const;
  const std::string& Process() const { return process_; }

  // Binds obj as "<context>/<child>/<process><instance>".
  void InstallChildObj(const std::string& child, CORBA::Object_ptr obj);

 private:
  std::string process_;
  std::string context_;
  std::string instance_;
  ProcessToken_i* token_ = nullptr;
};

}  // namespace Velmarin
