// The simulated engines' catalogue of named settings and profiles as a client meets it through
// the engines' CORBA references: one SQLite file shared by the channels, snapshots that come
// back intact, names checked before they reach the file, and entries that outlive the engines.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <thread>

#include "../../support/SimulatedChannels.h"

using namespace Velmarin;
namespace Legs = RadAltSingleChannelModel::AltimeterSimulationObjects;
using Main = radaltsim::SC::_objref_RADALTSC_MAIN_INTERFACE;

namespace {

class Catalogue : public ::testing::Test {
 protected:
  Catalogue() {
    ProcessOrb();
    std::string pattern = (std::filesystem::temp_directory_path() / "catalogue-XXXXXX").string();
    folder = std::string(::mkdtemp(pattern.data())) + "/engines/radaltsc";
    Start(1);
    Start(2);
  }
  ~Catalogue() override {
    engines[0].reset();
    engines[1].reset();
    std::filesystem::remove_all(std::filesystem::path(folder).parent_path().parent_path());
  }
  // A fresh engine for channel over the same folder, as after a restart of its process.
  void Start(int channel) {
    radaltsim::ScEngineOptions options = testset::Stopped();
    options.catalogueFolder = folder;
    engines[channel - 1].reset();
    engines[channel - 1] = std::make_unique<radaltsim::ScEngine_i>(channel, testset::EngineBase(channel), options);
  }
  radaltsim::SC::RADALTSC_ENGINE_var Sc(int channel) { return engines[channel - 1]->_this(); }
  radaltsim::ItemStore& Items(int channel) { return engines[channel - 1]->Items(); }

  void SetName(int channel, EngineAttribString_ptr (Main::*op)(), const char* name) {
    EngineAttribString_var item = (Sc(channel).in()->*op)();
    item->Set(client.Id(), name);
  }
  std::vector<std::string> Names(int channel) {
    radaltsim::SC::String_Seq_var seq = Sc(channel)->SettingsNameList();
    std::vector<std::string> out;
    for (CORBA::ULong i = 0; i < seq->length(); ++i) out.push_back(seq[i].in());
    return out;
  }
  static CORBA::Any Profile(std::vector<std::array<double, 3>> legs) {
    Legs::alt_sim_data_seq seq;
    seq.length(static_cast<CORBA::ULong>(legs.size()));
    for (CORBA::ULong i = 0; i < seq.length(); ++i) seq[i] = {legs[i][0], legs[i][1], legs[i][2], CORBA::Long(i + 1)};
    CORBA::Any a;
    a <<= seq;
    return a;
  }
  static std::vector<double> Flatten(const CORBA::Any& a) {
    const Legs::alt_sim_data_seq* seq = nullptr;
    std::vector<double> out;
    if (!(a >>= seq)) return out;
    for (CORBA::ULong i = 0; i < seq->length(); ++i)
      out.insert(out.end(), {(*seq)[i].Start_Alt, (*seq)[i].Stop_Alt, (*seq)[i].AltRate_Dur});
    return out;
  }

  using Op = EngineAttribString_ptr (Main::*)();
  static constexpr Op kStore = &Main::StoreSettingsByName;
  static constexpr Op kRecall = &Main::RecallSettingsByName;
  static constexpr Op kDelete = &Main::DeleteSettingsByName;

  Locker client{"client"};
  std::string folder;
  std::unique_ptr<radaltsim::ScEngine_i> engines[2];
};

// (Settings stored on one channel, recalled, listed and deleted on the other and kept across
// restarts: catalogue_test, through the master control.)

TEST_F(Catalogue, ProfileLegsComeBackAsStoredAndStoringAgainReplaces) {
  engines[0]->Items().ApplyAny("LEGDATA", Profile({{100, 500, 20}, {500, 500, 30}, {500, 0, 40}}));
  SetName(1, &Main::StoreAltSimByName, "Approach");
  engines[0]->Items().ApplyAny("LEGDATA", Profile({{0, 10, 1}}));
  SetName(1, &Main::StoreAltSimByName, "Approach");
  engines[0]->Items().ApplyAny("LEGDATA", Profile({}));
  SetName(2, &Main::RecallAltSimByName, "Approach");
  EXPECT_EQ((std::vector<double>{0, 10, 1}), Flatten(Items(2).AnyValue("LEGDATA")));
  EXPECT_EQ("Approach", Items(2).Text("NAME"));
  radaltsim::SC::String_Seq_var profiles = Sc(1)->AltSimNameList();
  EXPECT_EQ(1u, profiles->length());
  EXPECT_TRUE(Names(1).empty());  // settings and profiles are kept apart
}

TEST_F(Catalogue, BadAndUnknownNamesAreRefusedBeforeTheFile) {
  for (const char* bad : {"../x", "", "-dash first", "a/b", "123456789012345678901"})
    EXPECT_THROW(SetName(1, kStore, bad), Operation_errors::Data_Source_Not_Compatible) << bad;
  EXPECT_TRUE(Names(1).empty());
  SetName(1, kStore, "12345678901234567890");  // twenty characters, digits first: taken
  EXPECT_THROW(SetName(1, kRecall, "Nowhere"), Operation_errors::Object_Not_Found);
  EXPECT_THROW(SetName(1, kDelete, "Nowhere"), Operation_errors::Object_Not_Found);
  EXPECT_EQ(1u, Names(1).size());
}

TEST_F(Catalogue, ARecallPutsBackAWholeSnapshotOrNothing) {
  Items(1).Apply("OUTPWRLVL", -50.0);
  // An entry written by someone else, one value outside the engine's limits.
  radaltsim::CatalogueFile(folder).Put(radaltsim::Catalogued::Settings, "Tampered", 1,
                                       "OUTPWRLVL=-20\nLOOPLOSS=500\n");
  EXPECT_THROW(SetName(1, kRecall, "Tampered"), Operation_errors::Data_Source_Not_Compatible);
  EXPECT_DOUBLE_EQ(-50.0, Items(1).Number("OUTPWRLVL"));

  SetName(1, kStore, "Good");
  Items(1).Apply("OUTPWRLVL", -70.0);
  Items(1).Assign("RUNSTOPTEST", 1);  // flying: neither settings nor legs are taken
  EXPECT_THROW(SetName(1, kRecall, "Good"), Operation_errors::Settings_Conflict);
  EXPECT_DOUBLE_EQ(-70.0, Items(1).Number("OUTPWRLVL"));
  Items(1).Assign("RUNSTOPTEST", 0);
  SetName(1, kRecall, "Good");
  EXPECT_DOUBLE_EQ(-50.0, Items(1).Number("OUTPWRLVL"));
}

TEST_F(Catalogue, StoresAndRecallsFromManyThreadsOnBothEnginesLoseNothing) {
  constexpr int kThreads = 8;
  std::vector<std::thread> threads;
  std::vector<std::string> snapshots(kThreads);
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      const std::string name = "Client " + std::to_string(t);
      radaltsim::SC::RADALTSC_ENGINE_var sc = Sc(1 + t % 2);
      EngineAttribString_var store = sc->StoreSettingsByName(), recall = sc->RecallSettingsByName();
      Locker own(name.c_str());
      store->Set(own.Id(), name.c_str());
      recall->Set(own.Id(), name.c_str());
      radaltsim::CatalogueFile(folder).Get(radaltsim::Catalogued::Settings, name, snapshots[t]);
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(static_cast<std::size_t>(kThreads), Names(1).size());
  // Every snapshot whole: one line per setting, the last one included.
  for (const std::string& s : snapshots) {
    EXPECT_EQ(30, std::count(s.begin(), s.end(), '\n'));
    EXPECT_NE(std::string::npos, s.find("CURDURATION="));
  }
}

}  // namespace
