// The master control with its journal: client writes and engines joining reach the journal
// file; a journal file that is no database leaves the journal off, said once, and the
// master control works all the same.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "JournalStore.h"
#include "NO_OF_ENABLED_CHANNELS.h"
#include "RADALT_MC.h"
#include "SLAVE_MODE.h"
#include "../../support/Eventually.h"
#include "../engine/ScFixture.h"
#include "../engine/TestConfig.h"

namespace rj = radaltjournal;

namespace {

std::vector<rj::Entry> Journal(const std::string& root) {
  try {
    return rj::Store::OpenForReading(rj::JournalPath(root))->Query({});
  } catch (const rj::Error&) {
    return {};
  }
}

bool Has(const std::vector<rj::Entry>& entries, const std::string& kind, const std::string& text) {
  for (const rj::Entry& e : entries)
    if (e.kind == kind && (e.message == text || e.key + " " + e.writer + " " + e.outcome == text)) return true;
  return false;
}

}  // namespace

TEST(JournalEngine, ClientWritesAndEnginesJoiningAreJournalledAcrossARestart) {
  const std::string root = FreshTestRoot("journal");
  SimulatedChannels sims({1});
  Velmarin::Locker client("radaltctl");
  {
    RADALT_MC mc(TestConfig(root));
    mc.NoOfEnabledChannelsObj()->NoOfEnabledChannels()->Set(client.Id(), 1);
    EXPECT_TRUE(Eventually([&] { return Has(Journal(root), "write", "NOOFENABLEDCHANNELS radaltctl accepted"); }));
    EXPECT_TRUE(Has(Journal(root), "engine", "channel 1's engine joined"));
    EXPECT_TRUE(Has(Journal(root), "channels", "1 channel enabled"));
    // A recall says how many settings it changed: none when nothing differs, one after a change.
    mc.Save("radaltmc_settings1", 0);
    mc.Recall("radaltmc_settings1", 0);
    mc.SlaveModeObj()->SlaveMode()->Set(client.Id(), !mc.SlaveModeObj()->Value());
    mc.Recall("radaltmc_settings1", 0);
    EXPECT_TRUE(Eventually([&] { return Has(Journal(root), "recall", "recall of radaltmc_settings1: 1 setting changed"); }));
    EXPECT_TRUE(Has(Journal(root), "recall", "recall of radaltmc_settings1: 0 settings changed"));
  }
  RADALT_MC again(TestConfig(root));
  EXPECT_TRUE(Eventually([&] { return Has(Journal(root), "start", "master control started"); }));
  const std::vector<rj::Entry> entries = Journal(root);
  EXPECT_TRUE(Has(entries, "write", "NOOFENABLEDCHANNELS radaltctl accepted"));
  EXPECT_TRUE(Has(entries, "stop", "master control stopped"));
  std::filesystem::remove_all(root);
}

TEST(JournalEngine, ACorruptJournalFileLeavesTheJournalOffAndTheEngineWorking) {
  const std::string root = FreshTestRoot("journal");
  std::ofstream(rj::JournalPath(root)) << std::string(4096, '\x7f');
  SimulatedChannels sims({1});
  Velmarin::Locker client("radaltctl");
  testing::internal::CaptureStderr();
  {
    RADALT_MC mc(TestConfig(root));
    mc.NoOfEnabledChannelsObj()->NoOfEnabledChannels()->Set(client.Id(), 1);
    EXPECT_EQ(1, mc.NoOfEnabledChannelsObj()->Value());
  }
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, err.find(" RADALT_MC: the journal is off: " + rj::JournalPath(root) +
                                        ": file is not a database"))
      << err;
  std::filesystem::remove_all(root);
}
