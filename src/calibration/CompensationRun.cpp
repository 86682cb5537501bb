#include "calibration/CompensationRun.h"
