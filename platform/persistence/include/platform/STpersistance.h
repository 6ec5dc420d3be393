// The persisted value store: one SQLite database file, two tables per table base.
//
// Each store owns one connection and one mutex. Every statement issued on the
// connection, together with the reading of its result, runs under that mutex.
// No operation throws; failures are written to standard error.
//
// The value templates CreateValue<T> and GetValue<T> are declared here and defined by
// the engine (persistence/PersistedValue.h); include that header to use them.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

struct sqlite3;

// A value bound to a statement's parameter ('?'), never spliced into its text.
struct Bound {
  enum class Kind { Integer, Real, Text };
  Kind kind = Kind::Integer;
  long long integer = 0;
  double real = 0.0;
  std::string text;

  static Bound Of(long long v) { Bound b; b.integer = v; return b; }
  static Bound Of(int v) { return Of(static_cast<long long>(v)); }
  static Bound Of(double v) { Bound b; b.kind = Kind::Real; b.real = v; return b; }
  static Bound Of(std::string v) { Bound b; b.kind = Kind::Text; b.text = std::move(v); return b; }
};

// The database connection: one statement at a time, its result kept as text.
class STdbConnection {
 public:
  STdbConnection() = default;
  ~STdbConnection();
  STdbConnection(const STdbConnection&) = delete;
  STdbConnection& operator=(const STdbConnection&) = delete;

  // Opens (creating if needed) the file in WAL mode with synchronous=FULL.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return db_ != nullptr; }

  // Runs exactly one statement and keeps every row of its result. Text after the
  // first statement (other than blanks and ';') makes the call fail unexecuted.
  bool Execute(const std::string& statement);
  // The same with parameters bound to the statement's '?' in order.
  bool Execute(const std::string& statement, const std::vector<Bound>& parameters);
  int RowCount() const { return static_cast<int>(rows_.size()); }
  // The text of a cell of the last result; NULL and cells outside the result give "".
  // Reals are written with 17 significant digits so that they read back unchanged.
  std::string GetText(int row, int column) const;
  const std::string& LastError() const { return lastError_; }
  // Whether the last failure was a key or other constraint violation.
  bool LastErrorIsConstraint() const;
  void ReleaseResult() { rows_.clear(); }

 private:
  bool Fail(const std::string& error, int code);

  sqlite3* db_ = nullptr;
  std::vector<std::vector<std::string>> rows_;
  std::string lastError_;
  int lastErrorCode_ = 0;
};

// The type id of each storable type: selects the value column (0..3) of the value table.
template <typename T>
struct DBType;
template <>
struct DBType<int> {
  static constexpr int relatedType = 0;
};
// Booleans are stored as int 0 or 1.
template <>
struct DBType<bool> {
  static constexpr int relatedType = 0;
};
template <>
struct DBType<double> {
  static constexpr int relatedType = 1;
};
template <>
struct DBType<std::string> {
  static constexpr int relatedType = 3;
};

class STpersistance {
 public:
  // The database file, kept in the directory given to the constructor.
  static constexpr const char* DatabaseFileName = "persistence.db";
  // The type id of a type name that is not in m_DbList.
  static constexpr int UnknownTypeId = 7;
  // Type id -> type name; each type name is also the name of its value column.
  static const std::map<int, std::string> m_DbList;

  STpersistance(int instance, const std::string& directory);
  ~STpersistance();
  STpersistance(const STpersistance&) = delete;
  STpersistance& operator=(const STpersistance&) = delete;

  bool ConnectToDB();
  // Makes tableBase this store's table base and creates its two tables when missing.
  // The base must be a plain identifier (letters, digits, '_').
  bool CheckAndCreateTables(const std::string& tableBase);

  // "WHERE ..." selecting the one row of this store's instance with that id or name.
  std::string BuildRowWhereClause(unsigned id, float version) const;
  std::string BuildRowWhereClause(const std::string& name, float version) const;

  // A text value read by name; "" when it is missing or not a text.
  std::string GetStringValue(const std::string& name, float version);

  // Value templates (defined in persistence/PersistedValue.h).
  template <typename T>
  void CreateValue(unsigned id, const std::string& name, float version, T value);
  template <typename T>
  T GetValue(unsigned id, float version);
  template <typename T>
  T GetValue(const std::string& name, float version);

  // Replaces the stored values of existing rows (id, value) of this instance, all in one
  // transaction; a value goes into the column of its kind. Returns how many rows changed,
  // or -1 when the transaction failed (then nothing changed).
  int UpdateValues(const std::vector<std::pair<unsigned, Bound>>& values, float version);

  const std::string& TableBase() const { return tableBase_; }
  int Instance() const { return instance_; }
  std::string DatabasePath() const;

  // text with every ' doubled, for use between quotes in a statement.
  static std::string EscapeText(const std::string& text);
  // The type id of a type name, UnknownTypeId when absent.
  static int TypeIdOf(const std::string& typeName);

 private:
  // Runs a statement expected to give one row and keeps the first `columns` cells of it.
  bool QuerySingleRow(const std::string& statement, int columns, std::vector<std::string>& row);

  const int instance_;
  const std::string directory_;
  std::string tableBase_;
  std::mutex mutex_;
  STdbConnection connection_;
};
