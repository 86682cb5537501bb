#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace springtest::testing {

// PDF files read back with an independent reader: poppler's pdftotext and pdfinfo (package poppler-utils).

inline bool havePdfReader() {
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty();
}

inline QString pdfToolOutput(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The text as the reader extracts it, one line per line drawn. Compatibility forms (a CJK face's radicals,
// which some readers pick for an ideograph) are folded to the characters they stand for.
inline QString pdfText(const QString& pdf) {
    return pdfToolOutput(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")})
        .normalized(QString::NormalizationForm_KC);
}

// -1 when the reader cannot tell.
inline int pdfPageCount(const QString& pdf) {
    const QString info = pdfToolOutput(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The first of `lines` not found in `text` after the one before it; empty when all are there in order.
inline QString firstMissingInOrder(const QString& text, const QStringList& lines) {
    qsizetype from = 0;
    for (const QString& line : lines) {
        const qsizetype at = text.indexOf(line, from);
        if (at < 0) return line;
        from = at + line.size();
    }
    return {};
}

}  // namespace springtest::testing
