#include "JournalObserver.h"

#include "ValueText.h"
#include "VelmarinErrors.hh"

namespace radalt {

namespace {

namespace OE = Velmarin::Operation_errors;
namespace CE = Velmarin::Connection_errors;
namespace RE = Velmarin::Runtime_errors;

// The text field of the refusals that carry one text.
template <class... E>
bool TextOf(const CORBA::Exception& e, std::string& text) {
  bool found = false;
  (void)((!found && [&] {
    if (auto* x = dynamic_cast<const E*>(&e)) {
      text = x->text.in();
      found = true;
    }
    return found;
  }()) || ...);
  return found;
}

void Refusal(const CORBA::Exception& e, radaltjournal::Entry& entry) {
  entry.refusal = e._name();
  if (auto* lock = dynamic_cast<const OE::Locking_Error*>(&e)) {
    entry.holder = lock->holder.in();
    entry.reason = lock->reason.in();
    entry.message = lock->message.in();
  } else if (auto* range = dynamic_cast<const OE::DataOutOfRange*>(&e)) {
    entry.message = range->info.text.in();
  } else {
    TextOf<OE::Settings_Conflict, OE::NotConfigured, OE::NotSupported, OE::Object_Not_Found,
           OE::Data_Source_Not_Compatible, CE::Generic, CE::Not_Connected, CE::Communications_failure,
           RE::Unhandled_switch, RE::Generic>(e, entry.message);
  }
  // A user exception is the system's answer; a system exception is a call that failed.
  entry.outcome = dynamic_cast<const CORBA::UserException*>(&e) ? "refused" : "failed";
}

}  // namespace

radaltjournal::Entry JournalEntry(const Velmarin::WriteEvent& event) {
  radaltjournal::Entry e;
  e.at = radaltjournal::IsoTime(event.at);
  e.kind = event.command ? "command" : "write";
  e.writer = event.who.name.in();
  e.key = event.attr.Key();
  if (!event.command) {
    e.before = radaltctl::Describe(event.before);
    e.requested = radaltctl::Describe(event.requested);
    e.after = radaltctl::Describe(event.after);
  }
  if (event.refusal) {
    Refusal(*event.refusal, e);
  } else if (!event.failure.empty()) {
    e.outcome = "failed";
    e.message = event.failure;
  } else {
    e.outcome = "accepted";
  }
  e.durationUs = std::chrono::duration_cast<std::chrono::microseconds>(event.took).count();
  return e;
}

void JournalObserver::Written(const Velmarin::WriteEvent& event) noexcept {
  try {
    writer_->Add(JournalEntry(event));
  } catch (...) {
    // a value that cannot be shown must not fail the write it describes
  }
}

}  // namespace radalt
