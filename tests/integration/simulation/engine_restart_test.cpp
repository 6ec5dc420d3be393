// The item references the master control keeps per channel engine: a replaced engine is
// written on the first write after its return, an item whose object has gone is fetched
// again once, and threads share the references while engines come and go.
#include <thread>

#include "CURRENT_START_ALTITUDE_CHAN1.h"
#include "CURRENT_START_ALTITUDE_CHAN2.h"
#include "SimBench.h"
#include "platform/Orb.h"

using namespace simbench;
namespace SCI = Velmarin::RadAltSingleChannelStateControl;
using SC = SCI::_objref_RADALTSC_MAIN_INTERFACE;

namespace {

// A new engine process for channel, bound in old's place (old no longer answers on its main
// interface; its items would still answer: a reference kept from it must not be used) and
// announced after old's goodbye when leaving is set. tag tells the processes apart.
std::unique_ptr<PlainChannel> Replace(Bench& b, int channel, PlainChannel& old, const std::string& tag,
                                      bool leaving = false) {
  const std::string ch = std::to_string(channel);
  Velmarin::DeactivateServant(&old);
  if (leaving) Output([&] { b.mc.RadAltDDS_SubCallback("Lumaren/local/RADALTSC", ("destroy," + ch).c_str()); });
  auto fresh = std::make_unique<PlainChannel>(channel, "Lumaren/local/RADALTSC/" + ch + "/" + tag);
  CORBA::Object_var ref = fresh->_this();
  Velmarin::ORB_wrapper_base naming;
  naming.InstallAt({"Lumaren", "local", "RADALTSC", ch}, ref);
  naming.InstallAt({"Lumaren", "local", "RADALTSC_INHOUSE", ch}, ref);
  Output([&] { b.mc.RadAltDDS_SubCallback("Lumaren/local/RADALTSC", ("create," + ch).c_str()); });
  return fresh;
}

double StartAltitude(PlainChannel& engine) {
  return engine.Items().Ref<EngineAttribValueDouble>("CURSTARTALT")->Get().val;
}

}  // namespace

TEST(EngineRestart, TheFirstCoupledWriteAfterAReturnReachesTheNewEngine) {
  Bench b({1, 2, 3});
  b.SetEnabled(3);
  b.SetCoupled(true);
  EngineAttribValueDouble_var start1 = b.sim().currentStartAltitude.At(1)->Reference();
  start1->Set(b.client.Id(), WithVal(start1->Get(), 100.0));
  EXPECT_DOUBLE_EQ(100.0, b.EngineValue(2, "CURSTARTALT"));
  EXPECT_GT(b.mc.Items().Kept(2), 0u);

  std::unique_ptr<PlainChannel> fresh = Replace(b, 2, b.engines[2], "NEW");
  // The new engine was brought back to the operator's settings before it counted again.
  EXPECT_DOUBLE_EQ(100.0, StartAltitude(*fresh));
  start1->Set(b.client.Id(), WithVal(start1->Get(), 200.0));
  EXPECT_DOUBLE_EQ(200.0, StartAltitude(*fresh));
  EXPECT_DOUBLE_EQ(100.0, b.EngineValue(2, "CURSTARTALT"));  // the old engine kept its last value
  EXPECT_DOUBLE_EQ(200.0, b.EngineValue(1, "CURSTARTALT"));
  EXPECT_DOUBLE_EQ(200.0, b.EngineValue(3, "CURSTARTALT"));
  EXPECT_DOUBLE_EQ(200.0, b.sim().currentStartAltitude.At(2)->Value().val);

  // A channel whose engine leaves keeps nothing.
  Velmarin::DeactivateServant(&b.engines[3]);
  Output([&] { b.mc.RadAltDDS_SubCallback("Lumaren/local/RADALTSC", "destroy,3"); });
  EXPECT_EQ(0u, b.mc.Items().Kept(3));
}

TEST(EngineRestart, AnItemWhoseObjectHasGoneIsFetchedAgainOnce) {
  Bench b({1});
  Velmarin::ItemNamer namer("Lumaren/local/ITEMREFS");
  Velmarin::GUI_Able_i gui("Lumaren/local/ITEMREFS/GUI_ABLE");
  auto first = std::make_unique<EngineAttribBoolean_i>(namer, gui, "FIRST", false, [](CORBA::Boolean) {});
  EngineAttribBoolean_i second(namer, gui, "SECOND", true, [](CORBA::Boolean) {});
  int fetches = 0;
  auto fetch = [&]() -> EngineAttribBoolean_ptr {
    CORBA::Object_var obj = (++fetches == 1 ? static_cast<EngineReadingBase_i&>(*first) : second)._this();
    return EngineAttribBoolean::_narrow(obj);
  };
  auto get = [](EngineAttribBoolean_ptr item) { return item->Get(); };
  radalt::ItemRefs& refs = b.mc.Items();
  SCI::RADALTSC_MAIN_INTERFACE_ptr sc = b.mc.GetSingleChannelPtr(1);
  radalt::ItemRefs::Key key;
  key.fill(0xA5);  // an item of its own, which the master control never asks for

  EXPECT_FALSE(refs.Use<EngineAttribBoolean_ptr>(sc, key, fetch, get));
  EXPECT_FALSE(refs.Use<EngineAttribBoolean_ptr>(sc, key, fetch, get));
  EXPECT_EQ(1, fetches);  // kept

  first.reset();  // deactivated: calls on its reference find no object
  EXPECT_TRUE(refs.Use<EngineAttribBoolean_ptr>(sc, key, fetch, get));
  EXPECT_EQ(2, fetches);
  EXPECT_TRUE(refs.Use<EngineAttribBoolean_ptr>(sc, key, fetch, get));
  EXPECT_EQ(2, fetches);
}

TEST(EngineRestart, WritersOnOtherThreadsShareTheReferencesWhileAnEngineComesAndGoes) {
  Bench b({1, 2});
  b.SetEnabled(2);
  std::atomic<bool> stop{false};
  std::atomic<int> written{0}, wrong{0};
  std::vector<std::thread> writers;
  for (int t = 0; t < 2; ++t)
    writers.emplace_back([&, t] {
      while (!stop) {
        try {
          SCI::RADALTSC_MAIN_INTERFACE_ptr sc = b.mc.GetSingleChannelPtr(1);
          radalt::WriteItem(b.mc.Items(), sc, &SC::CurrentStopAltitude, b.client.Id(),
                            WithVal(b.EngineItem<EngineAttribValueDouble>(1, "CURSTOPALT")->Get(), 10.0 + t));
          if (radalt::ReadItem(b.mc.Items(), b.mc.GetSingleChannelPtr(2), &SC::ProfileLegNumber) < 0) ++wrong;
          ++written;
        } catch (const Operation_errors::NotConfigured&) {
          // channel 2 is away for a moment
        } catch (const CORBA::OBJECT_NOT_EXIST&) {
          // channel 2's engine lent before it went: the proxy is still there, the engine is not
        }
      }
    });
  std::vector<std::unique_ptr<PlainChannel>> gone;  // a lent reference may still point at them
  PlainChannel* current = &b.engines[2];
  for (int i = 0; i < 30; ++i) {
    gone.push_back(Replace(b, 2, *current, "GEN" + std::to_string(i), true));
    current = gone.back().get();
  }
  stop = true;
  for (auto& t : writers) t.join();
  EXPECT_EQ(0, wrong.load());
  EXPECT_GT(written.load(), 0);
}
