#pragma once

#include "sequencer/ResultGrid.h"
#include "storage/Database.h"

#include <QList>
#include <QMap>
#include <QPair>
#include <QString>

namespace springtest::testing {

// A result grid that keeps what a batch loader lays out in it.
struct GridRecorder : ResultGrid {
    QList<int> widths;
    QMap<QPair<int, int>, QString> cells;
    int rows = 0;
    void setColumnWidths(const QList<int>& w) override { widths = w; }
    void setRowCount(int r) override { rows = r; }
    void setCell(int row, int column, const QString& text) override { cells[{row, column}] = text; }
    QString cell(int row, int column) const { return cells.value({row, column}); }
};

// The rows of a table in a stored batch; -1 when it cannot be read.
inline int count(const QString& path, const QString& table) {
    Database db(path);
    const auto rows = db.select("select count(*) as n from " + table);
    return rows && !rows->isEmpty() ? rows->first().toInt("n") : -1;
}

inline QList<DbRow> rowsOf(const QString& path, const QString& sql) {
    Database db(path);
    return db.select(sql).value_or(QList<DbRow>{});
}

}  // namespace springtest::testing
