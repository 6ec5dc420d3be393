#include "Console.h"

#include <chrono>
#include <iostream>

#include "Json.h"
#include "ValueText.h"

namespace radaltconsole {

namespace {
constexpr std::size_t kKeptEvents = 2000;
}

void EventHub::Push(const std::string& json) {
  {
    std::lock_guard<std::mutex> lock(m_);
    events_.push_back(json);
    if (events_.size() > kKeptEvents) {
      events_.pop_front();
      ++first_;
    }
  }
  cv_.notify_all();
}

unsigned long EventHub::Latest() {
  std::lock_guard<std::mutex> lock(m_);
  return first_ + events_.size();
}

std::deque<std::string> EventHub::After(unsigned long& seq, unsigned timeoutMs) {
  std::unique_lock<std::mutex> lock(m_);
  cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return closed_ || first_ + events_.size() > seq; });
  std::deque<std::string> out;
  if (seq < first_) seq = first_;
  for (unsigned long i = seq - first_; i < events_.size(); ++i) out.push_back(events_[i]);
  seq = first_ + events_.size();
  return out;
}

void EventHub::Close() {
  {
    std::lock_guard<std::mutex> lock(m_);
    closed_ = true;
  }
  cv_.notify_all();
}

bool OwnAttribute(const std::string& name) { return name.find(':') == std::string::npos; }

// Registered names: the key and the engine's instance digit.
bool Followed(const std::string& name) {
  return OwnAttribute(name) || name == "CH1:CURALT1" || name == "CH2:CURALT1" || name == "CH3:CURALT1";
}

std::string ParamsOf(radaltclient::Client& c, const std::string& name, const std::string& type) {
  Velmarin::EngineReadingBase_var a = c.Attr(name);
  std::string json = "{}";
  radaltclient::Translate([&] {
    Object o;
    if (type == "EngineAttribEnum") {
      Velmarin::EngineAttribEnum_var x = Velmarin::EngineAttribEnum::_narrow(a);
      Velmarin::EngineAttribEnumParams_var p = x->GetParams();
      std::string labels;
      for (CORBA::ULong i = 0; i < p->length(); ++i)
        labels += (i ? "," : "") + Object().Num("value", p[i].value).Str("label", p[i].label.in()).Text();
      o.Raw("labels", "[" + labels + "]");
    } else if (type == "EngineAttribLong") {
      Velmarin::EngineAttribLong_var x = Velmarin::EngineAttribLong::_narrow(a);
      const Velmarin::EngineAttribLongParams p = x->GetParams();
      o.Num("min", p.min).Num("max", p.max).Num("step", p.step);
    } else if (type == "EngineAttribValueLong") {
      Velmarin::EngineAttribValueLong_var x = Velmarin::EngineAttribValueLong::_narrow(a);
      const Velmarin::EngineAttribValueLongParams p = x->GetParams();
      o.Num("min", p.min).Num("max", p.max).Num("step", p.step).Str("unit", radaltctl::UnitText(p.unit));
    } else if (type == "EngineAttribValueDouble") {
      Velmarin::EngineAttribValueDouble_var x = Velmarin::EngineAttribValueDouble::_narrow(a);
      const Velmarin::EngineAttribValueDoubleParams p = x->GetParams();
      o.Num("min", p.min).Num("max", p.max).Num("step", p.step).Str("unit", radaltctl::UnitText(p.unit))
          .Num("resolution", p.resolution);
    } else if (type == "EngineAttribString") {
      Velmarin::EngineAttribString_var x = Velmarin::EngineAttribString::_narrow(a);
      Velmarin::EngineAttribStringParams_var p = x->GetParams();
      o.Num("maxLength", p->max_length);
    }
    json = o.Text();
  });
  return json;
}

std::string ReadingOf(radaltclient::Client& c, const std::string& op) {
  Velmarin::EngineReadingBase_var a = c.Remote(op);
  std::string text;
  radaltclient::Translate([&] {
    CORBA::Any_var v = a->GetAny();
    text = radaltctl::Describe(v.in(), false);
  });
  return text;
}

Connection::Connection(const ConsoleOptions& options, EventHub& hub)
    : options_(options), hub_(hub), thread_([this] { Run(); }) {}

Connection::~Connection() {
  {
    std::lock_guard<std::mutex> lock(m_);
    quit_ = true;
  }
  cv_.notify_all();
  thread_.join();
}

std::shared_ptr<radaltclient::Client> Connection::Client() {
  std::lock_guard<std::mutex> lock(m_);
  if (!client_) throw radaltclient::Unreachable("the master control cannot be reached (reconnecting)");
  return client_;
}

void Connection::Lost() {
  {
    std::lock_guard<std::mutex> lock(m_);
    lost_ = true;
  }
  cv_.notify_all();
}

void Connection::Run() {
  std::unique_lock<std::mutex> lock(m_);
  while (!quit_) {
    if (!client_ || lost_) {
      const bool was = connected_;
      following_.reset();
      client_.reset();
      connected_ = false;
      lost_ = false;
      if (was) {
        hub_.Push(Object().Str("type", "status").Bool("connected", false).Text());
        std::cout << "radalt-console: lost the master control; looking for it again" << std::endl;
      }
      lock.unlock();
      std::shared_ptr<radaltclient::Client> fresh;
      std::unique_ptr<radaltclient::Following> following;
      try {
        fresh = std::make_shared<radaltclient::Client>(options_.ns, "", options_.callTimeoutMs);
        std::vector<std::string> own;
        for (const auto& n : fresh->Names())
          if (Followed(n)) own.push_back(n);
        following = fresh->Follow(own, [this](const std::string& name, const std::string& text) {
          hub_.Push(Object().Str("type", "value").Str("name", name).Str("value", text).Text());
        });
      } catch (const std::exception&) {
        fresh.reset();
        following.reset();
      }
      lock.lock();
      if (fresh) {
        client_ = fresh;
        following_ = std::move(following);
        connected_ = true;
        hub_.Push(Object().Str("type", "status").Bool("connected", true).Text());
        std::cout << "radalt-console: connected to the master control" << std::endl;
      }
    }
    cv_.wait_for(lock, std::chrono::milliseconds(options_.reconnectMs));
    if (quit_ || !client_ || lost_) continue;
    // A master control that went away without a word is noticed by a cheap call.
    auto c = client_;
    lock.unlock();
    bool alive = true;
    try {
      c->Names();
    } catch (const std::exception&) {
      alive = false;
    }
    lock.lock();
    if (!alive) lost_ = true;
  }
  following_.reset();
  client_.reset();
}

}  // namespace radaltconsole
