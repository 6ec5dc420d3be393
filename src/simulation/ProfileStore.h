// The rows of the channels' profiles in the profile store ("radaltmc_altsim"): per channel a
// total duration, the number of legs and four values for each of 20 leg slots. The master
// control creates them and reads them back; the save/recall engine writes them.
#pragma once

#include <functional>
#include <string>

#include "SimulationCommon.h"
#include "Core.h"
#include "PersistedValues.h"
#include "persistence/PersistedValue.h"

namespace radalt {

constexpr int kProfileLegSlots = 20;
constexpr unsigned kProfileRowsPerChannel = 2 + 4 * kProfileLegSlots;

class ProfileStore {
 public:
  // The value id of channel's first row, from the table of persisted values.
  static unsigned BaseId(int channel) { return persisted::ProfileFirstId(channel); }
  // "Ch2Leg_Length", "Ch2Start_Alt_7" ...
  static std::string LegCountName(int channel);
  static std::string LegFieldName(int channel, const char* stem, int leg);

  // Creates channel's 82 rows; rows that exist keep their values. A table of persisted
  // values with another number of rows per channel is a start-up error (std::logic_error).
  static void Create(STpersistance* store, int channel);

  // Tells mc that channel's leg rows are now the legs legs() gives (unused slots: leg
  // number only, zero values), so that a store of the profile table takes what is shown.
  static void KeepCurrent(Core& mc, STpersistance* store, int channel, std::function<Legs::alt_sim_data_seq()> legs);

  // Reads channel's stored profile into legs. A stored leg count outside 0 to 20 cannot
  // describe a stored profile: nothing is read, the count is returned in count and the
  // result is false.
  static bool Load(STpersistance* store, int channel, Legs::alt_sim_data_seq& legs, int& count);
};

}  // namespace radalt
