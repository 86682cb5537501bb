#include "windows/common/ResultGrids.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableWidget>
#include <algorithm>

namespace springtest {

namespace {
constexpr int kColumnMargin_px = 20;
}

QTableWidget* makeResultGrid(const QString& name, bool severalRows, QWidget* parent) {
    auto* grid = new QTableWidget(parent);
    grid->setObjectName(name);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(severalRows ? QAbstractItemView::ExtendedSelection
                                       : QAbstractItemView::SingleSelection);
    grid->setAlternatingRowColors(true);
    grid->verticalHeader()->setDefaultSectionSize(22);
    grid->verticalHeader()->setVisible(false);
    grid->horizontalHeader()->setHighlightSections(false);
    return grid;
}

void fillResultGrid(QTableWidget& grid, const QStringList& titles, int rowCount,
                    const std::function<QString(int, int)>& cell) {
    // A selection made among the rows shown before would now pick other tests.
    grid.clearSelection();
    grid.clear();
    grid.setColumnCount(static_cast<int>(titles.size()));
    grid.setRowCount(rowCount);
    grid.setHorizontalHeaderLabels(titles);
    const QFontMetrics cellMetrics(grid.font());
    const QFontMetrics titleMetrics(grid.horizontalHeader()->font());
    for (int column = 0; column < titles.size(); ++column) {
        int widest = titleMetrics.horizontalAdvance(titles[column]);
        for (int row = 0; row < rowCount; ++row) {
            const QString text = cell(row, column);
            grid.setItem(row, column, new QTableWidgetItem(text));
            widest = std::max(widest, cellMetrics.horizontalAdvance(text));
        }
        grid.setColumnWidth(column, kColumnMargin_px + widest);
    }
}

void placeCurrentRow(QTableWidget& grid, int row) {
    grid.selectionModel()->setCurrentIndex(grid.model()->index(row, 0), QItemSelectionModel::NoUpdate);
}

}  // namespace springtest
