#include "calibration/ForceVerification.h"
