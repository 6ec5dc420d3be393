// Reading, writing and copying the items of the channel engines. Every access goes through
// the registry's kept item references (ItemRefs): one request for the call the write needs.
#pragma once

#include <utility>

#include "ItemRefs.h"
#include "RadAltSC.hh"

namespace radalt {

// The item op of engine sc, fetched now and not kept: for code that reaches an engine it
// holds itself (the caller releases it through OwnedRef).
template <class P>
OwnedRef<P> Item(SCI::RADALTSC_MAIN_INTERFACE_ptr sc, ScItemOp<P> op) {
  return OwnedRef<P>((sc->*op)());
}

// The item op of engine sc, kept by refs; the caller owns what it gets.
template <class P>
OwnedRef<P> Item(ItemRefs& refs, SCI::RADALTSC_MAIN_INTERFACE_ptr sc, ScItemOp<P> op) {
  return refs.Get(sc, op);
}

// The value of the item op of engine sc (strings and anys owned by the caller).
template <class P>
auto ReadItem(ItemRefs& refs, SCI::RADALTSC_MAIN_INTERFACE_ptr sc, ScItemOp<P> op) {
  return refs.Call(sc, op, [](P item) { return item->Get(); });
}

// Writes value to the item op of engine sc with the writer identity who.
template <class P, class V>
void WriteItem(ItemRefs& refs, SCI::RADALTSC_MAIN_INTERFACE_ptr sc, ScItemOp<P> op,
               const Velmarin::Locker_ID& who, const V& value) {
  refs.Call(sc, op, [&](P item) { item->Set(who, value); });
}

// Executes the command item op of engine sc with the writer identity who.
template <class P>
void ExecuteItem(ItemRefs& refs, SCI::RADALTSC_MAIN_INTERFACE_ptr sc, ScItemOp<P> op,
                 const Velmarin::Locker_ID& who) {
  refs.Call(sc, op, [&](P item) { item->Execute(who); });
}

// A value read from an item, owned until it is written elsewhere.
template <class T>
struct Held {
  T v;
  const T& in() const { return v; }
};
template <>
struct Held<char*> {
  CORBA::String_var v;
  const char* in() const { return v.in(); }
};
template <>
struct Held<CORBA::Any*> {
  CORBA::Any_var v;
  const CORBA::Any& in() const { return v.in(); }
};
template <class T>
Held<T> Hold(T value) {
  return Held<T>{value};
}

// Copies the item op of engine from to engine to: read on from, then written on to.
template <class P>
void CopyItem(ItemRefs& refs, ScItemOp<P> op, SCI::RADALTSC_MAIN_INTERFACE_ptr from,
              SCI::RADALTSC_MAIN_INTERFACE_ptr to, const Velmarin::Locker_ID& who) {
  auto value = Hold(ReadItem(refs, from, op));
  WriteItem(refs, to, op, who, value.in());
}

}  // namespace radalt
