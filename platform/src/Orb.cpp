#include "platform/Orb.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <map>
#include <mutex>
#include <vector>

namespace Velmarin {
namespace {

std::mutex g_mutex;
OrbOptions g_options;
CORBA::ORB_var g_orb;
PortableServer::POA_var g_poa;
std::string g_ns;
bool g_down = false;
std::map<int, std::function<void()>> g_hooks;
int g_nextHook = 1;

void InitLocked() {
  if (!CORBA::is_nil(g_orb)) return;
  g_ns = g_options.nameService;
  if (g_ns.empty()) {
    const char* env = std::getenv("RADALT_NS");
    g_ns = (env && *env) ? env : "127.0.0.1:28090";
  }
  const std::string initRef = "NameService=corbaname::" + g_ns;
  const std::string timeout = std::to_string(g_options.callTimeoutMs);
  // A connection attempt is a part of a call: never longer than the call may take.
  const std::string connect = std::to_string(std::min<unsigned long>(3000, g_options.callTimeoutMs));
  std::vector<std::string> args = {"radalt",
                                   "-ORBInitRef", initRef,
                                   "-ORBendPoint", "giop:tcp:127.0.0.1:",
                                   "-ORBclientCallTimeOutPeriod", timeout,
                                   "-ORBclientConnectTimeOutPeriod", connect,
                                   // No LocateRequest before the first call on a received
                                   // reference: the operations that hand references out are
                                   // typed, and a call on a reference whose object has gone
                                   // fails by itself, before anything is done through it.
                                   "-ORBverifyObjectExistsAndType", "0",
                                   // Concurrent calls to one server each get a connection of
                                   // their own instead of queueing for one of five: the master
                                   // control serves every client on a thread of its own, and
                                   // those threads all call the same channel engines.
                                   "-ORBmaxGIOPConnectionPerServer", "64"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(&a[0]);
  int argc = static_cast<int>(argv.size());
  g_orb = CORBA::ORB_init(argc, argv.data());
  CORBA::Object_var obj = g_orb->resolve_initial_references("RootPOA");
  g_poa = PortableServer::POA::_narrow(obj);
  PortableServer::POAManager_var mgr = g_poa->the_POAManager();
  mgr->activate();
}

}  // namespace

void ConfigureOrb(const OrbOptions& options) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (CORBA::is_nil(g_orb)) g_options = options;
}

CORBA::ORB_ptr ProcessOrb() {
  std::lock_guard<std::mutex> lock(g_mutex);
  InitLocked();
  return g_orb.in();
}

PortableServer::POA_ptr ProcessPoa() {
  std::lock_guard<std::mutex> lock(g_mutex);
  InitLocked();
  return g_poa.in();
}

std::string NameServiceAddress() {
  std::lock_guard<std::mutex> lock(g_mutex);
  InitLocked();
  return g_ns;
}

int AddShutdownHook(std::function<void()> hook) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_hooks[g_nextHook] = std::move(hook);
  return g_nextHook++;
}

void RemoveShutdownHook(int id) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_hooks.erase(id);
}

void ShutdownOrb(bool wait) {
  std::map<int, std::function<void()>> hooks;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (CORBA::is_nil(g_orb) || g_down) return;
    hooks.swap(g_hooks);
  }
  for (auto it = hooks.rbegin(); it != hooks.rend(); ++it) {
    try {
      it->second();
    } catch (...) {
    }
  }
  CORBA::ORB_var orb;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (CORBA::is_nil(g_orb) || g_down) return;
    g_down = true;
    orb = CORBA::ORB::_duplicate(g_orb);
  }
  try {
    orb->shutdown(wait);
  } catch (const CORBA::Exception&) {
  }
}

void DeactivateServant(PortableServer::Servant servant) {
  // Activation holds a reference of its own: a servant with only its initial one is not
  // active, and asking the root POA about it would activate it.
  if (servant->_refcount_value() <= 1) return;
  try {
    PortableServer::POA_var poa = servant->_default_POA();
    PortableServer::ObjectId_var oid = poa->servant_to_id(servant);
    poa->deactivate_object(oid);
    // The POA lets go of its reference once requests in progress have ended; wait for
    // that, so that the servant's memory outlives every call dispatched to it.
    for (int i = 0; i < 2000 && servant->_refcount_value() > 1; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  } catch (...) {
    // not active, or the ORB is already gone
  }
}

Liveness Probe(CORBA::Object_ptr obj) {
  if (CORBA::is_nil(obj)) return Liveness::Gone;
  try {
    return obj->_non_existent() ? Liveness::Gone : Liveness::Answers;
  } catch (const CORBA::OBJECT_NOT_EXIST&) {
    return Liveness::Gone;
  } catch (const CORBA::TRANSIENT&) {
    // nobody accepts connections at the object's address
    return Liveness::Gone;
  } catch (const CORBA::COMM_FAILURE&) {
    return Liveness::Gone;
  } catch (const CORBA::Exception&) {
    return Liveness::Silent;
  }
}

bool WaitGone(CORBA::Object_ptr obj, std::chrono::milliseconds grace, std::chrono::milliseconds poll) {
  const auto end = std::chrono::steady_clock::now() + grace;
  for (;;) {
    if (Probe(obj) == Liveness::Gone) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(poll);
  }
}

}  // namespace Velmarin
