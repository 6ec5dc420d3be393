#include "JournalSubsystem.h"

#include <array>
#include <cstdlib>
#include <iostream>
#include <mutex>

#include "Core.h"
#include "JournalObserver.h"
#include "MYGUIABLE.h"

namespace radalt {

namespace {

class JournalSubsystem : public Subsystem, public EventJournal {
 public:
  explicit JournalSubsystem(Core& core) : core_(core) {
    // RADALT_JOURNAL=off: kept by nobody (the bench measures a write with and without it).
    if (const char* on = std::getenv("RADALT_JOURNAL"); on && std::string(on) == "off") {
      std::cerr << " RADALT_MC: the journal is off: RADALT_JOURNAL=off" << std::endl;
      return;
    }
    const std::string path = radaltjournal::JournalPath(core.Config().installRoot);
    try {
      writer_ = std::make_shared<radaltjournal::Writer>(
          radaltjournal::Store::OpenForWriting(path), radaltjournal::OptionsFromEnvironment(),
          [](const std::string& why) { std::cerr << " RADALT_MC: the journal is off from now on: " << why << std::endl; });
    } catch (const radaltjournal::Error& e) {
      // The test set works without its journal.
      std::cerr << " RADALT_MC: the journal is off: " << e.what() << std::endl;
      return;
    }
    writer_->Start();
    writer_->Note("start", "master control started");
    core_.Gui().Observe(std::make_shared<JournalObserver>(writer_));
    core_.Provide<EventJournal>(*this);
  }

  void Note(const std::string& kind, const std::string& text) override { writer_->Note(kind, text); }

  ~JournalSubsystem() override {
    if (!writer_) return;
    core_.Gui().Observe(nullptr);
    writer_->Note("stop", "master control stopped");
  }

  const char* Name() const override { return "journal"; }

  void Construct(int group) override {
    if (group == 4) {
      NoteEngines();
      NoteEnabled(core_.Channels().EnabledCount());
    }
  }
  void ChannelsChanged(unsigned, unsigned enabled) override {
    NoteEngines();
    NoteEnabled(enabled);
  }

 private:
  // Which channel engines came, went or were replaced since the last look.
  void NoteEngines() {
    if (!writer_) return;
    std::lock_guard<std::mutex> lock(mutex_);
    for (int ch = 1; ch <= 3; ++ch) {
      const Seen now{core_.HasChannelEngine(ch), core_.Channels().Generation(ch)};
      Seen& known = seen_[ch - 1];
      if (now.present == known.present && (!now.present || now.generation == known.generation)) continue;
      const std::string engine = "channel " + std::to_string(ch) + "'s engine ";
      writer_->Note("engine", engine + (!now.present ? "left" : !known.present ? "joined" : "was replaced"));
      known = now;
    }
  }

  // The enabled count when it differs from the last one noted (a client's write of it is an
  // entry of its own; this also covers the changes that follow engines).
  void NoteEnabled(unsigned enabled) {
    if (!writer_) return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (enabled == enabled_) return;
    enabled_ = enabled;
    writer_->Note("channels", std::to_string(enabled) + " channel" + (enabled == 1 ? "" : "s") + " enabled");
  }

  Core& core_;
  std::shared_ptr<radaltjournal::Writer> writer_;
  unsigned enabled_ = ~0u;
  std::mutex mutex_;
  struct Seen {
    bool present = false;
    unsigned long generation = 0;
  };
  std::array<Seen, 3> seen_{};
};

}  // namespace

std::unique_ptr<Subsystem> MakeJournalSubsystem(Core& core) { return std::make_unique<JournalSubsystem>(core); }

}  // namespace radalt
