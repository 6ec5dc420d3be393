// The items of a simulated single-channel engine, built from the engine's item table.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

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
class ItemStore {
 public:
  ItemStore(Velmarin::ItemNamer& namer, Velmarin::GUI_Able_i& gui);
  ~ItemStore();

  Velmarin::EngineReadingBase_i& Servant(const std::string& key) const;
  // The item's reference narrowed to its interface.
  template <class I>
  typename I::_ptr_type Ref(const std::string& key) const {
    CORBA::Object_var obj = Servant(key)._this();
    return I::_narrow(obj);
  }
  const ItemSpec& Row(const std::string& key) const;

  // Puts every item back to its initial value.
  void ResetAll();
  unsigned long Calls() const { return calls_; }

  // Called after each accepted set or command with the item's key.
  void OnAccepted(std::function<void(const std::string&)> hook) { hook_ = std::move(hook); }

 private:
  struct Item;
  void Build(const ItemSpec& row);
  void Accepted(const std::string& key);

  Velmarin::ItemNamer& namer_;
  Velmarin::GUI_Able_i& gui_;
  std::map<std::string, std::unique_ptr<Item>> items_;
  std::atomic<unsigned long> calls_{0};
  std::function<void(const std::string&)> hook_;
};

}  // namespace radaltsim
