// The master control's lock groups, in their construction order.
#pragma once

#include <cstddef>

namespace radalt {

enum class LockGroup : std::size_t {
  RadAltMc1, RadAltMc2, RadAltMc3,
  MANUALTEST, PROFILETEST, SETTINGS, CURRENTALT,
  DIAGTXOUTPUT, DIAGTXATTENOUTPUT, DIAGRXMEASURING, DIAGLOOPBACKOUTPUT, DIAGLOOPBACKMEASURING,
  DIAGPASSTHRURUNNING, SIMRUN, ALTZERORUN, CALRUN,
  RFLEVEL, LOOPLOSS, UUT_TYPE, UUT_CDF_SUB_TYPE,
  PAUSERESUMEBUTTON, RFLEVELMODE, AIDITEMS, POWERDISPLAYMODE,
  Count
};

constexpr std::size_t kLockGroupCount = static_cast<std::size_t>(LockGroup::Count);

// The name each group is constructed with (below the engine's namer).
constexpr const char* kLockGroupNames[kLockGroupCount] = {
    "RadAltMc", "RadAltMc", "RadAltMc",
    "MANUALTEST", "PROFILETEST", "SETTINGS", "CURRENTALT",
    "DIAGTXOUTPUT", "DIAGTXATTENOUTPUT", "DIAGRXMEASURING", "DIAGLOOPBACKOUTPUT", "DIAGLOOPBACKMEASURING",
    "DIAGPASSTHRURUNNING", "SIMRUN", "ALTZERORUN", "CALRUN",
    "RFLEVEL", "LOOPLOSS", "UUT_TYPE", "UUT_CDF_SUB_TYPE",
    "PAUSERESUMEBUTTON", "RFLEVELMODE", "AIDITEMS", "POWERDISPLAYMODE"};

}  // namespace radalt
