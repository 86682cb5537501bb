#pragma once

#include "results/ResultChart.h"

#include <QString>
#include <QStringList>

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
    QStringList messages;  // for the operator, in order
};

// "确定": sets both axes when both maxima are given (an empty minimum means 0; a maximum below its minimum is
// applied as typed; "最大值不能为空!!!" otherwise), then stores both step texts and applies them to `steps`.
// A field that is no number stops the sequence there with the conversion message; what was done before it
// stays done, and a step that is no number is not stored.
CurveAreaOutcome applyCurveArea(const QString& applicationFolder, const CurveAreaFields& fields,
                                ResultChart& chart, AxisSteps& steps);

}  // namespace springtest
