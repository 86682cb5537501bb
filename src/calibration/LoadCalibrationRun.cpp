#include "calibration/LoadCalibrationRun.h"

#include "calibration/ReferenceForce.h"
#include "measurement/CardSlot.h"
#include "measurement/Tload.h"

namespace springtest {

QString checkCalibrationPoints(const std::vector<double>& points, double range) {
    if (points.empty() || points.size() > 3)
        return QStringLiteral("give one to three calibration points, not %1").arg(points.size());
    double previous = 0.0;
    for (double p : points) {
        if (!(p > previous))
            return QStringLiteral("each calibration point must be above 0 and above the one before it (%1)")
                .arg(p);
        if (p > range)
            return QStringLiteral("the calibration point %1 is beyond the gear's range of %2")
                .arg(p)
                .arg(range);
        previous = p;
    }
    return {};
}

LoadCalibrationRun::LoadCalibrationRun(CardSlot& card, ReferenceForce& reference, LoadDriveSettings settings,
                                       LoadDrive::Pause pause)
    : m_card(card),
      m_reference(reference),
      m_drive(card, LoadSide::Compression, settings, std::move(pause)) {}

namespace {

QString calibrationRefusal(const Tload::CalibrationOutcome& outcome) {
    using Status = Tload::CalibrationOutcome::Status;
    switch (outcome.status) {
        case Status::Ok:
            return {};
        case Status::ZeroDivisor:
            return QStringLiteral(
                "the load count is the same as at the point before: the point is not stored");
        case Status::WriteFailed:
            return outcome.writeError;
        case Status::BadKind:
            break;
    }
    return QStringLiteral("no such calibration point");
}

}  // namespace

LoadCalibrationOutcome LoadCalibrationRun::run(int gear, LoadSide side, const std::vector<double>& points) {
    LoadCalibrationOutcome outcome;
    Tload& load = *m_card.load;
    if (gear < 1 || gear > load.gearTotal()) {
        outcome.error =
            QStringLiteral("the load channel has gears 1 to %1, not %2").arg(load.gearTotal()).arg(gear);
        return outcome;
    }
    outcome.error = checkCalibrationPoints(points, load.GetGearRecord(gear).range);
    if (!outcome.error.isEmpty()) return outcome;

    m_drive.setSide(side);
    FixedGear fixed(load, gear);
    const auto failed = [&](const QString& why) {
        outcome.error = why;
        // Whatever went wrong, the standard is not left under load.
        if (!m_drive.cancelled()) m_drive.unload();
        return outcome;
    };

    // The zero is taken with nothing on the machine: the points count from it.
    if (!m_drive.unload() || !m_drive.settledReading()) return failed(m_drive.error());
    if (QString error; !load.ClearLoadZero(&error)) return failed(error);

    const int firstKind = side == LoadSide::Compression ? 1 : 4;
    for (size_t i = 0; i < points.size(); ++i) {
        if (!m_drive.loadTo(points[i])) return failed(m_drive.error());
        const std::optional<HeldReading> held = m_drive.settledReading();
        if (!held) return failed(m_drive.error());
        const std::optional<double> reference = m_reference.reference(points[i]);
        if (!reference) return failed(QStringLiteral("no reading of the force standard: calibration ended"));

        CalibratedPoint point;
        point.kind = firstKind + int(i);
        point.nominal = points[i];
        point.indicated = held->mean;
        point.reference = *reference;
        // Tension loads are negative to the load channel.
        const float signedReference = float(side == LoadSide::Compression ? *reference : -*reference);
        const Tload::CalibrationOutcome stored = load.CalibratePoint(point.kind, signedReference);
        if (QString refusal = calibrationRefusal(stored); !refusal.isEmpty()) return failed(refusal);
        point.coefficient = stored.coefficient;
        outcome.points.push_back(point);
        if (onPoint) onPoint(point);
    }
    if (!m_drive.unload()) {
        outcome.error = m_drive.error();
        return outcome;
    }
    outcome.done = true;
    return outcome;
}

}  // namespace springtest
