#include "windows/mainwindow/ConsoleStartup.h"

#include "session/SingleInstance.h"
#include "windows/common/WidgetPrompts.h"
#include "windows/mainwindow/Tfmain.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QStringList>

#include <memory>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>
#include <csignal>
#endif

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

#ifdef Q_OS_UNIX
// Ctrl+C in the terminal, or a service manager stopping the program, closes the main window as the operator
// would, so the machine is shut down in order and the displacement keeps its state for the next run. The
// signal handler only writes a byte; the window thread does the rest.
class TerminationSignals {
public:
    explicit TerminationSignals(QWidget& mainWindow) {
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, s_pipe) != 0) return;
        m_notifier = std::make_unique<QSocketNotifier>(s_pipe[1], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, &mainWindow, [&mainWindow] {
            char byte = 0;
            if (::read(s_pipe[1], &byte, 1) == 1) mainWindow.close();
        });
        struct sigaction action = {};
        action.sa_handler = &TerminationSignals::onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGINT, &action, &m_previousInt);
        ::sigaction(SIGTERM, &action, &m_previousTerm);
        m_installed = true;
    }
    ~TerminationSignals() {
        if (m_installed) {
            ::sigaction(SIGINT, &m_previousInt, nullptr);
            ::sigaction(SIGTERM, &m_previousTerm, nullptr);
        }
        m_notifier.reset();
        if (s_pipe[0] >= 0) {
            ::close(s_pipe[0]);
            ::close(s_pipe[1]);
            s_pipe[0] = s_pipe[1] = -1;
        }
    }
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

private:
    static void onSignal(int) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(s_pipe[0], &byte, 1);
    }

    static inline int s_pipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_previousInt = {};
    struct sigaction m_previousTerm = {};
    bool m_installed = false;
};
#endif

}  // namespace

int runConsole(const QString& applicationFolder) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app) return 2;
    useChineseFont(*app);

    WidgetPrompts widgetPrompts;
    setPrompts(&widgetPrompts);
    int code = 1;
    {
        SingleInstance instance;
        if (claimSingleInstance(instance)) {
            Tfmain mainWindow(applicationFolder);
#ifdef Q_OS_UNIX
            TerminationSignals termination(mainWindow);
#endif
            mainWindow.show();
            code = QApplication::exec();
            mainWindow.shutDown();
            if (mainWindow.startupState() == Tfmain::Startup::Aborted) code = 1;
        }
    }
    setPrompts(nullptr);
    return code;
}

}  // namespace springtest
