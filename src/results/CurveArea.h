#pragma once

#include "results/ResultChart.h"

#include <QString>

namespace springtest {

// The axis-button steps of the result browsers, kept in "init.ini", section "坐标范围".
struct AxisSteps {
    double x = 2;
    double y = 2;
};
AxisSteps readAxisSteps(const QString& applicationFolder);
// The stored texts of the two steps, as the curve area window shows them ("2" when none).
QString storedStepText(const QString& applicationFolder, bool xAxis);

// What the curve area window's six fields hold, as typed.
struct CurveAreaFields {
    QString xMin, xMax, xStep, yMin, yMax, yStep;
};

struct CurveAreaOutcome {
    QString message;  // "最大值不能为空!!!" when a maximum is empty (the axes then stay)
    bool writeFailed = false;
};

// "确定": sets both axes when both maxima are given (an empty minimum means 0; a maximum below its minimum is
// applied as typed), then stores both step texts and applies them to `steps`. Nothing the operator types stops
// the sequence half way: an axis field that is no number counts as 0, a step that is no number as 2 (what the
// browsers read from the file for it).
CurveAreaOutcome applyCurveArea(const QString& applicationFolder, const CurveAreaFields& fields, ResultChart& chart,
                                AxisSteps& steps);

}  // namespace springtest
