#include "cli/CompensateCommand.h"

#include "calibration/CompensationRun.h"
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
#include "platform/Prompts.h"
#include "platform/WindowTarget.h"
#include "session/MachineSession.h"
#include "session/OverloadRecording.h"
#include "session/SingleInstance.h"
#include "session/TerminationSignals.h"

#include <unistd.h>

#include <optional>
#include <variant>

namespace springtest {

namespace {

struct Options {
    int card = 0;
    CompensationSettings settings;
    double timeout_s = 600;
    bool assumeYes = false;
};

std::variant<Options, int> readOptions(const QStringList& args) {
    CommandOptions o(args,
                     {QStringLiteral("card"), QStringLiteral("load"), QStringLiteral("speed"),
                      QStringLiteral("loading-speed"), QStringLiteral("timeout")},
                     {QStringLiteral("yes")});
    const auto card = o.integer(QStringLiteral("card"), 0, 4);
    const auto load = o.number(QStringLiteral("load"), 1e-6, 1e9);
    const auto speed = o.number(QStringLiteral("speed"), 0.001, 1000);
    const auto loadingSpeed = o.number(QStringLiteral("loading-speed"), 0.001, 100);
    const auto timeout = o.number(QStringLiteral("timeout"), 1, 1e6);
    if (!o.ok()) return usageError(o.error());
    Options opt;
    opt.card = card.value_or(0);
    if (load) opt.settings.targetLoad = static_cast<float>(*load);
    if (speed) opt.settings.approachSpeed_mm_per_min = static_cast<float>(*speed);
    if (loadingSpeed) opt.settings.loadingSpeed_mm_per_min = static_cast<float>(*loadingSpeed);
    if (timeout) opt.timeout_s = *timeout;
    opt.assumeYes = o.has(QStringLiteral("yes"));
    return opt;
}

void awaitFreshReadings(const Tbankhk& acquisition) {
    const uint64_t cycles = acquisition.cycles();
    waitUntil([&] { return acquisition.cycles() > cycles + 3 || !acquisition.isRunning(); }, 2000);
}

// Takes the load off the frame again: up slowly until the platens no longer press.
void unload(CardSlot& slot, const Tbankhk& acquisition, const CompensationSettings& settings) {
    TMotor& motor = *slot.motor;
    motor.SetSpeed(settings.loadingSpeed_mm_per_min * 4.0f);
    if (!motor.CommandUp()) return;
    const float released = CompensationRun::kContactShare * slot.load->fullRange();
    waitUntil([&] { return slot.record.load.load() < released || !acquisition.isRunning(); }, 60000);
    motor.CommandStop();
}

// The measured values through the window's own computation; the exit code.
int store(CardSlot& slot, const CompensationRun::Measurement& m, bool assumeYes) {
    ScriptedPrompts answers;
    if (compensationAsksToContinue(slot)) {
        printErr(kCompensationBelowRangeQuestion);
        answers.answers = {assumeYes || (isatty(STDIN_FILENO) && terminalAnswersYes())};
    }
    setPrompts(&answers);
    const CompensationOutcome outcome = applyCompensation(slot, QString::number(m.loadSpan(), 'f', 3),
                                                          QString::number(m.deformation_mm, 'f', 7));
    setPrompts(nullptr);
    switch (outcome.result) {
        case CompensationResult::Stored:
            printOut(QStringLiteral("compensation coefficient %1 mm per %2 stored")
                         .arg(FormatCoefficient(outcome.coefficient), slot.load->Units()));
            return 0;
        case CompensationResult::Declined:
            printErr(QStringLiteral("not stored"));
            return 1;
        default:
            printErr(outcome.message);
            return 1;
    }
}

int compensateOnMachine(CardSlot& slot, const Tbankhk& acquisition, const Options& opt,
                        const TerminationSignals& termination) {
    Tload& load = *slot.load;
    // The frame is loaded to near the full range, which only the first gear reaches.
    const int gear = load.currentGear();
    load.SelectGear(1);
    awaitFreshReadings(acquisition);

    CompensationRun run(slot, opt.settings);
    const int loadDecimals = load.decimals();
    printOut(QStringLiteral("closing the platens, then loading to %1 %2")
                 .arg(FormatByDecimals(loadDecimals, run.targetLoad()), load.Units()));
    if (!run.Start()) {
        load.SelectGear(gear);
        return operatorError(QStringLiteral("the crosshead would not move down: nothing was done"));
    }
    const TestEnd end =
        waitForTestEnd([&] { return !run.running(); }, acquisition,
                       [&] { return termination.received() != 0; }, static_cast<int>(opt.timeout_s * 1000));
    run.Stop();

    int exitCode = 1;
    switch (end) {
        case TestEnd::Interrupted:
            printErr(QStringLiteral("stopped by signal %1").arg(termination.received()));
            break;
        case TestEnd::AcquisitionFailed:
            printErr(acquisitionEndText(acquisition));
            break;
        case TestEnd::TimedOut:
            printErr(QStringLiteral("not done within %1 s: stopped").arg(opt.timeout_s));
            break;
        case TestEnd::Idle:
            if (run.stage() != CompensationRun::Stage::Done) {
                printErr(
                    slot.motor->state() == MotionState::AtLowerLimit
                        ? QStringLiteral("the crosshead reached its lower limit before the load: stopped")
                        : QStringLiteral("the crosshead stopped before the load was reached: stopped"));
                break;
            }
            const CompensationRun::Measurement m = run.measurement();
            printOut(QStringLiteral("zeroed at %1 %3, %2 mm down to %4 %3")
                         .arg(FormatByDecimals(loadDecimals, m.seatLoad))
                         .arg(m.deformation_mm, 0, 'f', 4)
                         .arg(load.Units(), FormatByDecimals(loadDecimals, m.fullLoad)));
            exitCode = store(slot, m, opt.assumeYes);
            break;
    }
    if (end != TestEnd::Interrupted && end != TestEnd::AcquisitionFailed)
        unload(slot, acquisition, opt.settings);
    load.SelectGear(gear);
    return exitCode;
}

int compensate(MachineSession& session, CardSlot& slot, const Options& opt,
               const TerminationSignals& termination) {
    // The trip's handler outlives the acquisition thread that calls it: shutdown comes before it goes.
    OverloadRecorder overloadLog(session.applicationFolder(), [](const QString& error) { printErr(error); });
    WindowTarget overload([&](int) { overloadLog.onTrip(slot); });
    slot.load->setOverloadTarget(&overload);
    session.startAcquisition(nullptr);
    const Tbankhk& acquisition = *session.acquisition();
    const int exitCode = compensateOnMachine(slot, acquisition, opt, termination);
    const QString acquisitionError = acquisition.isRunning() ? QString() : acquisition.lastError();
    // Told already, if the loop failed.
    for (const QString& problem : session.shutdown())
        if (problem != acquisitionError) printErr(problem);
    return exitCode;
}

}  // namespace

int runCompensateCommand(const QString& applicationFolder, const QStringList& args) {
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
        compensate(session, session.cards().cards[static_cast<size_t>(opt.card)], opt, termination);
    return termination.received() != 0 ? exitCodeForSignal(termination.received()) : exitCode;
}

}  // namespace springtest
