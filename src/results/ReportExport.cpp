#include "results/ReportExport.h"

#include <QDir>

#include <cmath>

#include "results/ReportFiles.h"
#include "results/StandardQuantities.h"
#include "results/StoredDate.h"
#include "workbook/Workbook.h"

namespace springtest {

namespace {

// Keeps a file name well inside every file system's limit, with room for the time stamp and suffix.
constexpr int kMaxStem_chars = 80;

}  // namespace

QString reportFileStem(const QString& text) {
    QString stem;
    int kept = 0;
    // By code point, so that a character outside the basic plane is one character, kept or replaced whole.
    for (const char32_t c : text.toUcs4()) {
        if (kept == kMaxStem_chars) break;
        ++kept;
        if (QChar::isLetterOrNumber(c) || c == U'-' || c == U'_')
            stem += QString::fromUcs4(&c, 1);
        else
            stem += QLatin1Char('_');
    }
    return stem;
}

QString openReportTemplate(Workbook& book, const ExportRequest& request) {
    return book.open(QDir(request.applicationFolder).filePath(request.templateName));
}

QString writeRowTexts(Workbook& book, int row, const QStringList& texts) {
    for (int column = 1; column <= texts.size(); ++column) {
        if (const QString error = book.setCellText(row, column, texts[column - 1]); !error.isEmpty())
            return error;
    }
    return {};
}

QString writeStoredCell(Workbook& book, int row, int column, const QString& field, const QString& text) {
    // Fields that hold words whatever they look like.
    static const QStringList kTextFields{QStringLiteral("scheme_name"), QStringLiteral("operator_name")};
    const QString name = field.toLower();
    bool isNumber = false;
    const double number = text.trimmed().toDouble(&isNumber);
    if (name == QLatin1String("date") && storedDateTime(text).isValid())
        return book.setCellDateTime(row, column, storedDateTime(text));
    if (!kTextFields.contains(name) && isNumber && std::isfinite(number)) {
        const int decimals = storedDecimals(text);
        QString error = book.setCellNumber(row, column, number);
        if (error.isEmpty())
            error = book.setCellNumberFormat(row, column,
                                             decimals > 0
                                                 ? QStringLiteral("0.") + QString(decimals, QLatin1Char('0'))
                                                 : QStringLiteral("0"));
        return error;
    }
    return book.setCellText(row, column, text);
}

QString writeStoredRow(Workbook& book, int row, const QStringList& fields, const QStringList& texts) {
    for (int column = 1; column <= texts.size(); ++column) {
        if (const QString error =
                writeStoredCell(book, row, column, fields.value(column - 1), texts[column - 1]);
            !error.isEmpty())
            return error;
    }
    return {};
}

ExportOutcome exportFailed(const QString& detail) {
    return {kExportFailed.toString(), detail, QString()};
}

ExportOutcome saveAndShowReport(Workbook& book, const ExportRequest& request, const QString& stem) {
    QString error;
    const QString folder = reportFolder(request.applicationFolder, &error);
    if (folder.isEmpty()) return exportFailed(error);
    const QString path = newReportPath(folder, reportFileStem(stem));
    if (error = book.saveAs(path); !error.isEmpty()) return exportFailed(error);
    ExportOutcome outcome;
    outcome.savedPath = path;
    if (request.opener) {
        if (error = request.opener->open(path); !error.isEmpty()) {
            outcome.message = kExportFailed.toString();
            outcome.detail = error;
        }
    }
    return outcome;
}

}  // namespace springtest
