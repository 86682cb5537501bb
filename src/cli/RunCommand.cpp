#include "cli/RunCommand.h"

#include "cli/BatchArgument.h"
#include "cli/CommandOptions.h"
#include "cli/ConsoleOutput.h"
#include "cli/LateralRunCard.h"
#include "cli/MachineClaim.h"
#include "cli/RunProgress.h"
#include "cli/TerminalPrompts.h"
#include "cli/TestWait.h"
#include "measurement/TDisplacement.h"
#include "measurement/Tbankhk.h"
#include "measurement/Tload.h"
#include "platform/WindowTarget.h"
#include "sequencer/BatchOpening.h"
#include "sequencer/ResultGrid.h"
#include "sequencer/StartRefusal.h"
#include "sequencer/TTestStyle.h"
#include "session/MachineConfig.h"
#include "session/MachineSession.h"
#include "session/OverloadRecording.h"
#include "session/SingleInstance.h"
#include "session/TerminationSignals.h"

#include <QDir>

#include <optional>
#include <variant>

namespace springtest {

namespace {

// The scheme table as the control panel's grid would show it, kept as text for printing.
class TextGrid : public ResultGrid {
public:
    void setColumnWidths(const QList<int>&) override {}
    void setRowCount(int rows) override { m_rows = QList<QStringList>(rows, QStringList(6)); }
    void setCell(int row, int column, const QString& text) override {
        if (row >= 0 && row < m_rows.size() && column >= 0 && column < 6) m_rows[row][column] = text;
    }
    void print() const {
        for (const QStringList& r : m_rows)
            printOut(QStringLiteral("  ") + r.mid(0, 4).join(QLatin1Char('\t')));
    }

private:
    QList<QStringList> m_rows;
};

struct Options {
    QString batch;
    float speed = 0;
    SpeedMode speedMode = SpeedMode::NotSet;
    int series = 0;
    int pause_s = 0;
    std::optional<int> card;  // as given; the lateral-stiffness machine chooses it by the scheme
    int testCard = 0;         // the card the tests run on
    std::optional<double> displacement;
    std::optional<int> precompress;  // the leaf-spring machine's pre-compressions before the measuring cycle
    bool json = false;
    bool assumeYes = false;
    bool rotate = false;    // the lateral-stiffness machine's turntable, after each stored axial test
    bool fullRate = false;  // every reading of each test's curve kept, whatever the machine's setting says
    double timeout_s = 1800;
};

// The run's options, or the exit code of a command line that cannot be run (the operator has been told).
std::variant<Options, int> readOptions(const QStringList& args) {
    CommandOptions o(args,
                     {QStringLiteral("batch"), QStringLiteral("speed"), QStringLiteral("series"),
                      QStringLiteral("pause"), QStringLiteral("card"), QStringLiteral("displacement"),
                      QStringLiteral("timeout"), QStringLiteral("precompress")},
                     {QStringLiteral("variable"), QStringLiteral("json"), QStringLiteral("yes"),
                      QStringLiteral("rotate"), QStringLiteral("full-rate")});
    Options opt;
    opt.batch = o.text(QStringLiteral("batch"));
    const auto speed = o.number(QStringLiteral("speed"), 0.001, 10000);
    const auto series = o.integer(QStringLiteral("series"), 1, 10000);
    const auto pause = o.integer(QStringLiteral("pause"), 0, 86400);
    const auto card = o.integer(QStringLiteral("card"), 0, 4);
    opt.displacement = o.number(QStringLiteral("displacement"), -100000, 100000);
    const auto timeout = o.number(QStringLiteral("timeout"), 1, 1e6);
    // The control panel offers 0 to 8 pre-compressions.
    opt.precompress = o.integer(QStringLiteral("precompress"), 0, kMostPrecompressionsOffered);
    if (!o.ok()) return usageError(o.error());
    if (opt.batch.isEmpty()) return usageError(QStringLiteral("run needs --batch FILE_OR_NUMBER"));
    opt.speedMode = !speed                              ? SpeedMode::NotSet
                    : o.has(QStringLiteral("variable")) ? SpeedMode::Variable
                                                        : SpeedMode::Constant;
    // Refused before the machine is started, as the start would refuse it.
    if (const QString refusal = speedModeRefusal(opt.speedMode); !refusal.isEmpty())
        return operatorError(refusal);
    opt.speed = static_cast<float>(*speed);
    opt.series = series.value_or(0);
    opt.pause_s = pause.value_or(0);
    opt.card = card;
    opt.json = o.has(QStringLiteral("json"));
    opt.assumeYes = o.has(QStringLiteral("yes"));
    opt.rotate = o.has(QStringLiteral("rotate"));
    opt.fullRate = o.has(QStringLiteral("full-rate"));
    if (timeout) opt.timeout_s = *timeout;
    return opt;
}

// Opens the batch as the console's "打开文件" does, with the test direction of its spring kind and the preset
// displacement, and shows it; false after telling the operator why not.
bool openBatch(MachineSession& session, TTestStyle& seq, CardSlot& slot, const QString& batchPath,
               const Options& opt) {
    TextGrid grid;
    const OpenBatchOutcome opened = openBatchForTesting(seq, &grid, batchPath);
    if (!opened.ok) {
        printErr(namingFile(opened.message, batchPath));
        return false;
    }
    const bool lateralMachine = seq.machineType() == kLateralMachineType;
    if (lateralMachine && lateralTestCard(seq.scheme().scheme_type) != opt.testCard) {
        // The batch was given another scheme between the look before the start and its opening.
        printErr(QStringLiteral("the batch's scheme changed while the machine started; run again"));
        return false;
    }
    // The lateral machine has no spring kind to switch: both its drives test from where they stand.
    if (!lateralMachine) slot.displacement->setSide(opened.compression ? 1 : -1);
    if (opt.displacement) slot.displacement->SetDisplacement(static_cast<float>(*opt.displacement));
    // The start position is read from the record: let the loop read the new side and preset first.
    const uint64_t cycles = session.acquisition()->cycles();
    waitUntil([&] { return session.acquisition()->cycles() > cycles + 3; }, 5000);
    if (!opt.json) {
        const QString kind = seq.machineType() == 3 ? QStringLiteral("leaf")
                             : lateralMachine       ? (opened.compression ? QStringLiteral("axial test of a")
                                                                          : QStringLiteral("lateral test of a"))
                             : opened.compression   ? QStringLiteral("compression")
                                                    : QStringLiteral("tension");
        printOut(QStringLiteral("batch %1: %2 spring, next serial %3")
                     .arg(QDir::toNativeSeparators(batchPath), kind)
                     .arg(seq.scheme().xuhao));
        if (opt.precompress)
            printOut(QStringLiteral("%1 pre-compression(s), then the measuring cycle").arg(*opt.precompress));
        grid.print();
    }
    return true;
}

// Sets the speed and the series and starts the first test; false after telling the operator why not.
bool startTests(TTestStyle& seq, const Options& opt) {
    if (opt.precompress) seq.SetPrecompressCount(*opt.precompress);
    seq.SetTestSpeed(opt.speed);
    seq.SetSpeedMode(opt.speedMode);
    if (opt.series > 0) {
        seq.SetAutoRepeat(true);
        seq.SetRepeatCount(opt.series);
        seq.SetRepeatPause(opt.pause_s);
    }
    seq.SetCurveChart(nullptr);
    if (seq.machineType() == kLateralMachineType) seq.SetAutoRotate(opt.rotate);
    if (const QString refusal = testStartRefusal(seq, opt.testCard); !refusal.isEmpty()) {
        printErr(refusal);
        return false;
    }
    seq.StartTest(opt.testCard);
    return true;
}

// Waits for the tests, and the turntable turned after them, to end; stops what did not end by itself, saying
// why.
TestEnd awaitTests(TTestStyle& seq, const Tbankhk& acquisition, const TerminationSignals& termination,
                   const Options& opt) {
    const bool lateralMachine = seq.machineType() == kLateralMachineType;
    const TestEnd end = waitForTestEnd(
        [&] { return seq.isIdle() && !(lateralMachine && seq.turntableTimerActive()); }, acquisition,
        [&] { return termination.received() != 0; }, static_cast<int>(opt.timeout_s * 1000));
    if (end == TestEnd::Idle) return end;
    seq.StopTest();
    // The test's own drive is stopped with the test; the others (a turntable turning after the test before)
    // are stopped here.
    stopAllDrives(seq.cards());
    switch (end) {
        case TestEnd::TimedOut:
            printErr(QStringLiteral("the test did not end within %1 s; stopped").arg(opt.timeout_s));
            break;
        case TestEnd::AcquisitionFailed:
            printErr(acquisitionEndText(acquisition));
            break;
        case TestEnd::Interrupted:
            printErr(QStringLiteral("stopped by signal %1").arg(termination.received()));
            break;
        case TestEnd::Idle:
            break;
    }
    return end;
}

// The run on a started machine, from the batch to the summary; the exit code.
int runOnMachine(MachineSession& session, const QString& batchPath, const Options& opt,
                 const TerminationSignals& termination) {
    CardSlot& slot = session.cards().cards[static_cast<size_t>(opt.testCard)];
    TTestStyle seq(session.config().machineType, session.cards());
    installProceduresForMachineType(seq);
    seq.SetFullRate(opt.fullRate || session.config().fullRateCurve);
    RunProgress progress(seq, slot, opt.json);
    progress.expectTurntablePositioning(opt.rotate);
    WindowTarget panel([&](int) { progress.onTestState(); });
    seq.setPanelTarget(&panel);
    OverloadRecorder overloadLog(session.applicationFolder(), [](const QString& error) { printErr(error); });
    WindowTarget overload([&](int) {
        overloadLog.onTrip(slot);
        progress.onOverload();
    });
    slot.load->setOverloadTarget(&overload);

    session.startAcquisition(&seq.sampleSlot());
    std::optional<TestEnd> end;
    // A signal that came while the batch was opened still ends the run before anything moves.
    if (openBatch(session, seq, slot, batchPath, opt) && termination.received() == 0 && startTests(seq, opt))
        end = awaitTests(seq, *session.acquisition(), termination, opt);
    const int exitCode = progress.finish(batchPath, end == TestEnd::Idle);
    // Told already, while it happened.
    const QString acquisitionError =
        end == TestEnd::AcquisitionFailed ? session.acquisition()->lastError() : QString();
    // A run cut short leaves the curve recording; it reads the channels, so it ends before they go.
    seq.StopCurveTimerAndWait();
    // The acquisition thread reports to the panel and the sequencer: it ends before they do.
    for (const QString& problem : session.shutdown())
        if (problem != acquisitionError) printErr(problem);
    return exitCode;
}

}  // namespace

int runTestsCommand(const QString& applicationFolder, const QStringList& args) {
    const std::variant<Options, int> read = readOptions(args);
    if (const int* exitCode = std::get_if<int>(&read)) return *exitCode;
    Options opt = std::get<Options>(read);

    SingleInstance lock(applicationFolder);
    if (!claimMachine(applicationFolder, lock)) return 1;
    const int machineType = MachineConfig::read(applicationFolder).machineType;
    // As the control panel refuses to start a leaf spring before its pre-compressions are chosen; other
    // machines press once.
    if (machineType == 3 && !opt.precompress)
        return operatorError(kPrecompressionNotSet +
                             QStringLiteral(" (--precompress N: the pre-compressions before the measuring "
                                            "cycle, 0 to %1)")
                                 .arg(kMostPrecompressionsOffered));
    if (machineType != 3 && opt.precompress)
        return usageError(
            QStringLiteral("--precompress is for the leaf-spring machine (machine type 3); this "
                           "one is machine type %1")
                .arg(machineType));
    if (machineType != kLateralMachineType && opt.rotate)
        return usageError(
            QStringLiteral("--rotate is for the lateral-stiffness machine (machine type 5); this "
                           "one is machine type %1")
                .arg(machineType));
    QString error;
    const QString batchPath = resolveBatch(applicationFolder, machineType, opt.batch, error);
    if (!error.isEmpty()) return operatorError(error);
    opt.testCard = opt.card.value_or(0);
    if (machineType == kLateralMachineType) {
        // A batch that cannot be read is refused when it is opened, in the loader's words.
        if (const std::optional<bool> axial = batchSchemeIsAxial(batchPath)) {
            opt.testCard = lateralTestCard(*axial);
            if (opt.card && *opt.card != opt.testCard)
                return usageError(
                    QStringLiteral("--card %1: on the lateral-stiffness machine an axial scheme "
                                   "is tested on card %2 and a lateral one on card %3; this "
                                   "batch's scheme is %4")
                        .arg(*opt.card)
                        .arg(kAxialDriveCard)
                        .arg(kLateralDriveCard)
                        .arg(*axial ? QStringLiteral("axial") : QStringLiteral("lateral")));
            // As the control panel answers "手动旋转" for a lateral scheme.
            if (opt.rotate && !*axial) return operatorError(QStringLiteral("横向测试不支持角度定位!!"));
        }
    }

    MachineSession session(applicationFolder);
    TerminalPrompts prompts(opt.assumeYes);
    if (session.start(prompts) != MachineSession::Outcome::Running) return 1;
    TerminationSignals termination({});
    if (opt.testCard >= session.cards().count)
        return operatorError(QStringLiteral("--card %1: the machine has %2 card(s)")
                                 .arg(opt.testCard)
                                 .arg(session.cards().count));

    const int exitCode = runOnMachine(session, batchPath, opt, termination);
    return termination.received() != 0 ? exitCodeForSignal(termination.received()) : exitCode;
}

}  // namespace springtest
