// The master control against the real naming service and simulated channel engines:
// discovery, the registry getters, the single-instance guard, the attribute registry and the
// lock groups' take and release. (The start-up reported to the hardware enumeration:
// testset_e2e.)
#include <gtest/gtest.h>

#include <functional>

#include "../../support/TestSet.h"
#include "NO_OF_AVAILABLE_CHANNELS.h"
#include "NO_OF_ENABLED_CHANNELS.h"
#include "RADALT_MC.h"
#include "ScFixture.h"
#include "TestConfig.h"

using namespace Velmarin;
using OE = Velmarin::Operation_errors::DataOutOfRange;
using testset::Bench;

TEST(Engine, DiscoversTwoEnginesAndGuardsTheRegistry) {
  Bench b(testset::Engines({1, 2}));
  RADALT_MC& mc = b.mc;

  EXPECT_EQ(2u, mc.AvailableCount());
  EXPECT_EQ(2u, mc.EnabledCount());
  EXPECT_EQ(2, mc.NoOfAvailableChannelsObj()->Value());
  EXPECT_EQ(2, mc.NoOfEnabledChannelsObj()->Value());
  EXPECT_EQ(1, mc.GetSingleChannelPtr(1)->Channel());
  EXPECT_EQ(2, mc.GetSingleChannelPtr(2)->Channel());
  EXPECT_TRUE(mc.GetSingleChannelIsLocal(2));

  for (int bad : {0, 4}) {
    OE e = Catch<OE>([&] { mc.GetSingleChannelPtr(bad); });
    EXPECT_STREQ("RADALT_MC::GetSingleChannelPtr - illegal channel index", e.info.text.in());
    EXPECT_EQ(1, e.info.minimum.l());
    EXPECT_EQ(3, e.info.maximum.l());
    EXPECT_EQ(bad, e.info.value.l());
  }
  const std::pair<const char*, std::function<void()>> kChannelThree[] = {
      {"RADALT_MC::GetSingleChannelPtr - RadaltSC_ptr is zero", [&] { mc.GetSingleChannelPtr(3); }},
      {"RADALT_MC::GetSingleChannelInhousePtr - RadaltSCInhouse_ptr is zero", [&] { mc.GetSingleChannelInhousePtr(3); }},
      {"RADALT_MC::GetSingleChannelIsLocal - RadaltSC_ptr is zero", [&] { mc.GetSingleChannelIsLocal(3); }}};
  for (const auto& [text, call] : kChannelThree) EXPECT_STREQ(text, Catch<Operation_errors::NotConfigured>(call).text.in());
  OE e = Catch<OE>([&] { mc.GetSingleChannelIsLocal(0); });
  EXPECT_STREQ("RADALT_MC::GetSingleChannelIsLocal - illegal channel index", e.info.text.in());

  // Both engines' items are offered under "CH<n>:"; channel 3 has none.
  for (const auto& [key, offered] : {std::pair<const char*, bool>{"CH2:OUTPWRLVL", true}, {"CH3:OUTPWRLVL", false},
                                     {"NOOFENABLEDCHANNELS", true}, {"NOSUCHATTRIBUTE", false}})
    EXPECT_EQ(offered, !CORBA::is_nil(EngineReadingBase_var(mc.Gui().Get_attr(key)))) << key;
  EngineReadingBase_var ch2 = mc.Gui().Get_attr("CH2:OUTPWRLVL");
  ASSERT_FALSE(CORBA::is_nil(ch2));

  // A write to a channel-2 item through the registry reaches the simulated engine.
  EngineAttribValueDouble_var power = EngineAttribValueDouble::_narrow(ch2);
  VALUE_DOUBLE::VALUE v = power->Get();
  v.val = -33.0;
  power->Set(b.client.Id(), v);
  EXPECT_DOUBLE_EQ(-33.0, b.EngineNumber(2, "OUTPWRLVL"));
}

TEST(Engine, SecondMasterControlIsRefusedAndTheFirstKeepsItsRegistration) {
  SimulatedChannels sims({1});
  RADALT_MC first(TestConfig());
  Connection_errors::Generic e;
  Output([&] { e = Catch<Connection_errors::Generic>([] { RADALT_MC second(TestConfig()); }); });
  EXPECT_STREQ("Attempt to start more than one instance of radalt master control", e.text.in());
  ORB_wrapper_base naming;
  EXPECT_EQ(std::vector<std::string>{"1"}, naming.FindChildContext("Lumaren/local/RADALT"));
  EXPECT_EQ(std::vector<std::string>{"RADALT1"}, naming.FindChildContext("Lumaren/local/GUI_ABLE"));
}

TEST(Engine, RegistrationsAreWithdrawnWhenTheMasterControlGoes) {
  SimulatedChannels sims({1});
  ORB_wrapper_base naming;
  {
    RADALT_MC mc(TestConfig());
    EXPECT_EQ(1u, naming.FindChildContext("Lumaren/local/EVERYBODY_ABLE").size());
  }
  EXPECT_TRUE(naming.FindChildContext("Lumaren/local/RADALT").empty());
  EXPECT_TRUE(naming.FindChildContext("Lumaren/local/EVERYBODY_ABLE").empty());
  // ...so a new one starts.
  RADALT_MC again(TestConfig());
  EXPECT_EQ(1u, again.AvailableCount());
}

TEST(Engine, ChannelCountsRefuseWhatTheTestSetCannotHave) {
  Bench b(testset::Engines({1, 2}));
  const Locker& client = b.client;
  EngineAttribLong_var available = b.mc.NoOfAvailableChannelsObj()->NoOfAvailableChannels();
  EngineAttribLong_var enabled = b.mc.NoOfEnabledChannelsObj()->NoOfEnabledChannels();

  OE e;
  Output([&] { e = Catch<OE>([&] { available->Set(client.Id(), 4); }); });
  EXPECT_STREQ("Attribute : NoOfAvailableChannelsCallback - illegal no of channels", e.info.text.in());
  EXPECT_EQ(0, e.info.minimum.l());
  EXPECT_EQ(3, e.info.maximum.l());
  EXPECT_EQ(4, e.info.value.l());
  // Negative counts are out of range too (the test is unsigned).
  EXPECT_THROW(available->Set(client.Id(), -1), OE);
  EXPECT_EQ(2, available->Get());

  // More enabled than available is refused, with the live count as its maximum; the
  // available count is the live engines and nothing else.
  OE more = Catch<OE>([&] { enabled->Set(client.Id(), 3); });
  EXPECT_EQ(2, more.info.maximum.l());
  OE fewer = Catch<OE>([&] { available->Set(client.Id(), 1); });
  EXPECT_EQ(2, fewer.info.minimum.l());
  EXPECT_EQ(2, fewer.info.maximum.l());
  EXPECT_EQ(2, available->Get());
  EXPECT_EQ(2, enabled->Get());
}

TEST(Engine, TakeAndReleaseOfLockGroups) {
  Bench b(testset::Engines({1}));
  RADALT_MC& mc = b.mc;
  using radalt::LockGroup;
  const Locker& other = b.other;
  EXPECT_TRUE(mc.TakeGroup(LockGroup::SIMRUN, "Simulation is running", "Locked because a simulation is running"));
  // Taken again by the same activity: its new texts show.
  EXPECT_TRUE(mc.TakeGroup(LockGroup::SIMRUN, "other", "other"));
  EXPECT_EQ("other", mc.Group(LockGroup::SIMRUN).Reason());
  EXPECT_TRUE(mc.ReleaseGroup(LockGroup::SIMRUN));
  EXPECT_FALSE(mc.ReleaseGroup(LockGroup::SIMRUN));
  // A group held by another locker is neither taken nor released.
  mc.Group(LockGroup::CALRUN).Lock(other.Authority("Cal", "Locked because cal"));
  EXPECT_FALSE(mc.TakeGroup(LockGroup::CALRUN, "x", "y"));
  EXPECT_FALSE(mc.ReleaseGroup(LockGroup::CALRUN));
  EXPECT_TRUE(SameLocker(other.Id(), mc.Group(LockGroup::CALRUN).Holder()));
}
