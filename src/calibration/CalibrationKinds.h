// The calibration kinds as the master control's attributes and engine items: their keys,
// callbacks and the engine items each one drives (their names, lock texts and button codes are
// the run's, CalibrationRun.cpp); and the calibration results shown over all channels.
#pragma once

#include "CALIBRATION.h"

namespace radalt {

struct CalKindRow {
  CalKind kind;
  // the master control's commands (null: the kind has none) and their handlers
  const char* startKey;
  const char* stepKey;
  const char* saveKey;
  void (CALIBRATION::*startCallback)();
  void (CALIBRATION::*stepCallback)();
  void (CALIBRATION::*saveCallback)();
  // what the lines of these operations begin with (the RFDM lines differ)
  const char* startPrefix;
  const char* stepPrefix;
  const char* savePrefix;
  // the engine's items
  ScItemOp<Velmarin::EngineAttribVoid_ptr> engineStart;
  ScItemOp<Velmarin::EngineAttribVoid_ptr> engineStep;
  ScItemOp<Velmarin::EngineAttribVoid_ptr> engineSave;
  // the step the engine is at (null: the kind's steps are not confirmed, see Rules(kind))
  ScItemOp<Velmarin::EngineReadingLong_ptr> engineCurrentStep;
};

struct CalValidRow {
  CalKind kind;
  const char* key;
  const char* persistanceName;  // null: not persisted
  ScItemOp<Velmarin::EngineReadingBoolean_ptr> engineValid;
};

const CalKindRow& KindRow(CalKind kind);
// The result rows, in kind order.
const CalValidRow& ValidRow(CalKind kind);

}  // namespace radalt
