#include "cli/MonitorCommand.h"

#include "cli/TerminalPrompts.h"
#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tbankhk.h"
#include "measurement/Tload.h"
#include "platform/NumberFormat.h"
#include "platform/WindowTarget.h"
#include "session/MachineSession.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <memory>
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
    double duration_s = 0;  // 0: until 'q'
    int interval_ms = 250;
    bool assumeYes = false;
    float speed_mm_per_min = 50.0f;
    QString error;
};

Options parse(const QStringList& args) {
    Options o;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto next = [&](double& out) {
            bool ok = false;
            if (i + 1 < args.size()) out = args[++i].toDouble(&ok);
            if (!ok || out < 0) o.error = QStringLiteral("%1 needs a non-negative number").arg(a);
        };
        double v = 0;
        if (a == QLatin1String("--duration")) {
            next(o.duration_s);
        } else if (a == QLatin1String("--interval")) {
            next(v);
            o.interval_ms = std::max(20, static_cast<int>(v));
        } else if (a == QLatin1String("--speed")) {
            next(v);
            o.speed_mm_per_min = static_cast<float>(v);
        } else if (a == QLatin1String("--yes")) {
            o.assumeYes = true;
        } else {
            o.error = QStringLiteral("unknown option for monitor: %1").arg(a);
        }
        if (!o.error.isEmpty()) break;
    }
    return o;
}

void printLine(const QString& text) {
    std::fprintf(stdout, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stdout);
}

}  // namespace

int runMonitor(const QString& applicationFolder, const QStringList& args) {
    const Options options = parse(args);
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "%s\n", options.error.toLocal8Bit().constData());
        return 2;
    }

    MachineSession session(applicationFolder);
    TerminalPrompts prompts(options.assumeYes);
    switch (session.start(prompts)) {
        case MachineSession::Outcome::Running:
            break;
        case MachineSession::Outcome::DriverMissing:
            return 1;
        case MachineSession::Outcome::Aborted:
            return 1;
    }

    CardTables& cards = session.cards();
    std::vector<std::unique_ptr<WindowTarget>> targets;
    for (int i = 0; i < cards.count; ++i) {
        CardSlot& slot = cards.cards[static_cast<size_t>(i)];
        Tload* load = slot.load.get();
        TMotor* motor = slot.motor.get();
        targets.push_back(std::make_unique<WindowTarget>([i, load](int) {
            printLine(QStringLiteral("card %1: gear %2").arg(i).arg(load->currentGear()));
        }));
        load->setGearTarget(targets.back().get());
        targets.push_back(std::make_unique<WindowTarget>([i, load](int) {
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
        motor->SetSpeed(options.speed_mm_per_min);
    }
    session.startAcquisition(nullptr);

    RawTerminal terminal;
    int selected = 0;
    if (terminal.active()) {
        printLine(
            QStringLiteral("keys: u up, d down, s stop, +/- speed, z zero load, x zero displacement, "
                           "m mark deformation zero, p reset peak, g next gear, a auto gear, "
                           "t tension/compression side, 1-5 card, q quit"));
    }

    auto show = [&] {
        for (int i = 0; i < cards.count; ++i) {
            CardSlot& slot = cards.cards[static_cast<size_t>(i)];
            const Tload& load = *slot.load;
            const int dec = load.decimals();
            const int ddec = slot.displacement->decimals();
            printLine(
                QStringLiteral(
                    "card %1%2 load %3 %4  peak %5  gear %6/%7%8  displacement %9 mm  deformation %10 mm  "
                    "speed %11 mm/min  %12%13")
                    .arg(i)
                    .arg(i == selected && terminal.active() ? QStringLiteral("*") : QString())
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
                    .arg(slot.displacement->side() < 0 ? QStringLiteral(", tension side") : QString()));
        }
    };

    QTimer refresh;
    QObject::connect(&refresh, &QTimer::timeout, show);
    refresh.start(options.interval_ms);

    if (options.duration_s > 0)
        QTimer::singleShot(static_cast<int>(options.duration_s * 1000), QCoreApplication::instance(),
                           &QCoreApplication::quit);

    std::unique_ptr<QSocketNotifier> keys;
    if (terminal.active()) {
        keys = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(keys.get(), &QSocketNotifier::activated, [&] {
            char c = 0;
            if (read(STDIN_FILENO, &c, 1) != 1) return;
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
                case 'z':
                    if (!load.ClearLoadZero()) printLine(QStringLiteral("cannot write the load zero"));
                    break;
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
        });
    }

    const int rc = QCoreApplication::exec();
    refresh.stop();
    show();
    for (const QString& problem : session.shutdown())
        std::fprintf(stderr, "%s\n", problem.toLocal8Bit().constData());
    return rc;
}

}  // namespace springtest
