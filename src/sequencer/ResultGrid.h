#pragma once

#include <QList>
#include <QString>

namespace springtest {

// The result grid a scheme loader lays out: row 0 is the header, row k holds point k; columns point
// number, point value, upper limit, lower limit, measured value, stiffness. The control panel implements
// it with its grid; the command line prints it.
class ResultGrid {
public:
    virtual ~ResultGrid() = default;
    virtual void setColumnWidths(const QList<int>& widths) = 0;
    virtual void setRowCount(int rows) = 0;
    virtual void setCell(int row, int column, const QString& text) = 0;
};

}  // namespace springtest
