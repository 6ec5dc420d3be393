// The process's one ORB and its root POA, set up for loopback only.
#pragma once

#include <omniORB4/CORBA.h>
#include <chrono>
#include <functional>
#include <string>

namespace Velmarin {

struct OrbOptions {
  // host:port of the naming service; empty takes $RADALT_NS, then 127.0.0.1:28090.
  std::string nameService;
  // Upper bound of one outgoing call (and of the connection it opens), so that a dead or
  // stopped peer cannot hang a caller. The engine host sets a short one for the calls of the
  // master control to the channel engines; a client waiting for the master control sets a
  // longer one than any of its writes can take.
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

// What one look at an object's server tells: it Answers; it is Gone (nil, no such object, or
// nobody serves its address any more); or it is Silent (no answer within the call timeout:
// stopped, overloaded, or this ORB can no longer ask). Never throws.
enum class Liveness { Answers, Gone, Silent };
Liveness Probe(CORBA::Object_ptr obj);
// Looks at obj every poll until it is Gone, at most for grace; true when it went.
bool WaitGone(CORBA::Object_ptr obj, std::chrono::milliseconds grace,
              std::chrono::milliseconds poll = std::chrono::milliseconds(50));

}  // namespace Velmarin
