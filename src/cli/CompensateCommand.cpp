#include "cli/CompensateCommand.h"

#include "calibration/CompensationRun.h"
#include "cli/CalibrationMachine.h"
#include "cli/CommandOptions.h"
#include "cli/ConsoleOutput.h"
#include "cli/TerminalPrompts.h"
#include "cli/TestWait.h"
#include "measurement/CardSlot.h"
#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tbankhk.h"
#include "measurement/Tload.h"
#include "platform/NumberFormat.h"
#include "platform/Prompts.h"
#include "session/MachineSession.h"
#include "session/SettingsAuditing.h"

#include <unistd.h>

#include <functional>
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
    const AuditedScope audit(slot.displacement->applicationFolder(), slot.displacement->channelConfigPath(),
                             printErr);
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

int compensate(MachineSession& session, CardSlot& slot, const Options& opt, std::function<void()>& onSignal) {
    const Tbankhk& acquisition = *session.acquisition();
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
    const TestEnd end = ProcedureWait(session, onSignal, opt.timeout_s).until([&] { return !run.running(); });
    run.Stop();

    int exitCode = 1;
    if (end == TestEnd::Idle && run.stage() != CompensationRun::Stage::Done) {
        printErr(slot.motor->state() == MotionState::AtLowerLimit
                     ? QStringLiteral("the crosshead reached its lower limit before the load: stopped")
                     : QStringLiteral("the crosshead stopped before the load was reached: stopped"));
    } else if (end == TestEnd::Idle) {
        const CompensationRun::Measurement m = run.measurement();
        printOut(QStringLiteral("zeroed at %1 %3, %2 mm down to %4 %3")
                     .arg(FormatByDecimals(loadDecimals, m.seatLoad))
                     .arg(m.deformation_mm, 0, 'f', 4)
                     .arg(load.Units(), FormatByDecimals(loadDecimals, m.fullLoad)));
        exitCode = store(slot, m, opt.assumeYes);
    }
    if (end != TestEnd::Interrupted && end != TestEnd::AcquisitionFailed)
        unload(slot, acquisition, opt.settings);
    load.SelectGear(gear);
    return exitCode;
}

}  // namespace

int runCompensateCommand(const QString& applicationFolder, const QStringList& args) {
    const std::variant<Options, int> read = readOptions(args);
    if (const int* exitCode = std::get_if<int>(&read)) return *exitCode;
    const Options& opt = std::get<Options>(read);
    return runProcedureOnCard(
        applicationFolder, opt.card, opt.assumeYes,
        [&](MachineSession& session, CardSlot& card, const LoadDrive::Pause&,
            std::function<void()>& onSignal) { return compensate(session, card, opt, onSignal); });
}

}  // namespace springtest
