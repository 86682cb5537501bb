#pragma once

#include <QPointF>
#include <QString>
#include <QStringList>
#include <QVector>

#include <array>

#include "platform/OperatorTexts.h"

namespace springtest {

// The replay chart of the result browser as data: four series addressed by position and two manual axes.
// The window draws it; everything that decides what is drawn lives here.
struct ChartSeriesData {
    QVector<QPointF> points;
    QStringList labels;  // one per point; empty texts for unlabelled points
    bool visible = false;
    void clear() {
        points.clear();
        labels.clear();
    }
    void add(QPointF p, const QString& label = {}) {
        points.append(p);
        labels.append(label);
    }
};

struct AxisRange {
    double min = 0;
    double max = 1;
    double step = 0.1;
    void restep() { step = (max - min) / 10; }
};

struct ResultChart {
    enum Series { Curve = 0, Unused = 1, Traversal = 2, Picked = 3 };
    std::array<ChartSeriesData, 4> series;
    AxisRange bottom{0, 5, 0.5};
    AxisRange left{0, 1, 0.1};
    QString title;
    QString bottomTitle = QStringLiteral(" 位移(mm)");
    QString leftTitle = kLoadName;
};

// The chart as a report pictures it: the curve, the picked values and the axes with their titles, without
// what only the window shows (the replayed test's title line, the traversal marker and its label).
ResultChart reportPicture(const ResultChart& chart);

// Axis buttons: a maximum raised by its step; lowered only while it stays above the minimum.
void raiseAxisMaximum(AxisRange& axis, double step);
void lowerAxisMaximum(AxisRange& axis, double step);
// Zoom in moves each end inward by 5 % of the width; zoom out outward by 15 %.
void zoomAxisIn(AxisRange& axis);
void zoomAxisOut(AxisRange& axis);

}  // namespace springtest
