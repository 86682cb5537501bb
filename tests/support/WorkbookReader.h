#pragma once

// Reading a produced workbook back with an independent reader (openpyxl, through read_workbook.py), so that
// the tests of what we write never trust our own writer's code.

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QtDebug>

namespace springtest::testing {

// The python that has openpyxl, or empty (the tests that need it are skipped then).
inline QString pythonWithOpenpyxl() {
    static const QString found = [] {
        for (const QString& p : {QStandardPaths::findExecutable(QStringLiteral("python3")),
                                 QStringLiteral("/usr/bin/python3")}) {
            if (p.isEmpty() || !QFileInfo(p).isExecutable()) continue;
            QProcess probe;
            probe.start(p, {QStringLiteral("-c"), QStringLiteral("import openpyxl")});
            if (probe.waitForFinished(60000) && probe.exitStatus() == QProcess::NormalExit &&
                probe.exitCode() == 0)
                return p;
        }
        return QString();
    }();
    return found;
}

// What the reader script finds in the file (see read_workbook.py); an empty object when it could not read it.
inline QJsonObject readWorkbook(const QString& readerScript, const QString& file) {
    QProcess reader;
    reader.start(pythonWithOpenpyxl(), {readerScript, file});
    if (!reader.waitForFinished(120000) || reader.exitCode() != 0) {
        qWarning().noquote() << reader.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
}

inline QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace springtest::testing
