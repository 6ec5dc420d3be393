// The client side of the test set: attributes by key (through the GUI registry) or by the main
// remote interface's operation, refusals as C++ exceptions, assignments watched over DDS, and
// self tests run through the harness. radaltctl and the Python module are built on it.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "RadAltMC.hh"
#include "platform/Lock.h"

namespace radaltclient {

// A profile leg: start altitude, stop altitude, rate or duration.
using Leg = std::array<double, 3>;
// What an attribute holds: nothing (commands), a flag, a whole number, a number, a text, legs.
using Value = std::variant<std::monostate, bool, long, double, std::string, std::vector<Leg>>;

// The system refused a request: the exception's kind and its text. A channel engine the
// master control could not reach is kind "Communications_failure", its text naming the channel.
struct Refused : std::runtime_error {
  Refused(std::string k, std::string t) : std::runtime_error(k + ": " + t), kind(std::move(k)), text(std::move(t)) {}
  std::string kind, text;
};
// A lock refused a write.
struct Locked : Refused {
  Locked(std::string h, std::string r, std::string m)
      : Refused("Locking_Error", r + " (" + m + ")"), holder(std::move(h)), reason(std::move(r)), message(std::move(m)) {}
  std::string holder, reason, message;
};
// A value outside its limits.
struct OutOfRange : Refused {
  OutOfRange(std::string t, double lo, double hi, double v, bool whole)
      : Refused("DataOutOfRange", std::move(t)), minimum(lo), maximum(hi), value(v), integral(whole) {}
  double minimum, maximum, value;
  bool integral;  // the limits and the value are whole numbers
};
// The test set (or the part asked for) cannot be reached.
struct Unreachable : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// A request the client cannot make: an unknown name, a value of the wrong kind.
struct Misuse : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Subscriptions to attributes' assignments; they end when this goes.
class Following {
 public:
  virtual ~Following() = default;
};

struct LockInfo {
  std::string name, type, holder, reason, message;
};

// The name the clients of this process write under (their locker's name, which the
// master control's journal and lock refusals show): "radaltctl", "radalt-python", ...
// Clients built afterwards take it; "radaltclient" until it is set.
void SetProgramName(const std::string& name);

class Client {
 public:
  // ns: the naming service "HOST:PORT" (empty: $RADALT_NS, else the default); engine: the
  // GUI registration to use (empty: the first master control found). callTimeoutMs bounds
  // every call. The first client of a process fixes the ORB's settings. writer: the
  // locker's name (empty: the program name).
  explicit Client(const std::string& ns = "", const std::string& engine = "", unsigned callTimeoutMs = 30000,
                  const std::string& writer = "");

  // The names the master control registers its attributes under ("NOOFENABLEDCHANNELS1").
  std::vector<std::string> Names();
  std::string TypeOf(const std::string& name);
  // The attribute registered under name, or under the bare key name ("NOOFENABLEDCHANNELS");
  // "CH<n>:<control>" also reaches a simulated channel engine's own controls (SIMUUTTYPE, ...),
  // which a master control does not publish. Misuse when there is none.
  Velmarin::EngineReadingBase_ptr Attr(const std::string& name);
  // The attribute the main interface's operation op hands out.
  Velmarin::EngineReadingBase_ptr Remote(const std::string& op);

  Value Get(const std::string& name) { return GetOf(Velmarin::EngineReadingBase_var(Attr(name))); }
  Value GetOf(Velmarin::EngineReadingBase_ptr attr);
  // A value record's every field, as text; the value alone otherwise.
  std::string Describe(const std::string& name, bool full);
  // Writes value; a value record takes it as its value field, an enumeration also by label.
  // A name's reference and type are kept after its first use: a write is then one call (two
  // for a value record). A kept reference that no longer reaches its attribute (the master
  // control restarted) is dropped and the name looked up again, once.
  void Set(const std::string& name, const Value& value);
  void SetOf(Velmarin::EngineReadingBase_ptr attr, const Value& value);
  // Writes value given as text, parsed by the attribute's type (radaltctl's syntax).
  void SetText(const std::string& name, const std::string& text);
  void Exec(const std::string& name) { ExecOf(Velmarin::EngineReadingBase_var(Attr(name))); }
  void ExecOf(Velmarin::EngineReadingBase_ptr attr);
  // Runs a main-interface operation that hands out nothing (a one-shot command).
  void Run(const std::string& op);

  // Every attribute with its lock state for this client (holder empty when free).
  std::vector<LockInfo> Attributes();
  // The attributes a write by this client would be refused on.
  std::vector<LockInfo> Locks();

  // Calls seen(name, text) with each current value, then with every value assigned, until
  // seconds pass (0: no limit), count values were seen after the current ones (0: no limit)
  // or stop() turns true (checked every 100 ms). then() runs once the current values were
  // seen: what it writes is watched.
  void Watch(const std::vector<std::string>& names, double seconds, long count,
             const std::function<void(const std::string&, const std::string&)>& seen,
             const std::function<bool()>& stop = {}, const std::function<void()>& then = {});

  // Follows the assignments of names over DDS, without waiting for anything: seen(name, text)
  // runs on DDS threads until the returned object goes.
  std::unique_ptr<Following> Follow(const std::vector<std::string>& names,
                                    std::function<void(const std::string&, const std::string&)> seen);

  // Runs the module's self test (0 basic, 2 software) through the platform's self-test
  // harness; the result line, then one line per failure.
  std::vector<std::string> SelfTest(int type, double seconds = 60);

  // The main interface, the in-house interface, the self-test interface.
  Velmarin::RADALTMC::RADALTMC_MAIN_INTERFACE_ptr Main();
  Velmarin::RADALTMC::RADALTMC_INHOUSE_INTERFACE_ptr Inhouse();
  Velmarin::RADALTMC::RADALTMC_SELFTEST_INTERFACE_ptr Selftest();

  const Velmarin::Locker_ID& Me() const { return locker_.Id(); }

 private:
  // A simulated channel engine's own control named "CH<n>:<control>", or nil.
  Velmarin::EngineReadingBase_ptr SimulatorControl(const std::string& name);
  CORBA::Object_ptr Child(const std::string& context);
  // Runs f on the master control's registry; when that reference is dead (the engine host
  // was started again), looks the registry up again and runs f once more. f only reads.
  template <class F>
  auto OnGui(F f);
  Velmarin::GUI_Able_ptr LookUpGui();

  // The attribute and type kept for name (looked up on first use); kept tells whether they
  // came from what was kept.
  Velmarin::EngineReadingBase_ptr Kept(const std::string& name, std::string& type, bool& kept);
  void Forget(const std::string& name);
  void SetTyped(Velmarin::EngineReadingBase_ptr attr, const std::string& type, const Value& value);

  Velmarin::Locker locker_;
  std::string engine_;
  Velmarin::GUI_Able_var gui_;
  std::mutex keptMutex_;
  std::map<std::string, std::pair<Velmarin::EngineReadingBase_var, std::string>> kept_;
};

// Runs f, turning the system's refusals into Refused, Locked or OutOfRange and a middleware
// failure of the call itself (the master control not reached) into Unreachable.
void Translate(const std::function<void()>& f);
// Value as text, the way radaltctl prints it.
std::string Text(const Value& v);

}  // namespace radaltclient
