#pragma once

#include "sequencer/PointReadout.h"
#include "sequencer/TestTypes.h"
#include "storage/FullRateCurve.h"

namespace springtest {

// A test as it ended, handed to storage whole: the operator may start the next spring at once, and nothing
// that test does (clearing the results and the curve, a gear change, opening another batch) reaches this one.
struct FinishedTest {
    ttest_info scheme;  // with the serial the test is stored under and the batch it is stored in
    ResultArray results;
    ttest_chart curve;
    ReadoutFormat format;    // of the card it ran on, as it ended
    QString operatorName;    // who ran it: the logged-in account, else the system user
    FullRateCurve fullRate;  // every reading of the curve, when the test recorded them; else empty
    // The lateral machine: the X sensor's (card 3) and the Y sensor's (card 1) displacement decimals.
    int xDecimals = 3;
    int yDecimals = 3;
};

}  // namespace springtest
