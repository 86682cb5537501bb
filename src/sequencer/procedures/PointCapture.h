#pragma once

#include "sequencer/TestTypes.h"

namespace springtest {

// One acquisition sample as a test procedure reads it: load, displacement, deformation.
struct PointSample {
    float L, D, E;
};

// Whether the sample has reached a point of value `target` of the scheme's style, on the stroke toward the
// spring (forward) or back from it (return). A compression spring's displacement falls toward the spring, a
// tension spring's rises; deformations and loads grow toward the spring for both.
bool forwardPointReached(SchemeStyle style, bool compression, const PointSample& s, double target);
bool returnPointReached(SchemeStyle style, bool compression, const PointSample& s, double target);

// numerator / denominator as a stored result; NaN (an empty cell) when the denominator is zero or either has
// no value.
float resultRatio(double numerator, double denominator);

}  // namespace springtest
