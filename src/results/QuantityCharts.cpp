#include "results/QuantityCharts.h"

#include <algorithm>
#include <cmath>

namespace springtest {

Histogram quantityHistogram(const Quantity& quantity) {
    Histogram h;
    const QVector<QuantityValue>& values = quantity.values;
    if (values.isEmpty()) return h;
    double lowest = values.first().value, highest = lowest;
    for (const QuantityValue& v : values) {
        lowest = std::min(lowest, v.value);
        highest = std::max(highest, v.value);
    }
    if (!(highest > lowest)) {
        h.lowest = lowest - 0.5;
        h.width = 1;
        h.counts = {static_cast<int>(values.size())};
        return h;
    }
    const int bins = std::clamp(static_cast<int>(std::ceil(std::sqrt(double(values.size())))), 5, 20);
    h.lowest = lowest;
    h.width = (highest - lowest) / bins;
    h.counts.fill(0, bins);
    for (const QuantityValue& v : values) {
        const int bin = std::min(bins - 1, static_cast<int>((v.value - lowest) / h.width));
        ++h.counts[std::max(0, bin)];
    }
    return h;
}

ValueSpan valueSpan(const Quantity& quantity, const QuantityStatistics& statistics) {
    bool any = false;
    double lower = 0, upper = 0;
    const auto take = [&](double v) {
        lower = any ? std::min(lower, v) : v;
        upper = any ? std::max(upper, v) : v;
        any = true;
    };
    if (statistics.minimum) take(*statistics.minimum);
    if (statistics.maximum) take(*statistics.maximum);
    if (quantity.limits) {
        take(quantity.limits->lower);
        take(quantity.limits->upper);
    }
    if (!any) return {};
    if (!(upper > lower)) return {lower - 1, upper + 1};
    const double margin = 0.05 * (upper - lower);
    return {lower - margin, upper + margin};
}

}  // namespace springtest
