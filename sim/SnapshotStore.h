// The save/recall engine's own file of named snapshots (SQLite, "everybodyeng.db" beside the
// stores it copies): a snapshot is a copy of one table's value rows of another engine's
// store ("persistence.db"), taken under a name and written back on request. Snapshots
// survive restarts of every process. One connection, one mutex; plain, without the ORB.
#pragma once

#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;

namespace radaltsim {

// Refusals of the store: an unknown table or snapshot, a name that cannot be a snapshot's.
class SnapshotError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class SnapshotStore {
 public:
  struct Difference {
    std::string name;
    std::string current;
    std::string stored;
  };

  // Opens (creating) path and attaches ownerDatabase, the store the snapshots are taken of.
  SnapshotStore(const std::string& path, const std::string& ownerDatabase);
  ~SnapshotStore();
  SnapshotStore(const SnapshotStore&) = delete;
  SnapshotStore& operator=(const SnapshotStore&) = delete;

  // A table is its store's table base followed by the instance ("radaltmc_settings0").
  // Copies the table's value rows under name, replacing an earlier snapshot of that name;
  // returns how many rows it holds.
  int Take(const std::string& table, const std::string& name);
  // Writes the snapshot's values into the rows that exist; returns how many changed value.
  int Restore(const std::string& table, const std::string& name);
  // The snapshot names of table, sorted.
  std::vector<std::string> Names(const std::string& table);
  // The values a Restore would change, by persisted name, from what to what.
  std::vector<Difference> Diff(const std::string& table, const std::string& name);

  // Throws SnapshotError unless name is 1 to 64 letters, digits, blanks, '_', '-' or '.'
  // and not only blanks and dots.
  static void CheckName(const std::string& name);

 private:
  struct Table {
    std::string base;
    int instance;
  };
  static Table Parse(const std::string& table);
  void Exec(const std::string& sql);
  bool Exists(const std::string& table, const std::string& name);

  std::mutex mutex_;
  sqlite3* db_ = nullptr;
};

}  // namespace radaltsim
