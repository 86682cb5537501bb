#pragma once

#include "sequencer/TestTypes.h"
#include "sequencer/Verdict.h"

#include <QString>

namespace springtest {

struct CardSlot;

// How the numbers of a test on one card are written: each with the decimals of the channel that measured it,
// and stiffness in N/mm, which a load channel in kN gives a thousandth of.
struct ReadoutFormat {
    int loadDecimals = 3;
    int displacementDecimals = 3;
    bool loadInKilonewtons = false;
};

// The format of a card's channels as they stand (the load decimals are the current gear's); a channel the
// card lacks keeps the default.
ReadoutFormat readoutFormat(const CardSlot& card);

// One point of a test as the operator reads it and as it is stored: the texts, and the verdicts judged on
// the texts as shown, so that a value shown at its limit is never judged beyond it.
struct PointReadout {
    QString value;      // empty when the point was not reached
    QString stiffness;  // empty when it has none
    Verdict valueVerdict = Verdict::None;
    Verdict stiffnessVerdict = Verdict::None;
};

// Point k (1…) of stroke s (1 forward, 2 return), judged against the point's limits and the scheme's
// stiffness limits. A point no result array has reads empty.
PointReadout readPoint(const ResultArray& results, const ttest_info& scheme, int stroke, int k,
                       const ReadoutFormat& format);

// A height (the spring's, the solid one) as shown and stored; empty when it was not measured.
QString heightText(float height_mm, const ReadoutFormat& format);

// Any result slot as shown and stored, with the decimals of the channel that measured it; empty when it was
// not measured.
QString resultText(int decimals, float value);

}  // namespace springtest
