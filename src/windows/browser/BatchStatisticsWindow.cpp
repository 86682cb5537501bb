#include "windows/browser/BatchStatisticsWindow.h"

#include <qcustomplot.h>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "results/QuantityCharts.h"
#include "results/StatisticsTable.h"

namespace springtest {

namespace {

const QColor kLimitColour(200, 0, 0);
const QColor kMeanColour(0, 128, 0);

// A limit or the mean across the whole chart, at `value` on the axis that `vertical` says.
void addLine(QCustomPlot& plot, double value, bool vertical, const QColor& colour, const QString& name) {
    auto* line = new QCPItemStraightLine(&plot);
    line->setPen(QPen(colour, 1.5, Qt::DashLine));
    if (vertical) {
        line->point1->setCoords(value, 0);
        line->point2->setCoords(value, 1);
    } else {
        line->point1->setCoords(0, value);
        line->point2->setCoords(1, value);
    }
    line->setObjectName(name);
}

void startPlot(QCustomPlot& plot) {
    plot.clearItems();
    plot.clearPlottables();
    plot.clearGraphs();
}

}  // namespace

BatchStatisticsWindow::BatchStatisticsWindow(const QString& batchName, QList<QuantityRow> rows,
                                             QWidget* parent)
    : QDialog(parent), m_rows(std::move(rows)) {
    setObjectName(QStringLiteral("TF_statistics"));
    setWindowTitle(QStringLiteral("批次统计 - ") + batchName);

    m_table =
        new QTableWidget(static_cast<int>(m_rows.size()), static_cast<int>(statisticsTitles().size()), this);
    m_table->setObjectName(QStringLiteral("statisticsGrid"));
    m_table->setHorizontalHeaderLabels(statisticsTitles());
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    for (int r = 0; r < m_rows.size(); ++r) {
        const QStringList texts = statisticsTexts(m_rows[r]);
        for (int c = 0; c < texts.size(); ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            if (c > 1) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(r, c, item);
        }
    }
    m_table->resizeColumnsToContents();

    m_histogram = new QCustomPlot(this);
    m_histogram->setObjectName(QStringLiteral("histogramPlot"));
    m_runChart = new QCustomPlot(this);
    m_runChart->setObjectName(QStringLiteral("runChartPlot"));
    auto* charts = new QWidget(this);
    auto* chartLayout = new QHBoxLayout(charts);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    chartLayout->addWidget(m_histogram);
    chartLayout->addWidget(m_runChart);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(m_table);
    splitter->addWidget(charts);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter);

    connect(m_table, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int, int) { chooseQuantity(row); });
    if (!m_rows.isEmpty()) m_table->selectRow(0);
    resize(1000, 720);
}

void BatchStatisticsWindow::chooseQuantity(int row) {
    if (row < 0 || row >= m_rows.size() || row == m_chosen) return;
    m_chosen = row;
    if (m_table->currentRow() != row) m_table->selectRow(row);
    drawHistogram(m_rows[row]);
    drawRunChart(m_rows[row]);
}

void BatchStatisticsWindow::drawHistogram(const QuantityRow& row) {
    QCustomPlot& plot = *m_histogram;
    startPlot(plot);
    const Histogram h = quantityHistogram(row.quantity);
    auto* bars = new QCPBars(plot.xAxis, plot.yAxis);
    bars->setName(row.quantity.name);
    bars->setWidthType(QCPBars::wtPlotCoords);
    bars->setWidth(h.width);
    bars->setBrush(QColor(70, 110, 190, 160));
    int tallest = 0;
    for (int i = 0; i < h.counts.size(); ++i) {
        bars->addData(h.lowest + (i + 0.5) * h.width, h.counts[i]);
        tallest = std::max(tallest, h.counts[i]);
    }
    if (row.quantity.limits) {
        addLine(plot, row.quantity.limits->upper, true, kLimitColour, QStringLiteral("upper"));
        addLine(plot, row.quantity.limits->lower, true, kLimitColour, QStringLiteral("lower"));
    }
    ValueSpan span = valueSpan(row.quantity, row.statistics);
    // The outer bars stand whole inside the chart.
    if (!h.counts.isEmpty()) {
        span.lower = std::min(span.lower, h.lowest);
        span.upper = std::max(span.upper, h.lowest + h.counts.size() * h.width);
    }
    plot.xAxis->setRange(span.lower, span.upper);
    plot.yAxis->setRange(0, std::max(1, tallest) * 1.1);
    plot.xAxis->setLabel(row.quantity.name + QStringLiteral(" (") + row.quantity.unit + QLatin1Char(')'));
    plot.yAxis->setLabel(QStringLiteral("件数"));
    plot.replot();
}

void BatchStatisticsWindow::drawRunChart(const QuantityRow& row) {
    QCustomPlot& plot = *m_runChart;
    startPlot(plot);
    QCPGraph* graph = plot.addGraph();
    graph->setName(row.quantity.name);
    graph->setPen(QPen(QColor(40, 40, 40)));
    graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, 5));
    int first = 0, last = 1;
    for (const QuantityValue& v : row.quantity.values) {
        graph->addData(v.test, v.value);
        first = graph->dataCount() == 1 ? v.test : std::min(first, v.test);
        last = std::max(last, v.test);
    }
    if (row.statistics.mean) addLine(plot, *row.statistics.mean, false, kMeanColour, QStringLiteral("mean"));
    if (row.quantity.limits) {
        addLine(plot, row.quantity.limits->upper, false, kLimitColour, QStringLiteral("upper"));
        addLine(plot, row.quantity.limits->lower, false, kLimitColour, QStringLiteral("lower"));
    }
    const ValueSpan span = valueSpan(row.quantity, row.statistics);
    plot.xAxis->setRange(first - 0.5, last + 0.5);
    plot.yAxis->setRange(span.lower, span.upper);
    plot.xAxis->setLabel(QStringLiteral("序号"));
    plot.yAxis->setLabel(row.quantity.name + QStringLiteral(" (") + row.quantity.unit + QLatin1Char(')'));
    plot.replot();
}

}  // namespace springtest
