// The self-test remote interface: the self-test engine locks the test set for a self-test
// run and runs the hardware tests of channel 1's RF board through it.
#pragma once

#include "RadAltMC.hh"

namespace radalt {
class Core;
}

class RadAltLockingDueToSelftest;

class Velmarin_RADALTMC_SELFTEST_INTERFACE_i : public virtual POA_Velmarin::RADALTMC::RADALTMC_SELFTEST_INTERFACE {
 public:
  // lockout: the self-test lockout the interface drives.
  Velmarin_RADALTMC_SELFTEST_INTERFACE_i(radalt::Core* mc, RadAltLockingDueToSelftest& lockout)
      : mc_(mc), lockout_(lockout) {}
  ~Velmarin_RADALTMC_SELFTEST_INTERFACE_i() override;

  void lockForSelftestStart() override;
  void unlockForSelftestStop() override;
  CORBA::Boolean powerUpRfBoard() override;
  // Prepares the board, then puts it to sleep; false when either step fails.
  CORBA::Boolean powerDownRfBoard() override;
  CORBA::Boolean testVoltages() override { return Channel1()->testVoltages(); }
  CORBA::Boolean testTemperatures() override { return Channel1()->testTemperatures(); }
  CORBA::Boolean testLoopbackPower() override { return Channel1()->testLoopbackPower(); }
  CORBA::Boolean testPlls(CORBA::ULong v) override { return Channel1()->testPlls(v); }
  CORBA::Boolean testRx0() override { return Channel1()->testRx0(); }
  CORBA::Boolean testRxAnalogAtten(CORBA::ULong v) override { return Channel1()->testRxAnalogAtten(v); }
  CORBA::Boolean testGainStage(CORBA::ULong v) override { return Channel1()->testGainStage(v); }
  CORBA::Boolean testTx0() override { return Channel1()->testTx0(); }
  CORBA::Boolean testTx1() override { return Channel1()->testTx1(); }
  CORBA::Boolean testTx2() override { return Channel1()->testTx2(); }
  CORBA::Boolean testTxAnalogAtten() override { return Channel1()->testTxAnalogAtten(); }
  CORBA::Boolean testFreq(CORBA::ULong v) override { return Channel1()->testFreq(v); }
  CORBA::Boolean testDDS(CORBA::ULong v) override { return Channel1()->testDDS(v); }
  CORBA::Boolean testFMCW(CORBA::ULong v) override { return Channel1()->testFMCW(v); }
  CORBA::Boolean testBeatSig(CORBA::ULong v) override { return Channel1()->testBeatSig(v); }
  CORBA::Boolean testPulse(CORBA::ULong v) override { return Channel1()->testPulse(v); }
  CORBA::Boolean testRFDMAmps(CORBA::ULong v) override { return Channel1()->testRFDMAmps(v); }
  CORBA::Boolean testRFDMAttens(CORBA::ULong v) override { return Channel1()->testRFDMAttens(v); }

 private:
  // Channel 1's in-house interface, asked for on every call.
  Velmarin::RadAltSingleChannelStateControl::RADALTSC_INHOUSE_INTERFACE_ptr Channel1();

  radalt::Core* mc_;
  RadAltLockingDueToSelftest& lockout_;
};
