#include "JournalStore.h"

#include <cstdlib>
#include <ctime>
#include <iostream>

namespace radaltjournal {

namespace {

const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS journal ("
    " seq INTEGER PRIMARY KEY AUTOINCREMENT,"
    " at TEXT NOT NULL, kind TEXT NOT NULL, writer TEXT NOT NULL, key TEXT NOT NULL,"
    " before TEXT NOT NULL, requested TEXT NOT NULL, after TEXT NOT NULL,"
    " outcome TEXT NOT NULL, refusal TEXT NOT NULL, holder TEXT NOT NULL, reason TEXT NOT NULL,"
    " message TEXT NOT NULL, duration_us INTEGER NOT NULL);"
    "CREATE INDEX IF NOT EXISTS journal_at ON journal(at);"
    "CREATE INDEX IF NOT EXISTS journal_key ON journal(key);";

const char* const kColumns =
    "seq, at, kind, writer, key, before, requested, after, outcome, refusal, holder, reason, message, duration_us";

// A prepared statement, finalised when it goes.
class Statement {
 public:
  Statement(sqlite3* db, const std::string& sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK) throw Error(sqlite3_errmsg(db));
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  void Bind(int i, const std::string& s) { sqlite3_bind_text(stmt_, i, s.data(), int(s.size()), SQLITE_TRANSIENT); }
  void Bind(int i, std::int64_t v) { sqlite3_bind_int64(stmt_, i, v); }
  bool Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw Error(sqlite3_errmsg(db_));
  }
  void Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }
  std::string Text(int i) {
    const unsigned char* t = sqlite3_column_text(stmt_, i);
    return t ? reinterpret_cast<const char*>(t) : "";
  }
  std::int64_t Int(int i) { return sqlite3_column_int64(stmt_, i); }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

sqlite3* Open(const std::string& path, int flags) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    const std::string why = db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close(db);
    throw Error(path + ": " + why);
  }
  sqlite3_busy_timeout(db, 5000);
  return db;
}

}  // namespace

std::string IsoTime(std::chrono::system_clock::time_point t) {
  using namespace std::chrono;
  const auto us = duration_cast<microseconds>(t.time_since_epoch()).count();
  std::time_t secs = static_cast<std::time_t>(us / 1000000);
  long frac = static_cast<long>(us % 1000000);
  if (frac < 0) {
    frac += 1000000;
    --secs;
  }
  std::tm tm{};
  gmtime_r(&secs, &tm);
  // Written digit by digit: every write's entry has one, and a formatted print costs more
  // than the rest of the entry.
  std::string out = "0000-00-00T00:00:00.000000Z";
  auto put = [&out](std::size_t at, long value, int digits) {
    for (int i = digits - 1; i >= 0; --i, value /= 10) out[at + static_cast<std::size_t>(i)] = static_cast<char>('0' + value % 10);
  };
  put(0, tm.tm_year + 1900, 4);
  put(5, tm.tm_mon + 1, 2);
  put(8, tm.tm_mday, 2);
  put(11, tm.tm_hour, 2);
  put(14, tm.tm_min, 2);
  put(17, tm.tm_sec, 2);
  put(20, frac, 6);
  return out;
}

std::string SinceText(const std::string& typed) {
  std::string t = typed;
  if (t.size() > 10 && t[10] == ' ') t[10] = 'T';
  if (!t.empty() && t.back() == 'Z') t.pop_back();
  int y, mo, d, h = 0, mi = 0;
  double s = 0;
  char tail = 0;
  const int n = std::sscanf(t.c_str(), "%4d-%2d-%2dT%2d:%2d:%lf%c", &y, &mo, &d, &h, &mi, &s, &tail);
  const bool dateOnly = n == 3 && t.size() == 10;
  if (!(dateOnly || n == 5 || n == 6) || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s >= 61)
    throw Error("not a time: '" + typed + "' (use YYYY-MM-DD, YYYY-MM-DDTHH:MM or YYYY-MM-DDTHH:MM:SS, UTC)");
  return t;  // a prefix of the stored form compares in the same order
}

std::string JournalPath(const std::string& installRoot) { return installRoot + "/engines/lib/journal.db"; }

std::unique_ptr<Store> Store::OpenForWriting(const std::string& path) {
  std::unique_ptr<Store> store(new Store(Open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX)));
  try {
    // The first statement reads the file: one that is not a database fails here.
    std::string got;
    {
      Statement wal(store->db_, "PRAGMA journal_mode=WAL");
      if (wal.Step()) got = wal.Text(0);
    }
    if (got != "wal") throw Error("WAL mode refused (" + got + ")");
    store->Exec("PRAGMA synchronous=NORMAL");
    store->Exec(kSchema);
    store->prepared_ = std::make_unique<Prepared>(store->db_);
  } catch (const Error& e) {
    throw Error(path + ": " + e.what());
  }
  return store;
}

std::unique_ptr<Store> Store::OpenForReading(const std::string& path) {
  std::unique_ptr<Store> store(new Store(Open(path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX)));
  try {
    Statement check(store->db_, "SELECT count(*) FROM sqlite_master WHERE name = 'journal'");
    if (!check.Step() || check.Int(0) != 1) throw Error("no journal in this file");
  } catch (const Error& e) {
    throw Error(path + ": " + e.what());
  }
  return store;
}

struct Store::Prepared {
  explicit Prepared(sqlite3* db)
      : begin(db, "BEGIN IMMEDIATE"),
        commit(db, "COMMIT"),
        insert(db,
               "INSERT INTO journal (at, kind, writer, key, before, requested, after, outcome, refusal, holder,"
               " reason, message, duration_us) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)") {}
  Statement begin, commit, insert;
};

Store::Store(sqlite3* db) : db_(db) {}

Store::~Store() {
  prepared_.reset();  // every statement is finalized before the connection closes
  sqlite3_close(db_);
}

void Store::Exec(const char* sql) const {
  char* why = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &why) != SQLITE_OK) {
    const std::string text = why ? why : sqlite3_errmsg(db_);
    sqlite3_free(why);
    throw Error(text);
  }
}

void Store::Append(std::vector<Entry>& entries) {
  if (!prepared_) throw Error("the journal is open for reading only");
  Prepared& p = *prepared_;
  // A statement is reset after each run, also when it failed, so that it can run again.
  auto run = [](Statement& s) {
    try {
      s.Step();
    } catch (...) {
      s.Reset();
      throw;
    }
    s.Reset();
  };
  run(p.begin);
  try {
    Statement& insert = p.insert;
    for (Entry& e : entries) {
      int i = 0;
      for (const std::string* s : {&e.at, &e.kind, &e.writer, &e.key, &e.before, &e.requested, &e.after, &e.outcome,
                                   &e.refusal, &e.holder, &e.reason, &e.message})
        insert.Bind(++i, *s);
      insert.Bind(++i, e.durationUs);
      insert.Step();
      insert.Reset();
      e.seq = sqlite3_last_insert_rowid(db_);
    }
    run(p.commit);
  } catch (...) {
    p.insert.Reset();
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

void Store::Prune(std::int64_t maxRows, int maxDays, std::chrono::system_clock::time_point now) {
  if (maxDays > 0) {
    Statement old(db_, "DELETE FROM journal WHERE at < ?");
    old.Bind(1, IsoTime(now - std::chrono::hours(24) * maxDays));
    old.Step();
  }
  if (maxRows > 0) {
    Statement many(db_, "DELETE FROM journal WHERE seq <= (SELECT max(seq) FROM journal) - ?");
    many.Bind(1, maxRows);
    many.Step();
  }
}

std::vector<Entry> Store::Query(const Filter& f) const {
  std::string sql = std::string("SELECT ") + kColumns + " FROM journal WHERE seq > ?";
  if (!f.since.empty()) sql += " AND at >= ?";
  if (!f.key.empty()) sql += " AND key = ?";
  if (!f.writer.empty()) sql += " AND writer = ?";
  if (f.refusedOnly) sql += " AND outcome IN ('refused', 'failed')";
  sql += " ORDER BY seq";
  if (f.limit) sql += " LIMIT " + std::to_string(f.limit);
  Statement q(db_, sql);
  int i = 0;
  q.Bind(++i, f.afterSeq);
  for (const std::string* s : {&f.since, &f.key, &f.writer})
    if (!s->empty()) q.Bind(++i, *s);
  std::vector<Entry> out;
  while (q.Step()) {
    Entry e;
    e.seq = q.Int(0);
    int c = 0;
    for (std::string* s : {&e.at, &e.kind, &e.writer, &e.key, &e.before, &e.requested, &e.after, &e.outcome,
                           &e.refusal, &e.holder, &e.reason, &e.message})
      *s = q.Text(++c);
    e.durationUs = q.Int(13);
    out.push_back(std::move(e));
  }
  return out;
}

// ---- Writer ---------------------------------------------------------------------------------

Writer::Writer(std::unique_ptr<Store> store, Options options, std::function<void(const std::string&)> off)
    : store_(std::move(store)), options_(options), off_(std::move(off)) {}

Writer::~Writer() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void Writer::Start() {
  try {
    store_->Prune(options_.maxRows, options_.maxDays, std::chrono::system_clock::now());
  } catch (const Error& e) {
    std::lock_guard<std::mutex> lock(mutex_);
    failed_ = true;
    if (off_) off_(e.what());
    return;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  thread_ = std::thread([this] { Run(); });
}

void Writer::NoteDroppedLocked() {
  Entry note;
  note.at = IsoTime(std::chrono::system_clock::now());
  note.kind = "journal";
  note.message = std::to_string(dropped_) + " journal entries dropped";
  queue_.push_back(std::move(note));
  dropped_ = 0;
}

void Writer::Add(Entry entry) noexcept {
  try {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (failed_ || stopping_) return;
      if (dropped_ && queue_.size() < options_.capacity) NoteDroppedLocked();
      if (queue_.size() >= options_.capacity) {
        ++dropped_;
        return;
      }
      queue_.push_back(std::move(entry));
      // The writer is woken by the first entry it gathers, and early when half full.
      if (queue_.size() != 1 && queue_.size() != options_.capacity / 2) return;
    }
    wake_.notify_one();
  } catch (...) {
    // out of memory: the entry is lost, the test set goes on
  }
}

void Writer::Note(const std::string& kind, const std::string& message) noexcept {
  try {
    Entry e;
    e.at = IsoTime(std::chrono::system_clock::now());
    e.kind = kind;
    e.writer = "RadAltMc";
    e.message = message;
    Add(std::move(e));
  } catch (...) {
  }
}

void Writer::Flush() {
  std::unique_lock<std::mutex> lock(mutex_);
  ++flushing_;
  wake_.notify_all();
  drained_.wait(lock, [this] { return failed_ || !thread_.joinable() || (queue_.empty() && !dropped_ && !busy_); });
  --flushing_;
}

void Writer::Run() {
  unsigned sincePrune = 0;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || !queue_.empty() || dropped_; });
    if (queue_.empty() && !dropped_ && stopping_) break;
    wake_.wait_for(lock, options_.gather,
                   [this] { return stopping_ || flushing_ > 0 || queue_.size() >= options_.capacity / 2; });
    // What was dropped while the queue was full is said as soon as there is room.
    if (dropped_) NoteDroppedLocked();
    std::vector<Entry> batch(std::make_move_iterator(queue_.begin()), std::make_move_iterator(queue_.end()));
    queue_.clear();
    busy_ = true;
    lock.unlock();
    std::string failure;
    try {
      store_->Append(batch);
      sincePrune += static_cast<unsigned>(batch.size());
      if (sincePrune >= options_.pruneEvery) {
        sincePrune = 0;
        store_->Prune(options_.maxRows, options_.maxDays, std::chrono::system_clock::now());
      }
    } catch (const Error& e) {
      failure = e.what();
    }
    lock.lock();
    busy_ = false;
    if (!failure.empty()) {
      failed_ = true;
      queue_.clear();
      if (off_) off_(failure);
    }
    drained_.notify_all();
    if (failed_) break;
  }
}

Writer::Options OptionsFromEnvironment() {
  Writer::Options o;
  auto number = [](const char* name, long long fallback) {
    const char* v = std::getenv(name);
    if (!v || !*v) return fallback;
    char* end = nullptr;
    const long long n = std::strtoll(v, &end, 10);
    if (*end || n < 0) {
      std::cerr << " RADALT_MC: " << name << "='" << v << "' is not a number; " << fallback << " is used" << std::endl;
      return fallback;
    }
    return n;
  };
  o.maxRows = number("RADALT_JOURNAL_MAX_ROWS", o.maxRows);
  o.maxDays = static_cast<int>(number("RADALT_JOURNAL_MAX_DAYS", o.maxDays));
  return o;
}

}  // namespace radaltjournal
