#include "cli/MonitorCommand.h"

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
#include "session/SettingsAuditing.h"
#include "session/SingleInstance.h"
#include "session/TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include <termios.h>
#include <unistd.h>

namespace springtest {

namespace {

const char* stateText(MotionState s) {
    switch (s) {
        case MotionState::Up:
            return "up";
        case MotionState::Down:
            return "down";
        case MotionState::Stopped:
            return "stopped";
        case MotionState::AtUpperLimit:
            return "at upper limit";
        case MotionState::AtLowerLimit:
            return "at lower limit";
        case MotionState::BlockedByOverload:
            return "blocked by overload";
        case MotionState::TestRequested:
            return "test requested";
    }
    return "?";
}

const char* tripText(TripKind k) {
    switch (k) {
        case TripKind::CompressionOverload:
            return "compression overload";
        case TripKind::TensionOverload:
            return "tension overload";
        case TripKind::CountHigh:
            return "raw count above limit";
        case TripKind::CountLow:
            return "raw count below limit";
        case TripKind::None:
            return "none";
    }
    return "?";
}

// Puts the terminal into single-key mode for the monitor's life and restores it after.
class RawTerminal {
public:
    RawTerminal() {
        if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &m_saved) != 0) return;
        termios raw = m_saved;
        raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        m_active = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
    }
    ~RawTerminal() {
        if (m_active) tcsetattr(STDIN_FILENO, TCSANOW, &m_saved);
    }
    bool active() const { return m_active; }

private:
    termios m_saved{};
    bool m_active = false;
};

struct Options {
    double duration_s = 0;  // 0: until 'q' or a signal
    int interval_ms = 250;
    bool assumeYes = false;
    float speed_mm_per_min = 50.0f;
};

std::optional<Options> parseOptions(const QStringList& args, QString& error) {
    CommandOptions o(args, {QStringLiteral("duration"), QStringLiteral("interval"), QStringLiteral("speed")},
                     {QStringLiteral("yes")});
    const auto duration = o.number(QStringLiteral("duration"), 0, 1e7);
    const auto interval = o.number(QStringLiteral("interval"), 0, 3.6e6);
    const auto speed = o.number(QStringLiteral("speed"), 0, 1e5);
    if (!o.ok()) {
        error = o.error();
        return std::nullopt;
    }
    Options options;
    options.duration_s = duration.value_or(0);
    // Faster than this the lines scroll by unread and the terminal, not the card, sets the pace.
    if (interval) options.interval_ms = std::max(20, static_cast<int>(*interval));
    if (speed) options.speed_mm_per_min = static_cast<float>(*speed);
    options.assumeYes = o.has(QStringLiteral("yes"));
    return options;
}

void printLine(const QString& text) {
    std::fprintf(stdout, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stdout);
}

// Every card's gear changes, protection trips and motor states, printed as they come.
std::vector<std::unique_ptr<WindowTarget>> reportCardMessages(CardTables& cards,
                                                              OverloadRecorder& overloadLog) {
    std::vector<std::unique_ptr<WindowTarget>> targets;
    for (int i = 0; i < cards.count; ++i) {
        CardSlot& slot = cards.cards[static_cast<size_t>(i)];
        Tload* load = slot.load.get();
        TMotor* motor = slot.motor.get();
        targets.push_back(std::make_unique<WindowTarget>([i, load](int) {
            printLine(QStringLiteral("card %1: gear %2").arg(i).arg(load->currentGear()));
        }));
        load->setGearTarget(targets.back().get());
        targets.push_back(std::make_unique<WindowTarget>([i, load, &slot, &overloadLog](int) {
            overloadLog.onTrip(slot);
            printLine(QStringLiteral("card %1: %2, motor stopped")
                          .arg(i)
                          .arg(QLatin1String(tripText(load->tripKind()))));
        }));
        load->setOverloadTarget(targets.back().get());
        targets.push_back(std::make_unique<WindowTarget>([i, motor](int) {
            printLine(
                QStringLiteral("card %1: motor %2").arg(i).arg(QLatin1String(stateText(motor->state()))));
        }));
        motor->setStateTarget(targets.back().get());
    }
    return targets;
}

void showCard(CardSlot& slot, int index, bool selected) {
    const Tload& load = *slot.load;
    const int dec = load.decimals();
    const int ddec = slot.displacement->decimals();
    // The turntable of the lateral machine reads degrees; its drive's speed is then a rate setting, not
    // mm/min.
    const QString& units = slot.displacement->Units();
    const QString speedUnits = units == QLatin1String("mm") ? QStringLiteral(" mm/min") : QString();
    printLine(QStringLiteral(
                  "card %1%2 load %3 %4  peak %5  gear %6/%7%8  displacement %9 %14  deformation %10 %14  "
                  "speed %11%15  %12%13")
                  .arg(index)
                  .arg(selected ? QStringLiteral("*") : QString())
                  .arg(FormatByDecimals(dec, slot.record.load.load()), 10)
                  .arg(load.Units())
                  .arg(FormatByDecimals(dec, load.peak()))
                  .arg(load.currentGear())
                  .arg(load.gearTotal())
                  .arg(load.autoGear() ? QStringLiteral(" auto") : QString())
                  .arg(FormatByDecimals(ddec, slot.record.displacement.load()), 9)
                  .arg(FormatByDecimals(ddec, slot.record.deformation.load()))
                  .arg(FormatByDecimals(1, slot.motor->speed()))
                  .arg(QLatin1String(stateText(slot.motor->state())))
                  .arg(slot.displacement->side() < 0 ? QStringLiteral(", tension side") : QString())
                  .arg(units, speedUnits));
}

// One key of the terminal, on the selected card; the number keys choose the card.
void onKey(char c, CardTables& cards, int& selected) {
    CardSlot& slot = cards.cards[static_cast<size_t>(selected)];
    TMotor& motor = *slot.motor;
    Tload& load = *slot.load;
    switch (c) {
        case 'u':
            motor.CommandUp();
            break;
        case 'd':
            motor.CommandDown();
            break;
        case 's':
        case ' ':
            motor.CommandStop();
            break;
        case '+':
            motor.SetSpeed(motor.speed() * 2.0f);
            break;
        case '-':
            motor.SetSpeed(motor.speed() / 2.0f);
            break;
        case 'z': {
            // As the data panel's "负荷清零": the gear's zero is a calibration value, and the trail records
            // it.
            const AuditedScope audit(load.applicationFolder(), load.channelConfigPath(), printLine);
            if (QString error; !load.ClearLoadZero(&error)) printLine(error);
            break;
        }
        case 'x':
            slot.displacement->ClearDisplacement();
            break;
        case 'm':
            slot.displacement->MarkDeformationZero();
            break;
        case 'p':
            load.resetPeak();
            break;
        case 'g':
            load.SelectGear(load.currentGear() % load.gearTotal() + 1);
            break;
        case 'a':
            load.setAutoGear(!load.autoGear());
            break;
        case 't':
            slot.displacement->setSide(-slot.displacement->side());
            break;
        case 'q':
            QCoreApplication::quit();
            break;
        default:
            if (c >= '1' && c <= '5' && c - '1' < cards.count) selected = c - '1';
    }
}

std::unique_ptr<QSocketNotifier> listenToKeys(CardTables& cards, int& selected) {
    auto keys = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(keys.get(), &QSocketNotifier::activated, [&cards, &selected] {
        char c = 0;
        if (read(STDIN_FILENO, &c, 1) == 1) onKey(c, cards, selected);
    });
    return keys;
}

}  // namespace

int runMonitor(const QString& applicationFolder, const QStringList& args) {
    QString error;
    const std::optional<Options> options = parseOptions(args, error);
    if (!options) return usageError(error);

    SingleInstance lock(applicationFolder);
    if (!claimMachine(applicationFolder, lock)) return 1;
    MachineSession session(applicationFolder);
    TerminalPrompts prompts(options->assumeYes);
    if (session.start(prompts) != MachineSession::Outcome::Running) return 1;
    TerminationSignals termination([](int) { QCoreApplication::quit(); });

    CardTables& cards = session.cards();
    OverloadRecorder overloadLog(session.applicationFolder(), [](const QString& error) { printErr(error); });
    const auto targets = reportCardMessages(cards, overloadLog);
    for (int i = 0; i < cards.count; ++i)
        cards.cards[static_cast<size_t>(i)].motor->SetSpeed(options->speed_mm_per_min);
    session.startAcquisition(nullptr);

    RawTerminal terminal;
    int selected = 0;
    if (terminal.active()) {
        printLine(
            QStringLiteral("keys: u up, d down, s stop, +/- speed, z zero load, x zero displacement, "
                           "m mark deformation zero, p reset peak, g next gear, a auto gear, "
                           "t tension/compression side, 1-5 card, q quit"));
    }
    const auto show = [&] {
        for (int i = 0; i < cards.count; ++i)
            showCard(cards.cards[static_cast<size_t>(i)], i, i == selected && terminal.active());
    };

    // The values on the terminal are only worth showing while the loop behind them runs: when it ends with
    // an error, the monitor says so and ends too.
    QString acquisitionError;
    QTimer refresh;
    QObject::connect(&refresh, &QTimer::timeout, [&] {
        if (!session.acquisition()->isRunning()) {
            acquisitionError = acquisitionEndText(*session.acquisition());
            QCoreApplication::exit(1);
            return;
        }
        show();
    });
    refresh.start(options->interval_ms);

    if (options->duration_s > 0)
        QTimer::singleShot(static_cast<int>(options->duration_s * 1000), QCoreApplication::instance(),
                           &QCoreApplication::quit);

    const auto keys = terminal.active() ? listenToKeys(cards, selected) : nullptr;

    int rc = QCoreApplication::exec();
    refresh.stop();
    if (!acquisitionError.isEmpty())
        printErr(acquisitionError);
    else
        show();
    for (const QString& problem : session.shutdown())
        if (problem != acquisitionError) printErr(problem);
    if (termination.received() != 0) rc = exitCodeForSignal(termination.received());
    return rc;
}

}  // namespace springtest
