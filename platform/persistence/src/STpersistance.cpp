#include "platform/STpersistance.h"

#include <charconv>
#include <filesystem>
#include <iostream>

namespace {

// Written the way the value templates write versions (9 significant digits), so that
// a row inserted with a version is found again with the same version.
std::string VersionText(float version) {
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, static_cast<double>(version),
                           std::chars_format::general, 9);
  return std::string(buf, res.ptr);
}

// Table bases go into statements unquoted, so only plain identifiers are taken.
bool IsPlainIdentifier(const std::string& text) {
  if (text.empty() || (text[0] >= '0' && text[0] <= '9')) return false;
  for (char c : text) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '_';
    if (!ok) return false;
  }
  return true;
}

const char* ColumnDeclType(int typeId) {
  switch (typeId) {
    case 1:
      return "REAL";
    case 3:
      return "TEXT NOT NULL DEFAULT ''";
    default:
      return "INTEGER";
  }
}

void Report(const std::string& line) { std::cerr << line + "\n"; }

}  // namespace

// Type ids 0..3 select the value columns in this order. The engine stores int (and
// bool), double and text; "value_long" is the 64-bit column of other platform users.
const std::map<int, std::string> STpersistance::m_DbList = {
    {0, "value_int"}, {1, "value_double"}, {2, "value_long"}, {3, "value_text"}};

STpersistance::STpersistance(int instance, const std::string& directory)
    : instance_(instance), directory_(directory) {}

STpersistance::~STpersistance() {
  std::lock_guard<std::mutex> lock(mutex_);
  connection_.Close();
}

std::string STpersistance::DatabasePath() const {
  return (std::filesystem::path(directory_) / DatabaseFileName).string();
}

bool STpersistance::ConnectToDB() {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string path = DatabasePath();
  if (connection_.Open(path)) return true;
  Report("STpersistance:ConnectToDB : " + path + " - failed: " + connection_.LastError());
  return false;
}

bool STpersistance::CheckAndCreateTables(const std::string& tableBase) {
  if (!IsPlainIdentifier(tableBase)) {
    Report("STpersistance:CheckAndCreateTables : invalid table base '" + tableBase + "'");
    return false;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  tableBase_ = tableBase;

  // A value exists once per id and once per name within an instance and version,
  // so a second metadata insert of either fails.
  const std::string metadata = "CREATE TABLE IF NOT EXISTS " + tableBase +
                               "_values_metadata ("
                               "id INTEGER NOT NULL, "
                               "instance INTEGER NOT NULL, "
                               "name TEXT NOT NULL, "
                               "version REAL NOT NULL, "
                               "type TEXT NOT NULL, "
                               "PRIMARY KEY (id, instance, version), "
                               "UNIQUE (name, instance, version))";
  std::string values = "CREATE TABLE IF NOT EXISTS " + tableBase +
                       "_values ("
                       "id INTEGER NOT NULL, "
                       "instance INTEGER NOT NULL, "
                       "version REAL NOT NULL";
  for (const auto& [typeId, typeName] : m_DbList)
    values += ", " + typeName + " " + ColumnDeclType(typeId);
  values += ", PRIMARY KEY (id, instance, version))";

  for (const std::string& statement : {metadata, values}) {
    const bool ok = connection_.Execute(statement);
    connection_.ReleaseResult();
    if (!ok) {
      Report("STpersistance:CheckAndCreateTables : " + statement +
             " - failed: " + connection_.LastError());
      return false;
    }
  }
  return true;
}

std::string STpersistance::BuildRowWhereClause(unsigned id, float version) const {
  return "WHERE id=" + std::to_string(id) + " AND version=" + VersionText(version) +
         " AND instance=" + std::to_string(instance_);
}

std::string STpersistance::BuildRowWhereClause(const std::string& name, float version) const {
  return "WHERE name='" + EscapeText(name) + "' AND version=" + VersionText(version) +
         " AND instance=" + std::to_string(instance_);
}

std::string STpersistance::GetStringValue(const std::string& name, float version) {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string& textType = m_DbList.at(DBType<std::string>::relatedType);
  std::vector<std::string> row;
  if (!QuerySingleRow("SELECT id, type FROM " + tableBase_ + "_values_metadata " +
                          BuildRowWhereClause(name, version),
                      2, row))
    return std::string();
  if (row[1] != textType) {
    Report("STpersistance:GetStringValue : " + name + " is not a text, field type: " + row[1]);
    return std::string();
  }
  unsigned id = 0;
  std::from_chars(row[0].data(), row[0].data() + row[0].size(), id);
  if (!QuerySingleRow("SELECT " + textType + " FROM " + tableBase_ + "_values " +
                          BuildRowWhereClause(id, version),
                      1, row))
    return std::string();
  return row[0];
}

bool STpersistance::QuerySingleRow(const std::string& statement, int columns,
                                   std::vector<std::string>& row) {
  row.clear();
  bool ok = connection_.Execute(statement);
  if (!ok) {
    Report("STpersistance:GetStringValue : " + statement + " - failed: " + connection_.LastError());
  } else if (connection_.RowCount() != 1) {
    Report("STpersistance:GetStringValue : " + statement +
           " - failed Expected 1 row query returned: " + std::to_string(connection_.RowCount()));
    ok = false;
  } else {
    for (int column = 0; column < columns; ++column) row.push_back(connection_.GetText(0, column));
  }
  connection_.ReleaseResult();
  return ok;
}

std::string STpersistance::EscapeText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out;
}

int STpersistance::TypeIdOf(const std::string& typeName) {
  for (const auto& [typeId, name] : m_DbList)
    if (name == typeName) return typeId;
  return UnknownTypeId;
}

int STpersistance::UpdateValues(const std::vector<std::pair<unsigned, Bound>>& values, float version) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto report = [&](const std::string& statement) {
    std::cerr << "STpersistance:UpdateValues : " + statement + " - failed: " + connection_.LastError() + "\n";
  };
  if (!connection_.Execute("BEGIN IMMEDIATE")) {
    report("BEGIN IMMEDIATE");
    connection_.ReleaseResult();
    return -1;
  }
  connection_.ReleaseResult();
  int changed = 0;
  for (const auto& [id, value] : values) {
    const int column = value.kind == Bound::Kind::Integer ? 0 : value.kind == Bound::Kind::Real ? 1 : 3;
    // Only a row whose metadata names this column's type takes the value.
    const std::string statement = "UPDATE " + tableBase_ + "_values SET " + m_DbList.at(column) +
                                  "=? WHERE id=? AND instance=? AND version=? AND id IN (SELECT id FROM " +
                                  tableBase_ + "_values_metadata WHERE type='" + m_DbList.at(column) +
                                  "' AND instance=? AND version=?)";
    const double v = static_cast<double>(version);
    if (!connection_.Execute(statement, {value, Bound::Of(static_cast<long long>(id)), Bound::Of(instance_),
                                         Bound::Of(v), Bound::Of(instance_), Bound::Of(v)})) {
      report(statement);
      connection_.ReleaseResult();
      connection_.Execute("ROLLBACK");
      connection_.ReleaseResult();
      return -1;
    }
    connection_.ReleaseResult();
    if (connection_.Execute("SELECT changes()")) changed += std::stoi(connection_.GetText(0, 0).empty() ? "0" : connection_.GetText(0, 0));
    connection_.ReleaseResult();
  }
  if (!connection_.Execute("COMMIT")) {
    report("COMMIT");
    connection_.ReleaseResult();
    connection_.Execute("ROLLBACK");
    connection_.ReleaseResult();
    return -1;
  }
  connection_.ReleaseResult();
  return changed;
}
