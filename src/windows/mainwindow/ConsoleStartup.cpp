#include "windows/mainwindow/ConsoleStartup.h"

#include "session/SingleInstance.h"
#include "session/TerminationSignals.h"
#include "windows/common/WidgetPrompts.h"
#include "windows/mainwindow/Skins.h"
#include "windows/mainwindow/Tfmain.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QStringList>
#include <QWidget>

namespace springtest {

bool displayAvailable(const QString& qpaPlatform, const QString& x11Display, const QString& waylandDisplay) {
    // Only the part before the options counts: "offscreen:fontengine=freetype" is still offscreen.
    const QString platform = qpaPlatform.section(QLatin1Char(':'), 0, 0).trimmed().toLower();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) return false;
    if (platform == QLatin1String("xcb")) return !x11Display.isEmpty();
    if (platform.startsWith(QLatin1String("wayland"))) return !waylandDisplay.isEmpty();
    if (!platform.isEmpty())
        return true;  // a frame buffer, a VNC server, a desktop of its own: it draws somewhere
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    Q_UNUSED(x11Display);
    Q_UNUSED(waylandDisplay);
    return true;
#else
    return !x11Display.isEmpty() || !waylandDisplay.isEmpty();
#endif
}

bool displayAvailable(int argc, char** argv) {
    QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    for (int i = 1; i + 1 < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "-platform" || arg == "--platform") platform = QString::fromLocal8Bit(argv[i + 1]);
    }
    return displayAvailable(platform, qEnvironmentVariable("DISPLAY"),
                            qEnvironmentVariable("WAYLAND_DISPLAY"));
}

QString noDisplayText() {
    return QStringLiteral(
        "springtest: no display to show the console on (neither DISPLAY nor WAYLAND_DISPLAY is set, or the "
        "Qt\n"
        "platform is offscreen/minimal). Start it on a desktop, or under a virtual one:\n"
        "  xvfb-run -a springtest [--appdir DIR]\n"
        "\n"
        "These commands work without a display:\n"
        "  monitor     live values of every card on the terminal\n"
        "  run         open a batch and run tests to their stored rows\n"
        "  scheme      add and list test schemes\n"
        "  batch       create batch databases\n"
        "  export      spreadsheet reports of a batch's results and curves\n"
        "  calibrate   calibrate the load against a force standard; verify: check it (ISO 7500-1)\n"
        "  align       bring the platens together and zero; compensate: measure the frame's yield\n"
        "  audit       every recorded change of a machine setting\n"
        "  init        lay out an application folder\n"
        "springtest --help describes them.");
}

namespace {

// The console's text is Chinese: use the CJK face where it is installed, whatever the desktop's default is.
void useChineseFont(QApplication& app) {
    const QStringList families = QFontDatabase::families();
    for (const QString& family : {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans SC"),
                                  QStringLiteral("Microsoft YaHei"), QStringLiteral("SimSun")}) {
        if (families.contains(family)) {
            QFont font = QApplication::font();
            font.setFamily(family);
            app.setFont(font);
            return;
        }
    }
}

}  // namespace

int runConsole(const QString& applicationFolder) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app) return 2;
    useChineseFont(*app);
    applySkin(0);  // the console starts in the first skin each time: the choice is not kept

    WidgetPrompts widgetPrompts;
    setPrompts(&widgetPrompts);
    int code = 1;
    {
        // Closed as the operator would close it, so the machine is shut down in order. Listening starts
        // before the lock is taken and the window made: the splash holds the making for seconds, and a
        // signal then ends the splash and the program instead of the process.
        Tfmain* shown = nullptr;
        bool endRequested = false;
        TerminationSignals termination([&shown, &endRequested](int) {
            endRequested = true;
            // A dialog open in its own loop (the splash, a question, a settings window) would hold the
            // program after its main window went: each is closed as its close box would, then the window.
            for (int open = 0; open < 16; ++open) {
                QWidget* modal = QApplication::activeModalWidget();
                if (!modal || !modal->close()) break;
            }
            if (shown) shown->close();
        });
        SingleInstance instance(applicationFolder);
        if (claimSingleInstance(instance)) {
            Tfmain mainWindow(applicationFolder, nullptr, Tfmain::Splash::Shown);
            code = 0;
            if (!endRequested) {
                shown = &mainWindow;
                mainWindow.show();
                code = QApplication::exec();
            }
            mainWindow.shutDown();
            if (mainWindow.startupState() == Tfmain::Startup::Aborted) code = 1;
        }
    }
    setPrompts(nullptr);
    return code;
}

}  // namespace springtest
