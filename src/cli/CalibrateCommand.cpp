#include "cli/CalibrateCommand.h"

#include "calibration/AuditTrail.h"
#include "calibration/LoadCalibrationRun.h"
#include "calibration/ReferenceForce.h"
#include "calibration/VerificationRecord.h"
#include "cli/CalibrationMachine.h"
#include "cli/CommandOptions.h"
#include "cli/ConsoleOutput.h"
#include "measurement/CardSlot.h"
#include "measurement/Tload.h"
#include "platform/NumberFormat.h"
#include "platform/OperatorIdentity.h"

#include <optional>

namespace springtest {

namespace {

struct Options {
    int card = 0;
    int gear = 1;
    LoadSide side = LoadSide::Compression;
    std::vector<double> points;
    LoadDriveSettings drive;
    QString operatorName;
    bool assumeYes = false;
};

std::optional<Options> readOptions(const QStringList& args, QString& error) {
    CommandOptions o(
        args,
        QStringList{QStringLiteral("card"), QStringLiteral("gear"), QStringLiteral("side"),
                    QStringLiteral("points"), QStringLiteral("direction"), QStringLiteral("operator")} +
            kDriveOptions,
        {QStringLiteral("yes")});
    Options opt;
    const auto card = o.integer(QStringLiteral("card"), 0, 4);
    const auto gear = o.integer(QStringLiteral("gear"), 1, 6);
    opt.drive = driveSettings(o);
    if (!o.ok()) {
        error = o.error();
        return std::nullopt;
    }
    if (!o.has(QStringLiteral("gear")) || !o.has(QStringLiteral("points"))) {
        error = QStringLiteral("calibrate needs --gear and --points");
        return std::nullopt;
    }
    opt.card = card.value_or(0);
    opt.gear = *gear;
    const QString side = o.text(QStringLiteral("side"), QStringLiteral("compression"));
    if (side != QLatin1String("compression") && side != QLatin1String("tension")) {
        error = QStringLiteral("--side must be compression or tension, not %1").arg(side);
        return std::nullopt;
    }
    opt.side = side == QLatin1String("tension") ? LoadSide::Tension : LoadSide::Compression;
    // Tension loads the cell in tension on the machines that stretch upward; a fixture that does it going
    // down says so.
    const QString direction =
        o.text(QStringLiteral("direction"),
               opt.side == LoadSide::Compression ? QStringLiteral("down") : QStringLiteral("up"));
    if (direction != QLatin1String("down") && direction != QLatin1String("up")) {
        error = QStringLiteral("--direction must be down or up, not %1").arg(direction);
        return std::nullopt;
    }
    opt.drive.loadDownward = direction == QLatin1String("down");
    const auto points = parseForceList(o.text(QStringLiteral("points")), error);
    if (!points) return std::nullopt;
    opt.points = *points;
    opt.operatorName = o.text(QStringLiteral("operator")).trimmed();
    if (opt.operatorName.isEmpty()) opt.operatorName = currentOperatorName();
    opt.assumeYes = o.has(QStringLiteral("yes"));
    return opt;
}

}  // namespace

int runCalibrateCommand(const QString& applicationFolder, const QStringList& args) {
    QString error;
    const std::optional<Options> opt = readOptions(args, error);
    if (!opt) return usageError(error);

    return runProcedureOnCard(
        applicationFolder, opt->card, opt->assumeYes,
        [&](MachineSession& session, CardSlot& card, const LoadDrive::Pause& pause,
            std::function<void()>& onSignal) {
            QString noReference;
            const std::unique_ptr<ReferenceForce> reference =
                referenceForCard(session, opt->card, noReference);
            if (!reference) return operatorError(noReference);
            LoadCalibrationRun run(card, *reference, opt->drive, pause);
            onSignal = [&run] { run.cancel(); };
            const int decimals = card.load->GetGearRecord(opt->gear).decimals;
            run.onPoint = [&](const CalibratedPoint& p) {
                printOut(QStringLiteral("point %1: indicated %2, reference %3, coefficient %4")
                             .arg(p.kind)
                             .arg(FormatByDecimals(decimals, p.indicated),
                                  FormatByDecimals(decimals, p.reference), p.coefficient));
            };
            printOut(QStringLiteral("calibrating card %1, gear %2, %3 side, reference: %4")
                         .arg(opt->card)
                         .arg(opt->gear)
                         .arg(opt->side == LoadSide::Compression ? QStringLiteral("compression")
                                                                 : QStringLiteral("tension"),
                              reference->source()));
            const GearRecords before = gearRecordsOf(*card.load);
            const LoadCalibrationOutcome outcome = run.run(opt->gear, opt->side, opt->points);
            onSignal = {};
            // Whatever the run stored before it ended is a change of the calibration like any other.
            const bool recorded =
                recordCalibrationChanges(applicationFolder, card, before, opt->operatorName);
            if (!outcome.done)
                return operatorError(QStringLiteral("calibration not finished: %1 (%2 of %3 points stored)")
                                         .arg(outcome.error)
                                         .arg(outcome.points.size())
                                         .arg(opt->points.size()));
            printOut(QStringLiteral("calibration stored: %1 point(s)").arg(outcome.points.size()));
            return recorded ? 0 : 1;
        });
}

}  // namespace springtest
