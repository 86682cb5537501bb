#include "cli/AlignCommand.h"
#include "cli/AuditCommand.h"
#include "cli/BatchCommand.h"
#include "cli/CalibrateCommand.h"
#include "cli/CallerFolder.h"
#include "cli/CommandUsage.h"
#include "cli/CompensateCommand.h"
#include "cli/ExportCommand.h"
#include "cli/MonitorCommand.h"
#include "cli/PasswordCommand.h"
#include "cli/RunCommand.h"
#include "cli/SchemeCommand.h"
#include "cli/StatsCommand.h"
#include "cli/VerifyCommand.h"
#include "session/ApplicationFolder.h"
#include "session/MachineConfig.h"
#include "windows/browser/ResultChartView.h"
#include "windows/mainwindow/ConsoleStartup.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>

#include <cstdio>
#include <optional>

namespace {

void print(FILE* to, const QString& text) {
    std::fprintf(to, "%s\n", text.toLocal8Bit().constData());
}

int runInit(QStringList args) {
    int machineType = -1;
    const qsizetype m = args.indexOf(QStringLiteral("--machine-type"));
    if (m >= 0) {
        bool ok = false;
        if (m + 1 < args.size()) machineType = args[m + 1].toInt(&ok);
        if (!ok || machineType < 0 || machineType > 7) {
            print(stderr, QStringLiteral("--machine-type must be 0 to 7"));
            return 2;
        }
        args.remove(m, 2);
    }
    if (args.size() != 1) {
        print(stderr,
              QStringLiteral("init needs exactly one folder: springtest init DIR [--machine-type N]"));
        return 2;
    }
    const springtest::InitResult r = springtest::initialiseApplicationFolder(args[0], machineType);
    for (const QString& f : r.created) print(stdout, QStringLiteral("created %1").arg(f));
    for (const QString& f : r.kept) print(stdout, QStringLiteral("kept    %1 (already there)").arg(f));
    if (!r.error.isEmpty()) {
        print(stderr, r.error);
        return 1;
    }
    print(stdout, QStringLiteral("application folder ready: %1").arg(QDir(args[0]).absolutePath()));
    return 0;
}

// The command named on the command line, or an empty text for none; looked at before any application
// object exists, because the console needs a QApplication and the commands must not.
QString commandOf(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--appdir" || arg == "-platform" || arg == "--platform") {
            ++i;
            continue;
        }
        return QString::fromLocal8Bit(arg);
    }
    return QString();
}

bool isHelpWord(const QString& word) {
    return word == QLatin1String("--help") || word == QLatin1String("-h") || word == QLatin1String("help");
}

// Help is answered before anything else happens: no application folder, card or lock is needed to read it.
std::optional<int> answerHelp(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    const QString command = commandOf(argc, argv);
    if (isHelpWord(command)) {
        std::fputs(springtest::programUsage().toUtf8().constData(), stdout);
        return 0;
    }
    if (command.isEmpty() || !springtest::asksForHelp(args)) return std::nullopt;
    const QString usage = springtest::commandUsage(command);
    if (usage.isEmpty()) {
        print(stderr,
              QStringLiteral("unknown command: %1 (springtest --help lists the commands)").arg(command));
        return 2;
    }
    std::fputs(usage.toUtf8().constData(), stdout);
    return 0;
}

// --appdir DIR, or the program's own folder; removed from `args`.
std::optional<QString> takeApplicationFolder(QStringList& args) {
    QString appFolder = QCoreApplication::applicationDirPath();
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--appdir")) {
            if (i + 1 >= args.size()) {
                print(stderr, QStringLiteral("--appdir needs a folder"));
                return std::nullopt;
            }
            appFolder = args[i + 1];
            args.remove(i, 2);
            break;
        }
    }
    return appFolder;
}

// Everything but init runs in the application folder, which is also the working directory, so that
// relative names in the configuration resolve as operators expect.
std::optional<QString> enterApplicationFolder(const QString& appFolder) {
    const QDir folder(springtest::callerPath(appFolder));
    if (!folder.exists()) {
        print(stderr,
              QStringLiteral("application folder %1 does not exist; create one with: springtest init %1")
                  .arg(QDir::toNativeSeparators(appFolder)));
        return std::nullopt;
    }
    QDir::setCurrent(folder.absolutePath());
    return folder.absolutePath();
}

int runConsoleCommand(int argc, char** argv) {
    if (!springtest::displayAvailable(argc, argv)) {
        print(stderr, springtest::noDisplayText());
        return 1;
    }
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("springtest"));
    QStringList args = QCoreApplication::arguments().mid(1);
    const auto appFolder = takeApplicationFolder(args);
    if (!appFolder) return 2;
    const auto absolute = enterApplicationFolder(*appFolder);
    if (!absolute) return 1;
    return springtest::runConsole(*absolute);
}

// The named report draws its curve picture with the browser's own chart, offscreen, so exports need no
// display; 640 × 360 pixels fill the width of a portrait A4 report between its margins.
int runExportCommand(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("springtest"));
    QStringList args = QCoreApplication::arguments().mid(1);
    const auto appFolder = takeApplicationFolder(args);
    if (!appFolder) return 2;
    args.removeFirst();  // "export"
    const auto absolute = enterApplicationFolder(*appFolder);
    if (!absolute) return 1;
    return springtest::runExportCommand(*absolute, springtest::MachineConfig::read(*absolute).machineType,
                                        args, [](const springtest::ResultChart& chart) {
                                            return springtest::ResultChartView::renderPng(chart,
                                                                                          QSize(640, 360));
                                        });
}

// The verification report is a PDF, whose text needs fonts and so a QGuiApplication; offscreen, so a
// verification needs no display.
int runVerifyCommand(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("springtest"));
    QStringList args = QCoreApplication::arguments().mid(1);
    const auto appFolder = takeApplicationFolder(args);
    if (!appFolder) return 2;
    args.removeFirst();  // "verify"
    const auto absolute = enterApplicationFolder(*appFolder);
    if (!absolute) return 1;
    return springtest::runVerifyCommand(*absolute, args);
}

}  // namespace

int main(int argc, char** argv) {
    // Before anything can change the working directory: files named on the command line are found from here.
    springtest::rememberCallerFolder(QDir::currentPath());
    if (const auto helped = answerHelp(argc, argv)) return *helped;
    const QString command0 = commandOf(argc, argv);
    if (command0.isEmpty()) return runConsoleCommand(argc, argv);
    if (command0 == QLatin1String("export")) return runExportCommand(argc, argv);
    if (command0 == QLatin1String("verify")) return runVerifyCommand(argc, argv);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("springtest"));

    QStringList args = QCoreApplication::arguments().mid(1);
    const auto appFolder = takeApplicationFolder(args);
    if (!appFolder) return 2;
    const QString command = args.takeFirst();
    if (springtest::commandUsage(command).isEmpty()) {
        print(stderr,
              QStringLiteral("unknown command: %1 (springtest --help lists the commands)").arg(command));
        return 2;
    }
    if (command == QLatin1String("init")) return runInit(args);

    const auto absolute = enterApplicationFolder(*appFolder);
    if (!absolute) return 1;

    if (command == QLatin1String("monitor")) return springtest::runMonitor(*absolute, args);
    if (command == QLatin1String("scheme"))
        return springtest::runSchemeCommand(*absolute, springtest::MachineConfig::read(*absolute).machineType,
                                            args);
    if (command == QLatin1String("batch"))
        return springtest::runBatchCommand(*absolute, springtest::MachineConfig::read(*absolute).machineType,
                                           args);
    if (command == QLatin1String("run")) return springtest::runTestsCommand(*absolute, args);
    if (command == QLatin1String("password")) return springtest::runPasswordCommand(*absolute, args);
    if (command == QLatin1String("calibrate")) return springtest::runCalibrateCommand(*absolute, args);
    if (command == QLatin1String("audit")) return springtest::runAuditCommand(*absolute, args);
    if (command == QLatin1String("stats"))
        return springtest::runStatsCommand(*absolute, springtest::MachineConfig::read(*absolute).machineType,
                                           args);
    if (command == QLatin1String("align")) return springtest::runAlignCommand(*absolute, args);
    if (command == QLatin1String("compensate")) return springtest::runCompensateCommand(*absolute, args);
    print(stderr,
          QStringLiteral("%1 has no runner here (springtest --help lists the commands)").arg(command));
    return 2;
}
