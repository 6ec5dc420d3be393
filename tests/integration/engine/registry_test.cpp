// The channel registry follows engines that come and go: the "create,"/"destroy," commands,
// their refusals, the counts, the channel-bound objects, and readers on other threads.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "NO_OF_ENABLED_CHANNELS.h"
#include "RADALT_MC.h"
#include "ScFixture.h"
#include "TestConfig.h"

using namespace Velmarin;
namespace SCI = Velmarin::RadAltSingleChannelStateControl;

namespace {

// Records what a channel-bound object is told.
struct Recorder : radalt::ChannelBound {
  void updateChannelData(unsigned a, unsigned e, SCI::RADALTSC_MAIN_INTERFACE_ptr main) override {
    available = a;
    enabled = e;
    channel = CORBA::is_nil(main) ? 0 : main->Channel();
    ++calls;
  }
  unsigned available = 0, enabled = 0;
  int channel = -1, calls = 0;
};

std::string Command(RADALT_MC& mc, const char* text) {
  testing::internal::CaptureStdout();
  mc.RadAltDDS_SubCallback("Lumaren/local/RADALTSC", text);
  return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(Registry, EnginesThatComeAndGoAreCountedOnceAndForgotten) {
  SimulatedChannels sims({1});
  radalt::EngineConfig config = TestConfig();
  config.leaveGraceMs = 200;
  RADALT_MC mc(config);
  Recorder r1, r2, r3;
  mc.AddChannelBoundClass({&r1, &r2, &r3});
  ASSERT_EQ(1u, mc.AvailableCount());

  // A new engine for channel 2 announces itself.
  sims.Add(2);
  EXPECT_EQ(std::string::npos, Command(mc, "create,2").find("RADALT_MC"));
  EXPECT_EQ(2u, mc.AvailableCount());
  EXPECT_EQ(2u, mc.EnabledCount());
  EXPECT_EQ(2, mc.NoOfEnabledChannelsObj()->Value());
  EXPECT_EQ(2, mc.GetSingleChannelPtr(2)->Channel());
  EXPECT_FALSE(CORBA::is_nil(mc.GetSingleChannelInhousePtr(2)));
  EXPECT_EQ(2u, r2.available);
  EXPECT_EQ(2, r2.channel);
  EXPECT_EQ(0, r3.channel);
  // It offered its items to the master control's registry.
  EngineReadingBase_var ch2 = mc.Gui().Get_attr("CH2:OUTPWRLVL");
  EXPECT_FALSE(CORBA::is_nil(ch2));

  // The same engine announced again (restarted) is not counted twice.
  EXPECT_EQ(std::string::npos, Command(mc, "create,2").find("RADALT_MC"));
  EXPECT_EQ(2u, mc.AvailableCount());
  EXPECT_EQ(2u, mc.EnabledCount());

  // An unknown channel changes nothing.
  EXPECT_EQ("RADALT_MC::RemoveRadAltSc Error: 5 could not be found in inhouse map!\n"
            "RADALT_MC::RemoveRadAltSc Error: 5 could not be found in main map!\n",
            Command(mc, "destroy,5"));
  EXPECT_EQ(2u, mc.AvailableCount());
  EXPECT_EQ("RADALT_MC::RadAltDDS_SubCallback: Create RadAltSc, create,3 is not a valid radaltsc\n",
            Command(mc, "create,3"));
  EXPECT_EQ("RADALT_MC::RadAltDDS_SubCallback: Create RadAltSc, create,7 is not a valid radaltsc\n",
            Command(mc, "create,7"));
  EXPECT_EQ("RADALT_MC::RadAltDDS_SubCallback: hello is not a valid command\n", Command(mc, "hello"));
  EXPECT_EQ("RADALT_MC::RadAltDDS_SubCallback: xcreate,2 is not a valid command\n", Command(mc, "xcreate,2"));
  // The whole text is read.
  EXPECT_EQ("RADALT_MC::RadAltDDS_SubCallback: create,2junk is not a valid command\n", Command(mc, "create,2junk"));
  EXPECT_EQ("RADALT_MC::RadAltDDS_SubCallback: destroy,abc is not a valid command\n", Command(mc, "destroy,abc"));
  EXPECT_EQ(2u, mc.AvailableCount());

  // Anyone may publish "destroy,2": while the engine still answers it stays.
  EXPECT_EQ("RADALT_MC::RadAltDDS_SubCallback: Remove RadAltSc, destroy,2 refused: the engine of channel 2 has "
            "not gone\n",
            Command(mc, "destroy,2"));
  EXPECT_EQ(2u, mc.AvailableCount());
  EXPECT_EQ(2, mc.GetSingleChannelPtr(2)->Channel());

  // Channel 2 goes away: counts follow and no reference to it is handed out.
  sims.Remove(2);
  EXPECT_EQ(std::string::npos, Command(mc, "destroy,2").find("RADALT_MC"));
  EXPECT_EQ(1u, mc.AvailableCount());
  EXPECT_EQ(1, mc.NoOfEnabledChannelsObj()->Value());
  EXPECT_THROW(mc.GetSingleChannelPtr(2), Operation_errors::NotConfigured);
  EXPECT_THROW(mc.GetSingleChannelInhousePtr(2), Operation_errors::NotConfigured);
  EXPECT_EQ(0, r2.channel);
  EXPECT_EQ(1u, r1.enabled);
  // Destroyed twice: reported, counts stay.
  Command(mc, "destroy,2");
  EXPECT_EQ(1u, mc.AvailableCount());
}

TEST(Registry, ReadersOnOtherThreadsNeverSeeAHalfUpdatedRegistry) {
  SimulatedChannels sims({1, 2});
  RADALT_MC mc(TestConfig());
  std::atomic<bool> stop{false};
  std::atomic<int> seen{0}, absent{0}, wrong{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 2; ++t)
    readers.emplace_back([&] {
      while (!stop) {
        try {
          SCI::RADALTSC_MAIN_INTERFACE_ptr sc = mc.GetSingleChannelPtr(2);
          // A lent pointer stays usable even if the channel goes meanwhile.
          if (sc->Channel() != 2) ++wrong;
          ++seen;
        } catch (const Operation_errors::NotConfigured&) {
          ++absent;
        } catch (const CORBA::OBJECT_NOT_EXIST&) {
          ++absent;  // lent before the engine went: the proxy is still there, the engine is not
        }
        const unsigned a = mc.AvailableCount();
        if (a < 1 || a > 2) ++wrong;
      }
    });
  for (int i = 0; i < 40; ++i) {
    testing::internal::CaptureStdout();
    sims.Remove(2);
    mc.RadAltDDS_SubCallback("Lumaren/local/RADALTSC", "destroy,2");
    sims.Add(2);
    mc.RadAltDDS_SubCallback("Lumaren/local/RADALTSC", "create,2");
    testing::internal::GetCapturedStdout();
  }
  stop = true;
  for (auto& t : readers) t.join();
  EXPECT_EQ(0, wrong.load());
  EXPECT_GT(seen.load(), 0);
  EXPECT_EQ(2u, mc.AvailableCount());
  EXPECT_EQ(2u, mc.EnabledCount());
}
