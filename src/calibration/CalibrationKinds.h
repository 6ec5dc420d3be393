// The calibration kinds as data: their keys, callbacks, lock texts, button codes and the
// engine items each one drives; and the calibration results shown over all channels.
#pragma once

#include "CALIBRATION.h"

namespace radalt {

struct CalKindRow {
  CalKind kind;
  const char* name;  // in refusals: "No TX calibration is active"
  // the master control's commands (null: the kind has none) and their handlers
  const char* startKey;
  const char* stepKey;
  const char* saveKey;
  void (CALIBRATION::*startCallback)();
  void (CALIBRATION::*stepCallback)();
  void (CALIBRATION::*saveCallback)();
  const char* startOp;
  const char* stepOp;
  const char* saveOp;
  // what the lines of these operations begin with (the RFDM lines differ)
  const char* startPrefix;
  const char* stepPrefix;
  const char* savePrefix;
  // the interlock
  const char* reason;
  const char* message;
  unsigned code;
  // the engine's items
  ScItemOp<Velmarin::EngineAttribVoid_ptr> engineStart;
  ScItemOp<Velmarin::EngineAttribVoid_ptr> engineStep;
  ScItemOp<Velmarin::EngineAttribVoid_ptr> engineSave;
  // the step the engine is at (null: no handshake)
  ScItemOp<Velmarin::EngineReadingLong_ptr> engineCurrentStep;
  // ended by its poller, not by save
  bool selfRunning;
};

struct CalValidRow {
  CalKind kind;
  const char* key;
  const char* persistanceName;  // null: not persisted
  unsigned valueId;
  ScItemOp<Velmarin::EngineReadingBoolean_ptr> engineValid;
};

const CalKindRow& KindRow(CalKind kind);
// The result rows, in kind order.
const CalValidRow& ValidRow(CalKind kind);

}  // namespace radalt
