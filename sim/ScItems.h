// The items of a simulated single-channel engine, built from the engine's item table.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/GUI_Able_i.h"

namespace radaltsim {

// One line of the item table.
struct ItemSpec {
  const char* op;
  const char* kind;
  const char* key;
  double min;
  double max;
  double step;
  double initial;
  const char* unit;
  const char* text;
};

// Every item of the table, in table order.
const ItemSpec* ItemTable(std::size_t& count);

// Unit code of a unit text ("dBm" -> Velmarin::Units::DBM).
long UnitCode(const std::string& unit);

// The engine's items as live servants. A write inside the item's limits is accepted and
// becomes the item's value; outside them it is refused with DataOutOfRange, as the
// instrument refuses it. Every accepted set and every command is counted.
//
// Items whose writes mean more than a new value get a write handler: it runs after the
// limits were checked, in place of the plain assignment, and assigns what it decides (or
// refuses by throwing). Handlers are registered before the items are served.
class ItemStore {
 public:
  using NumberWrite = std::function<void(double)>;
  using AnyWrite = std::function<void(const CORBA::Any&)>;
  using TextWrite = std::function<void(const std::string&)>;
  using Command = std::function<void()>;

  // The engine's items register with gui; the simulator's own controls (Extend) with
  // controls, a registry apart from the engine's, or with gui when none is given.
  ItemStore(Velmarin::ItemNamer& namer, Velmarin::GUI_Able_i& gui, Velmarin::GUI_Able_i* controls = nullptr);
  ~ItemStore();

  // Adds controls of the simulator's own (rows must outlive the store), before they are served.
  void Extend(const ItemSpec* rows, std::size_t count);
  // The keys of every item, the table's and the simulator's own.
  std::vector<std::string> Keys() const;

  Velmarin::EngineReadingBase_i& Servant(const std::string& key) const;
  // The item's reference narrowed to its interface.
  template <class I>
  typename I::_ptr_type Ref(const std::string& key) const {
    CORBA::Object_var obj = Servant(key)._this();
    return I::_narrow(obj);
  }
  const ItemSpec& Row(const std::string& key) const;

  // Values of numeric items (booleans, integers, enumerations, value records, readings) as
  // plain numbers. Assign makes v the item's value and publishes it; Update does so only
  // when v differs from the current value, and says whether it did.
  double Number(const std::string& key) const;
  void Assign(const std::string& key, double v);
  bool Update(const std::string& key, double v);
  // Assignment of an any-valued item, and its value.
  void AssignAny(const std::string& key, const CORBA::Any& v);
  CORBA::Any AnyValue(const std::string& key) const;
  // Text of a string item, and its assignment.
  std::string Text(const std::string& key) const;
  void AssignText(const std::string& key, const std::string& v);
  // What a client's write of v does once the limits are passed (the item's write handler,
  // or the plain assignment), without counting it as a client's set.
  void Apply(const std::string& key, double v);
  void ApplyAny(const std::string& key, const CORBA::Any& v);

  // Write handlers of numeric items, any-valued items and commands.
  void OnWrite(const std::string& key, NumberWrite handler);
  void OnWriteAny(const std::string& key, AnyWrite handler);
  void OnWriteText(const std::string& key, TextWrite handler);
  void OnCommand(const std::string& key, Command handler);

  // Puts every item back to its initial value, except those kept on reset.
  void ResetAll();
  void KeepOnReset(const std::string& key);
  unsigned long Calls() const { return calls_; }
  // Accepted sets and executed commands of one key (an item's key, or the name of an
  // operation counted with Tally).
  unsigned long Count(const std::string& key) const;
  // Counts an operation that is not an item (an automatic run) like an accepted command.
  void Tally(const std::string& name) { Accepted(name); }

  // Called after each accepted set or command with the item's key.
  void OnAccepted(std::function<void(const std::string&)> hook) { hook_ = std::move(hook); }

 private:
  struct Item;
  void Build(const ItemSpec& row, Velmarin::GUI_Able_i& gui);
  template <class S, class... Extra>
  void Setting(Item& it, Velmarin::GUI_Able_i& gui, const Extra&... extra);
  template <class S>
  void Reading(Item& it, Velmarin::GUI_Able_i& gui);
  template <class S>
  void Numeric(Item& it, S* servant);
  Item& Find(const std::string& key) const;
  void Accepted(const std::string& key);

  Velmarin::ItemNamer& namer_;
  Velmarin::GUI_Able_i& gui_;
  Velmarin::GUI_Able_i& controls_;
  std::map<std::string, std::unique_ptr<Item>> items_;
  std::atomic<unsigned long> calls_{0};
  mutable std::mutex countsMutex_;
  std::map<std::string, unsigned long> counts_;
  std::function<void(const std::string&)> hook_;
};

}  // namespace radaltsim
