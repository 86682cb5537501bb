#pragma once

#include <QList>
#include <QString>
#include <QVector>

#include <optional>

namespace springtest {

// The tolerance of a quantity: a value above `upper` is above it, one below `lower` below it, every other
// within; a value equal to a limit is within. The same rule judges a single test's value.
struct QuantityLimits {
    double upper = 0;
    double lower = 0;
};

// One stored value of a quantity and the test it belongs to.
struct QuantityValue {
    int test = 0;  // the test serial (序号)
    double value = 0;
};

// Something measured on every test of a batch, as a browser reads it from its table: a point's value on one
// stroke, a stiffness, a height. Each browser (standard, leaf spring, lateral) names its own quantities and
// hands over their values in test order; the statistics know nothing of tables.
struct Quantity {
    QString name;  // in the operator's words, as the browser's grid titles it: "结果1 进", "弹簧高度"
    QString column;    // the stored column it comes from: "result1", "height"
    QString stroke;    // "进" or "回" where the quantity belongs to one stroke, else empty
    QString unit;      // "N", "mm", "N/mm"
    int decimals = 3;  // as the values were stored; for showing them
    std::optional<QuantityLimits> limits;  // none where the scheme sets none
    QVector<QuantityValue> values;         // in test order; an empty cell gives no value at all
};

// The statistics of one quantity. A figure that cannot be had is absent, never 0 or infinite: no mean,
// minimum, maximum or range without a value; no standard deviation with fewer than two values; no Cp or Cpk
// without limits or with a standard deviation of 0; no counts without limits.
struct QuantityStatistics {
    int n = 0;
    std::optional<double> mean;
    std::optional<double> standardDeviation;  // of a sample: divided by n − 1
    std::optional<double> minimum;
    std::optional<double> maximum;
    std::optional<double> range;
    std::optional<double> cp;   // (upper − lower) / 6s
    std::optional<double> cpk;  // min(upper − mean, mean − lower) / 3s
    std::optional<int> within;
    std::optional<int> above;
    std::optional<int> below;
};

QuantityStatistics quantityStatistics(const Quantity& quantity);

struct QuantityRow {
    Quantity quantity;
    QuantityStatistics statistics;
};

// The statistics of each quantity, in the order given.
QList<QuantityRow> batchStatistics(const QList<Quantity>& quantities);

// Where a value stands against limits: +1 above, −1 below, 0 within.
int limitSide(double value, const QuantityLimits& limits);

}  // namespace springtest
