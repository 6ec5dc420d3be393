// Naming-service registration and lookup for one engine process.
#pragma once

#include <omniORB4/CORBA.h>
#include <omniORB4/Naming.hh>

#include <mutex>
#include <string>
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

 protected:
  void Remember(const std::vector<std::string>& path);
  // Unbinds every path bound through this wrapper (the list stays readable).
  void Withdraw();

  // The context at path, created where missing.
  CosNaming::NamingContext_ptr EnsureContext(const std::vector<std::string>& path) const;

  CosNaming::NamingContext_var root_;

 private:
  mutable std::mutex pathsMutex_;
  std::vector<std::vector<std::string>> paths_;
  bool withdrawn_ = false;
  int shutdownHook_ = 0;
};

// Registers the process as "<context>/<process>/<instance>" with the lowest free instance
// number, and binds its children; everything it bound is unbound again when it goes.
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
