#include "EverybodyEng.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "platform/EngineAttrib.h"
#include "platform/Lock.h"
#include "platform/ORB_wrapper.h"

namespace radaltsim {

namespace {

namespace OE = Velmarin::Operation_errors;

constexpr int kInstances = 10;

std::string HolderName(const Velmarin::Locker_ID& id) { return id.name.in() ? id.name.in() : ""; }

[[noreturn]] void Busy(const Velmarin::Locker_ID& holder) {
  throw OE::Locking_Error(HolderName(holder).c_str(), "Store or recall in progress",
                          "Locked because another client's store or recall is being handed over. Try again");
}

}  // namespace

// A command of the hand-off: the handler learns who executed it.
class EverybodyEng_i::Command : public Velmarin::EngineAttribVoid_i {
 public:
  using Handler = std::function<void(const Velmarin::Locker_ID&)>;
  Command(Velmarin::ItemNamer& n, Lumaren::GUI_AbleRegistration& r, const char* key, Handler h)
      : EngineAttribVoid_i(n, r, key, Callback()), handler_(std::move(h)) {}
  void Execute(const Velmarin::Locker_ID& who) override {
    CheckWriter(who);
    handler_(who);
  }

 private:
  Handler handler_;
};

class EverybodyEng_i::TableSelection : public Velmarin::EngineAttribEnum_i {
 public:
  TableSelection(Velmarin::ItemNamer& n, Lumaren::GUI_AbleRegistration& r, EverybodyEng_i& engine)
      : EngineAttribEnum_i(n, r, "TABLE", -1, Callback()), engine_(engine) {
    int value = 0;
    for (const char* base : kSnapshotTableBases)
      for (int i = 0; i < kInstances; ++i) AddParam(value++, (base + std::to_string(i)).c_str());
  }
  void Set(const Velmarin::Locker_ID& who, CORBA::Long value) override {
    CheckWriter(who);
    engine_.CheckHolder(who);
    if (!HasValue(value)) {
      engine_.EndRefused(who, "no table " + std::to_string(value));
      throw OE::DataOutOfRange();
    }
    Velmarin::EngineAttribEnumParams_var labels = GetParams();
    std::lock_guard<std::mutex> lock(engine_.mutex_);
    engine_.table_ = labels[static_cast<CORBA::ULong>(value)].label.in();
    EngineAttribEnum_i::operator=(value);
  }

 private:
  EverybodyEng_i& engine_;
};

class EverybodyEng_i::NameAttribute : public Velmarin::EngineAttribString_i {
 public:
  NameAttribute(Velmarin::ItemNamer& n, Lumaren::GUI_AbleRegistration& r, EverybodyEng_i& engine)
      : EngineAttribString_i(n, r, "SNAPSHOTNAME", "", Callback(), Params()), engine_(engine) {}
  void Set(const Velmarin::Locker_ID& who, const char* name) override {
    CheckWriter(who);
    engine_.CheckHolder(who);
    try {
      SnapshotStore::CheckName(name);
    } catch (const SnapshotError& e) {
      engine_.EndRefused(who, e.what());
      throw OE::Settings_Conflict(e.what());
    }
    EngineAttribString_i::operator=(name);
  }

 private:
  static Velmarin::EngineAttribStringParams Params() {
    Velmarin::EngineAttribStringParams p;
    p.max_length = 64;
    p.pattern = CORBA::string_dup("[A-Za-z0-9 _.-]{1,64}");
    return p;
  }
  EverybodyEng_i& engine_;
};

EverybodyEng_i::EverybodyEng_i(const std::string& directory, std::chrono::milliseconds idle, Owner owner,
                               std::chrono::milliseconds wait)
    : idle_(idle),
      wait_(wait),
      owner_(owner ? std::move(owner) : Owner(&EverybodyEng_i::AskRegisteredOwner)),
      holder_(Velmarin::NoLock()),
      namer_("EVERYBODYENG"),
      gui_(std::make_unique<Velmarin::GUI_Able_i>("EVERYBODYENG")) {
  std::filesystem::create_directories(directory);
  const std::filesystem::path dir(directory);
  snapshots_ = std::make_unique<SnapshotStore>((dir / "everybodyeng.db").string(), (dir / "persistence.db").string());
  begin_ = std::make_unique<Command>(namer_, *gui_, "BEGIN", [this](const Velmarin::Locker_ID& who) { BeginHandOff(who); });
  table_attr_ = std::make_unique<TableSelection>(namer_, *gui_, *this);
  name_ = std::make_unique<NameAttribute>(namer_, *gui_, *this);
  store_ = std::make_unique<Command>(namer_, *gui_, "STORE", [this](const Velmarin::Locker_ID& who) { Act(who, true); });
  recall_ = std::make_unique<Command>(namer_, *gui_, "RECALL", [this](const Velmarin::Locker_ID& who) { Act(who, false); });
}

EverybodyEng_i::~EverybodyEng_i() = default;

Velmarin::EngineAttribVoid_ptr EverybodyEng_i::Begin() { return begin_->_this(); }
Velmarin::EngineAttribEnum_ptr EverybodyEng_i::Table() { return table_attr_->_this(); }
Velmarin::EngineAttribString_ptr EverybodyEng_i::SnapshotName() { return name_->_this(); }
Velmarin::EngineAttribVoid_ptr EverybodyEng_i::Store() { return store_->_this(); }
Velmarin::EngineAttribVoid_ptr EverybodyEng_i::Recall() { return recall_->_this(); }

void EverybodyEng_i::BeginHandOff(const Velmarin::Locker_ID& who) {
  std::unique_lock<std::mutex> lock(mutex_);
  // Callers have their turn in the order they came. One waits a while for the hand-offs
  // before it, then is refused: a Begin never outlives the call that made it, so no caller
  // that gave up is handed the engine afterwards. A hand-off whose client went silent is
  // given up.
  const auto deadline = std::chrono::steady_clock::now() + wait_;
  const unsigned long ticket = nextTicket_++;
  waiting_.push_back(ticket);
  while (active_ || waiting_.front() != ticket) {
    free_.wait_until(lock, active_ ? std::min(expires_, deadline) : deadline);
    const auto now = std::chrono::steady_clock::now();
    if (active_ && now >= expires_) {
      std::cout << "everybodyeng: hand-off of " << HolderName(holder_) << " given up" << std::endl;
      active_ = false;
      free_.notify_all();
    } else if (now >= deadline && (active_ || waiting_.front() != ticket)) {
      waiting_.remove(ticket);
      free_.notify_all();
      Busy(holder_);
    }
  }
  waiting_.pop_front();
  active_ = true;
  holder_ = who;
  table_.clear();
  expires_ = std::chrono::steady_clock::now() + idle_;
}

void EverybodyEng_i::CheckHolder(const Velmarin::Locker_ID& who) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!active_)
    throw OE::Locking_Error("", "No hand-off", "Locked because no store or recall was begun. Execute Begin first");
  if (!Velmarin::SameLocker(holder_, who)) Busy(holder_);
  expires_ = std::chrono::steady_clock::now() + idle_;
}

void EverybodyEng_i::EndHandOff() {
  std::lock_guard<std::mutex> lock(mutex_);
  active_ = false;
  free_.notify_all();
}

void EverybodyEng_i::EndRefused(const Velmarin::Locker_ID& who, const std::string& why) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!active_ || !Velmarin::SameLocker(holder_, who)) return;
  std::cout << "everybodyeng: hand-off of " << HolderName(holder_) << " ended: " << why << std::endl;
  active_ = false;
  free_.notify_all();
}

bool EverybodyEng_i::HandOffActive() {
  std::lock_guard<std::mutex> lock(mutex_);
  return active_;
}

void EverybodyEng_i::Act(const Velmarin::Locker_ID& who, bool store) {
  CheckHolder(who);
  std::string table;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    table = table_;
  }
  const std::string name = name_->Value();
  // The act ends the hand-off, whatever its outcome.
  struct End {
    EverybodyEng_i& e;
    ~End() { e.EndHandOff(); }
  } end{*this};
  if (table.empty()) throw OE::Settings_Conflict("No table selected");
  try {
    if (store) {
      owner_(true, table);
      const int rows = snapshots_->Take(table, name);
      std::cout << "everybodyeng: stored " << name << " of " << table << " (" << rows << " values)" << std::endl;
    } else {
      const int rows = snapshots_->Restore(table, name);
      owner_(false, table);
      std::cout << "everybodyeng: recalled " << name << " of " << table << " (" << rows << " values)" << std::endl;
    }
  } catch (const SnapshotError& e) {
    throw OE::Object_Not_Found(e.what());
  } catch (const std::runtime_error& e) {
    throw Velmarin::Runtime_errors::Generic(e.what());
  }
}

Velmarin::String_Seq* EverybodyEng_i::Snapshots(const char* table) {
  auto* out = new Velmarin::String_Seq;
  try {
    const std::vector<std::string> names = snapshots_->Names(table);
    out->length(static_cast<CORBA::ULong>(names.size()));
    for (CORBA::ULong i = 0; i < out->length(); ++i) (*out)[i] = names[i].c_str();
  } catch (const std::runtime_error& e) {
    delete out;
    throw Velmarin::Runtime_errors::Generic(e.what());
  }
  return out;
}

Velmarin::EverybodyEng::Differences* EverybodyEng_i::Diff(const char* table, const char* name) {
  // The owner's rows are brought up to date first, inside a hand-off of the engine's own.
  Velmarin::Locker_ID self;
  self.name = CORBA::string_dup("everybodyeng diff");
  self.id = 0;
  BeginHandOff(self);
  struct End {
    EverybodyEng_i& e;
    ~End() { e.EndHandOff(); }
  } end{*this};
  try {
    owner_(true, table);
    const auto diffs = snapshots_->Diff(table, name);
    auto* out = new Velmarin::EverybodyEng::Differences;
    out->length(static_cast<CORBA::ULong>(diffs.size()));
    for (CORBA::ULong i = 0; i < out->length(); ++i) {
      (*out)[i].name = diffs[i].name.c_str();
      (*out)[i].current = diffs[i].current.c_str();
      (*out)[i].stored = diffs[i].stored.c_str();
    }
    return out;
  } catch (const SnapshotError& e) {
    throw OE::Object_Not_Found(e.what());
  } catch (const std::runtime_error& e) {
    throw Velmarin::Runtime_errors::Generic(e.what());
  }
}

void EverybodyEng_i::AskRegisteredOwner(bool save, const std::string& table) {
  Velmarin::ORB_wrapper_base naming;
  std::vector<std::string> children;
  try {
    children = naming.FindChildContext("Lumaren/local/EVERYBODY_ABLE");
  } catch (const CORBA::Exception&) {
  }
  // The registrations that did not answer: one of them may be the owner.
  std::string silent;
  for (const std::string& child : children) {
    try {
      CORBA::Object_var obj = naming.LookupClient({"Lumaren", "local", "EVERYBODY_ABLE", child});
      Velmarin::Everybody_var owner = Velmarin::Everybody::_narrow(obj);
      if (CORBA::is_nil(owner)) continue;
      if (save)
        owner->Save(table.c_str(), 0);
      else
        owner->Recall(table.c_str(), 0);
      return;
    } catch (const OE::Object_Not_Found&) {
      // not this engine's table
    } catch (const CORBA::SystemException& e) {
      // a registration of an engine that is gone, or of one that did not answer in time
      silent += (silent.empty() ? "" : ", ") + child + " (" + e._name() + ")";
    }
  }
  if (!silent.empty())
    throw Velmarin::Connection_errors::Communications_failure(
        ("No engine took table " + table + "; not reached: " + silent).c_str());
  throw OE::Object_Not_Found(("No engine owns table " + table).c_str());
}

}  // namespace radaltsim
