// The journal of what the test set was told and what it answered: one SQLite file
// (engines/lib/journal.db below the install root), written by the master control through
// JournalWriter and read by radaltctl and the Python module. Nothing here knows the ORB.
#pragma once

#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace radaltjournal {

// One line of the journal. A write or command has a writer, a key and an outcome; a note
// (an engine that joined or left, entries dropped) has a kind and a message only.
struct Entry {
  std::int64_t seq = 0;       // given by the journal, rising
  std::string at;             // UTC, "2026-12-07T14:36:08.123456Z"
  std::string kind;           // "write", "command", "engine", "journal"
  std::string writer;         // the locker's name ("radaltctl", "RadAltMc", ...)
  std::string key;            // the attribute's key
  std::string before, requested, after;  // values as text ("" for commands and notes)
  std::string outcome;        // "accepted", "refused", "failed" ("" for notes)
  std::string refusal;        // the exception's name ("Locking_Error", ...)
  std::string holder, reason; // a Locking_Error's holder and reason
  std::string message;        // a Locking_Error's message, another refusal's text, a failure, a note
  std::int64_t durationUs = 0;
};

// Which entries a reader wants; empty fields select everything.
struct Filter {
  std::string since;          // entries at or after this time (ISO 8601 text, UTC)
  std::string key;
  std::string writer;
  bool refusedOnly = false;   // refused or failed
  std::int64_t afterSeq = 0;  // entries after this sequence number (following the journal)
  std::size_t limit = 0;      // 0: no limit
};

struct Error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// "2026-12-07T14:36:08.123456Z".
std::string IsoTime(std::chrono::system_clock::time_point t);
// A time the user typed ("2026-12-07 14:00", "2026-12-07T14:00:00Z") in the journal's form,
// so that it compares as text; throws Error when it is none.
std::string SinceText(const std::string& typed);
// The journal's file below an install root.
std::string JournalPath(const std::string& installRoot);

class Store {
 public:
  // Opens the journal for writing, creating it when missing (WAL mode); throws Error with
  // SQLite's reason when it cannot (read-only folder, not a database, ...).
  static std::unique_ptr<Store> OpenForWriting(const std::string& path);
  // Opens an existing journal read-only; throws Error when it cannot be read.
  static std::unique_ptr<Store> OpenForReading(const std::string& path);
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  // Appends entries in one transaction, giving each its sequence number; throws Error.
  void Append(std::vector<Entry>& entries);
  // Keeps at most maxRows entries and none older than maxDays (0: no bound of that kind).
  void Prune(std::int64_t maxRows, int maxDays, std::chrono::system_clock::time_point now);
  // The entries selected, oldest first.
  std::vector<Entry> Query(const Filter& filter) const;

 private:
  explicit Store(sqlite3* db);
  void Exec(const char* sql) const;
  sqlite3* db_;
  // The writing statements, prepared once (a statement's parse costs more than its run).
  struct Prepared;
  std::unique_ptr<Prepared> prepared_;
};

// The bounded queue in front of the store and the one thread that drains it. Add never
// waits for the disk: when the queue is full the entry is dropped and counted, and once
// there is room again the journal says how many were dropped. A store that fails is given
// up: the journal says so once (through off) and entries are no longer kept.
class Writer {
 public:
  struct Options {
    std::size_t capacity = 4096;
    std::int64_t maxRows = 200000;
    int maxDays = 365;
    unsigned pruneEvery = 1000;  // entries written between two prunes
    // How long the writer gathers entries after the first before it writes them in one
    // transaction (a burst of writes costs one commit, and a write wakes no thread of its own).
    std::chrono::milliseconds gather{20};
  };
  // off(reason) is called once, on the writer thread, when the store fails.
  Writer(std::unique_ptr<Store> store, Options options, std::function<void(const std::string&)> off);
  ~Writer();  // writes what is queued, then stops
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  // Starts the draining thread (entries added before wait in the queue).
  void Start();
  void Add(Entry entry) noexcept;
  // A note of kind with message, timed now.
  void Note(const std::string& kind, const std::string& message) noexcept;
  // Waits until everything added so far is written (or the store was given up).
  void Flush();

 private:
  void Run();
  void NoteDroppedLocked();

  std::unique_ptr<Store> store_;
  const Options options_;
  std::function<void(const std::string&)> off_;
  std::mutex mutex_;
  std::condition_variable wake_, drained_;
  std::deque<Entry> queue_;
  std::size_t dropped_ = 0;
  bool stopping_ = false, failed_ = false, busy_ = false;
  int flushing_ = 0;  // callers of Flush waiting: write now
  std::thread thread_;
};

// The bounds from RADALT_JOURNAL_MAX_ROWS and RADALT_JOURNAL_MAX_DAYS (defaults otherwise).
Writer::Options OptionsFromEnvironment();

}  // namespace radaltjournal
