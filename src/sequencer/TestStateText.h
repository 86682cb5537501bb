#pragma once

#include "sequencer/TTestStyle.h"

#include <QString>

namespace springtest {

// What the control panel's status line says for a test state; empty for states it does not announce.
QString testStateText(TestState state, bool autoRepeat, int repeatCount, int repeatsDone);

}  // namespace springtest
