#include "cli/CalibrationMachine.h"

#include "calibration/AuditTrail.h"
#include "calibration/ReferenceForce.h"
#include "cli/CommandOptions.h"
#include "cli/ConsoleOutput.h"
#include "cli/MachineClaim.h"
#include "cli/TerminalPrompts.h"
#include "cli/TestWait.h"
#include "measurement/TMotor.h"
#include "measurement/Tbankhk.h"
#include "measurement/Tload.h"
#include "platform/SteadyClock.h"
#include "platform/WindowTarget.h"
#include "session/MachineSession.h"
#include "session/OverloadRecording.h"
#include "session/SingleInstance.h"
#include "session/TerminationSignals.h"
#include "storage/Schema.h"

#include <QDateTime>
#include <QFileInfo>

#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>

namespace springtest {

LoadDriveSettings driveSettings(CommandOptions& options) {
    LoadDriveSettings settings;
    if (const auto speed = options.number(QStringLiteral("speed"), 0.01, 1000))
        settings.loadingSpeed_mm_per_min = float(*speed);
    if (const auto approach = options.number(QStringLiteral("approach-speed"), 0.01, 1000))
        settings.approachSpeed_mm_per_min = float(*approach);
    if (const auto settle = options.integer(QStringLiteral("settle"), 0, 600000))
        settings.settle_ms = *settle;
    return settings;
}

std::optional<std::vector<double>> parseForceList(const QString& text, QString& error) {
    std::vector<double> forces;
    for (const QString& part : text.split(QLatin1Char(','))) {
        bool ok = false;
        const double value = part.trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(value) || value <= 0.0) {
            error = QStringLiteral("'%1' is not a force above 0").arg(part.trimmed());
            return std::nullopt;
        }
        forces.push_back(value);
    }
    return forces;
}

std::unique_ptr<ReferenceForce> referenceForCard(const MachineSession& session, int card, QString& error) {
    if (auto simulated =
            SimulatorReference::find(session.cardModel().driverBase, session.applicationFolder(), card)) {
        if (simulated->present()) return simulated;
        error = QStringLiteral(
                    "card %1 of the simulated machine has no proving ring between its platens to read "
                    "the reference from (specimen = ring in simcard.ini)")
                    .arg(card);
        return nullptr;
    }
    return std::make_unique<PromptedReference>(
        [](const QString& question) -> std::optional<QString> {
            std::fprintf(stderr, "%s", question.toLocal8Bit().constData());
            std::fflush(stderr);
            std::string line;
            if (!std::getline(std::cin, line)) return std::nullopt;
            return QString::fromLocal8Bit(line.c_str());
        },
        [](const QString& message) { printErr(message); });
}

bool recordCalibrationChanges(const QString& applicationFolder, const CardSlot& card,
                              const std::array<GearRecord, kMaxGears>& before, const QString& operatorName) {
    const Tload& load = *card.load;
    QList<AuditEntry> changes = loadCalibrationChanges(QFileInfo(load.channelConfigPath()).fileName(),
                                                       load.gearTotal(), before, gearRecordsOf(load));
    const QDateTime now = QDateTime::currentDateTime();
    for (AuditEntry& change : changes) {
        change.at = now;
        change.operatorName = operatorName;
    }
    const QString error = appendAudit(schemeDatabasePath(applicationFolder), changes);
    if (error.isEmpty()) return true;
    printErr(error);
    return false;
}

int runProcedureOnCard(const QString& applicationFolder, int card, bool assumeYes,
                       const CardProcedure& procedure) {
    SingleInstance lock(applicationFolder);
    if (!claimMachine(applicationFolder, lock)) return 1;
    MachineSession session(applicationFolder);
    TerminalPrompts prompts(assumeYes);
    if (session.start(prompts) != MachineSession::Outcome::Running) return 1;
    std::function<void()> onSignal;
    TerminationSignals termination([&](int) {
        if (onSignal) onSignal();
    });
    if (card >= session.cards().count)
        return operatorError(
            QStringLiteral("--card %1: the machine has %2 card(s)").arg(card).arg(session.cards().count));

    CardSlot& slot = session.cards().cards[size_t(card)];
    OverloadRecorder overloadLog(applicationFolder, [](const QString& error) { printErr(error); });
    WindowTarget overload([&](int) {
        overloadLog.onTrip(slot);
        printErr(QStringLiteral("card %1: load overload, motor stopped").arg(card));
    });
    slot.load->setOverloadTarget(&overload);
    session.startAcquisition(nullptr);

    const LoadDrive::Pause basePause = LoadDrive::defaultPause();
    bool acquisitionEnded = false;
    const LoadDrive::Pause pause = [&] {
        basePause();
        if (acquisitionEnded || session.acquisition()->isRunning()) return;
        acquisitionEnded = true;
        if (onSignal) onSignal();
    };
    // The first readings are in the record before the procedure looks at it.
    for (const uint64_t until = steadyMs() + 100; steadyMs() < until;) pause();

    int rc = procedure(session, slot, pause, onSignal);
    onSignal = {};
    slot.motor->CommandStop();
    slot.load->setOverloadTarget(nullptr);
    if (termination.received() != 0)
        printErr(QStringLiteral("stopped by signal %1").arg(termination.received()));
    // Also when the procedure waited on its own rather than through `pause`.
    acquisitionEnded = acquisitionEnded || !session.acquisition()->isRunning();
    const QString acquisitionError =
        acquisitionEnded ? acquisitionEndText(*session.acquisition()) : QString();
    if (acquisitionEnded) {
        printErr(acquisitionError);
        rc = 1;
    }
    for (const QString& problem : session.shutdown())
        if (problem != acquisitionError) printErr(problem);
    if (termination.received() != 0) rc = exitCodeForSignal(termination.received());
    return rc;
}

ProcedureWait::ProcedureWait(const MachineSession& session, std::function<void()>& onSignal, double timeout_s)
    : m_acquisition(*session.acquisition()), m_onSignal(onSignal), m_timeout_s(timeout_s) {
    m_onSignal = [this] { m_signalled = true; };
}

ProcedureWait::~ProcedureWait() {
    m_onSignal = {};
}

TestEnd ProcedureWait::until(const std::function<bool()>& done) {
    const TestEnd end = waitForTestEnd(
        done, m_acquisition, [this] { return m_signalled; }, static_cast<int>(m_timeout_s * 1000));
    if (end == TestEnd::TimedOut) printErr(QStringLiteral("not done within %1 s: stopped").arg(m_timeout_s));
    return end;
}

}  // namespace springtest
