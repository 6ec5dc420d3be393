// radalt-console: the operator's web console, served on 127.0.0.1.
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

// The interface headers come before the HTTP library, whose system headers define HZ.
#include "Console.h"
#include "Json.h"
#include "Pages.h"
#include "platform/Signals.h"

#include <httplib.h>

namespace rc = radaltclient;
using radaltconsole::Object;
using radaltconsole::Page;

namespace {

constexpr std::size_t kMaxBody = 16 * 1024;
constexpr std::size_t kMaxValue = 1024;

void Usage() {
  std::cout << "usage: radalt-console [options]\n"
               "  --ns HOST:PORT    naming service (default: $RADALT_NS or 127.0.0.1:28090)\n"
               "  --listen ADDR     address to serve on (default 127.0.0.1)\n"
               "  --port N          port to serve on (default 28095; 0: any free port)\n"
               "  --timeout-ms N    bound of every call to the master control (default 5000)\n"
               "  --access-token-file FILE\n"
               "                    on an address other than 127.0.0.1: writes need the token this\n"
               "                    file holds (open the page as http://ADDR:PORT/?access=TOKEN);\n"
               "                    without it such a console serves read-only\n"
               "  --max-streams N   event streams open at once, all clients together (default 16)\n"
               "Prints \"radalt-console: http://ADDR:PORT/\" once it serves.\n";
}

// A random token of 32 hex digits.
std::string RandomToken() {
  std::ifstream random("/dev/urandom", std::ios::binary);
  unsigned char bytes[16] = {};
  if (!random.read(reinterpret_cast<char*>(bytes), sizeof bytes)) throw std::runtime_error("no /dev/urandom");
  static const char* const hex = "0123456789abcdef";
  std::string token;
  for (unsigned char b : bytes) token += {hex[b >> 4], hex[b & 15]};
  return token;
}

bool Loopback(const std::string& address) {
  return address == "127.0.0.1" || address == "localhost" || address == "::1";
}

// What a state-changing request must show: the console's own origin, the session token of a
// page it served and, beyond this machine, the access token. Empty when it may go on.
struct WriteGuard {
  std::string session;
  std::string access;  // empty: none needed (loopback) or none given (read-only)
  bool readOnly = false;

  std::string Refusal(const httplib::Request& req) const {
    const std::string origin = req.get_header_value("Origin");
    if (!origin.empty() && origin != "http://" + req.get_header_value("Host"))
      return "a write from another origin (" + origin.substr(0, 100) + ") is refused";
    if (req.get_header_value("X-Console-Session") != session)
      return "a write needs the console's session token: reload the console's page";
    if (readOnly) return "this console serves read-only (started on another address without an access token file)";
    if (!access.empty() && req.get_header_value("X-Console-Access") != access)
      return "a write needs the access token (open the page as /?access=TOKEN)";
    return "";
  }
};

void Reply(httplib::Response& res, int status, const std::string& json) {
  res.status = status;
  res.set_content(json, "application/json");
}

// Runs f against the master control; every refusal becomes an answer the page can show
// beside the field.
template <class F>
void Guarded(radaltconsole::Connection& conn, httplib::Response& res, F&& f) {
  try {
    f(*conn.Client());
  } catch (const rc::Locked& e) {
    Reply(res, 409, Object().Str("error", "Locking_Error").Str("text", e.what()).Str("holder", e.holder)
                        .Str("reason", e.reason).Str("message", e.message).Text());
  } catch (const rc::OutOfRange& e) {
    Reply(res, 422, Object().Str("error", "DataOutOfRange").Str("text", e.text).Num("minimum", e.minimum)
                        .Num("maximum", e.maximum).Num("value", e.value).Text());
  } catch (const rc::Refused& e) {
    Reply(res, 409, Object().Str("error", e.kind).Str("text", e.text).Text());
  } catch (const rc::Misuse& e) {
    Reply(res, 400, Object().Str("error", "BadRequest").Str("text", e.what()).Text());
  } catch (const rc::Unreachable& e) {
    conn.Lost();
    Reply(res, 503, Object().Str("error", "Unreachable").Str("text", e.what()).Text());
  } catch (const std::exception& e) {
    Reply(res, 500, Object().Str("error", "Failure").Str("text", e.what()).Text());
  }
}

// The name a write or command names: present, registered, not over-long.
bool NamedAttribute(const httplib::Request& req, httplib::Response& res, rc::Client& c, std::string& name) {
  if (!req.has_param("name") || req.get_param_value("name").empty()) {
    Reply(res, 400, Object().Str("error", "BadRequest").Str("text", "no attribute name given").Text());
    return false;
  }
  name = req.get_param_value("name");
  // A registered name, the bare key, or a simulated engine's own control ("CH2:SIMUUTTYPE").
  try {
    Velmarin::EngineReadingBase_var found = c.Attr(name);
    return true;
  } catch (const rc::Misuse&) {
  }
  Reply(res, 404, Object().Str("error", "NotFound").Str("text", "no attribute named " + name.substr(0, 64)).Text());
  return false;
}

httplib::Server* server = nullptr;

}  // namespace

int main(int argc, char** argv) {
  rc::SetProgramName("radalt-console");
  radaltconsole::ConsoleOptions options;
  std::string listen = "127.0.0.1";
  std::string accessFile;
  int port = 28095;
  int maxStreams = 16;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::cerr << "radalt-console: " << a << " needs a value" << std::endl;
        std::exit(2);
      }
      return argv[++i];
    };
    try {
      if (a == "--ns") options.ns = next();
      else if (a == "--listen") listen = next();
      else if (a == "--port") port = std::stoi(next());
      else if (a == "--timeout-ms") options.callTimeoutMs = static_cast<unsigned>(std::stoul(next()));
      else if (a == "--access-token-file") accessFile = next();
      else if (a == "--max-streams") maxStreams = std::max(1, std::stoi(next()));
      else if (a == "-h" || a == "--help") { Usage(); return 0; }
      else {
        std::cerr << "radalt-console: unknown option " << a << std::endl;
        Usage();
        return 2;
      }
    } catch (const std::logic_error&) {
      std::cerr << "radalt-console: " << a << " needs a number" << std::endl;
      return 2;
    }
  }

  WriteGuard guard;
  guard.session = RandomToken();
  if (!Loopback(listen)) {
    if (accessFile.empty()) {
      guard.readOnly = true;
      std::cerr << "radalt-console: serving on " << listen << " without --access-token-file: read-only" << std::endl;
    } else {
      std::ifstream in(accessFile);
      std::string token;
      in >> token;
      if (!in || token.size() < 16) {
        std::cerr << "radalt-console: " << accessFile << " holds no access token (16 characters at least)" << std::endl;
        return 2;
      }
      guard.access = token;
    }
  }

  // Before any thread starts, so that the signals reach the waiting thread only.
  Velmarin::HandleStopSignals([](int) {
    if (server) server->stop();
  });
  radaltconsole::EventHub hub;
  radaltconsole::Connection conn(options, hub);
  httplib::Server srv;
  server = &srv;
  // Event streams hold a worker each: at most maxStreams of them, so that the page and the
  // API always find workers; an idle connection lets its worker go after a second.
  const int workers = maxStreams + 8;
  srv.new_task_queue = [workers] { return new httplib::ThreadPool(static_cast<std::size_t>(workers)); };
  srv.set_keep_alive_timeout(1);
  srv.set_payload_max_length(kMaxBody);
  std::atomic<int> streams{0};

  srv.set_pre_routing_handler([&guard](const httplib::Request& req, httplib::Response& res) {
    if (req.method != "POST") return httplib::Server::HandlerResponse::Unhandled;
    const std::string refusal = guard.Refusal(req);
    if (refusal.empty()) return httplib::Server::HandlerResponse::Unhandled;
    Reply(res, 403, Object().Str("error", "Forbidden").Str("text", refusal).Text());
    return httplib::Server::HandlerResponse::Handled;
  });

  std::size_t count = 0;
  const Page* pages = radaltconsole::ConsolePages(count);
  for (std::size_t i = 0; i < count; ++i) {
    const Page page = pages[i];
    if (std::string(page.path) != "/index.html") {
      srv.Get(page.path, [page](const httplib::Request&, httplib::Response& res) { res.set_content(page.body, page.type); });
      continue;
    }
    // The page carries the session token its writes must show.
    std::string body = page.body;
    const std::string slot = "<meta name=\"console-session\" content=\"\">";
    const auto at = body.find(slot);
    if (at == std::string::npos) {
      std::cerr << "radalt-console: the page has no session slot" << std::endl;
      return 1;
    }
    body.replace(at, slot.size(), "<meta name=\"console-session\" content=\"" + guard.session + "\">");
    for (const char* path : {"/", "/index.html"})
      srv.Get(path, [body, page](const httplib::Request&, httplib::Response& res) {
        res.set_header("Cache-Control", "no-store");
        res.set_content(body, page.type);
      });
  }

  // Every own attribute with its type, value and, when a write by this console would be
  // refused, the lock's holder, reason and message.
  srv.Get("/api/state", [&](const httplib::Request&, httplib::Response& res) {
    Guarded(conn, res, [&](rc::Client& c) {
      std::string list;
      for (const auto& info : c.Attributes()) {
        if (!radaltconsole::OwnAttribute(info.name)) continue;
        std::string value;
        try {
          value = c.Describe(info.name, false);
        } catch (const rc::Refused& e) {
          value = "(" + e.text + ")";
        }
        list += (list.empty() ? "" : ",") + Object().Str("name", info.name).Str("type", info.type).Str("value", value)
                                                .Str("holder", info.holder).Str("reason", info.reason)
                                                .Str("message", info.message).Text();
      }
      Reply(res, 200, Object().Bool("connected", true).Num("seq", static_cast<double>(hub.Latest()))
                          .Raw("attributes", "[" + list + "]").Text());
    });
  });
  // What each own attribute's control needs: an enumeration's labels, a number's limits,
  // step and unit (the master control still decides on every write).
  srv.Get("/api/params", [&](const httplib::Request&, httplib::Response& res) {
    Guarded(conn, res, [&](rc::Client& c) {
      Object params;
      for (const auto& name : c.Names()) {
        if (!radaltconsole::OwnAttribute(name)) continue;
        try {
          params.Raw(name, radaltconsole::ParamsOf(c, name, c.TypeOf(name)));
        } catch (const rc::Refused&) {
          params.Raw(name, "{}");
        } catch (const rc::Misuse&) {
          params.Raw(name, "{}");
        }
      }
      Reply(res, 200, Object().Raw("params", params.Text()).Text());
    });
  });
  // Values the main interface hands out that the GUI registry does not list (the channels'
  // UUT readings, the calibration's progress): ?ops=UUTFrequencyChan1,RxCwCalCurrentStep
  srv.Get("/api/readings", [&](const httplib::Request& req, httplib::Response& res) {
    Guarded(conn, res, [&](rc::Client& c) {
      const std::string list = req.has_param("ops") ? req.get_param_value("ops") : "";
      if (list.size() > 4096) {
        Reply(res, 400, Object().Str("error", "BadRequest").Str("text", "too many operations asked for").Text());
        return;
      }
      Object readings;
      std::size_t from = 0;
      while (from < list.size()) {
        std::size_t to = list.find(',', from);
        if (to == std::string::npos) to = list.size();
        const std::string op = list.substr(from, to - from);
        from = to + 1;
        if (op.empty()) continue;
        try {
          readings.Raw(op, Object().Str("value", radaltconsole::ReadingOf(c, op)).Text());
        } catch (const rc::Refused& e) {
          readings.Raw(op, Object().Str("error", e.kind).Str("text", e.text).Text());
        } catch (const rc::Misuse& e) {
          readings.Raw(op, Object().Str("error", "NotFound").Str("text", e.what()).Text());
        }
      }
      Reply(res, 200, Object().Raw("readings", readings.Text()).Text());
    });
  });
  // The master control's self test through the platform's harness: kind basic or software.
  // The harness's bound stays within the bound of the call.
  srv.Post("/api/selftest", [&](const httplib::Request& req, httplib::Response& res) {
    const std::string kind = req.has_param("kind") ? req.get_param_value("kind") : "basic";
    if (kind != "basic" && kind != "software") {
      Reply(res, 400, Object().Str("error", "BadRequest").Str("text", "kind is basic or software").Text());
      return;
    }
    Guarded(conn, res, [&](rc::Client& c) {
      const double seconds = std::max(1.0, options.callTimeoutMs / 1000.0 - 1.0);
      const std::vector<std::string> lines = c.SelfTest(kind == "basic" ? 0 : 2, seconds);
      std::string list;
      for (const auto& line : lines) list += (list.empty() ? "" : ",") + radaltconsole::Quote(line);
      const bool passed = !lines.empty() && lines.front().find(": PASSED") != std::string::npos;
      Reply(res, 200, Object().Str("kind", kind).Bool("passed", passed).Raw("lines", "[" + list + "]").Text());
    });
  });
  srv.Get("/api/status", [&](const httplib::Request&, httplib::Response& res) {
    Reply(res, 200, Object().Bool("connected", conn.Connected()).Text());
  });
  srv.Post("/api/set", [&](const httplib::Request& req, httplib::Response& res) {
    Guarded(conn, res, [&](rc::Client& c) {
      std::string name;
      if (!NamedAttribute(req, res, c, name)) return;
      if (!req.has_param("value")) {
        Reply(res, 400, Object().Str("error", "BadRequest").Str("text", "no value given for " + name).Text());
        return;
      }
      const std::string value = req.get_param_value("value");
      if (value.size() > kMaxValue) {
        Reply(res, 400, Object().Str("error", "BadRequest").Str("text", "value longer than 1024 characters").Text());
        return;
      }
      c.SetText(name, value);
      Reply(res, 200, Object().Bool("ok", true).Str("value", c.Describe(name, false)).Text());
    });
  });
  srv.Post("/api/exec", [&](const httplib::Request& req, httplib::Response& res) {
    Guarded(conn, res, [&](rc::Client& c) {
      std::string name;
      if (!NamedAttribute(req, res, c, name)) return;
      c.Exec(name);
      Reply(res, 200, Object().Bool("ok", true).Text());
    });
  });
  // Server-sent events: status changes and every value assigned.
  srv.Get("/api/events", [&](const httplib::Request& req, httplib::Response& res) {
    if (streams.fetch_add(1) >= maxStreams) {
      --streams;
      res.set_header("Retry-After", "5");
      Reply(res, 503, Object().Str("error", "Busy").Str("text", "too many event streams open (" +
                                                            std::to_string(maxStreams) + ")").Text());
      return;
    }
    unsigned long start = hub.Latest();
    if (req.has_param("after")) {
      try {
        start = std::stoul(req.get_param_value("after"));
      } catch (const std::logic_error&) {
      }
    }
    auto seq = std::make_shared<unsigned long>(start);
    res.set_header("Cache-Control", "no-cache");
    res.set_chunked_content_provider("text/event-stream", [&hub, &conn, seq](std::size_t, httplib::DataSink& sink) {
      std::string out;
      if (*seq == 0) {
        out += "data: " + Object().Str("type", "status").Bool("connected", conn.Connected()).Text() + "\n\n";
        *seq = 1;
      }
      for (const auto& e : hub.After(*seq, 1000)) out += "data: " + e + "\n\n";
      if (out.empty()) out = ": idle\n\n";
      return sink.write(out.data(), out.size());
    }, [&streams](bool) { --streams; });
  });

  if (port == 0) port = srv.bind_to_any_port(listen.c_str());
  else if (!srv.bind_to_port(listen.c_str(), port)) port = -1;
  if (port <= 0) {
    std::cerr << "radalt-console: cannot serve on " << listen << std::endl;
    return 1;
  }
  std::cout << "radalt-console: http://" << listen << ":" << port << "/" << std::endl;
  srv.listen_after_bind();
  hub.Close();
  std::cout << "radalt-console: stopped" << std::endl;
  return 0;
}
