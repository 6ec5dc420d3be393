// The RF level and path-loss parameter objects of the master control, owned by the RF level
// subsystem and built in construction group 5.
#pragma once

#include <memory>
#include <vector>

#include "PerChannel.h"

namespace radalt { class Core; }
class RFLEVEL_MODE;
class COUPLED_MANUAL_RF_LEVEL;
class LOOP_LOSS;
class TX_EXTERNAL_LOSS;
class RX_EXTERNAL_LOSS;
class OFFSET;
class RF_LEVEL_OFFSET;
class AUTORFLEVEL;
class AUTOLOOPLOSS;
class PwrLvlDiff;
class AID_FIXED;
class AID_VARIABLE;
class AID_MODE;

namespace radalt {

enum class LevelRole;
enum class PathRole;
class LevelParameter;
class OutputPowerLevel;
class PathLossParameter;

struct RfLevelObjects {
  RfLevelObjects();
  virtual ~RfLevelObjects();

  PerChannel<AUTORFLEVEL> autoRfLevel;
  PerChannel<AUTOLOOPLOSS> autoLoopLoss;
  std::unique_ptr<RFLEVEL_MODE> rfLevelMode;
  std::unique_ptr<AID_MODE> aidMode;
  std::unique_ptr<AID_FIXED> aidFixed;
  std::unique_ptr<AID_VARIABLE> aidVariable;
  PerChannel<OutputPowerLevel> outputPowerLevel;  // OUTPUT_POWER_LEVEL_CHAN1 ..
  std::unique_ptr<RF_LEVEL_OFFSET> rfLevelOffset;
  PerChannel<PathLossParameter> txCableLoss;    // TX_CABLE_LOSS_CHAN1 ..
  PerChannel<PathLossParameter> rxCableLoss;    // RX_CABLE_LOSS_CHAN1 ..
  PerChannel<PathLossParameter> txCouplerLoss;  // TX_COUPLER_LOSS_CHAN1 ..
  PerChannel<PathLossParameter> rxCouplerLoss;  // RX_COUPLER_LOSS_CHAN1 ..
  PerChannel<TX_EXTERNAL_LOSS> txExternalLoss;
  PerChannel<RX_EXTERNAL_LOSS> rxExternalLoss;
  PerChannel<OFFSET> offset;
  std::unique_ptr<COUPLED_MANUAL_RF_LEVEL> coupledManualRfLevel;
  PerChannel<LOOP_LOSS> loopLoss;
  PerChannel<PwrLvlDiff> pwrLvlDiff;

  // The per-channel objects by channel (1 to 3); null when not built or outside 1 to 3.
  LevelParameter* Level(LevelRole role, int channel) const;
  PathLossParameter* Path(PathRole role, int channel) const;
};

// Builds the objects into objects (construction group 5).
void ConstructRfLevelObjects(radalt::Core& mc, RfLevelObjects& objects);
// The objects as the subsystem provides them.
RfLevelObjects& RfLevel(radalt::Core& mc);
// Tells the objects bound to one channel's engine the registry's counts and engines now.
void TellChannelsChanged(radalt::Core& mc, RfLevelObjects& objects, unsigned available, unsigned enabled);

// The recalls, in the places the master control's settings recall gives them: the mode and
// coupling; the AID settings; the RF level offset; a channel's levels (output power, loop
// loss) and its path (cable and coupler losses, offset).
void RecallRfLevelModeAndCoupling(RfLevelObjects& objects);
void RecallAidSettings(RfLevelObjects& objects);
void RecallRfLevelOffset(RfLevelObjects& objects);
void RecallChannelLevels(RfLevelObjects& objects, int channel);
void RecallChannelPath(RfLevelObjects& objects, int channel);
// A new engine of channel gets the operator's levels and losses, the external losses too (a
// settings recall leaves those to the test set's wiring); a setting it refuses does not keep
// it from the others, and the first refusal goes on at the end.
void BringBackChannel(RfLevelObjects& objects, int channel);

// The start-up values of the reset, in the places the reset gives them: the AID settings; the
// coupling switch; per channel the offset, output power and loop loss; the RF level mode;
// the RF level offset; per channel the losses.
void ResetAidSettings(RfLevelObjects& objects);
void ResetCoupledManualRfLevel(RfLevelObjects& objects);
void ResetChannelLevels(RfLevelObjects& objects, const std::vector<int>& channels);
void ResetRfLevelMode(RfLevelObjects& objects);
void ResetRfLevelOffset(RfLevelObjects& objects);
void ResetChannelLosses(RfLevelObjects& objects, const std::vector<int>& channels);

// Channel's levels and path losses show what its engine holds now.
void ShowChannelFromEngine(RfLevelObjects& objects, int channel);

// Every enabled channel's offset shows what its engine holds now, in the units in use.
void ShowOffsetsFromEngines(radalt::Core& mc, RfLevelObjects& objects);

}  // namespace radalt
