// The Python module "radalt": the test set's attributes by key or by main-interface operation,
// refusals as Python exceptions carrying their texts and limits.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstdlib>
#include <mutex>

#include "JournalStore.h"
#include "RadaltClient.h"

namespace py = pybind11;
namespace rc = radaltclient;

namespace {

PyObject* refusedType = nullptr;
PyObject* lockedType = nullptr;
PyObject* rangeType = nullptr;
PyObject* unreachableType = nullptr;
PyObject* misuseType = nullptr;

// Raises an instance of type with message and the given attributes.
void Raise(PyObject* type, const std::string& message, const std::vector<std::pair<const char*, py::object>>& attrs) {
  py::object exc = py::reinterpret_borrow<py::object>(type)(message);
  for (const auto& a : attrs) exc.attr(a.first) = a.second;
  PyErr_SetObject(type, exc.ptr());
}

py::list Rows(const std::vector<rc::LockInfo>& infos) {
  py::list out;
  for (const auto& i : infos) {
    py::dict d;
    d["name"] = i.name;
    d["type"] = i.type;
    d["holder"] = i.holder;
    d["reason"] = i.reason;
    d["message"] = i.message;
    out.append(d);
  }
  return out;
}

int SelfTestType(const std::string& kind) {
  if (kind == "basic") return 0;
  if (kind == "software") return 2;
  throw rc::Misuse("a self test is 'basic' or 'software', not '" + kind + "'");
}

std::string Opt(const py::object& o) { return o.is_none() ? std::string() : o.cast<std::string>(); }

py::list Journal(py::object since, py::object key, py::object writer, bool refused, py::object root) {
  namespace rj = radaltjournal;
  rj::Filter f;
  std::vector<rj::Entry> entries;
  try {
    if (!since.is_none()) f.since = rj::SinceText(Opt(since));
  } catch (const rj::Error& e) {
    throw py::value_error(e.what());
  }
  try {
    f.key = Opt(key);
    f.writer = Opt(writer);
    f.refusedOnly = refused;
    std::string dir = Opt(root);
    if (dir.empty()) {
      const char* env = std::getenv("RADALT_INSTALL_ROOT");
      dir = env && *env ? env : ".run/root";
    }
    entries = rj::Store::OpenForReading(rj::JournalPath(dir))->Query(f);
  } catch (const rj::Error& e) {
    PyErr_SetString(PyExc_OSError, (std::string("the journal cannot be read: ") + e.what()).c_str());
    throw py::error_already_set();
  }
  py::list out;
  for (const rj::Entry& e : entries) {
    py::dict d;
    d["seq"] = e.seq;
    d["at"] = e.at;
    d["kind"] = e.kind;
    d["writer"] = e.writer;
    d["key"] = e.key;
    d["before"] = e.before;
    d["requested"] = e.requested;
    d["after"] = e.after;
    d["outcome"] = e.outcome;
    d["refusal"] = e.refusal;
    d["holder"] = e.holder;
    d["reason"] = e.reason;
    d["message"] = e.message;
    d["duration_us"] = e.durationUs;
    out.append(d);
  }
  return out;
}

}  // namespace

PYBIND11_MODULE(radalt, m) {
  m.doc() = "Client of the radar-altimeter test set's master control";
  rc::SetProgramName("radalt-python");

  refusedType = PyErr_NewExceptionWithDoc("radalt.Refused", "The system refused the request (kind, text).",
                                          PyExc_RuntimeError, nullptr);
  lockedType = PyErr_NewExceptionWithDoc("radalt.LockedError", "A lock refused the write (holder, reason, message).",
                                         refusedType, nullptr);
  rangeType = PyErr_NewExceptionWithDoc("radalt.RangeError", "A value outside its limits (minimum, maximum, value).",
                                        refusedType, nullptr);
  unreachableType = PyErr_NewExceptionWithDoc("radalt.Unreachable", "The test set cannot be reached.",
                                              PyExc_ConnectionError, nullptr);
  misuseType = PyErr_NewExceptionWithDoc("radalt.Misuse", "An unknown name or a value of the wrong kind.",
                                         PyExc_ValueError, nullptr);
  m.attr("Refused") = py::handle(refusedType);
  m.attr("LockedError") = py::handle(lockedType);
  m.attr("RangeError") = py::handle(rangeType);
  m.attr("Unreachable") = py::handle(unreachableType);
  m.attr("Misuse") = py::handle(misuseType);

  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const rc::Locked& e) {
      Raise(lockedType, e.what(),
            {{"kind", py::str(e.kind)}, {"text", py::str(e.text)}, {"holder", py::str(e.holder)},
             {"reason", py::str(e.reason)}, {"message", py::str(e.message)}});
    } catch (const rc::OutOfRange& e) {
      Raise(rangeType, e.what(),
            {{"kind", py::str(e.kind)}, {"text", py::str(e.text)}, {"minimum", py::float_(e.minimum)},
             {"maximum", py::float_(e.maximum)}, {"value", py::float_(e.value)}});
    } catch (const rc::Refused& e) {
      Raise(refusedType, e.what(), {{"kind", py::str(e.kind)}, {"text", py::str(e.text)}});
    } catch (const rc::Unreachable& e) {
      Raise(unreachableType, e.what(), {});
    } catch (const rc::Misuse& e) {
      Raise(misuseType, e.what(), {});
    }
  });

  m.def("journal", &Journal, py::arg("since") = py::none(), py::arg("key") = py::none(),
        py::arg("writer") = py::none(), py::arg("refused") = false, py::arg("root") = py::none(),
        "The journal's entries (oldest first) as dicts, read from <root>/engines/lib/journal.db (root: "
        "$RADALT_INSTALL_ROOT, else .run/root); since: a UTC time 'YYYY-MM-DD[THH:MM[:SS]]', refused: "
        "only refused and failed requests. OSError when the journal cannot be read.");

  py::class_<rc::Client>(m, "Client", "A connection to the master control found in the naming service.")
      .def(py::init<const std::string&, const std::string&, unsigned>(), py::arg("ns") = "", py::arg("engine") = "",
           py::arg("timeout_ms") = 30000)
      .def("names", &rc::Client::Names, "Every attribute's key.")
      .def("type", &rc::Client::TypeOf, py::arg("key"), "The attribute's type name.")
      .def("get", &rc::Client::Get, py::arg("key"), "The attribute's value (a value record gives its value field).")
      .def("text", &rc::Client::Describe, py::arg("key"), py::arg("full") = false,
           "The value as radaltctl shows it (full: every field of a value record).")
      .def("set", &rc::Client::Set, py::arg("key"), py::arg("value"),
           "Writes the attribute (an enumeration also takes a label, a profile a list of legs).")
      .def("exec", &rc::Client::Exec, py::arg("key"), "Executes a command attribute.")
      .def("locks", [](rc::Client& c) { return Rows(c.Locks()); },
           "The attributes a write by this client would be refused on, with holder, reason and message.")
      .def("watch",
           [](rc::Client& c, const std::vector<std::string>& keys, double seconds, long count, py::object then) {
             std::vector<std::pair<std::string, std::string>> seen;
             std::mutex m;
             {
               py::gil_scoped_release release;
               c.Watch(
                   keys, seconds, count,
                   [&](const std::string& k, const std::string& v) {
                     std::lock_guard<std::mutex> lock(m);
                     seen.emplace_back(k, v);
                   },
                   {},
                   [&] {
                     py::gil_scoped_acquire acquire;
                     if (!then.is_none()) then();
                   });
             }
             return seen;
           },
           py::arg("keys"), py::arg("seconds") = 0.0, py::arg("count") = 0, py::arg("then") = py::none(),
           "The current values, then each value assigned, as (key, text) pairs; ends after seconds "
           "or once count assignments were seen. then() is called once the current values were seen: "
           "what it writes is watched.")
      .def("remote_get", [](rc::Client& c, const std::string& op) { return c.GetOf(Velmarin::EngineReadingBase_var(c.Remote(op))); },
           py::arg("operation"), "The value of the attribute the main interface's operation hands out.")
      .def("remote_set",
           [](rc::Client& c, const std::string& op, const rc::Value& v) {
             c.SetOf(Velmarin::EngineReadingBase_var(c.Remote(op)), v);
           },
           py::arg("operation"), py::arg("value"), "Writes the attribute the main interface's operation hands out.")
      .def("remote_exec", [](rc::Client& c, const std::string& op) { c.ExecOf(Velmarin::EngineReadingBase_var(c.Remote(op))); },
           py::arg("operation"), "Executes the command the main interface's operation hands out.")
      .def("run", &rc::Client::Run, py::arg("operation"), "Runs a one-shot command of the main interface.")
      .def("selftest",
           [](rc::Client& c, const std::string& kind, double seconds) {
             const int type = SelfTestType(kind);
             py::gil_scoped_release release;
             return c.SelfTest(type, seconds);
           },
           py::arg("kind"), py::arg("seconds") = 60.0,
           "Runs the 'basic' or 'software' self test through the platform's harness: the result line, "
           "then one line per failure.");
}
