#include "calibration/VerificationRun.h"
