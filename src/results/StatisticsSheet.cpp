#include "results/StatisticsSheet.h"

#include "results/ReportExport.h"
#include "results/StatisticsTable.h"
#include "workbook/Workbook.h"

namespace springtest {

QString writeStatisticsSheet(Workbook& book, const QList<QuantityRow>& rows) {
    QString error = book.sheetNames().contains(kStatisticsSheetName)
                        ? book.activateSheet(kStatisticsSheetName)
                        : book.addSheet(kStatisticsSheetName);
    if (error.isEmpty()) error = writeRowTexts(book, 1, statisticsTitles());
    for (int r = 0; error.isEmpty() && r < rows.size(); ++r) {
        const QVariantList cells = statisticsCells(rows[r]);
        for (int c = 0; error.isEmpty() && c < cells.size(); ++c) {
            const QVariant& cell = cells[c];
            if (!cell.isValid())
                error = book.setCellText(r + 2, c + 1, QString());
            else if (cell.typeId() == QMetaType::QString)
                error = book.setCellText(r + 2, c + 1, cell.toString());
            else
                error = book.setCellNumber(r + 2, c + 1, cell.toDouble());
        }
    }
    return error;
}

}  // namespace springtest
