// The in-house remote interface: low-level access to channel 1's boards for service and
// production tools. Every operation is passed unchanged to channel 1's engine.
#pragma once

#include "RadAltMC.hh"

namespace radalt {
class Core;
}

class Velmarin_RADALTMC_INHOUSE_INTERFACE_i : public virtual POA_Velmarin::RADALTMC::RADALTMC_INHOUSE_INTERFACE {
 public:
  explicit Velmarin_RADALTMC_INHOUSE_INTERFACE_i(radalt::Core* mc) : mc_(mc) {}
  ~Velmarin_RADALTMC_INHOUSE_INTERFACE_i() override;

#define IH_BOOL CORBA::Boolean
#define IH_LONG CORBA::Long
#define IH_ULONG CORBA::ULong
#define IH_DOUBLE CORBA::Double
#define IH_OP0(r, n) r n() override { return Channel1()->n(); }
#define IH_OP1(r, n, a) r n(a v1) override { return Channel1()->n(v1); }
#define IH_OP2(r, n, a, b) r n(a v1, b v2) override { return Channel1()->n(v1, v2); }
#define IH_OP3(r, n, a, b, c) r n(a v1, b v2, c v3) override { return Channel1()->n(v1, v2, v3); }
#include "radalt_inhouse.def"
#undef IH_OP0
#undef IH_OP1
#undef IH_OP2
#undef IH_OP3
#undef IH_BOOL
#undef IH_LONG
#undef IH_ULONG
#undef IH_DOUBLE

 private:
  // Channel 1's in-house interface, asked for on every call; the registry's refusal (no
  // engine for channel 1) reaches the client.
  Velmarin::RadAltSingleChannelStateControl::RADALTSC_INHOUSE_INTERFACE_ptr Channel1();

  radalt::Core* mc_;
};
