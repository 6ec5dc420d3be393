// Reading and copying the items of the channel engines.
#pragma once

#include "RadAltSC.hh"

namespace radalt {

namespace SCI = Velmarin::RadAltSingleChannelStateControl;

// Owns an object reference returned by an engine operation for the length of a scope.
template <class P>
class OwnedRef {
 public:
  explicit OwnedRef(P p) : p_(p) {}
  ~OwnedRef() { CORBA::release(p_); }
  OwnedRef(const OwnedRef&) = delete;
  OwnedRef& operator=(const OwnedRef&) = delete;
  P operator->() const { return p_; }
  P in() const { return p_; }

 private:
  P p_;
};

// An engine operation that hands out one of its items.
template <class P>
using ScItemOp = P (SCI::_objref_RADALTSC_MAIN_INTERFACE::*)();

// The item op of engine sc (the caller releases it through OwnedRef).
template <class P>
OwnedRef<P> Item(SCI::RADALTSC_MAIN_INTERFACE_ptr sc, ScItemOp<P> op) {
  return OwnedRef<P>((sc->*op)());
}

// Writes the value of src to dst with the writer identity who.
template <class P>
void CopyValue(P src, P dst, const Velmarin::Locker_ID& who) {
  dst->Set(who, src->Get());
}
inline void CopyValue(Velmarin::EngineAttribAny_ptr src, Velmarin::EngineAttribAny_ptr dst,
                      const Velmarin::Locker_ID& who) {
  CORBA::Any_var v = src->Get();
  dst->Set(who, v.in());
}
inline void CopyValue(Velmarin::EngineAttribString_ptr src, Velmarin::EngineAttribString_ptr dst,
                      const Velmarin::Locker_ID& who) {
  CORBA::String_var v = src->Get();
  dst->Set(who, v.in());
}

// Copies the item op of engine from to engine to.
template <class P>
void CopyItem(ScItemOp<P> op, SCI::RADALTSC_MAIN_INTERFACE_ptr from, SCI::RADALTSC_MAIN_INTERFACE_ptr to,
              const Velmarin::Locker_ID& who) {
  OwnedRef<P> src = Item(from, op);
  OwnedRef<P> dst = Item(to, op);
  CopyValue(src.in(), dst.in(), who);
}

}  // namespace radalt
