// The platform's save/recall engine, simulated honestly: named snapshots of other engines'
// store tables in a SQLite file of its own (SnapshotStore), handed over one client at a time.
// The engine owning a table is found among the everybody registrations
// ("Lumaren/local/EVERYBODY_ABLE/<child>"): it writes its current values before a store
// (Everybody::Save) and applies the rows after a recall (Everybody::Recall).
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>

#include "SnapshotStore.h"
#include "VelmarinEngine.hh"
#include "VelmarinEverybodyEng.hh"
#include "platform/GUI_Able_i.h"
#include "platform/ItemNamer.h"

namespace radaltsim {

// The tables a client may select, as labels of the table attribute: each store's table base
// followed by an instance 0 to 9.
constexpr const char* kSnapshotTableBases[] = {"radaltmc_settings", "radaltmc_altsim"};

class EverybodyEng_i : public virtual POA_Velmarin::EverybodyEng::Interfaces {
 public:
  // The owner of a table: asked to write (save) or apply (recall) it. The default asks the
  // everybody registrations in the naming service.
  using Owner = std::function<void(bool save, const std::string& table)>;

  // idle: a hand-off with no request for this long is given up (its client is gone).
  // wait: how long a Begin waits for another client's hand-off before it is refused; shorter
  // than a caller's call timeout, so that no Begin outlives the call that made it.
  EverybodyEng_i(const std::string& directory, std::chrono::milliseconds idle = std::chrono::seconds(30),
                 Owner owner = Owner(), std::chrono::milliseconds wait = std::chrono::seconds(1));
  ~EverybodyEng_i() override;

  Velmarin::EngineAttribVoid_ptr Begin() override;
  Velmarin::EngineAttribEnum_ptr Table() override;
  Velmarin::EngineAttribString_ptr SnapshotName() override;
  Velmarin::EngineAttribVoid_ptr Store() override;
  Velmarin::EngineAttribVoid_ptr Recall() override;
  Velmarin::String_Seq* Snapshots(const char* table) override;
  Velmarin::EverybodyEng::Differences* Diff(const char* table, const char* name) override;

  SnapshotStore& Snapshots() { return *snapshots_; }
  // Whether a hand-off is under way (begun and neither acted on, refused nor given up).
  bool HandOffActive();

 private:
  class Command;
  class TableSelection;
  class NameAttribute;

  void BeginHandOff(const Velmarin::Locker_ID& who);
  // Throws Locking_Error unless who holds the hand-off; keeps it alive.
  void CheckHolder(const Velmarin::Locker_ID& who);
  void Act(const Velmarin::Locker_ID& who, bool store);
  void EndHandOff();
  // A step of who's hand-off was refused: the hand-off ends (when who still holds it).
  void EndRefused(const Velmarin::Locker_ID& who, const std::string& why);
  static void AskRegisteredOwner(bool save, const std::string& table);

  std::unique_ptr<SnapshotStore> snapshots_;
  const std::chrono::milliseconds idle_;
  const std::chrono::milliseconds wait_;
  Owner owner_;

  std::mutex mutex_;
  std::condition_variable free_;
  bool active_ = false;
  // The Begins waiting for their turn, first come first.
  std::list<unsigned long> waiting_;
  unsigned long nextTicket_ = 0;
  Velmarin::Locker_ID holder_;
  std::chrono::steady_clock::time_point expires_;
  std::string table_;

  Velmarin::ItemNamer namer_;
  std::unique_ptr<Velmarin::GUI_Able_i> gui_;
  std::unique_ptr<Command> begin_;
  std::unique_ptr<TableSelection> table_attr_;
  std::unique_ptr<NameAttribute> name_;
  std::unique_ptr<Command> store_;
  std::unique_ptr<Command> recall_;
};

}  // namespace radaltsim
