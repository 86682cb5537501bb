#pragma once

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>
#include <QtGlobal>

#include <unistd.h>
#include <cstdio>

namespace springtest::testing {

// What a command prints on the standard output and error streams, together, while this lives.
class CapturedOutput {
public:
    CapturedOutput() {
        if (!m_file.open()) qFatal("no file to capture the output in");
        std::fflush(stdout);
        std::fflush(stderr);
        m_savedOut = dup(STDOUT_FILENO);
        m_savedErr = dup(STDERR_FILENO);
        dup2(m_file.handle(), STDOUT_FILENO);
        dup2(m_file.handle(), STDERR_FILENO);
    }
    ~CapturedOutput() { restore(); }
    CapturedOutput(const CapturedOutput&) = delete;
    CapturedOutput& operator=(const CapturedOutput&) = delete;

    // Every line printed so far; the capture ends.
    QStringList lines() {
        restore();
        QFile read(m_file.fileName());
        if (!read.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(read.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private:
    void restore() {
        if (m_savedOut < 0) return;
        std::fflush(stdout);
        std::fflush(stderr);
        dup2(m_savedOut, STDOUT_FILENO);
        dup2(m_savedErr, STDERR_FILENO);
        close(m_savedOut);
        close(m_savedErr);
        m_savedOut = m_savedErr = -1;
    }

    QTemporaryFile m_file;
    int m_savedOut = -1;
    int m_savedErr = -1;
};

}  // namespace springtest::testing
