#include "results/ResultChart.h"

namespace springtest {

void raiseAxisMaximum(AxisRange& axis, double step) {
    axis.max += step;
    axis.restep();
}

void lowerAxisMaximum(AxisRange& axis, double step) {
    if (axis.max - step <= axis.min) return;
    axis.max -= step;
    axis.restep();
}

void zoomAxisIn(AxisRange& axis) {
    const double w = axis.max - axis.min;
    axis.min += 0.05 * w;
    axis.max -= 0.05 * w;
    axis.restep();
}

void zoomAxisOut(AxisRange& axis) {
    const double w = axis.max - axis.min;
    axis.min -= 0.15 * w;
    axis.max += 0.15 * w;
    axis.restep();
}

ResultChart reportPicture(const ResultChart& chart) {
    ResultChart picture = chart;
    picture.title.clear();
    picture.series[ResultChart::Traversal].clear();
    picture.series[ResultChart::Traversal].visible = false;
    return picture;
}

}  // namespace springtest
