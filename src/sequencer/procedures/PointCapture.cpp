#include "sequencer/procedures/PointCapture.h"

#include <cmath>
#include <limits>

namespace springtest {

bool forwardPointReached(SchemeStyle style, bool compression, const PointSample& s, double target) {
    switch (style) {
        case SchemeStyle::DisplacementLoad:
            return compression ? s.D <= target : s.D >= target;
        case SchemeStyle::DeformationLoad:
            return s.E >= target;
        case SchemeStyle::LoadDisplacement:
        case SchemeStyle::LoadDeformation:
            return s.L >= target;
    }
    return false;
}

bool returnPointReached(SchemeStyle style, bool compression, const PointSample& s, double target) {
    switch (style) {
        case SchemeStyle::DisplacementLoad:
            return compression ? s.D >= target : s.D <= target;
        case SchemeStyle::DeformationLoad:
            return s.E <= target;
        case SchemeStyle::LoadDisplacement:
        case SchemeStyle::LoadDeformation:
            return s.L <= target;
    }
    return false;
}

float resultRatio(double numerator, double denominator) {
    if (denominator == 0.0 || std::isnan(numerator) || std::isnan(denominator))
        return std::numeric_limits<float>::quiet_NaN();
    return static_cast<float>(numerator / denominator);
}

}  // namespace springtest
