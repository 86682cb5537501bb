#include "calibration/VerificationRun.h"

#include "calibration/ReferenceForce.h"
#include "measurement/CardSlot.h"
#include "measurement/Tload.h"

#include <algorithm>
#include <cmath>

namespace springtest {

QString checkVerificationSteps(const std::vector<double>& steps, double range) {
    if (steps.size() < size_t(kMinimumVerificationSteps))
        return QStringLiteral("a verification needs at least %1 force steps, not %2")
            .arg(kMinimumVerificationSteps)
            .arg(steps.size());
    double previous = 0.0;
    for (double s : steps) {
        // A step typed as the range's fifth must not be refused for the last digit of its rounding.
        if (s < 0.2 * range * (1.0 - 1e-6) || s > range * (1.0 + 1e-6))
            return QStringLiteral("the force step %1 is outside 20 %…100 % of the gear's range (%2 … %3)")
                .arg(s)
                .arg(0.2 * range)
                .arg(range);
        if (!(s > previous))
            return QStringLiteral("each force step must be above the one before it (%1)").arg(s);
        previous = s;
    }
    return {};
}

double displayStepOf(int decimals, double countCoefficient) {
    return std::max(std::pow(10.0, -decimals), std::abs(countCoefficient));
}

VerificationRun::VerificationRun(CardSlot& card, ReferenceForce& reference, LoadDriveSettings settings,
                                 LoadDrive::Pause pause)
    : m_card(card),
      m_reference(reference),
      m_drive(card, LoadSide::Compression, settings, std::move(pause)) {}

VerificationRunOutcome VerificationRun::run(int gear, const std::vector<double>& steps) {
    VerificationRunOutcome outcome;
    Tload& load = *m_card.load;
    if (gear < 1 || gear > load.gearTotal()) {
        outcome.error =
            QStringLiteral("the load channel has gears 1 to %1, not %2").arg(load.gearTotal()).arg(gear);
        return outcome;
    }
    const GearRecord record = load.GetGearRecord(gear);
    outcome.error = checkVerificationSteps(steps, record.range);
    if (!outcome.error.isEmpty()) return outcome;

    FixedGear fixed(load, gear);
    const auto failed = [&](const QString& why) {
        outcome.error = why;
        // Whatever went wrong, the standard is not left under load.
        if (!m_drive.cancelled()) m_drive.unload();
        return outcome;
    };

    VerificationInput& input = outcome.readings;
    input.range_n = record.range;
    input.displayStep_n = displayStepOf(record.decimals, record.pressCoefficient[0]);
    double zeroLowest = HUGE_VAL;
    double zeroHighest = -HUGE_VAL;
    const auto readZero = [&](double& into) {
        const std::optional<HeldReading> zero = m_drive.settledReading();
        if (!zero) return false;
        into = zero->mean;
        zeroLowest = std::min(zeroLowest, zero->lowest);
        zeroHighest = std::max(zeroHighest, zero->highest);
        return true;
    };

    for (int s = 1; s <= kMinimumVerificationSeries; ++s) {
        VerificationSeries series;
        if (!m_drive.unload() || !m_drive.settledReading()) return failed(m_drive.error());
        // The indicator is set to zero before each series, as the standard asks.
        if (QString error; !load.ClearLoadZero(&error)) return failed(error);
        if (!readZero(series.zeroBefore_n)) return failed(m_drive.error());
        for (size_t i = 0; i < steps.size(); ++i) {
            if (!m_drive.loadTo(steps[i])) return failed(m_drive.error());
            const std::optional<HeldReading> held = m_drive.settledReading();
            if (!held) return failed(m_drive.error());
            const std::optional<double> reference = m_reference.reference(steps[i]);
            if (!reference)
                return failed(QStringLiteral("no reading of the force standard: verification ended"));
            const ForceReading reading{*reference, held->mean};
            series.readings.push_back(reading);
            if (onReading) onReading(s, int(i) + 1, reading);
        }
        if (!m_drive.unload() || !readZero(series.zeroAfter_n)) return failed(m_drive.error());
        input.series.push_back(series);
    }
    input.zeroFluctuation_n = zeroHighest - zeroLowest;
    outcome.done = true;
    return outcome;
}

}  // namespace springtest
