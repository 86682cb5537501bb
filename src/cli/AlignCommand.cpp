#include "cli/AlignCommand.h"

#include "calibration/PlatenAlignment.h"
#include "cli/CommandOptions.h"
#include "cli/ConsoleOutput.h"
#include "cli/MachineClaim.h"
#include "cli/TerminalPrompts.h"
#include "cli/TestWait.h"
#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tbankhk.h"
#include "measurement/Tload.h"
#include "platform/NumberFormat.h"
#include "platform/WindowTarget.h"
#include "session/MachineSession.h"
#include "session/OverloadRecording.h"
#include "session/SingleInstance.h"
#include "session/TerminationSignals.h"

#include <optional>
#include <variant>

namespace springtest {

namespace {

struct Options {
    float returnHeight_mm = 0;
    int card = 0;
    double timeout_s = 600;
    bool assumeYes = false;
};

std::variant<Options, int> readOptions(const QStringList& args) {
    CommandOptions o(args,
                     {QStringLiteral("return-height"), QStringLiteral("card"), QStringLiteral("timeout")},
                     {QStringLiteral("yes")});
    const auto returnHeight = o.number(QStringLiteral("return-height"), 0, 10000);
    const auto card = o.integer(QStringLiteral("card"), 0, 4);
    const auto timeout = o.number(QStringLiteral("timeout"), 1, 1e6);
    if (!o.ok()) return usageError(o.error());
    if (!returnHeight) return usageError(QStringLiteral("align needs --return-height MM"));
    Options opt;
    opt.returnHeight_mm = static_cast<float>(*returnHeight);
    opt.card = card.value_or(0);
    if (timeout) opt.timeout_s = *timeout;
    opt.assumeYes = o.has(QStringLiteral("yes"));
    return opt;
}

// Waits until the readings of the card have gone round a few times since now, so that what is printed is
// what the card shows after the last command.
void awaitFreshReadings(const Tbankhk& acquisition) {
    const uint64_t cycles = acquisition.cycles();
    waitUntil([&] { return acquisition.cycles() > cycles + 3 || !acquisition.isRunning(); }, 2000);
}

// Why the crosshead no longer moves as the stage needs.
QString stallText(AlignmentStage stage, MotionState s) {
    if (s == MotionState::AtLowerLimit) return QStringLiteral("the crosshead reached its lower limit");
    if (s == MotionState::AtUpperLimit) return QStringLiteral("the crosshead reached its upper limit");
    if (s == MotionState::BlockedByOverload) return QStringLiteral("the load trip blocks the crosshead");
    return stage == AlignmentStage::Approaching
               ? QStringLiteral("the crosshead stopped before the platens touched")
               : QStringLiteral("the crosshead stopped before the return height");
}

int alignOnMachine(CardSlot& slot, const Tbankhk& acquisition, const Options& opt,
                   const TerminationSignals& termination) {
    awaitFreshReadings(acquisition);

    const int loadDecimals = slot.load->decimals();  // of the gear that decides the contact
    const int displacementDecimals = slot.displacement->decimals();
    const float range = slot.load->GetGearRecord(slot.load->currentGear()).range;
    printOut(
        QStringLiteral("approaching: contact at %1 %2 (0.5 % of the gear's range %3), returning to %4 mm")
            .arg(FormatByDecimals(loadDecimals, PlatenAlignment::kContactShare * range), slot.load->Units(),
                 FormatByDecimals(loadDecimals, range),
                 FormatByDecimals(displacementDecimals, opt.returnHeight_mm)));

    PlatenAlignment alignment(slot);
    if (alignment.Start(opt.returnHeight_mm) != PlatenAlignment::StartResult::Started)
        return operatorError(QStringLiteral("the crosshead would not move down: nothing was done"));

    QString failure;
    bool contactTold = false;
    const TestEnd end = waitForTestEnd(
        [&] {
            const AlignmentStage stage = alignment.stage();
            if (stage == AlignmentStage::Returning && !contactTold) {
                contactTold = true;
                printOut(QStringLiteral("platens touched: displacement zeroed, returning"));
            }
            if (alignment.stalled()) failure = stallText(stage, slot.motor->state());
            return stage == AlignmentStage::Idle || !failure.isEmpty();
        },
        acquisition, [&] { return termination.received() != 0; }, static_cast<int>(opt.timeout_s * 1000));
    alignment.Stop();

    switch (end) {
        case TestEnd::Interrupted:
            printErr(QStringLiteral("stopped by signal %1").arg(termination.received()));
            return 1;
        case TestEnd::AcquisitionFailed:
            printErr(acquisitionEndText(acquisition));
            return 1;
        case TestEnd::TimedOut:
            printErr(QStringLiteral("not done within %1 s: stopped").arg(opt.timeout_s));
            return 1;
        case TestEnd::Idle:
            break;
    }
    if (!failure.isEmpty()) return operatorError(failure + QStringLiteral(": stopped"));
    awaitFreshReadings(acquisition);
    printOut(QStringLiteral("back at %1 mm")
                 .arg(FormatByDecimals(displacementDecimals, slot.record.displacement.load())));
    return 0;
}

int align(MachineSession& session, CardSlot& slot, const Options& opt,
          const TerminationSignals& termination) {
    OverloadRecorder overloadLog(session.applicationFolder(), [](const QString& error) { printErr(error); });
    WindowTarget overload([&](int) { overloadLog.onTrip(slot); });
    slot.load->setOverloadTarget(&overload);
    session.startAcquisition(nullptr);
    const Tbankhk& acquisition = *session.acquisition();
    const int exitCode = alignOnMachine(slot, acquisition, opt, termination);
    const QString acquisitionError = acquisition.isRunning() ? QString() : acquisition.lastError();
    // Told already, if the loop failed.
    for (const QString& problem : session.shutdown())
        if (problem != acquisitionError) printErr(problem);
    return exitCode;
}

}  // namespace

int runAlignCommand(const QString& applicationFolder, const QStringList& args) {
    const std::variant<Options, int> read = readOptions(args);
    if (const int* exitCode = std::get_if<int>(&read)) return *exitCode;
    const Options& opt = std::get<Options>(read);

    SingleInstance lock(applicationFolder);
    if (!claimMachine(applicationFolder, lock)) return 1;
    MachineSession session(applicationFolder);
    TerminalPrompts prompts(opt.assumeYes);
    if (session.start(prompts) != MachineSession::Outcome::Running) return 1;
    TerminationSignals termination({});
    if (opt.card >= session.cards().count)
        return operatorError(
            QStringLiteral("--card %1: the machine has %2 card(s)").arg(opt.card).arg(session.cards().count));

    const int exitCode =
        align(session, session.cards().cards[static_cast<size_t>(opt.card)], opt, termination);
    return termination.received() != 0 ? exitCodeForSignal(termination.received()) : exitCode;
}

}  // namespace springtest
