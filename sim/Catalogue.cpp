#include "Catalogue.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "RadAltSC.hh"
#include "VelmarinErrors.hh"

namespace radaltsim {

namespace {

namespace Legs = RadAltSingleChannelModel::AltimeterSimulationObjects;

// The items of each kind: its commands, its list length, and the name and modified flag
// that a store or recall sets.
struct KindItems {
  const char* kind;  // as the file records it
  const char* store;
  const char* recall;
  const char* remove;
  const char* length;
  const char* name;
  const char* modified;
};
const KindItems kKinds[] = {
    {"settings", "STORESETTINGS", "RECALLSETTINGS", "DELETESETTINGS", "SETTINGSLISTLENGTH", "SETTINGSNAME",
     "SETTINGSMODIFIED"},
    {"profile", "STOREALTSIM", "RECALLALTSIM", "DELETEALTSIM", "ALTSIMLISTLENGTH", "NAME", "MODIFIED"},
};
const KindItems& Of(Catalogued kind) { return kKinds[static_cast<int>(kind)]; }

// What a settings snapshot holds, in the order a recall writes it back (the detection mode
// before the type it may override, the RF level mode before the level).
const char* const kSettingsKeys[] = {
    "RFCONNECT",     "RFLVLMODE",  "OUTPWRLVL",     "LOOPLOSS",   "TXCABLELOSS",         "RXCABLELOSS",
    "TXCOUPLERLOSS", "RXCOUPLERLOSS", "TXEXTLOSS",  "RXEXTLOSS",  "DISTOFFSET",          "RFLVLOFFSET",
    "AIDFIXED",      "AIDVAR",     "AIDMODE",       "UUTDETECT",  "UUTTYPE",             "UUTCDFSUBTYPE",
    "CDFALTCORR",    "ALTUNITS",   "DISTUNITS",     "FREQDISPLAYMODE", "PROFILEDISPLAYUNITS", "POWERUNITS",
    "SIMMODE",       "CURALT",     "CURSTARTALT",   "CURSTOPALT", "CURALTRATE",          "CURDURATION",
};
const char* const kLegs = "LEGDATA";
const char* const kRunning = "RUNSTOPTEST";

// The engines of one process share one connection lock (an in-memory catalogue is one
// database shared by their connections).
std::mutex& ProcessLock() {
  static std::mutex m;
  return m;
}

[[noreturn]] void Refuse(const std::string& text) {
  std::cout << " radaltsc catalogue refused: " << text << std::endl;
  throw Velmarin::Operation_errors::Data_Source_Not_Compatible(text.c_str());
}

[[noreturn]] void Unknown(Catalogued kind, const std::string& name) {
  const std::string text = std::string("no stored ") + Of(kind).kind + " named \"" + name + "\"";
  std::cout << " radaltsc catalogue refused: " << text << std::endl;
  throw Velmarin::Operation_errors::Object_Not_Found(text.c_str());
}

// A prepared statement, finalised when it goes.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &s_, nullptr) != SQLITE_OK) Fail("prepare");
  }
  ~Statement() { sqlite3_finalize(s_); }
  Statement& Bind(int i, const std::string& v) {
    sqlite3_bind_text(s_, i, v.c_str(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Statement& Bind(int i, int v) {
    sqlite3_bind_int(s_, i, v);
    return *this;
  }
  // True while there is a row.
  bool Step() {
    const int rc = sqlite3_step(s_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) Fail("step");
    return false;
  }
  std::string Text(int column) const {
    const unsigned char* t = sqlite3_column_text(s_, column);
    return t ? reinterpret_cast<const char*>(t) : "";
  }

 private:
  [[noreturn]] void Fail(const char* what) const {
    const std::string text = std::string("catalogue file: ") + what + " failed: " + sqlite3_errmsg(db_);
    std::cerr << " radaltsc " << text << std::endl;
    throw Velmarin::Runtime_errors::Generic(text.c_str());
  }
  sqlite3* db_;
  sqlite3_stmt* s_ = nullptr;
};

std::string Number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

}  // namespace

std::string CatalogueNameFault(const std::string& name) {
  static const std::regex pattern("^([a-zA-Z0-9]([a-zA-Z0-9 ]|-|_|\\.)*)$");
  if (name.empty()) return "a name is needed";
  if (name.size() > kCatalogueNameMax)
    return "name \"" + name + "\" has " + std::to_string(name.size()) + " characters, at most " +
           std::to_string(kCatalogueNameMax) + " are allowed";
  if (!std::regex_match(name, pattern))
    return "name \"" + name +
           "\" not allowed: a name begins with a letter or digit, followed by letters, digits, blanks, "
           "'-', '_' or '.'";
  return "";
}

// ---- the file ----------------------------------------------------------------------------

CatalogueFile::CatalogueFile(const std::string& folder) {
  std::string where;
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI;
  if (folder.empty()) {
    where = "file:radaltsc-catalogue?mode=memory&cache=shared";
  } else {
    std::filesystem::create_directories(folder);
    where = (std::filesystem::path(folder) / kFileName).string();
  }
  std::lock_guard<std::mutex> lock(ProcessLock());
  if (sqlite3_open_v2(where.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    const std::string text = "cannot open the catalogue " + where + ": " + (db_ ? sqlite3_errmsg(db_) : "no memory");
    sqlite3_close(db_);
    throw std::runtime_error(text);
  }
  // Engines of other processes write the same file: wait for their writes to end.
  sqlite3_busy_timeout(db_, 5000);
  char* error = nullptr;
  if (sqlite3_exec(db_,
                   "CREATE TABLE IF NOT EXISTS catalogue (kind TEXT NOT NULL, name TEXT NOT NULL, "
                   "channel INTEGER NOT NULL, snapshot TEXT NOT NULL, PRIMARY KEY (kind, name))",
                   nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string text = "cannot create the catalogue in " + where + ": " + (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db_);
    throw std::runtime_error(text);
  }
}

CatalogueFile::~CatalogueFile() {
  std::lock_guard<std::mutex> lock(ProcessLock());
  sqlite3_close(db_);
}

void CatalogueFile::Put(Catalogued kind, const std::string& name, int channel, const std::string& snapshot) {
  std::lock_guard<std::mutex> lock(ProcessLock());
  Statement s(db_, "INSERT OR REPLACE INTO catalogue (kind, name, channel, snapshot) VALUES (?, ?, ?, ?)");
  s.Bind(1, Of(kind).kind).Bind(2, name).Bind(3, channel).Bind(4, snapshot).Step();
}

bool CatalogueFile::Get(Catalogued kind, const std::string& name, std::string& snapshot) {
  std::lock_guard<std::mutex> lock(ProcessLock());
  Statement s(db_, "SELECT snapshot FROM catalogue WHERE kind = ? AND name = ?");
  if (!s.Bind(1, Of(kind).kind).Bind(2, name).Step()) return false;
  snapshot = s.Text(0);
  return true;
}

bool CatalogueFile::Remove(Catalogued kind, const std::string& name) {
  std::lock_guard<std::mutex> lock(ProcessLock());
  Statement s(db_, "DELETE FROM catalogue WHERE kind = ? AND name = ?");
  s.Bind(1, Of(kind).kind).Bind(2, name).Step();
  return sqlite3_changes(db_) == 1;
}

std::vector<std::string> CatalogueFile::Names(Catalogued kind) {
  std::lock_guard<std::mutex> lock(ProcessLock());
  Statement s(db_, "SELECT name FROM catalogue WHERE kind = ? ORDER BY name");
  s.Bind(1, Of(kind).kind);
  std::vector<std::string> names;
  while (s.Step()) names.push_back(s.Text(0));
  return names;
}

// ---- the engine's items ------------------------------------------------------------------

CatalogueModel::CatalogueModel(ItemStore& items, int channel, const std::string& folder)
    : items_(items), channel_(channel), file_(folder) {
  for (Catalogued kind : {Catalogued::Settings, Catalogued::Profile}) {
    const KindItems& k = Of(kind);
    items_.OnWriteText(k.store, [this, kind](const std::string& name) { Store(kind, name); });
    items_.OnWriteText(k.recall, [this, kind](const std::string& name) { Recall(kind, name); });
    items_.OnWriteText(k.remove, [this, kind](const std::string& name) { Delete(kind, name); });
    // Whatever is written, the item then shows how many entries there are.
    items_.OnWrite(k.length, [this, kind](double) {
      items_.Assign(Of(kind).length, static_cast<double>(file_.Names(kind).size()));
    });
  }
}

void CatalogueModel::Store(Catalogued kind, const std::string& name) {
  const std::string fault = CatalogueNameFault(name);
  if (!fault.empty()) Refuse(fault);
  std::lock_guard<std::mutex> hold(mutex_);
  file_.Put(kind, name, channel_, Snapshot(kind));
  const KindItems& k = Of(kind);
  items_.AssignText(k.store, name);
  items_.AssignText(k.name, name);
  items_.Assign(k.modified, 0);
}

void CatalogueModel::Recall(Catalogued kind, const std::string& name) {
  const std::string fault = CatalogueNameFault(name);
  if (!fault.empty()) Refuse(fault);
  std::lock_guard<std::mutex> hold(mutex_);
  std::string snapshot;
  if (!file_.Get(kind, name, snapshot)) Unknown(kind, name);
  // A flight takes neither new settings nor new legs: the recall waits for the stop.
  if (items_.Number(kRunning) != 0) {
    const std::string text = std::string("cannot recall ") + Of(kind).kind + " \"" + name +
                             "\" while a simulation is running";
    std::cout << " radaltsc catalogue refused: " << text << std::endl;
    throw Velmarin::Operation_errors::Settings_Conflict(text.c_str());
  }
  Restore(kind, snapshot);
  const KindItems& k = Of(kind);
  items_.AssignText(k.recall, name);
  items_.AssignText(k.name, name);
  items_.Assign(k.modified, 0);
}

void CatalogueModel::Delete(Catalogued kind, const std::string& name) {
  const std::string fault = CatalogueNameFault(name);
  if (!fault.empty()) Refuse(fault);
  std::lock_guard<std::mutex> hold(mutex_);
  if (!file_.Remove(kind, name)) Unknown(kind, name);
  items_.AssignText(Of(kind).remove, name);
}

// A settings snapshot is one "KEY=value" line per setting; a profile snapshot one
// "start stop rate-or-duration leg" line per leg.
std::string CatalogueModel::Snapshot(Catalogued kind) const {
  std::ostringstream out;
  if (kind == Catalogued::Settings) {
    for (const char* key : kSettingsKeys) out << key << '=' << Number(items_.Number(key)) << '\n';
    return out.str();
  }
  const CORBA::Any data = items_.AnyValue(kLegs);
  const Legs::alt_sim_data_seq* legs = nullptr;
  if (!(data >>= legs)) return "";
  for (CORBA::ULong i = 0; i < legs->length(); ++i) {
    const Legs::Alt_Sim_Data& l = (*legs)[i];
    out << Number(l.Start_Alt) << ' ' << Number(l.Stop_Alt) << ' ' << Number(l.AltRate_Dur) << ' '
        << l.Leg_Number << '\n';
  }
  return out.str();
}

void CatalogueModel::Restore(Catalogued kind, const std::string& snapshot) {
  std::istringstream in(snapshot);
  std::string line;
  if (kind == Catalogued::Settings) {
    // The file is read as data from outside: every line is checked before any is applied,
    // so a recall puts back a whole snapshot or nothing.
    std::vector<std::pair<std::string, double>> values;
    while (std::getline(in, line)) {
      const auto eq = line.find('=');
      const std::string key = line.substr(0, eq);
      char* end = nullptr;
      const double v = eq == std::string::npos ? 0 : std::strtod(line.c_str() + eq + 1, &end);
      const bool known = std::find(std::begin(kSettingsKeys), std::end(kSettingsKeys), key) != std::end(kSettingsKeys);
      const bool number = end && *end == '\0' && end != line.c_str() + eq + 1;
      if (!known || !number || v < items_.Row(key).min - 1e-9 || v > items_.Row(key).max + 1e-9)
        Refuse("stored settings line \"" + line + "\" is not a setting of this engine within its limits");
      values.emplace_back(key, v);
    }
    for (const auto& kv : values) items_.Apply(kv.first, kv.second);
    return;
  }
  Legs::alt_sim_data_seq legs;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    Legs::Alt_Sim_Data l{};
    if (!(fields >> l.Start_Alt >> l.Stop_Alt >> l.AltRate_Dur >> l.Leg_Number))
      Refuse("stored profile line \"" + line + "\" is not a profile leg");
    legs.length(legs.length() + 1);
    legs[legs.length() - 1] = l;
  }
  CORBA::Any data;
  data <<= legs;
  items_.ApplyAny(kLegs, data);
}

}  // namespace radaltsim
