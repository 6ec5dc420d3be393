// The test set's catalogue of named settings and named profiles, as the channel engines keep
// it: one SQLite file under the engines' folder of the install root, shared by the engines of
// all channels. A name is one per test set and kind: whatever channel stored it, every
// engine lists, recalls and deletes it (the master control lists and deletes through
// channel 1 only, so a catalogue per channel would hide what channels 2 and 3 stored).
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ScItems.h"

struct sqlite3;

namespace radaltsim {

enum class Catalogued { Settings, Profile };

// Longest name the catalogue takes.
constexpr std::size_t kCatalogueNameMax = 20;

// Why name cannot name a catalogue entry; empty when it can. A name is 1 to 20 characters:
// a letter or digit, then letters, digits, blanks, '-', '_' or '.'.
std::string CatalogueNameFault(const std::string& name);

// The file. Operations are atomic; the engines of one process share its connection lock,
// engines of several processes wait for each other's writes.
class CatalogueFile {
 public:
  // folder: where the file lies (created when missing); empty: this process's memory only.
  explicit CatalogueFile(const std::string& folder);
  ~CatalogueFile();
  CatalogueFile(const CatalogueFile&) = delete;
  CatalogueFile& operator=(const CatalogueFile&) = delete;

  // Stores snapshot under name, replacing what the name held.
  void Put(Catalogued kind, const std::string& name, int channel, const std::string& snapshot);
  // The snapshot stored under name; false when there is none.
  bool Get(Catalogued kind, const std::string& name, std::string& snapshot);
  // Removes name; false when there was none.
  bool Remove(Catalogued kind, const std::string& name);
  // Every name of kind, in alphabetical order.
  std::vector<std::string> Names(Catalogued kind);

  static constexpr const char* kFileName = "catalogue.db";

 private:
  sqlite3* db_ = nullptr;
};

// The catalogue items of one engine: store, recall and delete by name, the two list lengths,
// and the name lists. A store takes a snapshot of the engine's current settings (or profile
// legs); a recall puts the snapshot back through the items' own write handling, so the
// engine's models follow as after a client's writes, then names the settings (profile) after
// the entry and marks them unmodified. Bad names are refused with Data_Source_Not_Compatible,
// unknown names with Object_Not_Found.
class CatalogueModel {
 public:
  CatalogueModel(ItemStore& items, int channel, const std::string& folder);
  CatalogueModel(const CatalogueModel&) = delete;
  CatalogueModel& operator=(const CatalogueModel&) = delete;

  std::vector<std::string> Names(Catalogued kind) { return file_.Names(kind); }

 private:
  void Store(Catalogued kind, const std::string& name);
  void Recall(Catalogued kind, const std::string& name);
  void Delete(Catalogued kind, const std::string& name);
  std::string Snapshot(Catalogued kind) const;
  void Restore(Catalogued kind, const std::string& snapshot);

  ItemStore& items_;
  const int channel_;
  CatalogueFile file_;
  std::mutex mutex_;  // one catalogue operation of this engine at a time
};

}  // namespace radaltsim
