#include "CALIBRATION.h"

CALIBRATION::CALIBRATION(Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, RADALT_MC* mc)
    : mc_(mc), calButtonsLocked_(namer, gui, "CALBUTTONSLOCKED", 0) {}

void CALIBRATION::setCalibrationButtonsLocked(unsigned int code) {
  calButtonsLocked_ = static_cast<CORBA::Long>(code);
}
