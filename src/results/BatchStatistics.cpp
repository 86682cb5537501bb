#include "results/BatchStatistics.h"

#include <algorithm>
#include <cmath>

namespace springtest {

int limitSide(double value, const QuantityLimits& limits) {
    if (value > limits.upper) return 1;
    if (value < limits.lower) return -1;
    return 0;
}

QuantityStatistics quantityStatistics(const Quantity& quantity) {
    QuantityStatistics s;
    const QVector<QuantityValue>& values = quantity.values;
    s.n = static_cast<int>(values.size());
    if (quantity.limits) {
        int above = 0, below = 0;
        for (const QuantityValue& v : values) {
            const int side = limitSide(v.value, *quantity.limits);
            above += side > 0;
            below += side < 0;
        }
        s.above = above;
        s.below = below;
        s.within = s.n - above - below;
    }
    if (s.n == 0) return s;

    // Two passes: the mean first, then the deviations from it, which keeps the variance of values far from
    // zero (heights of 200 mm varying in the third decimal) as exact as the values themselves.
    double sum = 0, lowest = values.first().value, highest = lowest;
    for (const QuantityValue& v : values) {
        sum += v.value;
        lowest = std::min(lowest, v.value);
        highest = std::max(highest, v.value);
    }
    const double mean = sum / s.n;
    s.mean = mean;
    s.minimum = lowest;
    s.maximum = highest;
    s.range = highest - lowest;
    if (s.n < 2) return s;

    // Equal values vary by nothing, however their mean rounds.
    double squares = 0;
    if (highest > lowest)
        for (const QuantityValue& v : values) squares += (v.value - mean) * (v.value - mean);
    const double sd = std::sqrt(squares / (s.n - 1));
    s.standardDeviation = sd;
    if (!quantity.limits || !(sd > 0)) return s;
    const QuantityLimits& l = *quantity.limits;
    s.cp = (l.upper - l.lower) / (6 * sd);
    s.cpk = std::min(l.upper - mean, mean - l.lower) / (3 * sd);
    return s;
}

QList<QuantityRow> batchStatistics(const QList<Quantity>& quantities) {
    QList<QuantityRow> rows;
    rows.reserve(quantities.size());
    for (const Quantity& q : quantities) rows.append({q, quantityStatistics(q)});
    return rows;
}

}  // namespace springtest
