#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace springtest {

class SpreadsheetOpener;
class Workbook;

// What every spreadsheet export is given: where the template is and who shows the filled workbook.
struct ExportRequest {
    QString applicationFolder;  // the template is looked up here
    QString templateName = QStringLiteral("report.xltx");
    SpreadsheetOpener* opener = nullptr;  // null: open nothing (tests, headless)
    // Card 0's units, for the reports' labels.
    QString loadUnits = QStringLiteral("N");
    QString displacementUnits = QStringLiteral("mm");
};

struct ExportOutcome {
    QString message;    // for the operator, verbatim; empty on success
    QString detail;     // why it failed, in the engine's words (for the command line and logs); may be empty
    QString savedPath;  // the workbook written, when one was
};

// The operator's messages of the exports.
inline constexpr QStringView kNoResultsToExport = u"当前无测试记录，请先打开测试文件!!";
inline constexpr QStringView kNothingSelected = u"无选择项，请先选择要打印的测试结果!!";
// Every failure inside an export: the operator has always been told to look at the spreadsheet program.
inline constexpr QStringView kExportFailed = u"确定Excel安装正确!!";

// The building blocks the result browsers' exports share.

// `text` made safe as part of a file name: letters (CJK included), digits, '-' and '_' stay, everything else
// becomes '_'; at most 80 characters.
QString reportFileStem(const QString& text);

// Opens the request's template; an error text on failure.
QString openReportTemplate(Workbook& book, const ExportRequest& request);

// Writes `texts` into row `row` of the active sheet, from column 1; an error text on failure.
QString writeRowTexts(Workbook& book, int row, const QStringList& texts);

// Writes a stored row into row `row` of the active sheet, from column 1: each field's text as the value it
// stands for. A number is written as a number shown with the decimals it was stored with (the measuring
// channel's), a date as a date, every other text (names, the stroke "进"/"回", the operator) as text. An
// empty text empties the cell. An error text on failure.
QString writeStoredRow(Workbook& book, int row, const QStringList& fields, const QStringList& texts);

// One cell of such a row: the stored text of `field` at (row, column) of the active sheet.
QString writeStoredCell(Workbook& book, int row, int column, const QString& field, const QString& text);

// The outcome of a failed export.
ExportOutcome exportFailed(const QString& detail);

// Saves the filled workbook as a new file under the application folder's report folder, named after `stem`,
// and hands it to the request's opener. A failing opener still leaves the file saved.
ExportOutcome saveAndShowReport(Workbook& book, const ExportRequest& request, const QString& stem);

}  // namespace springtest
