// The item references of the channel engines, fetched once per engine and kept until that
// engine leaves or is replaced.
//
// An engine hands out each of its items (an attribute, a reading, a command) as an object
// reference through an operation of its main interface. Fetching it is a request of its own,
// so a write that fetched every item it touches paid two requests for each one it meant. The
// registry tells this cache which engine each channel has (Reset); an item fetched through
// that engine is kept, shared by every thread, and handed out as the caller's own duplicate,
// so a reference dropped meanwhile stays valid for the call in flight.
//
// A call on a kept reference that fails because the object is not reached (the engine's item
// is gone, its process no longer answers) drops the reference. When the request certainly did
// not run, the item is fetched again through the engine, once, and the call repeated once.
#pragma once

#include <array>
#include <cstring>
#include <functional>
#include <map>
#include <shared_mutex>
#include <utility>

#include "RadAltSC.hh"

namespace radalt {

namespace SCI = Velmarin::RadAltSingleChannelStateControl;

// An engine operation that hands out one of its items.
template <class P>
using ScItemOp = P (SCI::_objref_RADALTSC_MAIN_INTERFACE::*)();

// Owns one object reference (a duplicate, or one returned by an engine operation).
template <class P>
class OwnedRef {
 public:
  explicit OwnedRef(P p) : p_(p) {}
  ~OwnedRef() { CORBA::release(p_); }
  OwnedRef(OwnedRef&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
  OwnedRef(const OwnedRef&) = delete;
  OwnedRef& operator=(const OwnedRef&) = delete;
  OwnedRef& operator=(OwnedRef&&) = delete;
  P operator->() const { return p_; }
  P in() const { return p_; }
  // Hands the reference over to the caller.
  P _retn() {
    P p = p_;
    p_ = nullptr;
    return p;
  }

 private:
  P p_;
};

// Whether e says the target object was not reached: it no longer exists, or its process
// does not answer.
bool ObjectGone(const CORBA::SystemException& e);
// Whether e says a call got no answer: the object was not reached, or the call timed out.
bool Unanswered(const CORBA::SystemException& e);

class ItemRefs {
 public:
  using Engine = SCI::RADALTSC_MAIN_INTERFACE_ptr;
  // Which item: the bytes of the operation that hands it out.
  using Key = std::array<unsigned char, sizeof(ScItemOp<CORBA::Object_ptr>)>;

  ItemRefs() = default;
  ~ItemRefs();
  ItemRefs(const ItemRefs&) = delete;
  ItemRefs& operator=(const ItemRefs&) = delete;

  // Channel (1 to 3) is now served by engine (nil: by none). The references kept for the
  // channel's previous engine are dropped. The registry keeps engine alive while it is set.
  void Reset(int channel, Engine engine);

  // The item of op of engine sc: kept when sc is a channel's current engine, fetched (once
  // per engine) otherwise. The caller owns what it gets.
  template <class P>
  OwnedRef<P> Get(Engine sc, ScItemOp<P> op) {
    return Fetched<P>(sc, KeyOf(op), [&] { return (sc->*op)(); });
  }

  // call(item) on the item of op of engine sc; see the file comment for a call that does
  // not reach the item.
  template <class P, class F>
  auto Call(Engine sc, ScItemOp<P> op, F&& call) -> decltype(call(P())) {
    return Use<P>(sc, KeyOf(op), [&] { return (sc->*op)(); }, std::forward<F>(call));
  }

  // The same with the fetch given: key names the item, fetch() returns a new reference.
  // A call that got no answer in the end is told to the observer (OnUnanswered).
  template <class P, class Fetch, class F>
  auto Use(Engine sc, const Key& key, Fetch&& fetch, F&& call) -> decltype(call(P())) {
    try {
      return UseOnce<P>(sc, key, fetch, call);
    } catch (const CORBA::SystemException& e) {
      NoteFailed(sc);
      if (Unanswered(e)) TellUnanswered(sc);
      throw;
    }
  }

  // The channel whose engine last failed a call on this thread in the middleware (0: none
  // since Forget()); a writer told of a system exception learns which channel it was.
  static int FailedChannel();
  static void ForgetFailedChannel();

  // Who hears of a channel whose engine did not answer a call (set before any call is made).
  void OnUnanswered(std::function<void(int channel)> observer) { unanswered_ = std::move(observer); }

  // How many references are kept for channel (for tests and the bench).
  std::size_t Kept(int channel) const;

  template <class P>
  static Key KeyOf(ScItemOp<P> op) {
    static_assert(sizeof(op) == sizeof(Key), "item operations differ in size");
    Key k;
    std::memcpy(k.data(), &op, sizeof(op));
    return k;
  }

 private:
  template <class P, class Fetch, class F>
  auto UseOnce(Engine sc, const Key& key, Fetch& fetch, F& call) -> decltype(call(P())) {
    OwnedRef<P> item = Fetched<P>(sc, key, fetch);
    try {
      return call(item.in());
    } catch (const CORBA::SystemException& e) {
      if (!ObjectGone(e)) throw;
      Forget(sc, key, item.in());
      if (e.completed() != CORBA::COMPLETED_NO) throw;
    }
    OwnedRef<P> again = Fetched<P>(sc, key, fetch);
    return call(again.in());
  }

  struct Entry {
    CORBA::Object_ptr object;  // owns one reference
    void* typed;               // the same reference, as the item's own type
  };
  struct Slot {
    Engine engine = nullptr;
    std::map<Key, Entry> items;
  };

  template <class P, class Fetch>
  OwnedRef<P> Fetched(Engine sc, const Key& key, Fetch&& fetch) {
    if (P kept = static_cast<P>(Find(sc, key))) return OwnedRef<P>(kept);
    P fresh = fetch();
    if (!CORBA::is_nil(fresh)) Keep(sc, key, fresh, static_cast<void*>(fresh));
    return OwnedRef<P>(fresh);
  }

  // The typed pointer of a kept item, duplicated for the caller; null when not kept.
  void* Find(Engine sc, const Key& key) const;
  // Keeps a duplicate of object when sc is a channel's current engine and nothing is kept yet.
  void Keep(Engine sc, const Key& key, CORBA::Object_ptr object, void* typed);
  // Drops the kept item unless it was replaced by another reference meanwhile.
  void Forget(Engine sc, const Key& key, CORBA::Object_ptr stale);
  Slot* SlotOf(Engine sc);
  const Slot* SlotOf(Engine sc) const;
  static void Release(std::map<Key, Entry>& items);
  // Tells the observer which channel sc serves (nothing for an engine no channel has).
  void TellUnanswered(Engine sc) const;
  int ChannelOf(Engine sc) const;
  void NoteFailed(Engine sc) const;
  std::function<void(int channel)> unanswered_;

  mutable std::shared_mutex mutex_;
  std::array<Slot, 3> slots_;
};

}  // namespace radalt
