#include "calibration/PlatenAlignment.h"
