// The measurement readings of the unit under test, one class per reading and channel
// (UUT_FREQUENCY_CHAN1::UUTFrequencyChan1 ...), all built from the table UutReadings.def on
// one implementation, ChannelReading: check the channel is enabled, hand out the engine's own
// reading (the caller owns the reference).
#pragma once

#include <memory>

#include "ChannelReading.h"

namespace radalt {

// The sweep rate a channel measures: the variable-sweep reading for a UUT of type 3 (the
// engine's UUT type), the plain one otherwise.
Velmarin::EngineReadingValueDouble_ptr SweepRateOfUutType(SCI::RADALTSC_MAIN_INTERFACE_ptr engine);

}  // namespace radalt

#define RADALT_READING_CLASS(CLASS, GETTER, FETCH, IFACE, CH)                                              \
  class CLASS##_CHAN##CH : public radalt::ChannelReading<Velmarin::IFACE##_ptr> {                          \
   public:                                                                                                 \
    explicit CLASS##_CHAN##CH(radalt::Core* mc)                                                            \
        : ChannelReading(mc, CH, #CLASS "_CHAN" #CH, #GETTER "Chan" #CH, &FETCH) {}                        \
    virtual Velmarin::IFACE##_ptr GETTER##Chan##CH() { return Fetch(); }                                   \
  };
#define RADALT_READING_1(CLASS, GETTER, FETCH, IFACE) RADALT_READING_CLASS(CLASS, GETTER, FETCH, IFACE, 1)
#define RADALT_READING_3(CLASS, GETTER, FETCH, IFACE) \
  RADALT_READING_1(CLASS, GETTER, FETCH, IFACE)       \
  RADALT_READING_CLASS(CLASS, GETTER, FETCH, IFACE, 2) RADALT_READING_CLASS(CLASS, GETTER, FETCH, IFACE, 3)
#define ITEM(OP) radalt::FetchOp<&radalt::SCI::_objref_RADALTSC_MAIN_INTERFACE::OP>
#define UUT_READING(CLASS, GETTER, FETCH, IFACE, N) RADALT_READING_##N(CLASS, GETTER, FETCH, IFACE)
#include "UutReadings.def"
#undef UUT_READING

namespace radalt {

// Every reading object, one member per class (UUT_FREQUENCY_CHAN2 is m_UUT_FREQUENCY_CHAN2).
struct UutReadingObjects {
  explicit UutReadingObjects(Core* mc);
#define RADALT_READING_MEMBER(CLASS, CH) std::unique_ptr<CLASS##_CHAN##CH> m_##CLASS##_CHAN##CH;
#define RADALT_MEMBERS_1(CLASS) RADALT_READING_MEMBER(CLASS, 1)
#define RADALT_MEMBERS_3(CLASS) RADALT_MEMBERS_1(CLASS) RADALT_READING_MEMBER(CLASS, 2) RADALT_READING_MEMBER(CLASS, 3)
#define UUT_READING(CLASS, GETTER, FETCH, IFACE, N) RADALT_MEMBERS_##N(CLASS)
#include "UutReadings.def"
#undef UUT_READING
};

}  // namespace radalt
