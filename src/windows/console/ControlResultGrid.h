#pragma once

#include "sequencer/ResultGrid.h"

#include <QColor>
#include <QTableWidget>

#include <optional>

namespace springtest {

class TTestStyle;

// The colour a result cell is drawn in: column 4 (measured value) against the limits in columns 2 and 3 of
// its row, column 5 (stiffness) against the scheme's stiffness limits, by the one rule of every verdict
// (judge). Red above, blue below, lime within; nothing for an empty cell, limits never set, or any other
// column. The cells are compared as the operator reads them: their texts taken back as numbers.
std::optional<QColor> resultCellColour(int column, const QString& text, const QString& upperText,
                                       const QString& lowerText, double stiffnessMax, double stiffnessMin);

// The control panel's result grid (`bsSkinStringGrid1`): row 0 is the header row the scheme loader writes,
// row k point k. Six columns are shown (nine on the lateral machine, with X, Y and the offset); one more,
// hidden, keeps each point's verdict.
class ControlResultGrid : public QTableWidget, public ResultGrid {
    Q_OBJECT
public:
    static constexpr int kShownColumns = 6;
    static constexpr int kVerdictColumn = 6;

    static constexpr int kLateralShownColumns = 9;

    explicit ControlResultGrid(TTestStyle& sequencer, QWidget* parent = nullptr,
                               int shownColumns = kShownColumns);

    void setColumnWidths(const QList<int>& widths) override;
    void setRowCount(int rows) override;
    void setCell(int row, int column, const QString& text) override;
    QString cell(int row, int column) const;

    // The scheme's stiffness limits, for colouring column 5.
    double stiffnessMax() const;
    double stiffnessMin() const;

protected:
    bool viewportEvent(QEvent* event) override;

private:
    void fitColumns();

    TTestStyle& m_sequencer;
    const int m_shownColumns;
    QList<int> m_designWidths;
};

}  // namespace springtest
