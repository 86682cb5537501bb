#include "results/LateralReport.h"

#include "storage/Schemes.h"
#include "storage/TestOffsetAngle.h"
#include "storage/TestOperator.h"
#include "workbook/Workbook.h"

#include <QFileInfo>

#include <algorithm>

namespace springtest {

namespace {

constexpr int kTitleRow = 34;
const QString kStiffnessUnits = QStringLiteral("N/mm");

QString titled(const QString& title, const QString& unit) {
    return title + QLatin1Char('(') + unit + QLatin1Char(')');
}

class ReportWriter {
public:
    explicit ReportWriter(LateralReport& report) : m_report(report) {}
    void label(int row, int column, const QString& text) { m_report.cells.append({row, column, {}, text}); }
    void stored(int row, int column, const QString& field, const QString& text, bool red = false) {
        m_report.cells.append({row, column, field, text, red});
    }

private:
    LateralReport& m_report;
};

std::optional<double> number(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

}  // namespace

bool outsideBand(const QString& value, const QString& min, const QString& max) {
    const auto v = number(value);
    if (!v) return false;
    const auto low = number(min);
    const auto high = number(max);
    return (low && *v < *low) || (high && *v > *high);
}

LateralReport makeLateralReport(const DbRow& scheme, const DbRow& forward, const std::optional<DbRow>& back,
                                const LateralReportUnits& units, const QString& operatorName,
                                const QString& offsetAngle) {
    LateralReport report;
    ReportWriter w(report);
    const bool twoStrokes = scheme.toInt(QStringLiteral("scheme_jh")) != 1;
    report.sheet = twoStrokes ? kLateralTwoStrokeSheet : kLateralOneStrokeSheet;

    w.stored(3, 2, QStringLiteral("scheme_name"), scheme.text(QStringLiteral("scheme_name")));
    w.stored(3, 6, QStringLiteral("date"), forward.text(QStringLiteral("date")));
    w.stored(4, 2, QStringLiteral("xuhao"), forward.text(QStringLiteral("xuhao")));
    w.stored(4, 6, QStringLiteral("operator_name"), operatorName);
    w.stored(5, 2, QStringLiteral("angle"), offsetAngle);

    // Styles 2 and 3 set loads and measure lengths; 0 and 1 the other way round.
    const int style = scheme.toInt(QStringLiteral("scheme_style"));
    const bool loadSet = style == 2 || style == 3;
    const QString setUnit = loadSet ? units.load : units.displacement;
    const QString measuredUnit = loadSet ? units.displacement : units.load;
    QStringList titles{QStringLiteral("测试点"), titled(QStringLiteral("设定值"), setUnit),
                       titled(QStringLiteral("下限"), measuredUnit)};
    if (twoStrokes)
        titles << titled(QStringLiteral("进程结果"), measuredUnit)
               << titled(QStringLiteral("回程结果"), measuredUnit)
               << titled(QStringLiteral("上限"), measuredUnit)
               << titled(QStringLiteral("进程刚度"), kStiffnessUnits)
               << titled(QStringLiteral("回程刚度"), kStiffnessUnits);
    else
        titles << titled(QStringLiteral("测试结果"), measuredUnit)
               << titled(QStringLiteral("上限"), measuredUnit)
               << titled(QStringLiteral("刚度"), kStiffnessUnits)
               << titled(QStringLiteral("偏移量"), units.displacement);
    for (int c = 0; c < titles.size(); ++c) w.label(kTitleRow, c + 1, titles[c]);

    const int count = std::clamp(scheme.toInt(QStringLiteral("scheme_sum")), 0, kSchemePoints);
    for (int i = 1; i <= count; ++i) {
        const int row = kLateralFirstPointRow - 1 + i;
        const QString target = scheme.text(schemePointColumn(i));
        const QString max = scheme.text(schemePointMaxColumn(i));
        const QString min = scheme.text(schemePointMinColumn(i));
        const QString result = QStringLiteral("result%1").arg(i);
        const QString stiffness = QStringLiteral("gangdu%1").arg(i);
        w.stored(row, 1, QStringLiteral("point"), QString::number(i));
        w.stored(row, 2, schemePointColumn(i), target);
        w.stored(row, 3, schemePointMinColumn(i), min);
        const QString value = forward.text(result);
        w.stored(row, 4, result, value, outsideBand(value, min, max));
        if (twoStrokes) {
            const QString backValue = back ? back->text(result) : QString();
            w.stored(row, 5, result, backValue, outsideBand(backValue, min, max));
            w.stored(row, 6, schemePointMaxColumn(i), max);
            w.stored(row, 7, stiffness, forward.text(stiffness));
            w.stored(row, 8, stiffness, back ? back->text(stiffness) : QString());
        } else {
            w.stored(row, 5, schemePointMaxColumn(i), max);
            w.stored(row, 6, stiffness, forward.text(stiffness));
            w.stored(row, 7, QStringLiteral("pianyi_value%1").arg(i),
                     forward.text(QStringLiteral("pianyi_value%1").arg(i)));
        }
    }
    return report;
}

ExportOutcome exportLateralReport(const ExportRequest& request, const QString& batchPath, int serial,
                                  const QByteArray& chartPng) {
    Database db(batchPath, Database::OpenMode::ExistingMaybeReadOnly);
    if (!db.isOpen()) return exportFailed(db.lastError());
    const auto any = db.select(QStringLiteral("select xuhao from test_result limit 1"));
    if (!any) return exportFailed(db.lastError());
    if (any->isEmpty()) return {kNoResultsToExport.toString(), {}, {}};
    const auto rows =
        db.select(QStringLiteral("select * from test_result where xuhao = ? order by rowid"), {serial});
    const auto schemes = db.select(QStringLiteral("select * from test_information order by rowid limit 1"));
    const auto operators = readTestOperators(db);
    const auto angles = readTestOffsetAngles(db);
    if (!rows || !schemes || !operators || !angles) return exportFailed(db.lastError());
    if (rows->isEmpty()) return exportFailed(QStringLiteral("test %1 is not in this batch").arg(serial));
    if (schemes->isEmpty()) return exportFailed(QStringLiteral("the batch holds no scheme"));

    // The forward row is the one marked so; a row of a test stored without the mark stands for it.
    const DbRow* forward = &rows->first();
    std::optional<DbRow> back;
    for (const DbRow& r : *rows) {
        const QString stroke = r.text(QStringLiteral("jinhuicheng"));
        if (stroke == QStringLiteral("进")) forward = &r;
        if (stroke == QStringLiteral("回")) back = r;
    }
    const LateralReport report =
        makeLateralReport(schemes->first(), *forward, back, {request.loadUnits, request.displacementUnits},
                          operators->value(serial), angles->value(serial));

    Workbook book;
    QString error = openReportTemplate(book, request);
    if (error.isEmpty()) error = book.activateSheet(report.sheet);
    for (const LateralReportCell& cell : report.cells) {
        if (!error.isEmpty()) break;
        error = cell.field.isEmpty() ? book.setCellText(cell.row, cell.column, cell.text)
                                     : writeStoredCell(book, cell.row, cell.column, cell.field, cell.text);
        if (error.isEmpty() && cell.red) error = book.setCellFontColor(cell.row, cell.column, kRedFont);
    }
    if (error.isEmpty() && !chartPng.isEmpty()) error = book.placePicture(kLateralPictureCell, chartPng);
    // The report alone is printed: the sheets of the other layout and the notes are kept, hidden.
    for (int sheet = 1; error.isEmpty() && sheet <= book.sheetCount(); ++sheet)
        if (sheet != book.activeSheet()) error = book.setSheetHidden(sheet, true);
    if (!error.isEmpty()) return exportFailed(error);
    return saveAndShowReport(
        book, request,
        QFileInfo(batchPath).completeBaseName() + QStringLiteral("_横向报表_") + QString::number(serial));
}

}  // namespace springtest
