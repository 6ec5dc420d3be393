#include "ChannelWideItems.h"

namespace radalt {

namespace {
template <class P>
ItemCopier Copier(ScItemOp<P> op) {
  return [op](ItemRefs& refs, SCI::RADALTSC_MAIN_INTERFACE_ptr from, SCI::RADALTSC_MAIN_INTERFACE_ptr to,
              const Velmarin::Locker_ID& who) { CopyItem(refs, op, from, to, who); };
}
using SC = SCI::_objref_RADALTSC_MAIN_INTERFACE;
}  // namespace

const std::vector<ItemCopier>& ChannelWideItems() {
  static const std::vector<ItemCopier> items = {
      Copier(&SC::RfConnection),        Copier(&SC::RfLevelMode),      Copier(&SC::UutAutodetect),
      Copier(&SC::UutType),             Copier(&SC::UutCdfSubType),    Copier(&SC::DiagAttenTX0),
      Copier(&SC::DiagAttenTX1),        Copier(&SC::DiagAttenTX2),     Copier(&SC::FreqDisplayMode),
      Copier(&SC::ProfileDisplayUnits), Copier(&SC::PowerDisplayMode), Copier(&SC::AltitudeUnits),
      Copier(&SC::DistanceUnits),       Copier(&SC::AidMode),          Copier(&SC::AidFixed),
      Copier(&SC::AidVariable),         Copier(&SC::RfLevelOffset),    Copier(&SC::SimulationMode),
      Copier(&SC::DiagMode),            Copier(&SC::DiagOutputFreq),   Copier(&SC::DiagPrf),
      Copier(&SC::DiagPulseWidth),
  };
  return items;
}

}  // namespace radalt
