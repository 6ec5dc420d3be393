// The master control's persisted values: creating a value once and reading it back,
// by id or by name, in one of the two stores (settings, profile legs).
//
//   store->CreateValue(3, "SlaveMode", 1.0, false);     // no-op when "SlaveMode" exists
//   bool slave = store->GetValue<bool>("SlaveMode", 1.0);
//   double level = store->GetValue<double>(id, 1.0);
//
// Stored types: int (bool as 0/1), double and std::string; a VALUE_DOUBLE or VALUE_LONG
// setting is stored through its value field. Nothing here throws: a failure is written
// to standard error and reads give 0, false or "".
#pragma once

#include <charconv>
#include <cmath>
#include <iostream>
#include <string>
#include <type_traits>

#include "platform/STpersistance.h"

namespace persisted_value_detail {

inline void Report(const std::string& line) { std::cerr << line + "\n"; }

// Numbers are written without the global locale, so a ',' decimal point can never
// split a value into two columns.
inline std::string NumberText(double value, int significantDigits) {
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general,
                           significantDigits);
  return std::string(buf, res.ptr);
}

inline std::string VersionText(float version) { return NumberText(version, 9); }

// The value as it appears in the INSERT; a text is escaped, its quotes are the caller's.
inline std::string ValueText(int value) { return std::to_string(value); }
inline std::string ValueText(bool value) { return value ? "1" : "0"; }
inline std::string ValueText(double value) { return NumberText(value, 17); }
inline std::string ValueText(const std::string& value) { return STpersistance::EscapeText(value); }

template <typename T>
T FromText(const std::string& text) {
  if constexpr (std::is_same_v<T, std::string>) {
    return text;
  } else if constexpr (std::is_same_v<T, bool>) {
    return FromText<int>(text) != 0;
  } else {
    T value{};
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
  }
}

// Runs a statement that must give exactly one row and takes its first cell. The
// result is released on every path.
inline bool QueryOne(STdbConnection& connection, const std::string& statement, std::string& cell) {
  bool ok = connection.Execute(statement);
  if (!ok) {
    Report("STpersistance:GetValue : " + statement + " - failed: " + connection.LastError());
  } else if (connection.RowCount() != 1) {
    Report("STpersistance:GetValue : " + statement + " - failed Expected 1 row query returned: " +
           std::to_string(connection.RowCount()));
    ok = false;
  } else {
    cell = connection.GetText(0, 0);
  }
  connection.ReleaseResult();
  return ok;
}

// Runs a statement whose result is not read; reports a failure unless told it is expected.
inline bool Run(STdbConnection& connection, const std::string& statement, bool quiet = false) {
  const bool ok = connection.Execute(statement);
  if (!ok && !quiet)
    Report("STpersistance:CreateValue : " + statement + " - failed: " + connection.LastError());
  connection.ReleaseResult();
  return ok;
}

}  // namespace persisted_value_detail

template <typename T>
void STpersistance::CreateValue(unsigned id, const std::string& name, float version, T value) {
  namespace d = persisted_value_detail;
  constexpr int typeId = DBType<T>::relatedType;
  if constexpr (std::is_floating_point_v<T>) {
    // No column can hold it, and its text would not even be a number in the statement.
    if (!std::isfinite(value)) {
      d::Report("STpersistance:CreateValue : " + name + " - refused: " + d::NumberText(value, 17) +
                " is not a finite number");
      return;
    }
  }
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string key = std::to_string(id) + "," + std::to_string(instance_);
  const std::string metadata = "INSERT INTO " + tableBase_ + "_values_metadata VALUES (" + key +
                               ",'" + EscapeText(name) + "'," + d::VersionText(version) + ",'" +
                               m_DbList.at(typeId) + "')";
  std::string row = "INSERT INTO " + tableBase_ + "_values VALUES (" + key + "," +
                    d::VersionText(version) + ",";
  switch (typeId) {
    case 0:
      row += d::ValueText(value) + ",NULL,NULL,'')";
      break;
    case 1:
      row += "NULL," + d::ValueText(value) + ",NULL,'')";
      break;
    case 2:
      row += "NULL,NULL," + d::ValueText(value) + ",'')";
      break;
    default:
      row += "NULL,NULL,NULL,'" + d::ValueText(value) + "')";
      break;
  }

  // Both rows commit together: a name never exists without its value, even when the
  // process dies between the two inserts or the second one fails.
  if (!d::Run(connection_, "BEGIN IMMEDIATE")) return;
  const bool created = connection_.Execute(metadata);
  // A key violation means the value exists already: it stays as it was, silently.
  if (!created && !connection_.LastErrorIsConstraint())
    d::Report("STpersistance:CreateValue : " + metadata + " - failed: " + connection_.LastError());
  connection_.ReleaseResult();
  if (created && d::Run(connection_, row) && d::Run(connection_, "COMMIT")) return;
  d::Run(connection_, "ROLLBACK", true);
}

template <typename T>
T STpersistance::GetValue(unsigned id, float version) {
  namespace d = persisted_value_detail;
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string where = BuildRowWhereClause(id, version);
  std::string typeName;
  if (!d::QueryOne(connection_, "SELECT type FROM " + tableBase_ + "_values_metadata " + where,
                   typeName))
    return T{};
  if (TypeIdOf(typeName) != DBType<T>::relatedType) {
    d::Report(
        "STpersistance:GetValue Failed due to template type not matching field type, field type: " +
        typeName);
    return T{};
  }
  // typeName is one of m_DbList's names here, so it is safe as a column name.
  std::string text;
  if (!d::QueryOne(connection_, "SELECT " + typeName + " FROM " + tableBase_ + "_values " + where,
                   text))
    return T{};
  return d::FromText<T>(text);
}

template <typename T>
T STpersistance::GetValue(const std::string& name, float version) {
  namespace d = persisted_value_detail;
  std::string idText;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!d::QueryOne(connection_,
                     "SELECT id FROM " + tableBase_ + "_values_metadata " +
                         BuildRowWhereClause(name, version),
                     idText))
      return T{};
  }
  return GetValue<T>(d::FromText<unsigned>(idText), version);
}
