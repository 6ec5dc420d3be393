// Turns each client write and command of the master control's registry into a journal entry
// and hands it to the journal's writer (which never waits for the disk).
#pragma once

#include <memory>

#include "JournalStore.h"
#include "platform/EngineAttrib.h"

namespace radalt {

// The entry for one write or command: its time, writer, key, values as text, outcome and
// the refusal's kind and texts.
radaltjournal::Entry JournalEntry(const Velmarin::WriteEvent& event);

class JournalObserver : public Velmarin::WriteObserver {
 public:
  // A write under way when the observer is removed may still reach it: it keeps the writer.
  explicit JournalObserver(std::shared_ptr<radaltjournal::Writer> writer) : writer_(std::move(writer)) {}
  void Written(const Velmarin::WriteEvent& event) noexcept override;

 private:
  const std::shared_ptr<radaltjournal::Writer> writer_;
};

}  // namespace radalt
