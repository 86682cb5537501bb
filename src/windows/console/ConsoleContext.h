#pragma once

#include "measurement/CardSlot.h"
#include "windows/console/AcquisitionWatch.h"

#include <QString>

namespace springtest {

class CurveSink;
class PathSink;
class TTestStyle;

// What the operator windows of one run work on: the machine's card tables and the test sequencer, owned by
// the main window for the whole run, the live curve (and on the lateral machine the live path) that the
// curve window offers to the control panel, and the watch on the acquisition loop.
struct ConsoleContext {
    QString applicationFolder;
    int machineType = 0;
    CardTables& cards;
    TTestStyle& sequencer;
    CurveSink* liveCurve = nullptr;  // set by the layout once the curve window exists
    PathSink* livePath = nullptr;    // the lateral machine's sideways path, likewise
    AcquisitionWatch acquisition{};  // watches the loop from start-up on
};

}  // namespace springtest
