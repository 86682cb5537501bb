#include "results/FullRateReplay.h"

#include <cmath>

namespace springtest {

QVector<QPointF> loadCurvePoints(const FullRateCurve& curve, bool deformation) {
    QVector<QPointF> points;
    points.reserve(static_cast<qsizetype>(curve.size()));
    for (const FullRateReading& r : curve)
        points.append(QPointF(deformation ? r.deformation_mm : r.displacement_mm, std::fabs(r.load)));
    return points;
}

}  // namespace springtest
