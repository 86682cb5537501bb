#include "cli/VerifyCommand.h"

#include "calibration/AuditTrail.h"
#include "calibration/ReferenceForce.h"
#include "calibration/VerificationRecord.h"
#include "calibration/VerificationRun.h"
#include "cli/CalibrationMachine.h"
#include "cli/CallerFolder.h"
#include "cli/CommandOptions.h"
#include "cli/ConsoleOutput.h"
#include "measurement/CardSlot.h"
#include "measurement/Tload.h"
#include "platform/OperatorIdentity.h"
#include "storage/Schema.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <optional>

namespace springtest {

namespace {

struct Options {
    int card = 0;
    int gear = 1;
    std::optional<std::vector<double>> steps;  // the default steps of the gear's range when not given
    QString report;                            // the default name under report/ when empty
    QString operatorName;
    LoadDriveSettings drive;
    bool assumeYes = false;
};

std::optional<Options> readOptions(const QStringList& args, QString& error) {
    CommandOptions o(args,
                     QStringList{QStringLiteral("card"), QStringLiteral("gear"), QStringLiteral("steps"),
                                 QStringLiteral("report"), QStringLiteral("operator")} +
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
    if (!gear) {
        error = QStringLiteral("verify needs --gear");
        return std::nullopt;
    }
    opt.card = card.value_or(0);
    opt.gear = *gear;
    if (o.has(QStringLiteral("steps"))) {
        opt.steps = parseForceList(o.text(QStringLiteral("steps")), error);
        if (!opt.steps) return std::nullopt;
    }
    opt.report = o.text(QStringLiteral("report"));
    opt.operatorName = o.text(QStringLiteral("operator")).trimmed();
    if (opt.operatorName.isEmpty()) opt.operatorName = currentOperatorName();
    opt.assumeYes = o.has(QStringLiteral("yes"));
    return opt;
}

QString reportPath(const QString& applicationFolder, const Options& opt, const QDateTime& at) {
    if (!opt.report.isEmpty()) return callerPath(opt.report);
    return QDir(applicationFolder)
        .filePath(QStringLiteral("report/force-verification-card%1-gear%2-%3.pdf")
                      .arg(opt.card)
                      .arg(opt.gear)
                      .arg(at.toString(QStringLiteral("yyyyMMdd-HHmmss"))));
}

void printResult(const VerificationResult& r) {
    printOut(QStringLiteral("step  F          q %       b %      a %      class"));
    for (size_t i = 0; i < r.steps.size(); ++i) {
        const StepEvaluation& s = r.steps[i];
        printOut(QStringLiteral("%1  %2  %3  %4  %5  %6")
                     .arg(i + 1, 4)
                     .arg(s.reference_n, 9, 'f', 2)
                     .arg(s.indicationError_pct, 8, 'f', 3)
                     .arg(s.repeatability_pct, 7, 'f', 3)
                     .arg(s.resolution_pct, 7, 'f', 3)
                     .arg(classText(s.stepClass)));
    }
    printOut(QStringLiteral("zero error f0: %1 %").arg(r.zeroError_pct, 0, 'f', 3));
    printOut(QStringLiteral("class: %1").arg(classText(r.verificationClass)));
}

}  // namespace

int runVerifyCommand(const QString& applicationFolder, const QStringList& args) {
    QString error;
    const std::optional<Options> opt = readOptions(args, error);
    if (!opt) return usageError(error);

    return runProcedureOnCard(
        applicationFolder, opt->card, opt->assumeYes,
        [&](MachineSession& session, CardSlot& card, const LoadDrive::Pause& pause,
            std::function<void()>& onSignal) {
            Tload& load = *card.load;
            if (opt->gear > load.gearTotal())
                return operatorError(QStringLiteral("the load channel has gears 1 to %1, not %2")
                                         .arg(load.gearTotal())
                                         .arg(opt->gear));
            const double range = load.GetGearRecord(opt->gear).range;
            const std::vector<double> steps = opt->steps.value_or(defaultVerificationSteps(range));
            if (QString refusal = checkVerificationSteps(steps, range); !refusal.isEmpty())
                return operatorError(refusal);

            QString noReference;
            const std::unique_ptr<ReferenceForce> reference =
                referenceForCard(session, opt->card, noReference);
            if (!reference) return operatorError(noReference);
            VerificationRun run(card, *reference, opt->drive, pause);
            onSignal = [&run] { run.cancel(); };
            run.onReading = [](int series, int step, const ForceReading& r) {
                printOut(QStringLiteral("series %1 step %2: reference %3, indicated %4")
                             .arg(series)
                             .arg(step)
                             .arg(r.reference_n, 0, 'f', 2)
                             .arg(r.indicated_n, 0, 'f', 2));
            };
            printOut(QStringLiteral("verifying card %1, gear %2 (range %3 %4), reference: %5")
                         .arg(opt->card)
                         .arg(opt->gear)
                         .arg(range)
                         .arg(load.Units(), reference->source()));
            // Found out after a whole verification, a report that may not be written would be too late to
            // mend.
            if (!opt->report.isEmpty() && QFileInfo::exists(callerPath(opt->report)))
                return operatorError(QStringLiteral("%1 exists already; the report is not written over it")
                                         .arg(QDir::toNativeSeparators(callerPath(opt->report))));
            const GearRecords before = gearRecordsOf(load);
            const VerificationRunOutcome outcome = run.run(opt->gear, steps);
            onSignal = {};
            // Zeroing before each series changes the gear's zero in the channel's file.
            const bool recorded =
                recordCalibrationChanges(applicationFolder, card, before, opt->operatorName);
            if (!outcome.done)
                return operatorError(QStringLiteral("verification not finished: %1").arg(outcome.error));
            const VerificationEvaluation evaluation = evaluateVerification(outcome.readings);
            if (!evaluation.result) return operatorError(evaluation.refusal);
            printResult(*evaluation.result);

            VerificationRecord record;
            record.card = opt->card;
            record.gear = opt->gear;
            record.verifiedAt = QDateTime::currentDateTime();
            record.operatorName = opt->operatorName;
            record.referenceSource = reference->source();
            record.units = load.Units();
            record.readings = outcome.readings;
            record.result = *evaluation.result;
            // Neither keeps the other from being written: a report without its row, or the other way round,
            // still keeps the readings.
            int rc = !recorded ? 1 : record.result.verificationClass == VerificationClass::None ? 3 : 0;
            if (QString stored = storeVerification(schemeDatabasePath(applicationFolder), record);
                !stored.isEmpty()) {
                printErr(stored);
                rc = 1;
            }
            const QString path = reportPath(applicationFolder, *opt, record.verifiedAt);
            QDir().mkpath(QFileInfo(path).absolutePath());
            if (QString written = writeVerificationReport(path, record); !written.isEmpty()) {
                printErr(written);
                rc = 1;
            } else {
                printOut(QStringLiteral("report: %1").arg(QDir::toNativeSeparators(path)));
            }
            return rc;
        });
}

}  // namespace springtest
