#include "RADALTMC_selftest_i.h"

#include <iostream>

#include "Core.h"
#include "platform/Orb.h"
#include "SelftestLocking.h"


Velmarin::RadAltSingleChannelStateControl::RADALTSC_INHOUSE_INTERFACE_ptr Velmarin_RADALTMC_SELFTEST_INTERFACE_i::Channel1() {
  return mc_->GetSingleChannelInhousePtr(1);
}

void Velmarin_RADALTMC_SELFTEST_INTERFACE_i::lockForSelftestStart() {
  lockout_.lockForSelftestStart();
}

void Velmarin_RADALTMC_SELFTEST_INTERFACE_i::unlockForSelftestStop() {
  lockout_.unlockForSelftestStop();
}

CORBA::Boolean Velmarin_RADALTMC_SELFTEST_INTERFACE_i::powerUpRfBoard() { return Channel1()->rci_set_rf_wake(); }

CORBA::Boolean Velmarin_RADALTMC_SELFTEST_INTERFACE_i::powerDownRfBoard() {
  auto* board = Channel1();
  if (!board->selftest_prepare_power_down()) {
    std::cout << " Velmarin_RADALTMC_SELFTEST_INTERFACE_i::powerDownRfBoard prepare step failed; the board stays powered"
              << std::endl;
    return false;
  }
  return board->rci_set_rf_sleep();
}

Velmarin_RADALTMC_SELFTEST_INTERFACE_i::~Velmarin_RADALTMC_SELFTEST_INTERFACE_i() { Velmarin::DeactivateServant(this); }
