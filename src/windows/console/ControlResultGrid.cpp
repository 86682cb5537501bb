#include "windows/console/ControlResultGrid.h"

#include "platform/OperatorTexts.h"
#include "sequencer/TTestStyle.h"
#include "sequencer/Verdict.h"
#include "storage/SchemeCheck.h"

#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>

namespace springtest {

std::optional<QColor> resultCellColour(int column, const QString& text, const QString& upperText,
                                       const QString& lowerText, double stiffnessMax, double stiffnessMin) {
    if (text.isEmpty() || (column != 4 && column != 5)) return std::nullopt;
    const double value = text.toDouble();
    const double upper = column == 4 ? upperText.toDouble() : stiffnessMax;
    const double lower = column == 4 ? lowerText.toDouble() : stiffnessMin;
    switch (judge(value, upper, lower)) {
        case Verdict::High:
            return QColor(Qt::red);
        case Verdict::Pass:
            return QColor(0, 255, 0);
        case Verdict::Low:
            return QColor(Qt::blue);
        case Verdict::None:
            break;
    }
    return std::nullopt;
}

namespace {

constexpr int kCellFontSize_pt = 12;
constexpr int kHeaderPadding_px = 1;
constexpr int kCellPadding_px = 3;

QFont cellFont(const QFont& base, int row) {
    QFont font = base;
    if (row == 0) {
        font.setBold(true);
    } else {
        // Condensed, so that a full figure fits a narrow column at the operator's size.
        font.setFamily(QStringLiteral("DejaVu Sans Condensed"));
        font.setPointSize(kCellFontSize_pt);
    }
    return font;
}

int cellPadding(int row) {
    return row == 0 ? kHeaderPadding_px : kCellPadding_px;
}

// Draws the header row as a fixed row and the data cells with their verdict colour, on one line, centred
// vertically and cut with an ellipsis.
class ResultCellDelegate : public QStyledItemDelegate {
public:
    explicit ResultCellDelegate(ControlResultGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const int row = index.row();
        const int column = index.column();
        const QString text = m_grid->cell(row, column);
        const QFont font = cellFont(option.font, row);
        QColor fill = option.palette.color(QPalette::Base);
        QColor ink = option.palette.color(QPalette::Text);
        Qt::Alignment align = Qt::AlignVCenter | Qt::AlignLeft;
        if (row == 0) {
            fill = option.palette.color(QPalette::Button);
            align = Qt::AlignCenter;
        } else {
            const bool stiffness = column == 5;
            if (const std::optional<QColor> colour = resultCellColour(
                    column, text, m_grid->cell(row, 2), m_grid->cell(row, 3),
                    stiffness ? m_grid->stiffnessMax() : 0.0, stiffness ? m_grid->stiffnessMin() : 0.0)) {
                fill = *colour;
                ink = fill == QColor(0, 255, 0) ? QColor(Qt::black) : QColor(Qt::white);
            }
        }
        painter->save();
        painter->fillRect(option.rect, fill);
        painter->setFont(font);
        painter->setPen(ink);
        const int padding = cellPadding(row);
        const QRect area = option.rect.adjusted(padding, 0, -padding, 0);
        painter->drawText(area, static_cast<int>(align) | Qt::TextSingleLine,
                          QFontMetrics(font).elidedText(text, Qt::ElideRight, area.width()));
        painter->restore();
    }

private:
    ControlResultGrid* m_grid;
};

}  // namespace

ControlResultGrid::ControlResultGrid(TTestStyle& sequencer, QWidget* parent, int shownColumns)
    : QTableWidget(parent), m_sequencer(sequencer), m_shownColumns(shownColumns) {
    setObjectName(QStringLiteral("bsSkinStringGrid1"));
    setColumnCount(m_shownColumns + 1);
    setColumnHidden(m_shownColumns, true);
    horizontalHeader()->hide();
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(24);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    setItemDelegate(new ResultCellDelegate(this));
    QList<int> widths{30, 60, 60, 60, 50, 50};
    while (widths.size() < m_shownColumns) widths << 50;
    setColumnWidths(widths);

    // Until a scheme is opened: the header of the commonest scheme over ten empty points.
    setRowCount(11);
    QStringList headers = pointTableHeaders(0);
    headers << kMeasuredValueName << kStiffnessName;
    if (m_shownColumns == kLateralShownColumns)
        headers << QStringLiteral("X值") << QStringLiteral("Y值") << QStringLiteral("偏移量");
    for (int c = 0; c < headers.size(); ++c) setCell(0, c, headers[c]);
}

void ControlResultGrid::setColumnWidths(const QList<int>& widths) {
    m_designWidths = widths.mid(0, m_shownColumns);
    fitColumns();
}

void ControlResultGrid::setRowCount(int rows) {
    clearContents();
    QTableWidget::setRowCount(std::max(rows, 0));
}

void ControlResultGrid::setCell(int row, int column, const QString& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return;
    if (QTableWidgetItem* existing = item(row, column))
        existing->setText(text);
    else
        setItem(row, column, new QTableWidgetItem(text));
    if (column < m_shownColumns) fitColumns();
}

QString ControlResultGrid::cell(int row, int column) const {
    const QTableWidgetItem* it = item(row, column);
    return it ? it->text() : QString();
}

double ControlResultGrid::stiffnessMax() const {
    return m_sequencer.scheme().scheme_gangdu_max;
}
double ControlResultGrid::stiffnessMin() const {
    return m_sequencer.scheme().scheme_gangdu_min;
}

bool ControlResultGrid::viewportEvent(QEvent* event) {
    const bool handled = QTableWidget::viewportEvent(event);
    if (event->type() == QEvent::Resize) fitColumns();
    return handled;
}

void ControlResultGrid::fitColumns() {
    const int columns = static_cast<int>(m_designWidths.size());
    int design = 0;
    for (int w : m_designWidths) design += w;
    if (design <= 0) return;

    // The loader's widths fill the grid, the room left over going to the measured columns.
    const int available = viewport()->width();
    QList<int> widths = m_designWidths;
    if (available < design) {
        for (int& w : widths) w = w * available / design;
    } else if (columns == m_shownColumns) {
        widths[4] += (available - design) / 2;
        widths[5] += (available - design) - (available - design) / 2;
    }

    // A column whose texts do not fit borrows what the others can spare, so that a figure is shown whole
    // wherever the grid has room for it.
    QList<int> needs(columns, 0);
    for (int row = 0; row < rowCount(); ++row) {
        const QFontMetrics metrics(cellFont(font(), row));
        for (int c = 0; c < columns; ++c)
            needs[c] = std::max(needs[c], metrics.horizontalAdvance(cell(row, c)) + 2 * cellPadding(row) + 1);
    }
    for (int c = 0; c < columns; ++c) {
        for (int donor = 0; donor < columns && widths[c] < needs[c]; ++donor) {
            const int spare = widths[donor] - std::max(needs[donor], 1);
            if (donor == c || spare <= 0) continue;
            const int moved = std::min(spare, needs[c] - widths[c]);
            widths[donor] -= moved;
            widths[c] += moved;
        }
    }
    for (int c = 0; c < columns; ++c) setColumnWidth(c, widths[c]);
}

}  // namespace springtest
