// The process's one ORB and its root POA, set up for loopback only.
#pragma once

#include <omniORB4/CORBA.h>
#include <functional>
#include <string>

namespace Velmarin {

struct OrbOptions {
  // host:port of the naming service; empty takes $RADALT_NS, then 127.0.0.1:28090.
  std::string nameService;
  // Upper bound of one outgoing call, so that a dead peer cannot hang a caller.
  unsigned long callTimeoutMs = 15000;
};

// Sets the options of the ORB; effective only before the first ProcessOrb().
void ConfigureOrb(const OrbOptions& options);

// The ORB of this process, initialised on first use, with the root POA active.
// The reference is borrowed.
CORBA::ORB_ptr ProcessOrb();
PortableServer::POA_ptr ProcessPoa();

// The naming-service address the ORB was set up with ("127.0.0.1:28090").
std::string NameServiceAddress();

// Shuts the ORB down (wait for requests in progress when wait is true). Safe to repeat.
// The shutdown hooks run first, while outgoing calls still work.
void ShutdownOrb(bool wait);

// Work that must be done while the ORB still talks, such as withdrawing naming
// registrations. Returns an id for RemoveShutdownHook.
int AddShutdownHook(std::function<void()> hook);
void RemoveShutdownHook(int id);

// Deactivates a servant in the root POA if it is active; never throws.
void DeactivateServant(PortableServer::Servant servant);

}  // namespace Velmarin
