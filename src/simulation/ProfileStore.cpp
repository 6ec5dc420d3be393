#include "ProfileStore.h"

#include <stdexcept>

namespace radalt {

namespace {

// The four values of leg i (1-based): name stem and id offset from base + 4i.
struct LegField {
  const char* stem;
  int idOffset;
};
constexpr LegField kLegNumber{"Leg_Number_", -2};
constexpr LegField kAltRateDur{"AltRate_Dur_", -1};
constexpr LegField kStartAlt{"Start_Alt_", 0};
constexpr LegField kStopAlt{"Stop_Alt_", 1};

std::string ChannelPrefix(int channel) { return "Ch" + std::to_string(channel); }

unsigned LegFieldId(int channel, const LegField& f, int leg) {
  return static_cast<unsigned>(static_cast<int>(ProfileStore::BaseId(channel)) + 4 * leg + f.idOffset);
}

}  // namespace

std::string ProfileStore::LegCountName(int channel) { return ChannelPrefix(channel) + "Leg_Length"; }

std::string ProfileStore::LegFieldName(int channel, const char* stem, int leg) {
  return ChannelPrefix(channel) + stem + std::to_string(leg);
}

void ProfileStore::Create(STpersistance* store, int channel) {
  if (persisted::ProfileRowsPerChannel() != kProfileRowsPerChannel)
    throw std::logic_error("the profile store has " + std::to_string(kProfileRowsPerChannel) +
                           " rows per channel, its line in the table of persisted values " +
                           std::to_string(persisted::ProfileRowsPerChannel()));
  if (!store) return;
  const unsigned base = BaseId(channel);
  store->CreateValue<int>(base, ChannelPrefix(channel) + "Total_Dur", 1.0f, 0);
  store->CreateValue<int>(base + 1, LegCountName(channel), 1.0f, 0);
  for (int leg = 1; leg <= kProfileLegSlots; ++leg) {
    store->CreateValue<int>(LegFieldId(channel, kLegNumber, leg), LegFieldName(channel, kLegNumber.stem, leg), 1.0f,
                            leg);
    for (const LegField& f : {kAltRateDur, kStartAlt, kStopAlt})
      store->CreateValue<double>(LegFieldId(channel, f, leg), LegFieldName(channel, f.stem, leg), 1.0f, 0.0);
  }
}

void ProfileStore::KeepCurrent(Core& mc, STpersistance* store, int channel,
                               std::function<Legs::alt_sim_data_seq()> legs) {
  if (!store) return;
  mc.KeepCurrent(
      store, BaseId(channel) + 1, [legs] { return Bound::Of(static_cast<int>(legs().length())); },
      LegCountName(channel));
  // One leg field of leg (1-based): its value when the profile has that leg, else the
  // slot's empty value.
  auto field = [legs](int leg, auto get, Bound empty) {
    return [legs, leg, get, empty] {
      const Legs::alt_sim_data_seq now = legs();
      if (static_cast<CORBA::ULong>(leg) > now.length()) return empty;
      return get(now[static_cast<CORBA::ULong>(leg - 1)]);
    };
  };
  for (int leg = 1; leg <= kProfileLegSlots; ++leg) {
    using D = const Legs::Alt_Sim_Data&;
    mc.KeepCurrent(store, LegFieldId(channel, kLegNumber, leg),
                   field(leg, [](D d) { return Bound::Of(static_cast<int>(d.Leg_Number)); }, Bound::Of(leg)),
                   LegFieldName(channel, kLegNumber.stem, leg));
    mc.KeepCurrent(store, LegFieldId(channel, kAltRateDur, leg),
                   field(leg, [](D d) { return Bound::Of(d.AltRate_Dur); }, Bound::Of(0.0)),
                   LegFieldName(channel, kAltRateDur.stem, leg));
    mc.KeepCurrent(store, LegFieldId(channel, kStartAlt, leg),
                   field(leg, [](D d) { return Bound::Of(d.Start_Alt); }, Bound::Of(0.0)),
                   LegFieldName(channel, kStartAlt.stem, leg));
    mc.KeepCurrent(store, LegFieldId(channel, kStopAlt, leg),
                   field(leg, [](D d) { return Bound::Of(d.Stop_Alt); }, Bound::Of(0.0)),
                   LegFieldName(channel, kStopAlt.stem, leg));
  }
}

bool ProfileStore::Load(STpersistance* store, int channel, Legs::alt_sim_data_seq& legs, int& count) {
  count = Core::RecallValue<int>(store, LegCountName(channel));
  legs.length(0);
  if (count < 0 || count > kProfileLegSlots) return false;
  legs.length(static_cast<CORBA::ULong>(count));
  for (int leg = 1; leg <= count; ++leg) {
    Legs::Alt_Sim_Data& d = legs[static_cast<CORBA::ULong>(leg - 1)];
    d.Leg_Number = Core::RecallValue<int>(store, LegFieldName(channel, kLegNumber.stem, leg));
    d.AltRate_Dur = Core::RecallValue<double>(store, LegFieldName(channel, kAltRateDur.stem, leg));
    d.Start_Alt = Core::RecallValue<double>(store, LegFieldName(channel, kStartAlt.stem, leg));
    d.Stop_Alt = Core::RecallValue<double>(store, LegFieldName(channel, kStopAlt.stem, leg));
  }
  return true;
}

}  // namespace radalt
