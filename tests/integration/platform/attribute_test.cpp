// Attribute servants as clients reach them: writes pass the locks before the callback
// decides, assignments are published on the item's topic, and the simulated engine's items
// refuse what the instrument would refuse. (What an observer of the writes hears:
// journal_writes_test.)
#include <gtest/gtest.h>

#include <mutex>

#include "ScItems.h"
#include "platform/GUI_Able_i.h"
#include "platform/Orb.h"

using namespace Velmarin;

namespace {

struct Published {
  std::mutex m;
  std::vector<std::pair<std::string, std::string>> values;  // topic, text
};

class AttributeTest : public ::testing::Test {
 protected:
  AttributeTest() : namer("Lumaren/local/TEST/1"), gui("gui") {
    ProcessOrb();  // servants are activated in the process's root POA
    namer.SetPublisher([this](const std::string& topic, const CORBA::Any& v) {
      CORBA::Long l;
      std::string text = (v >>= l) ? std::to_string(l) : "?";
      std::lock_guard<std::mutex> lock(published.m);
      published.values.emplace_back(topic, text);
    });
  }
  ItemNamer namer;
  GUI_Able_i gui;
  Published published;
  Locker client{"client"}, other{"other"};
};

}  // namespace

TEST_F(AttributeTest, ClientWriteRunsTheCallbackOnlyWhenEveryLockAllows) {
  std::vector<int> seen;
  EngineAttribLong_i attr(namer, gui, "COUNT", 0, [&](CORBA::Long v) { seen.push_back(v); },
                          EngineAttribLongParams{0, 3, 1});
  Lockable_i group("SIMRUN");
  attr.GuardWith(group);
  EngineAttribLong_var ref = attr._this();

  ref->Set(client.Id(), 2);
  EXPECT_EQ(std::vector<int>{2}, seen);
  // The write alone does not change the value: the callback decides.
  EXPECT_EQ(0, ref->Get());

  // A group held by another locker refuses the write, no callback (its texts as the client gets
  // them: journal_writes_test); a client can ask beforehand what would refuse it.
  group.Lock(other.Authority("Simulation is running", "Locked because a simulation is running. Stop the simulation"));
  EXPECT_THROW(ref->Set(client.Id(), 3), Operation_errors::Locking_Error);
  CORBA::String_var holder, reason, message;
  EXPECT_TRUE(ref->Blocked(client.Id(), holder.out(), reason.out(), message.out()));
  EXPECT_EQ((std::vector<std::string>{"other", "Simulation is running",
                                      "Locked because a simulation is running. Stop the simulation"}),
            (std::vector<std::string>{holder.in(), reason.in(), message.in()}));
  EXPECT_FALSE(ref->Blocked(other.Id(), holder.out(), reason.out(), message.out()));

  // The holder of the group itself may write.
  ref->Set(other.Id(), 1);
  EXPECT_EQ((std::vector<int>{2, 1}), seen);

  // The attribute's own lock refuses in the same way.
  CORBA::ULong key = ref->Lock(other.Authority("Busy", "Locked because busy"));
  EXPECT_THROW(ref->Set(client.Id(), 3), Operation_errors::Locking_Error);
  ref->Unlock(other.Id(), key);
  EXPECT_EQ(2u, seen.size());
}

TEST_F(AttributeTest, AssignmentPublishesOnTheItemTopic) {
  EngineAttribLong_i attr(namer, gui, "COUNT", 0, {}, EngineAttribLongParams{0, 3, 1});
  attr = 3;
  EXPECT_EQ((std::vector<std::pair<std::string, std::string>>{{"Lumaren/local/TEST/1/COUNT", "3"}}), published.values);
  CORBA::String_var topic = attr._this()->DDS_Topic();
  EXPECT_STREQ("Lumaren/local/TEST/1/COUNT", topic.in());
}

TEST_F(AttributeTest, RegistryListsFindsAndForgetsAttributes) {
  {
    EngineReadingBoolean_i a(namer, gui, "B", false);
    EngineAttribVoid_i c(namer, gui, "A", {});
    // Listed under the key and the instance digit; found by either name.
    CORBA::String_var list = gui.Get_attr_list();
    EXPECT_STREQ("A1 B1 ", list.in());
    EngineReadingBase_var found = gui.Get_attr("B");
    ASSERT_FALSE(CORBA::is_nil(found));
    EngineReadingBase_var registered = gui.Get_attr("B1");
    EXPECT_TRUE(found->_is_equivalent(registered));
    CORBA::String_var type = found->TypeName();
    EXPECT_STREQ("EngineReadingBoolean", type.in());
    EngineReadingBase_var missing = gui.Get_attr("NOSUCH");
    EXPECT_TRUE(CORBA::is_nil(missing));
  }
  // Servants that are gone are no longer offered.
  CORBA::String_var list = gui.Get_attr_list();
  EXPECT_STREQ("", list.in());
  EngineReadingBase_var gone = gui.Get_attr("B");
  EXPECT_TRUE(CORBA::is_nil(gone));
}

TEST_F(AttributeTest, MissingPageIsReportedOnceAndServedEmpty) {
  testing::internal::CaptureStderr();
  gui.Add_XML("1", "/nonexistent/RA_channelMain.ui");
  gui.Add_XML("1b", "/nonexistent/RA_channelMain.ui");
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(1, std::count(err.begin(), err.end(), '\n'));
  CORBA::String_var page = gui.Get_XML("1");
  EXPECT_STREQ("", page.in());
  EXPECT_THROW(gui.Get_XML("nokey"), Operation_errors::Object_Not_Found);
}

// The simulated engine's numbers count what they take and refuse outside their limits: rf_path_test,
// and with the limits OutputPower.ARangeRefusalCarriesTheEnginesLimits in rf_level_mode_test.
TEST_F(AttributeTest, SimulatedEnumerationsTakeOnlyTheirListedValuesUntilAReset) {
  radaltsim::ItemStore items(namer, gui);
  EngineAttribEnum_var mode = items.Ref<EngineAttribEnum>("RFLVLMODE");
  EngineAttribValueDouble_var power = items.Ref<EngineAttribValueDouble>("OUTPWRLVL");
  VALUE_DOUBLE::VALUE v = power->Get();
  v.val = -40.0;
  power->Set(client.Id(), v);
  mode->Set(client.Id(), 1);
  EXPECT_THROW(mode->Set(client.Id(), 7), Operation_errors::DataOutOfRange);
  EXPECT_EQ(1, mode->Get());
  items.ResetAll();
  EXPECT_EQ(0, mode->Get());
  EXPECT_DOUBLE_EQ(-55.0, power->Get().val);
}
