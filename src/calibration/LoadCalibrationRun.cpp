#include "calibration/LoadCalibrationRun.h"
