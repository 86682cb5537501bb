#pragma once

#include <QString>

namespace springtest {

// Whether a window system is there to show the console on, judged before any application object exists:
// `qpaPlatform` is the platform asked for (QT_QPA_PLATFORM or -platform; empty when none), the other two
// are the X11 and Wayland display variables.
bool displayAvailable(const QString& qpaPlatform, const QString& x11Display, const QString& waylandDisplay);
// The same, from this process's environment and arguments.
bool displayAvailable(int argc, char** argv);

// What `springtest` without a command says when there is no display: why, and the commands that work
// without one.
QString noDisplayText();

// Runs the operator console in `applicationFolder` until the main window closes. Needs a QApplication.
// Returns the program's exit code: 1 when another program drives the machine of this folder or start-up was
// ended by the operator.
int runConsole(const QString& applicationFolder);

}  // namespace springtest
