// The journal's file and its writer, without the ORB: entries survive a restart in order and
// are selected by the reader's filters, the bounds prune, a full queue says what it dropped,
// and files that cannot hold a journal are refused with the reason.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "JournalStore.h"

namespace rj = radaltjournal;
namespace fs = std::filesystem;

namespace {

class JournalStore : public ::testing::Test {
 protected:
  JournalStore() {
    std::string pattern = (fs::temp_directory_path() / "journal-XXXXXX").string();
    dir = ::mkdtemp(pattern.data());
    path = dir + "/journal.db";
  }
  ~JournalStore() override {
    ::chmod(dir.c_str(), 0700);
    fs::remove_all(dir);
  }

  static rj::Entry Write(const std::string& writer, const std::string& key, const std::string& value,
                         const std::string& outcome = "accepted") {
    rj::Entry e;
    e.at = rj::IsoTime(std::chrono::system_clock::now());
    e.kind = "write";
    e.writer = writer;
    e.key = key;
    e.requested = e.after = value;
    e.outcome = outcome;
    return e;
  }
  // Every entry's "writer key requested outcome/message", oldest first.
  std::vector<std::string> Lines(const rj::Filter& f = {}) {
    std::vector<std::string> lines;
    for (const rj::Entry& e : rj::Store::OpenForReading(path)->Query(f))
      lines.push_back(e.kind == "write" ? e.writer + " " + e.key + " " + e.requested + " " + e.outcome
                                        : e.kind + ": " + e.message);
    return lines;
  }

  std::string dir, path;
};

}  // namespace

TEST_F(JournalStore, EntriesSurviveARestartInOrderAndTheFiltersSelectThem) {
  {
    rj::Writer w(rj::Store::OpenForWriting(path), {}, nullptr);
    w.Start();
    w.Add(Write("radaltctl", "RFLVLMODE1", "1"));
    w.Add(Write("radalt-python", "RFLVLMODE1", "7", "refused"));
    w.Note("engine", "channel 2's engine joined");
  }  // the writer writes what is queued before it goes
  const std::string between = rj::IsoTime(std::chrono::system_clock::now());
  // UTC to the microsecond, the form --since compares against.
  EXPECT_EQ("2026-12-07T14:36:08.000042Z",
            rj::IsoTime(std::chrono::system_clock::time_point(std::chrono::microseconds(1796654168000042LL))));
  {
    rj::Writer w(rj::Store::OpenForWriting(path), {}, nullptr);
    w.Start();
    w.Add(Write("radaltctl", "SIMMODE1", "2"));
    w.Flush();
  }
  EXPECT_EQ((std::vector<std::string>{"radaltctl RFLVLMODE1 1 accepted", "radalt-python RFLVLMODE1 7 refused",
                                      "engine: channel 2's engine joined", "radaltctl SIMMODE1 2 accepted"}),
            Lines());

  rj::Filter f;
  f.key = "RFLVLMODE1";
  EXPECT_EQ(2u, Lines(f).size());
  f.writer = "radaltctl";
  EXPECT_EQ(std::vector<std::string>{"radaltctl RFLVLMODE1 1 accepted"}, Lines(f));
  f = {};
  f.refusedOnly = true;
  EXPECT_EQ(std::vector<std::string>{"radalt-python RFLVLMODE1 7 refused"}, Lines(f));
  f = {};
  f.since = rj::SinceText(between);
  EXPECT_EQ(std::vector<std::string>{"radaltctl SIMMODE1 2 accepted"}, Lines(f));
  // Following the journal: only what came after the last entry seen.
  f = {};
  f.afterSeq = rj::Store::OpenForReading(path)->Query({}).at(2).seq;
  EXPECT_EQ(std::vector<std::string>{"radaltctl SIMMODE1 2 accepted"}, Lines(f));
}

TEST_F(JournalStore, AFullQueueDropsAndSaysHowManyOnceThereIsRoom) {
  rj::Writer::Options o;
  o.capacity = 4;
  rj::Writer w(rj::Store::OpenForWriting(path), o, nullptr);
  for (int i = 0; i < 10; ++i) w.Add(Write("radaltctl", "K", std::to_string(i)));  // nothing drains yet
  w.Start();
  w.Flush();
  w.Add(Write("radaltctl", "K", "10"));
  w.Flush();
  EXPECT_EQ((std::vector<std::string>{"radaltctl K 0 accepted", "radaltctl K 1 accepted", "radaltctl K 2 accepted",
                                      "radaltctl K 3 accepted", "journal: 6 journal entries dropped",
                                      "radaltctl K 10 accepted"}),
            Lines());
}

TEST_F(JournalStore, PruningKeepsTheNewestRowsWithinTheAgeBound) {
  auto store = rj::Store::OpenForWriting(path);
  const auto now = std::chrono::system_clock::now();
  std::vector<rj::Entry> entries;
  for (int i = 0; i < 6; ++i) {
    entries.push_back(Write("radaltctl", "K", std::to_string(i)));
    entries.back().at = rj::IsoTime(now - std::chrono::hours(24) * (i < 2 ? 40 : 1));
  }
  store->Append(entries);
  store->Prune(0, 30, now);  // the two older than 30 days go
  EXPECT_EQ(4u, Lines().size());
  store->Prune(3, 30, now);  // then the oldest beyond three rows
  EXPECT_EQ((std::vector<std::string>{"radaltctl K 3 accepted", "radaltctl K 4 accepted", "radaltctl K 5 accepted"}),
            Lines());
}

TEST_F(JournalStore, FilesThatCannotHoldAJournalAreRefusedWithTheReason) {
  // Reading a journal that is not there fails; writing creates it.
  EXPECT_THROW(rj::Store::OpenForReading(path), rj::Error);
  EXPECT_FALSE(fs::exists(path));
  rj::Store::OpenForWriting(path);
  EXPECT_NO_THROW(rj::Store::OpenForReading(path));

  const std::string garbage = dir + "/garbage.db";
  std::ofstream(garbage) << std::string(8192, '\x5a');
  EXPECT_THAT([&] { rj::Store::OpenForWriting(garbage); },
              testing::ThrowsMessage<rj::Error>(testing::HasSubstr("not a database")));
  EXPECT_THROW(rj::Store::OpenForReading(garbage), rj::Error);

  if (::geteuid() != 0) {  // root writes anywhere
    fs::remove(path);
    ::chmod(dir.c_str(), 0500);
    EXPECT_THROW(rj::Store::OpenForWriting(path), rj::Error);
  }
  EXPECT_THROW(rj::SinceText("yesterday"), rj::Error);
  EXPECT_EQ("2026-12-07T14:00", rj::SinceText("2026-12-07 14:00"));
}
