#include "platform/STpersistance.h"

#include <sqlite3.h>

#include <charconv>

namespace {

// How long a statement waits for another connection's write transaction.
constexpr int BusyTimeoutMs = 5000;

bool OnlyBlanksAndSemicolons(const char* text) {
  for (; *text != '\0'; ++text) {
    if (*text != ';' && *text != ' ' && *text != '\t' && *text != '\n' && *text != '\r')
      return false;
  }
  return true;
}

std::string CellText(sqlite3_stmt* stmt, int column) {
  switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
      return std::string();
    case SQLITE_FLOAT: {
      // SQLite's own conversion keeps only 15 digits; 17 read back to the same double.
      char buf[32];
      auto res = std::to_chars(buf, buf + sizeof buf, sqlite3_column_double(stmt, column),
                               std::chars_format::general, 17);
      return std::string(buf, res.ptr);
    }
    default: {
      const unsigned char* text = sqlite3_column_text(stmt, column);
      const int size = sqlite3_column_bytes(stmt, column);
      return text ? std::string(reinterpret_cast<const char*>(text), size) : std::string();
    }
  }
}

}  // namespace

STdbConnection::~STdbConnection() { Close(); }

bool STdbConnection::Open(const std::string& path) {
  Close();
  sqlite3* db = nullptr;
  const int rc =
      sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc != SQLITE_OK) {
    const std::string error = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close_v2(db);
    return Fail(error, rc);
  }
  db_ = db;
  sqlite3_busy_timeout(db_, BusyTimeoutMs);
  // WAL: a commit is in the log file before the call returns, so a killed process
  // loses nothing it committed. FULL also syncs the log on every commit, which keeps
  // commits across a power loss; values are written rarely, so the cost is small.
  if (!Execute("PRAGMA journal_mode=WAL")) {
    Close();
    return false;
  }
  if (GetText(0, 0) != "wal") {
    const std::string mode = GetText(0, 0);
    Close();
    return Fail("cannot use WAL journal mode (got '" + mode + "')", SQLITE_ERROR);
  }
  if (!Execute("PRAGMA synchronous=FULL")) {
    Close();
    return false;
  }
  ReleaseResult();
  return true;
}

void STdbConnection::Close() {
  rows_.clear();
  if (db_ != nullptr) {
    sqlite3_close_v2(db_);
    db_ = nullptr;
  }
}

bool STdbConnection::Execute(const std::string& statement) { return Execute(statement, {}); }

bool STdbConnection::Execute(const std::string& statement, const std::vector<Bound>& parameters) {
  rows_.clear();
  lastError_.clear();
  lastErrorCode_ = SQLITE_OK;
  if (db_ == nullptr) return Fail("not connected to the database", SQLITE_MISUSE);
  // SQLite would end the statement at a NUL; refuse it instead of running a cut text.
  if (statement.find('\0') != std::string::npos)
    return Fail("NUL character in the statement", SQLITE_MISUSE);

  sqlite3_stmt* stmt = nullptr;
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v2(db_, statement.c_str(), static_cast<int>(statement.size()) + 1,
                              &stmt, &tail);
  if (rc != SQLITE_OK) return Fail(sqlite3_errmsg(db_), sqlite3_extended_errcode(db_));
  if (stmt == nullptr) return Fail("empty statement", SQLITE_MISUSE);
  if (tail != nullptr && !OnlyBlanksAndSemicolons(tail)) {
    sqlite3_finalize(stmt);
    return Fail("text after the end of the statement", SQLITE_MISUSE);
  }

  for (std::size_t i = 0; i < parameters.size(); ++i) {
    const Bound& p = parameters[i];
    const int at = static_cast<int>(i) + 1;
    if (p.kind == Bound::Kind::Integer)
      rc = sqlite3_bind_int64(stmt, at, p.integer);
    else if (p.kind == Bound::Kind::Real)
      rc = sqlite3_bind_double(stmt, at, p.real);
    else
      rc = sqlite3_bind_text(stmt, at, p.text.data(), static_cast<int>(p.text.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK) {
      const std::string error = sqlite3_errmsg(db_);
      sqlite3_finalize(stmt);
      return Fail(error, rc);
    }
  }
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    const int columns = sqlite3_column_count(stmt);
    std::vector<std::string> row;
    row.reserve(columns);
    for (int c = 0; c < columns; ++c) row.push_back(CellText(stmt, c));
    rows_.push_back(std::move(row));
  }
  if (rc != SQLITE_DONE) {
    const std::string error = sqlite3_errmsg(db_);
    const int code = sqlite3_extended_errcode(db_);
    sqlite3_finalize(stmt);
    rows_.clear();
    return Fail(error, code);
  }
  sqlite3_finalize(stmt);
  return true;
}

std::string STdbConnection::GetText(int row, int column) const {
  if (row < 0 || row >= RowCount()) return std::string();
  const auto& cells = rows_[row];
  if (column < 0 || column >= static_cast<int>(cells.size())) return std::string();
  return cells[column];
}

bool STdbConnection::LastErrorIsConstraint() const {
  return (lastErrorCode_ & 0xff) == SQLITE_CONSTRAINT;
}

bool STdbConnection::Fail(const std::string& error, int code) {
  lastError_ = error;
  lastErrorCode_ = code;
  return false;
}
