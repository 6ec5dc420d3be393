// A simulated channel engine's boards as its in-house interface shows them: every request is
// recorded with its arguments, board settings are kept, and readings answer with values a
// healthy board would give.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "RadAltSC.hh"

namespace radaltsim {

class ScInhouse_i : public virtual POA_Velmarin::RadAltSingleChannelStateControl::RADALTSC_INHOUSE_INTERFACE {
 public:
  explicit ScInhouse_i(int channel) : channel_(channel) {}

  // Requests received, oldest first: "name(arg, ...)".
  std::vector<std::string> Requests() const;
  bool Asleep() const;
  // A hardware reset wakes the boards.
  void WakeBoards();

#define IH_BOOL CORBA::Boolean
#define IH_LONG CORBA::Long
#define IH_ULONG CORBA::ULong
#define IH_DOUBLE CORBA::Double
#define IH_OP0(r, n) r n() override;
#define IH_OP1(r, n, a) r n(a v1) override;
#define IH_OP2(r, n, a, b) r n(a v1, b v2) override;
#define IH_OP3(r, n, a, b, c) r n(a v1, b v2, c v3) override;
#include "radalt_inhouse.def"
#undef IH_OP0
#undef IH_OP1
#undef IH_OP2
#undef IH_OP3

  IH_BOOL selftest_prepare_power_down() override;
  IH_BOOL testVoltages() override { return Test("testVoltages"); }
  IH_BOOL testTemperatures() override { return Test("testTemperatures"); }
  IH_BOOL testLoopbackPower() override { return Test("testLoopbackPower"); }
  IH_BOOL testRx0() override { return Test("testRx0"); }
  IH_BOOL testTx0() override { return Test("testTx0"); }
  IH_BOOL testTx1() override { return Test("testTx1"); }
  IH_BOOL testTx2() override { return Test("testTx2"); }
  IH_BOOL testTxAnalogAtten() override { return Test("testTxAnalogAtten"); }
  IH_BOOL testPlls(IH_ULONG v) override { return Test("testPlls", v); }
  IH_BOOL testRxAnalogAtten(IH_ULONG v) override { return Test("testRxAnalogAtten", v); }
  IH_BOOL testGainStage(IH_ULONG v) override { return Test("testGainStage", v); }
  IH_BOOL testFreq(IH_ULONG v) override { return Test("testFreq", v); }
  IH_BOOL testDDS(IH_ULONG v) override { return Test("testDDS", v); }
  IH_BOOL testFMCW(IH_ULONG v) override { return Test("testFMCW", v); }
  IH_BOOL testBeatSig(IH_ULONG v) override { return Test("testBeatSig", v); }
  IH_BOOL testPulse(IH_ULONG v) override { return Test("testPulse", v); }
  IH_BOOL testRFDMAmps(IH_ULONG v) override { return Test("testRFDMAmps", v); }
  IH_BOOL testRFDMAttens(IH_ULONG v) override { return Test("testRFDMAttens", v); }
#undef IH_BOOL
#undef IH_LONG
#undef IH_ULONG
#undef IH_DOUBLE

  // What a healthy board reads for a self-test debug value or a board query (by name).
  static double Reading(const std::string& name, int channel);

 private:
  // Records the request; returns what a board access answers (true: done).
  void Record(const std::string& name, const std::vector<std::string>& args);
  bool Test(const char* name, CORBA::ULong arg);
  bool Test(const char* name);
  // A setting kept by the board.
  void Keep(const std::string& name, const std::string& value);

  const int channel_;
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::map<std::string, std::string> settings_;
  bool asleep_ = false;
};

}  // namespace radaltsim
