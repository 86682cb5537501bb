#pragma once

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

namespace springtest {

// The field separators a CSV file may use: a comma, or a semicolon where the spreadsheet program takes the
// comma for the decimal mark.
std::optional<QChar> csvSeparator(const QString& name, QString& error);

// The separator the spreadsheet programs of a locale expect: a semicolon where the decimal mark is a comma.
QChar csvSeparatorFor(const QLocale& locale);

// Rows as CSV text: fields holding the separator, a quote, a line break or a blank at either end are quoted,
// quotes doubled; lines end in CR LF, as spreadsheet programs write them. A text that a spreadsheet would
// run as a formula gets an apostrophe in front.
QString csvText(const QList<QStringList>& rows, QChar separator);

// The bytes of a CSV file: UTF-8 after a byte order mark, without which spreadsheet programs read the Chinese
// texts in the system's code page.
QByteArray csvFileBytes(const QList<QStringList>& rows, QChar separator);

// A number with as few digits as read back exactly.
QString exactNumberText(double value);

}  // namespace springtest
