#pragma once

#include "results/BatchStatistics.h"

#include <QVector>

#include <optional>

namespace springtest {

// A histogram of a quantity's values: `counts[i]` values lie in [lowest + i·width, lowest + (i+1)·width),
// the last bin closed on its right, so that every value is counted once.
struct Histogram {
    double lowest = 0;
    double width = 0;
    QVector<int> counts;
};

// Bins of equal width over the values' range: about √n of them (5 to 20), so a batch of 30 shows its shape
// and one of 10,000 stays readable. Values all alike, or a single one, make one bin of width 1 around them.
// No values, no bins.
Histogram quantityHistogram(const Quantity& quantity);

// What a run chart and a histogram span on their value axis: the values, the limits and the mean, with a
// margin of 5 % of that span on each side (±1 when everything is one number).
struct ValueSpan {
    double lower = 0;
    double upper = 1;
};
ValueSpan valueSpan(const Quantity& quantity, const QuantityStatistics& statistics);

}  // namespace springtest
