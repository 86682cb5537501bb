#include "windows/browser/ResultChartView.h"

#include <QBuffer>
#include <QContextMenuEvent>
#include <QMenu>

#include "windows/console/PlotScale.h"

namespace springtest {

namespace {

AxisScale scaleOf(const AxisRange& range) {
    return {range.min, range.max, range.step};
}

struct SeriesLook {
    QString title;
    QColor colour;
    bool line;
};

const std::array<SeriesLook, 4> kLooks{{{QString(), Qt::red, true},
                                        {QString(), Qt::black, true},
                                        {QStringLiteral("编历点"), QColor(255, 215, 0), false},
                                        {QStringLiteral("取值点"), QColor(30, 90, 230), false}}};

constexpr double kMarker_px = 9;
// Where a label sits from its point: up and to the right, clear of the marker.
constexpr double kLabelOffsetX_px = 7;
constexpr double kLabelOffsetY_px = -7;

}  // namespace

ResultChartView::ResultChartView(QWidget* parent) : QCustomPlot(parent) {
    setObjectName(QStringLiteral("Chart1"));
    setMouseTracking(true);
    setBackground(Qt::white);
    axisRect()->setBackground(Qt::white);

    for (const SeriesLook& look : kLooks) {
        auto* curve = new QCPCurve(xAxis, yAxis);
        curve->setName(look.title);
        if (look.line) {
            curve->setPen(QPen(look.colour, 1.5));
        } else {
            curve->setLineStyle(QCPCurve::lsNone);
            curve->setScatterStyle(QCPScatterStyle(
                QCPScatterStyle::ssCircle, QPen(look.colour.darker(150), 1.2), look.colour, kMarker_px));
        }
        curve->setVisible(false);
    }
    legend->setVisible(false);

    plotLayout()->insertRow(0);
    m_title = new QCPTextElement(this, QString(), QFont(font().family(), 10, QFont::Bold));
    m_title->setObjectName(QStringLiteral("Chart1Title"));
    plotLayout()->addElement(0, 0, m_title);

    for (QCPAxis* axis : {xAxis, yAxis}) useStepTicker(axis);
    setSelectionRectMode(QCP::srmCustom);
    draw(ResultChart{});
}

QCPCurve* ResultChartView::series(int index) {
    return qobject_cast<QCPCurve*>(plottable(index));
}

void ResultChartView::draw(const ResultChart& chart) {
    xAxis->setLabel(chart.bottomTitle);
    yAxis->setLabel(chart.leftTitle);
    // An empty title would collapse its row and shift the plot when a curve is replayed.
    m_title->setText(chart.title.isEmpty() ? QStringLiteral(" ") : chart.title);
    for (int i = 0; i < static_cast<int>(chart.series.size()); ++i) drawSeries(chart, i);
    drawAxes(chart);
}

void ResultChartView::drawSeries(const ResultChart& chart, int index) {
    const ChartSeriesData& data = chart.series[static_cast<size_t>(index)];
    QCPCurve* curve = series(index);
    QVector<double> xs, ys;
    xs.reserve(data.points.size());
    ys.reserve(data.points.size());
    for (const QPointF& p : data.points) {
        xs << p.x();
        ys << p.y();
    }
    // Without keys the curve keeps the order the points come in.
    curve->setData(xs, ys);
    curve->setVisible(data.visible);

    clearLabels(index);
    for (int i = 0; i < data.points.size() && i < data.labels.size(); ++i) {
        if (data.labels[i].isEmpty()) continue;
        auto* anchor = new QCPItemTracer(this);
        anchor->setStyle(QCPItemTracer::tsNone);
        anchor->position->setCoords(data.points[i]);
        anchor->setVisible(false);
        auto* label = new QCPItemText(this);
        label->position->setParentAnchor(anchor->position);
        label->position->setCoords(kLabelOffsetX_px, kLabelOffsetY_px);
        label->setPositionAlignment(Qt::AlignLeft | Qt::AlignBottom);
        label->setText(data.labels[i]);
        label->setPadding(QMargins(3, 1, 3, 1));
        label->setPen(QPen(QColor(120, 120, 120)));
        label->setBrush(QColor(255, 255, 230));
        label->setVisible(data.visible);
        m_labels[static_cast<size_t>(index)] << anchor << label;
    }
    replot(QCustomPlot::rpQueuedReplot);
}

void ResultChartView::drawAxes(const ResultChart& chart) {
    showAxisScale(xAxis, scaleOf(chart.bottom));
    showAxisScale(yAxis, scaleOf(chart.left));
    replot(QCustomPlot::rpQueuedReplot);
}

void ResultChartView::clearLabels(int index) {
    for (QCPAbstractItem* item : std::as_const(m_labels[static_cast<size_t>(index)])) removeItem(item);
    m_labels[static_cast<size_t>(index)].clear();
}

QStringList ResultChartView::labelTexts(int index) const {
    QStringList texts;
    for (QCPAbstractItem* item : m_labels[static_cast<size_t>(index)])
        if (auto* label = qobject_cast<QCPItemText*>(item)) texts << label->text();
    return texts;
}

QString ResultChartView::title() const {
    return m_title->text().trimmed();
}

QPixmap ResultChartView::picture() {
    return toPixmap(width(), height());
}

QByteArray ResultChartView::png() {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture().save(&buffer, "PNG");
    return bytes;
}

QByteArray ResultChartView::renderPng(const ResultChart& chart, QSize size) {
    ResultChartView view;
    view.resize(size);
    view.draw(chart);
    return view.png();
}

void ResultChartView::contextMenuEvent(QContextMenuEvent* event) {
    if (!m_popupMenu) {
        QCustomPlot::contextMenuEvent(event);
        return;
    }
    m_popupMenu->popup(event->globalPos());
    event->accept();
}

}  // namespace springtest
