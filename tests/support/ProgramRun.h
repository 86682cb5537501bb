#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace springtest::testing {

// What a run of the program left behind.
struct ProgramRun {
    int exitCode = -1;  // -1 when it crashed or did not end in time
    QString out, err;
};

// How the program is started, beyond its arguments.
struct Launch {
    QString workingDirectory;  // the test's own when empty
    QByteArray input;          // standard input, then closed
    QStringList environment;   // NAME=VALUE, on top of the test's
    int timeout_ms = 120000;   // then it is killed, and "timed out" stands in `err`
};

// The program built beside the test, with exactly these arguments, run to its end.
inline ProgramRun runProgram(const QStringList& args, const Launch& launch = {}) {
    QProcess p;
    p.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/springtest"));
    p.setArguments(args);
    if (!launch.workingDirectory.isEmpty()) p.setWorkingDirectory(launch.workingDirectory);
    if (!launch.environment.isEmpty()) p.setEnvironment(QProcess::systemEnvironment() + launch.environment);
    p.start();
    if (p.waitForStarted()) {
        p.write(launch.input);
        p.closeWriteChannel();
    }
    ProgramRun r;
    if (!p.waitForFinished(launch.timeout_ms)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("timed out");
        return r;
    }
    if (p.exitStatus() == QProcess::NormalExit) r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// The program on the machine of `applicationFolder`: `springtest --appdir FOLDER args...`.
inline ProgramRun runSpringtest(const QString& applicationFolder, const QStringList& args,
                                int timeout_ms = 120000) {
    Launch launch;
    launch.timeout_ms = timeout_ms;
    return runProgram(QStringList{QStringLiteral("--appdir"), applicationFolder} + args, launch);
}

}  // namespace springtest::testing
