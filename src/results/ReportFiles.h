#pragma once

#include <QDateTime>
#include <QString>

namespace springtest {

// Hands a saved workbook to the desktop's spreadsheet program. The window layer implements it; headless runs
// and tests pass NoSpreadsheetOpener, so nothing is ever shown there.
class SpreadsheetOpener {
public:
    virtual ~SpreadsheetOpener() = default;
    // An error text when the program could not be started.
    virtual QString open(const QString& path) = 0;
};

class NoSpreadsheetOpener final : public SpreadsheetOpener {
public:
    QString open(const QString&) override { return {}; }
};

// Where exports are saved: the application folder's "report/" (with the trailing slash), made when missing.
// Empty, with `error` set, when it cannot be made.
QString reportFolder(const QString& applicationFolder, QString* error = nullptr);

// A file name in `folder` that no file has yet: stem + "_yyyyMMdd_HHmmss" + suffix, with "_2", "_3" …
// before the suffix when exports follow each other within a second.
QString newReportPath(const QString& folder, const QString& stem = QStringLiteral("报表"),
                      const QDateTime& when = QDateTime::currentDateTime(),
                      const QString& suffix = QStringLiteral(".xlsx"));

}  // namespace springtest
