#include "calibration/VerificationRecord.h"
