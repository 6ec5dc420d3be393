// The remote catalogue of named settings and profiles: the master control's attributes as a
// remote client writes and reads them, over simulated channel engines that keep the catalogue
// in SQLite below the install root.
#include "../../support/TestSet.h"

using namespace Velmarin;

namespace {

// Simulated engines of channels over the catalogue of root (kept for a later bench when keep),
// a master control over them, and a client writing the master control's attributes.
class Bench : public testset::Bench {
 public:
  Bench(const std::string& root, std::vector<int> channels, bool keep = false)
      : testset::Bench({std::move(channels), OverCatalogue(root), false, root, {}, keep}) {}

  static radaltsim::ScEngineOptions OverCatalogue(const std::string& root) {
    radaltsim::ScEngineOptions options = testset::Stopped();
    options.catalogueFolder = root + "/engines/radaltsc";
    return options;
  }
  void Write(const std::string& key, const char* text) { Attr<EngineAttribString>(key)->Set(client.Id(), text); }
  std::string Read(const std::string& key) { return CORBA::String_var(Attr<EngineAttribString>(key)->Get()).in(); }
  // The length a client reads after writing any value.
  int Length(const std::string& key) {
    auto a = Attr<EngineAttribLong>(key);
    a->Set(client.Id(), 7);
    return a->Get();
  }
  // Entry index of the list: index written, the attribute read.
  std::string Entry(const std::string& key, const char* index) {
    Write(key, index);
    return Read(key);
  }
};

TEST(Catalogue, NamesStoredOnTwoChannelsAreCountedListedRecalledAndDeletedOneByOneThroughChannelOne) {
  Bench b(FreshTestRoot("catalogue"), {1, 2});
  b.SetEnabled(2);
  b.Engine(1).Apply("OUTPWRLVL", -40.0);
  b.Write("CH1RCISTORESETTINGS", "Alpha");
  b.Engine(1).Apply("OUTPWRLVL", -60.0);
  b.Write("CH1RCISTORESETTINGS", "Bravo");
  b.Engine(2).Apply("OUTPWRLVL", -20.0);
  b.Write("CH2RCISTORESETTINGS", "Charlie 2");

  EXPECT_EQ(3, b.Length("RCIGETSETTINGSLISTLENGTH"));
  EXPECT_EQ(0, b.Length("RCIGETALTSIMLISTLENGTH"));
  EXPECT_EQ("Alpha", b.Entry("RCIGETSETTINGSLIST", "0"));
  EXPECT_EQ("Bravo", b.Entry("RCIGETSETTINGSLIST", "1"));
  EXPECT_EQ("Charlie 2", b.Entry("RCIGETSETTINGSLIST", "2"));
  EXPECT_EQ("", b.Entry("RCIGETSETTINGSLIST", "3"));
  // The list went with the read past its end: no stale name before "0" fetches it again.
  EXPECT_EQ("", b.Entry("RCIGETSETTINGSLIST", "1"));
  EXPECT_EQ("Alpha", b.Entry("RCIGETSETTINGSLIST", "0"));
  EXPECT_EQ("", b.Entry("RCIGETSETTINGSLIST", "-1"));

  // What channel 2 stored comes back on channel 1, and the other way round.
  b.Write("CH1RCIRECALLSETTINGS", "Charlie 2");
  EXPECT_DOUBLE_EQ(-20.0, b.Engine(1).Number("OUTPWRLVL"));
  b.Write("CH2RCIRECALLSETTINGS", "Alpha");
  EXPECT_DOUBLE_EQ(-40.0, b.Engine(2).Number("OUTPWRLVL"));
  // The master control shows what the engines recalled, not what it showed before.
  EXPECT_DOUBLE_EQ(-20.0, b.Attr<EngineAttribValueDouble>("CH1OUTPWRLVL")->Get().val);
  EXPECT_DOUBLE_EQ(-40.0, b.Attr<EngineAttribValueDouble>("CH2OUTPWRLVL")->Get().val);

  // A delete through channel 1 takes exactly the name given, whoever stored it.
  b.Write("RCIDELETESETTINGS", "Charlie 2");
  EXPECT_EQ(2, b.Length("RCIGETSETTINGSLISTLENGTH"));
  EXPECT_EQ("Alpha", b.Entry("RCIGETSETTINGSLIST", "0"));
  EXPECT_EQ("Bravo", b.Entry("RCIGETSETTINGSLIST", "1"));
  EXPECT_EQ("", b.Entry("RCIGETSETTINGSLIST", "2"));
  // Deletes and lists address channel 1 whatever is enabled (a channel beyond the enabled ones
  // is refused and nothing is sent: channel_roles_test).
  b.SetEnabled(1);
  b.Write("RCIDELETESETTINGS", "Bravo");
  EXPECT_EQ(2u, b.Engine(1).Count("DELETESETTINGS"));
  EXPECT_EQ(1, b.Length("RCIGETSETTINGSLISTLENGTH"));
}

TEST(Catalogue, BadNamesNeverReachAnEngineAndUnknownNamesAreRefused) {
  Bench b(FreshTestRoot("catalogue"), {1, 2});
  b.SetEnabled(2);
  const std::string longName(21, 'n');
  testing::internal::CaptureStdout();
  for (const char* key : {"CH1RCISTORESETTINGS", "CH2RCIRECALLALTSIM", "RCIDELETESETTINGS"})
    for (const std::string& bad : {std::string("../x"), std::string(), longName, std::string(" lead")}) {
      auto e = Catch<Operation_errors::Data_Source_Not_Compatible>([&] { b.Write(key, bad.c_str()); });
      EXPECT_NE(std::string::npos, std::string(e.text.in()).find("name")) << key << " " << bad;
    }
  // Refused by the master control itself: no engine saw any of them.
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(std::string::npos, out.find("radaltsc")) << out;

  EXPECT_THROW(b.Write("CH1RCIRECALLSETTINGS", "Never stored"), Operation_errors::Object_Not_Found);
  EXPECT_THROW(b.Write("RCIDELETEALTSIM", "Never stored"), Operation_errors::Object_Not_Found);
  // The pattern and limit the client was told about are the ones applied.
  EngineAttribStringParams_var params = b.Attr<EngineAttribString>("CH3RCISTOREALTSIM")->GetParams();
  EXPECT_EQ(20, params->max_length);
  EXPECT_STREQ("^([a-zA-Z0-9]([a-zA-Z0-9 ]|-|_|\\.)*)$", params->pattern.in());
  b.Write("CH1RCISTOREALTSIM", "9 legs_v1.2-b");
  EXPECT_EQ(1, b.Length("RCIGETALTSIMLISTLENGTH"));
}

TEST(Catalogue, TheCatalogueOutlivesTheEnginesAndTheMasterControl) {
  const std::string root = FreshTestRoot("catalogue");
  {
    Bench b(root, {1}, true);
    b.Engine(1).Apply("LOOPLOSS", 52.3);
    b.Write("CH1RCISTORESETTINGS", "Kept");
  }
  Bench b(root, {1});
  EXPECT_EQ("Kept", b.Entry("RCIGETSETTINGSLIST", "0"));
  b.Write("CH1RCIRECALLSETTINGS", "Kept");
  EXPECT_DOUBLE_EQ(52.3, b.Engine(1).Number("LOOPLOSS"));
}

}  // namespace
