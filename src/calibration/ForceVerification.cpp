#include "calibration/ForceVerification.h"

#include <algorithm>
#include <cmath>

namespace springtest {

namespace {

// Values on a class limit meet it: a reading of exactly 0.5 % is within class 0.5. Rounding in the sums
// must not push a value on the limit over it.
bool within(double value, double limit) {
    return std::abs(value) <= limit * (1.0 + 1e-9);
}

QString checkShape(const VerificationInput& input) {
    if (!(input.range_n > 0.0)) return QStringLiteral("the gear has no range to verify against");
    if (input.series.size() < size_t(kMinimumVerificationSeries))
        return QStringLiteral("a verification needs %1 series, not %2")
            .arg(kMinimumVerificationSeries)
            .arg(input.series.size());
    const size_t steps = input.series.front().readings.size();
    if (steps < size_t(kMinimumVerificationSteps))
        return QStringLiteral("a verification needs at least %1 force steps, not %2")
            .arg(kMinimumVerificationSteps)
            .arg(steps);
    for (const VerificationSeries& s : input.series) {
        if (s.readings.size() != steps) return QStringLiteral("the series do not have the same steps");
        for (const ForceReading& r : s.readings)
            if (!(r.reference_n > 0.0) || !std::isfinite(r.indicated_n))
                return QStringLiteral("a reference force of %1 N cannot be verified against")
                    .arg(r.reference_n);
    }
    return {};
}

}  // namespace

VerificationClass classMet(double indicationError_pct, double repeatability_pct, double resolution_pct,
                           double zeroError_pct) {
    for (const ClassLimits& l : kClassLimits)
        if (within(indicationError_pct, l.indicationError_pct) &&
            within(repeatability_pct, l.repeatability_pct) && within(resolution_pct, l.resolution_pct) &&
            within(zeroError_pct, l.zeroError_pct))
            return l.verificationClass;
    return VerificationClass::None;
}

VerificationEvaluation evaluateVerification(const VerificationInput& input) {
    if (QString refusal = checkShape(input); !refusal.isEmpty()) return {std::nullopt, refusal};

    VerificationResult result;
    result.resolution_n = input.zeroFluctuation_n > input.displayStep_n
                              ? input.zeroFluctuation_n / 2.0 + input.displayStep_n
                              : input.displayStep_n;
    for (const VerificationSeries& s : input.series) {
        const double residual = s.zeroAfter_n - s.zeroBefore_n;
        if (std::abs(residual) > std::abs(result.zeroError_pct * input.range_n / 100.0))
            result.zeroError_pct = residual / input.range_n * 100.0;
    }

    const size_t steps = input.series.front().readings.size();
    const double seriesCount = double(input.series.size());
    VerificationClass worst = VerificationClass::Class05;
    for (size_t i = 0; i < steps; ++i) {
        double reference = 0.0;
        for (const VerificationSeries& s : input.series) reference += s.readings[i].reference_n;
        reference /= seriesCount;

        double sum = 0.0;
        double lowest = HUGE_VAL;
        double highest = -HUGE_VAL;
        for (const VerificationSeries& s : input.series) {
            const ForceReading& r = s.readings[i];
            const double indicated = r.indicated_n * reference / r.reference_n;
            sum += indicated;
            lowest = std::min(lowest, indicated);
            highest = std::max(highest, indicated);
        }
        StepEvaluation step;
        step.reference_n = reference;
        step.meanIndicated_n = sum / seriesCount;
        step.indicationError_pct = (step.meanIndicated_n - reference) / reference * 100.0;
        step.repeatability_pct = step.meanIndicated_n != 0.0
                                     ? (highest - lowest) / std::abs(step.meanIndicated_n) * 100.0
                                     : HUGE_VAL;
        step.resolution_pct = result.resolution_n / reference * 100.0;
        step.stepClass = classMet(step.indicationError_pct, step.repeatability_pct, step.resolution_pct,
                                  result.zeroError_pct);
        worst = std::max(worst, step.stepClass);
        result.steps.push_back(step);
    }
    result.verificationClass = worst;
    return {result, {}};
}

QString classText(VerificationClass c) {
    switch (c) {
        case VerificationClass::Class05:
            return QStringLiteral("0.5");
        case VerificationClass::Class1:
            return QStringLiteral("1");
        case VerificationClass::Class2:
            return QStringLiteral("2");
        case VerificationClass::Class3:
            return QStringLiteral("3");
        case VerificationClass::None:
            break;
    }
    return QStringLiteral("none");
}

std::vector<double> defaultVerificationSteps(double range_n) {
    return {0.2 * range_n, 0.4 * range_n, 0.6 * range_n, 0.8 * range_n, range_n};
}

}  // namespace springtest
