// What every parameter object shares: the master control's core, its attribute servant with
// the callback bound to it, the store it persists to, and the translation of an engine's
// lock refusal into the system's exception.
#pragma once

#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

#include <vector>

#include <boost/bind/bind.hpp>

#include "ChannelWrites.h"
#include "Core.h"
#include "EngineFailure.h"
#include "EngineItems.h"
#include "Exceptions.h"
#include "PersistedValues.h"
#include "SettingWrite.h"
#include "persistence/PersistedValue.h"
#include "platform/EngineAttrib.h"

namespace radalt {

// An attribute's value as the store keeps it: numbers as themselves, value records by their
// value field, booleans as 0 or 1, texts as they are.
template <class T, class V>
T StoredAs(const V& v) {
  if constexpr (std::is_same_v<T, std::string>) {
    return std::string(v);
  } else if constexpr (std::is_arithmetic_v<V>) {
    return static_cast<T>(v);
  } else {
    return static_cast<T>(v.val);
  }
}

namespace detail {
template <class A>
struct IsHandler : std::false_type {};
template <class R, class F, class L>
struct IsHandler<boost::_bi::bind_t<R, F, L>> : std::true_type {};

// A servant argument as the servant gets it: the attribute's handler (the bound callback) with
// the failures of the peers it calls named (PeerFailuresNamed), anything else as it is.
template <class A>
decltype(auto) ServantArgument(A&& a) {
  if constexpr (IsHandler<std::decay_t<A>>::value) {
    return PeerFailuresNamed(std::forward<A>(a));
  } else {
    return std::forward<A>(a);
  }
}
}  // namespace detail

template <class Servant>
class Parameter {
 public:
  using Ref = decltype(std::declval<Servant&>()._this());

  virtual ~Parameter() = default;
  Parameter(const Parameter&) = delete;
  Parameter& operator=(const Parameter&) = delete;

  Servant& Attr() { return attr_; }
  const Servant& Attr() const { return attr_; }

 protected:
  // servantArgs construct the attribute servant (namer, registration, key, initial value,
  // callback bound to the derived object, parameter record ...). A system exception out of
  // the callback is a peer's failure, told to the writer as such (PeerFailuresNamed).
  template <class... Args>
  Parameter(Core* mc, STpersistance* store, Args&&... servantArgs)
      : mc_(mc), store_(store), attr_(detail::ServantArgument(std::forward<Args>(servantArgs))...) {}

  // The attribute's CORBA reference (for the accessor).
  Ref This() { return attr_._this(); }

  // Creates the settings-store value name, with its id from the table of persisted values,
  // once: a value stored earlier stays as it is. The store learns the attribute as the
  // value's current value (source, when given, converts). A name that is not a line of the
  // table, or whose line keeps another attribute, is a start-up error (std::logic_error).
  template <class T>
  void Persist(const char* name, T value) {
    Persist<T>(name, value, [this] { return StoredAs<T>(attr_.Value()); });
  }
  template <class T, class Source>
  void Persist(const char* name, T value, Source source) {
    if (!store_) return;
    const persisted::Row& row = persisted::Of(name);
    if (attr_.Key() != row.key)
      throw std::logic_error(std::string("persisted value ") + name + " (id " + std::to_string(row.id) + ", key " +
                             attr_.Key() + ") differs from its line in the table of persisted values");
    store_->CreateValue<T>(row.id, name, 1.0f, value);
    mc_->KeepCurrent(store_, row.id, [source] { return Bound::Of(static_cast<T>(source())); }, name);
  }
  // The persisted value of name; 0 (false, empty) when there is none. Bringing a channel's
  // engine back, the operator's setting as shown (RecallScope).
  template <class T>
  T Recalled(const char* name) {
    return Core::RecallValue<T>(store_, std::string(name));
  }

  // The identity a forwarded write carries: whoever holds this parameter's attribute.
  Velmarin::Locker_ID WriterId() const { return attr_.Holder(); }

  // Runs write; an engine's Locking_Error is logged as line and re-thrown as
  // Locking_Error_Exception with the same texts.
  template <class F>
  void Forward(const std::string& line, F&& write) {
    try {
      write();
    } catch (const Velmarin::Operation_errors::Locking_Error& e) {
      LogThrow(line, Velmarin::Operation_errors::Locking_Error_Exception(e));
    }
  }

  // Writes value to the item op of the engines of channels 1 to n, in that order, as this
  // parameter's writer (SettingWrite, lines beginning with prefix); the attribute shows what
  // channel 1's engine holds. Returns whether it changed.
  template <class P, class V>
  bool ForwardToChannels(int n, radalt::ScItemOp<P> op, const V& value, const std::string& prefix);

  Core* mc_;
  STpersistance* store_;
  Servant attr_;
};

template <class Servant>
template <class P, class V>
bool Parameter<Servant>::ForwardToChannels(int n, radalt::ScItemOp<P> op, const V& value, const std::string& prefix) {
  const Velmarin::Locker_ID who = WriterId();
  return SettingWrite::ToEnabled(prefix, n, 1).Run(
      [&](int ch) { WriteItem(mc_->Items(), mc_->GetSingleChannelPtr(ch), op, who, value); },
      [&](int ch) {
        auto accepted = Hold(ReadItem(mc_->Items(), mc_->GetSingleChannelPtr(ch), op));
        if (accepted.in() == attr_.Value()) return false;
        attr_ = accepted.in();
        return true;
      });
}

}  // namespace radalt
