#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QTableWidget;
class QWidget;

namespace springtest {

// A read-only grid of whole rows; `severalRows` lets the operator select more than one.
QTableWidget* makeResultGrid(const QString& name, bool severalRows, QWidget* parent);

// Shows `rowCount` rows of `cell(row, column)` under `titles`, none of them selected. Each column is 20 px
// wider than the wider of its title and its widest text, so every value can be read whole.
void fillResultGrid(QTableWidget& grid, const QStringList& titles, int rowCount,
                    const std::function<QString(int row, int column)>& cell);

// Makes `row` the current row without selecting it: a selection is only ever the operator's own.
void placeCurrentRow(QTableWidget& grid, int row);

}  // namespace springtest
