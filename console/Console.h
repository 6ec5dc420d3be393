// The operator's web console: an ordinary client of the master control (CORBA for reads and
// writes, DDS for live values) behind a small HTTP service on loopback.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "RadaltClient.h"

namespace radaltconsole {

// Events for the pages (JSON texts), numbered; a page that falls behind loses the oldest.
class EventHub {
 public:
  void Push(const std::string& json);
  // Waits up to timeoutMs for events after seq; returns them and moves seq on.
  std::deque<std::string> After(unsigned long& seq, unsigned timeoutMs);
  unsigned long Latest();
  void Close();

 private:
  std::mutex m_;
  std::condition_variable cv_;
  std::deque<std::string> events_;
  unsigned long first_ = 1;  // number of events_.front()
  bool closed_ = false;
};

struct ConsoleOptions {
  std::string ns;              // naming service HOST:PORT; empty: $RADALT_NS
  unsigned callTimeoutMs = 5000;
  unsigned reconnectMs = 1000;  // pause between two looks for the master control
};

// The connection to the master control: made again whenever it is lost (the master control
// restarted), with the live feed of its attributes.
class Connection {
 public:
  Connection(const ConsoleOptions& options, EventHub& hub);
  ~Connection();

  // The current client; Unreachable while the master control cannot be reached.
  std::shared_ptr<radaltclient::Client> Client();
  bool Connected() const { return connected_; }
  // The current client is failing: look for the master control again.
  void Lost();

 private:
  void Run();

  ConsoleOptions options_;
  EventHub& hub_;
  std::mutex m_;
  std::condition_variable cv_;
  std::shared_ptr<radaltclient::Client> client_;
  std::unique_ptr<radaltclient::Following> following_;
  std::atomic<bool> connected_{false};
  bool lost_ = false;
  bool quit_ = false;
  std::thread thread_;
};

// Whether name is one of the master control's own attributes (the channel engines' carry "CHn:").
bool OwnAttribute(const std::string& name);
// What the pages are told live: the own attributes and each channel engine's altitude.
bool Followed(const std::string& name);

// What a control for the attribute needs, as a JSON object: an enumeration's labels
// ("labels": [{"value", "label"}]), a number's "min", "max", "step" and "unit" (with a
// record's "resolution"), a text's "maxLength"; {} for the other types.
std::string ParamsOf(radaltclient::Client& c, const std::string& name, const std::string& type);
// The value the main interface's operation op hands out, as text with its unit.
std::string ReadingOf(radaltclient::Client& c, const std::string& op);

}  // namespace radaltconsole
