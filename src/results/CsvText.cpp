#include "results/CsvText.h"

#include <QLocale>

namespace springtest {

std::optional<QChar> csvSeparator(const QString& name, QString& error) {
    if (name == QLatin1String(",") || name == QLatin1String("comma")) return QLatin1Char(',');
    if (name == QLatin1String(";") || name == QLatin1String("semicolon")) return QLatin1Char(';');
    error = QStringLiteral("the separator is comma or semicolon, not '%1'").arg(name);
    return std::nullopt;
}

QChar csvSeparatorFor(const QLocale& locale) {
    return locale.decimalPoint() == QStringLiteral(",") ? QLatin1Char(';') : QLatin1Char(',');
}

namespace {

// A text that a spreadsheet program would take for a formula (a scheme name typed as "=HYPERLINK(...)")
// is kept as text by the apostrophe that marks text there; numbers, negative ones too, stay as they are.
QString inertText(const QString& text) {
    if (text.isEmpty()) return text;
    const QChar c = text.front();
    const bool formulaStart = c == QLatin1Char('=') || c == QLatin1Char('+') || c == QLatin1Char('-') ||
                              c == QLatin1Char('@') || c == QLatin1Char('\t') || c == QLatin1Char('\r');
    if (!formulaStart) return text;
    bool isNumber = false;
    text.toDouble(&isNumber);
    return isNumber ? text : QLatin1Char('\'') + text;
}

QString field(const QString& raw, QChar separator) {
    const QString text = inertText(raw);
    const bool quoted = text.contains(separator) || text.contains(QLatin1Char('"')) ||
                        text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
                        (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()));
    if (!quoted) return text;
    QString q = text;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

}  // namespace

QString csvText(const QList<QStringList>& rows, QChar separator) {
    QString out;
    for (const QStringList& row : rows) {
        for (qsizetype i = 0; i < row.size(); ++i) {
            if (i > 0) out += separator;
            out += field(row[i], separator);
        }
        out += QLatin1String("\r\n");
    }
    return out;
}

QByteArray csvFileBytes(const QList<QStringList>& rows, QChar separator) {
    return QByteArray("\xEF\xBB\xBF") + csvText(rows, separator).toUtf8();
}

QString exactNumberText(double value) {
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

}  // namespace springtest
