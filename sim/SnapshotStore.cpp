#include "SnapshotStore.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace radaltsim {

namespace {

// One prepared statement, finalized on every path; parameters bound in order.
class Statement {
 public:
  Statement(sqlite3* db, const std::string& sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK)
      throw std::runtime_error(std::string("snapshot store: ") + sqlite3_errmsg(db) + " in " + sql);
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement& Bind(const std::string& text) {
    sqlite3_bind_text(stmt_, ++at_, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Statement& Bind(int v) {
    sqlite3_bind_int(stmt_, ++at_, v);
    return *this;
  }
  // True while a row is there.
  bool Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw std::runtime_error(std::string("snapshot store: ") + sqlite3_errmsg(db_));
  }
  std::string Text(int column) {
    const unsigned char* t = sqlite3_column_text(stmt_, column);
    return t ? reinterpret_cast<const char*>(t) : "";
  }
  bool Null(int column) { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
  int at_ = 0;
};

bool Identifier(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isalnum(c) || c == '_'; });
}

// The value columns of a type name; anything else is not a value of the store.
int ColumnOf(const std::string& type) {
  static const char* kColumns[] = {"value_int", "value_double", "value_long", "value_text"};
  for (int i = 0; i < 4; ++i)
    if (type == kColumns[i]) return i;
  return -1;
}

}  // namespace

SnapshotStore::SnapshotStore(const std::string& path, const std::string& ownerDatabase) {
  if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                      nullptr) != SQLITE_OK) {
    const std::string error = db_ ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close_v2(db_);
    throw std::runtime_error("snapshot store " + path + ": " + error);
  }
  sqlite3_busy_timeout(db_, 5000);
  try {
    Exec("PRAGMA journal_mode=WAL");
    Exec("PRAGMA synchronous=FULL");
    Exec("CREATE TABLE IF NOT EXISTS snapshot (tbl TEXT NOT NULL, name TEXT NOT NULL, PRIMARY KEY (tbl, name))");
    Exec("CREATE TABLE IF NOT EXISTS snapshot_value (tbl TEXT NOT NULL, name TEXT NOT NULL, id INTEGER NOT NULL, "
         "instance INTEGER NOT NULL, version REAL NOT NULL, value_int INTEGER, value_double REAL, "
         "value_long INTEGER, value_text TEXT, value_name TEXT, type TEXT, "
         "PRIMARY KEY (tbl, name, id, instance, version))");
    Statement(db_, "ATTACH DATABASE ? AS owner").Bind(ownerDatabase).Step();
    Exec("PRAGMA owner.journal_mode=WAL");
  } catch (...) {
    sqlite3_close_v2(db_);
    throw;
  }
}

SnapshotStore::~SnapshotStore() { sqlite3_close_v2(db_); }

void SnapshotStore::Exec(const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string text = error ? error : "unknown error";
    sqlite3_free(error);
    throw std::runtime_error("snapshot store: " + text + " in " + sql);
  }
}

void SnapshotStore::CheckName(const std::string& name) {
  if (name.empty() || name.size() > 64) throw SnapshotError("A snapshot name has 1 to 64 characters");
  const bool allowed = std::all_of(name.begin(), name.end(), [](unsigned char c) {
    return std::isalnum(c) || c == ' ' || c == '_' || c == '-' || c == '.';
  });
  if (!allowed) throw SnapshotError("A snapshot name holds only letters, digits, blanks, '_', '-' and '.'");
  if (name.find_first_not_of(" .") == std::string::npos)
    throw SnapshotError("A snapshot name needs a letter, a digit, '_' or '-'");
}

SnapshotStore::Table SnapshotStore::Parse(const std::string& table) {
  const std::size_t digits = table.find_last_not_of("0123456789");
  const std::string base = digits == std::string::npos ? "" : table.substr(0, digits + 1);
  if (digits == std::string::npos || digits + 1 == table.size() || !Identifier(base) || table.size() - digits > 9)
    throw SnapshotError("No table " + table);
  return {base, std::stoi(table.substr(digits + 1))};
}

bool SnapshotStore::Exists(const std::string& table, const std::string& name) {
  Statement s(db_, "SELECT 1 FROM snapshot WHERE tbl=? AND name=?");
  return s.Bind(table).Bind(name).Step();
}

int SnapshotStore::Take(const std::string& table, const std::string& name) {
  CheckName(name);
  const Table t = Parse(table);
  std::lock_guard<std::mutex> lock(mutex_);
  Exec("BEGIN IMMEDIATE");
  try {
    Statement(db_, "DELETE FROM snapshot_value WHERE tbl=? AND name=?").Bind(table).Bind(name).Step();
    Statement(db_, "INSERT OR REPLACE INTO snapshot VALUES (?, ?)").Bind(table).Bind(name).Step();
    Statement(db_, "INSERT INTO snapshot_value SELECT ?, ?, v.id, v.instance, v.version, v.value_int, v.value_double, "
                   "v.value_long, v.value_text, m.name, m.type FROM owner." +
                       t.base + "_values v JOIN owner." + t.base +
                       "_values_metadata m ON m.id=v.id AND m.instance=v.instance AND m.version=v.version "
                       "WHERE v.instance=?")
        .Bind(table)
        .Bind(name)
        .Bind(t.instance)
        .Step();
    const int rows = sqlite3_changes(db_);
    if (rows == 0) throw SnapshotError("No table " + table);
    Exec("COMMIT");
    return rows;
  } catch (...) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

int SnapshotStore::Restore(const std::string& table, const std::string& name) {
  CheckName(name);
  const Table t = Parse(table);
  std::lock_guard<std::mutex> lock(mutex_);
  if (!Exists(table, name)) throw SnapshotError("No snapshot " + name + " of " + table);
  Exec("BEGIN IMMEDIATE");
  try {
    Statement(db_, "UPDATE owner." + t.base +
                       "_values AS v SET value_int=s.value_int, value_double=s.value_double, "
                       "value_long=s.value_long, value_text=s.value_text FROM snapshot_value AS s "
                       "WHERE s.tbl=? AND s.name=? AND v.id=s.id AND v.instance=s.instance AND v.version=s.version")
        .Bind(table)
        .Bind(name)
        .Step();
    const int rows = sqlite3_changes(db_);
    Exec("COMMIT");
    return rows;
  } catch (...) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

std::vector<std::string> SnapshotStore::Names(const std::string& table) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> names;
  Statement s(db_, "SELECT name FROM snapshot WHERE tbl=? ORDER BY name");
  s.Bind(table);
  while (s.Step()) names.push_back(s.Text(0));
  return names;
}

std::vector<SnapshotStore::Difference> SnapshotStore::Diff(const std::string& table, const std::string& name) {
  CheckName(name);
  const Table t = Parse(table);
  std::lock_guard<std::mutex> lock(mutex_);
  if (!Exists(table, name)) throw SnapshotError("No snapshot " + name + " of " + table);
  Statement s(db_, "SELECT s.value_name, s.type, v.value_int, v.value_double, v.value_long, v.value_text, "
                   "s.value_int, s.value_double, s.value_long, s.value_text FROM snapshot_value s JOIN owner." +
                       t.base +
                       "_values v ON v.id=s.id AND v.instance=s.instance AND v.version=s.version "
                       "WHERE s.tbl=? AND s.name=? ORDER BY s.id");
  s.Bind(table).Bind(name);
  std::vector<Difference> out;
  while (s.Step()) {
    const int column = ColumnOf(s.Text(1));
    if (column < 0) continue;
    const std::string current = s.Text(2 + column);
    const std::string stored = s.Text(6 + column);
    if (current != stored) out.push_back({s.Text(0), current, stored});
  }
  return out;
}

}  // namespace radaltsim
