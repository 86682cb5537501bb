#pragma once

#include "sequencer/TTestStyle.h"

#include <QString>

namespace springtest {

// Why no test may start now on card `cardIndex`, in the operator's words; empty when one may. Asked by every
// start (the control panel's button and the operator box's test key, the command line) before StartTest:
// a test or series under way, no batch opened with its scheme, no test speed, an overload tripped in the
// direction the test would move the crosshead. GUI thread.
QString testStartRefusal(const TTestStyle& sequencer, int cardIndex);

// The part of it a caller can ask before it has a machine: no test speed chosen.
QString speedModeRefusal(SpeedMode mode);

// The leaf-spring machine starts no test before the operator has chosen how often the spring is pressed
// before its measuring cycle: 0 to this many times, as the control panel offers them.
inline constexpr int kMostPrecompressionsOffered = 8;
inline const QString kPrecompressionNotSet = QStringLiteral("预压次数尚未设置！！");

}  // namespace springtest
