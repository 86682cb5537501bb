#pragma once

#include "storage/FullRateCurve.h"

#include <QPointF>
#include <QString>
#include <QVector>

namespace springtest {

// The width a replayed full-rate curve is reduced for when the chart has not said its own.
inline constexpr int kDefaultCurveColumns = 1000;

// What the operator is told when a test's full-rate curve cannot be read: its 100 ms curve is shown instead.
inline const QString kFullRateCurveUnreadable = QStringLiteral("全速率曲线无法读取，显示的是每100毫秒的曲线");

// The load curve of a full-rate recording as the charts draw it: deformation or displacement across, the
// load's magnitude up, as the 100 ms rows hold it.
QVector<QPointF> loadCurvePoints(const FullRateCurve& curve, bool deformation);

}  // namespace springtest
