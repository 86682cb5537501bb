#include "results/LeafResultsExport.h"

#include "results/Ttest_result_gbth.h"
#include "workbook/Workbook.h"

#include <QFileInfo>

#include <algorithm>

namespace springtest {

namespace {

QStringList rowTexts(const DbRow& row, const QStringList& fields) {
    QStringList texts;
    for (const QString& field : fields) texts << row.text(field);
    return texts;
}

// The selected rows come without the titles, as the standard browser writes them.
QString writeSheet(Workbook& book, const Ttest_result_gbth& browser, const QList<int>& rows, bool titled) {
    QString error = book.activateSheet(1);
    if (error.isEmpty()) error = writeRowTexts(book, 1, Ttest_result_gbth::schemeTitles());
    if (error.isEmpty() && !browser.scheme().isEmpty())
        error = writeRowTexts(book, 2, rowTexts(browser.scheme().first(), Ttest_result_gbth::schemeFields()));
    if (error.isEmpty() && titled) error = writeRowTexts(book, 3, Ttest_result_gbth::resultTitles());
    const int first = titled ? 4 : 3;
    for (int i = 0; error.isEmpty() && i < rows.size(); ++i)
        error = writeRowTexts(book, first + i,
                              rowTexts(browser.results()[rows[i]], Ttest_result_gbth::resultFields()));
    return error;
}

}  // namespace

ExportOutcome exportLeafResults(const Ttest_result_gbth& browser, const ExportRequest& request,
                                const std::optional<QList<int>>& selectedRows) {
    const int count = static_cast<int>(browser.results().size());
    if (count == 0) return {kNoResultsToExport.toString(), {}, {}};
    QList<int> rows;
    if (selectedRows) {
        for (const int r : *selectedRows)
            if (r >= 0 && r < count) rows << r;
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        if (rows.isEmpty()) return {kNothingSelected.toString(), {}, {}};
    } else {
        for (int r = 0; r < count; ++r) rows << r;
    }
    Workbook book;
    QString error = openReportTemplate(book, request);
    if (error.isEmpty()) error = writeSheet(book, browser, rows, !selectedRows);
    if (!error.isEmpty()) return exportFailed(error);
    const QString what = selectedRows ? QStringLiteral("选择") : QStringLiteral("全部");
    return saveAndShowReport(book, request,
                             QFileInfo(browser.path()).completeBaseName() + QLatin1Char('_') + what);
}

}  // namespace springtest
