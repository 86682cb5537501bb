#include "windows/console/CurvePage.h"

#include "platform/OperatorTexts.h"
#include "windows/common/WindowTexts.h"
#include "windows/console/PlotPicture.h"

#include <qcustomplot.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

namespace springtest {

CurvePage::CurvePage(const Names& names, const QList<SeriesLook>& series, QString applicationFolder,
                     QWidget* parent)
    : QWidget(parent), m_applicationFolder(std::move(applicationFolder)) {
    m_readout = new QLabel(this);
    m_readout->setObjectName(names.readout);
    m_readout->setMinimumWidth(230);

    buildChart(names.chart, series);
    buildToolBar(names);

    m_topRow = new QHBoxLayout;
    m_topRow->setContentsMargins(6, 0, 6, 0);
    m_topRow->addWidget(m_toolBar);
    m_topRow->addStretch(1);
    m_topRow->addWidget(m_readout);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(m_topRow);
    layout->addWidget(m_chart, 1);
}

void CurvePage::buildChart(const QString& name, const QList<SeriesLook>& series) {
    m_chart = new QCustomPlot(this);
    m_chart->setObjectName(name);
    m_chart->setMinimumHeight(200);

    for (const SeriesLook& look : series) {
        // A curve keeps its points in arrival order: the return stroke runs back over the forward one.
        auto* curve = new QCPCurve(m_chart->xAxis, m_chart->yAxis);
        curve->setObjectName(look.name);
        curve->setName(look.title);
        curve->setPen(QPen(look.colour, 1.5));
    }

    m_chart->xAxis->setLabel(QStringLiteral("位移(mm)"));
    m_chart->yAxis->setLabel(kLoadName);
    for (QCPAxis* axis : {m_chart->xAxis, m_chart->yAxis}) useStepTicker(axis);
    m_chart->axisRect()->setBackground(Qt::white);

    // The legend sits above the plot, in one row.
    m_chart->legend->setVisible(true);
    m_chart->legend->setFillOrder(QCPLegend::foColumnsFirst);
    m_chart->legend->setBorderPen(Qt::NoPen);
    m_chart->legend->setBrush(Qt::NoBrush);
    m_chart->axisRect()->insetLayout()->take(m_chart->legend);
    auto* legendRow = new QCPLayoutGrid;
    m_chart->plotLayout()->insertRow(0);
    m_chart->plotLayout()->addElement(0, 0, legendRow);
    m_chart->plotLayout()->setRowStretchFactor(0, 0.001);
    legendRow->setMargins(QMargins(0, 2, 0, 0));
    legendRow->addElement(0, 0, new QCPLayoutElement(m_chart));
    legendRow->addElement(0, 1, m_chart->legend);
    legendRow->addElement(0, 2, new QCPLayoutElement(m_chart));
    legendRow->setColumnStretchFactors({1.0, 0.001, 1.0});

    m_chart->setSelectionRectMode(QCP::srmCustom);
    connect(m_chart->selectionRect(), &QCPSelectionRect::accepted, this, &CurvePage::onRectangle);
    connect(m_chart, &QCustomPlot::mouseMove, this, &CurvePage::updateReadout);
    showAxes();
}

QToolButton* CurvePage::addTool(const QString& name, const QString& hint, ChartTool icon,
                                void (CurvePage::*command)()) {
    auto* button = new QToolButton(m_toolBar);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setIcon(chartToolIcon(icon));
    button->setAutoRaise(true);
    connect(button, &QToolButton::clicked, this, command);
    m_toolBar->addWidget(button);
    return button;
}

void CurvePage::buildToolBar(const Names& names) {
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(names.toolBar);
    m_toolBar->setIconSize(QSize(24, 24));
    const auto& tool = names.tools;
    addTool(tool[0], kZoomInTool, ChartTool::ZoomIn, &CurvePage::zoomIn);
    addTool(tool[1], kZoomOutTool, ChartTool::ZoomOut, &CurvePage::zoomOut);
    m_toolBar->addSeparator();
    addTool(tool[2], kStretchYTool, ChartTool::StretchY, &CurvePage::stretchLeftAxis);
    addTool(tool[3], kShrinkYTool, ChartTool::ShrinkY, &CurvePage::shrinkLeftAxis);
    addTool(tool[4], kShrinkXTool, ChartTool::ShrinkX, &CurvePage::shrinkBottomAxis);
    addTool(tool[5], kStretchXTool, ChartTool::StretchX, &CurvePage::stretchBottomAxis);
    m_toolBar->addSeparator();
    addTool(tool[6], kSaveCurveTool, ChartTool::Save, &CurvePage::savePicture);
    addTool(tool[7], QStringLiteral("曲线图像打印"), ChartTool::Print, &CurvePage::printPreview);
    m_toolBar->addSeparator();
    m_widthButton = new QToolButton(m_toolBar);
    m_widthButton->setObjectName(tool[8]);
    m_widthButton->setToolTip(QStringLiteral("窗口放大"));
    m_widthButton->setIcon(chartToolIcon(ChartTool::Widen));
    m_widthButton->setAutoRaise(true);
    connect(m_widthButton, &QToolButton::clicked, this, &CurvePage::widthToggleRequested);
    m_toolBar->addWidget(m_widthButton);
}

QCPCurve* CurvePage::series(int index) const {
    if (index < 0 || index >= m_chart->plottableCount()) return nullptr;
    return qobject_cast<QCPCurve*>(m_chart->plottable(index));
}

int CurvePage::seriesCount() const {
    return m_chart->plottableCount();
}

void CurvePage::setBottomAxis(const AxisScale& scale) {
    m_bottom = scale;
    showAxes();
}

void CurvePage::setLeftAxis(const AxisScale& scale) {
    m_left = scale;
    showAxes();
}

void CurvePage::setAxisTitles(const QString& bottom, const QString& left) {
    m_chart->xAxis->setLabel(bottom);
    m_chart->yAxis->setLabel(left);
    m_chart->replot(QCustomPlot::rpQueuedReplot);
}

void CurvePage::showAxes() {
    showAxisScale(m_chart->xAxis, m_bottom);
    showAxisScale(m_chart->yAxis, m_left);
    m_chart->replot(QCustomPlot::rpQueuedReplot);
}

void CurvePage::startCurve(const AxisScale& bottom, const AxisScale& left) {
    for (int i = 0; i < seriesCount(); ++i) series(i)->data()->clear();
    m_bottom = bottom;
    m_left = left;
    m_zoomUndo.forget();
    showAxes();
}

void CurvePage::addPoints(int index, const QVector<double>& xs, const QVector<double>& ys) {
    if (QCPCurve* curve = series(index)) curve->addData(xs, ys);
    m_chart->replot(QCustomPlot::rpQueuedReplot);
}

void CurvePage::widenTo(double bottomMax, double bottomStep, double leftMax, double leftStep) {
    m_bottom.maximum = bottomMax;
    m_bottom.step = bottomStep;
    m_left.maximum = leftMax;
    m_left.step = leftStep;
    showAxes();
}

void CurvePage::setRanges(const AxisScale& bottom, const AxisScale& left) {
    m_bottom = bottom;
    m_left = left;
    showAxes();
}

void CurvePage::zoomIn() {
    m_zoomUndo.remember(m_bottom, m_left);
    m_bottom = zoomedIn(m_bottom);
    m_left = zoomedIn(m_left);
    showAxes();
}

void CurvePage::zoomOut() {
    m_zoomUndo.remember(m_bottom, m_left);
    m_bottom = zoomedOut(m_bottom);
    m_left = zoomedOut(m_left);
    showAxes();
}

void CurvePage::stretchLeftAxis() {
    setLeftAxis(stretched(m_left));
}
void CurvePage::shrinkLeftAxis() {
    setLeftAxis(shrunk(m_left));
}
void CurvePage::stretchBottomAxis() {
    setBottomAxis(stretched(m_bottom));
}
void CurvePage::shrinkBottomAxis() {
    setBottomAxis(shrunk(m_bottom));
}

void CurvePage::onRectangle(const QRect& rect, QMouseEvent*) {
    const DraggedRectangle dragged = readDraggedRectangle(*m_chart, rect);
    if (dragged.meaning == DraggedRectangle::Meaning::Undo)
        undoZoom();
    else if (dragged.meaning == DraggedRectangle::Meaning::Zoom)
        zoomToRectangle(rect.normalized());
}

void CurvePage::zoomToRectangle(const QRect& pixels) {
    const DraggedRectangle dragged = readDraggedRectangle(*m_chart, pixels);
    if (dragged.meaning != DraggedRectangle::Meaning::Zoom) return;
    m_zoomUndo.remember(m_bottom, m_left);
    m_bottom = dragged.bottom;
    m_left = dragged.left;
    showAxes();
}

void CurvePage::undoZoom() {
    const auto before = m_zoomUndo.take();
    if (!before) return;
    m_bottom = before->first;
    m_left = before->second;
    showAxes();
}

void CurvePage::updateReadout(QMouseEvent* event) {
    const double x = m_chart->xAxis->pixelToCoord(event->position().x());
    const double y = m_chart->yAxis->pixelToCoord(event->position().y());
    m_readout->setText(kCurveReadoutPrefix + QString::number(x, 'f', 3) + QStringLiteral(" Y:") +
                       QString::number(y, 'f', 3));
}

void CurvePage::savePicture() {
    saveChartBitmap(*m_chart, m_applicationFolder);
}

void CurvePage::printPreview() {
    previewChartPrint(*m_chart, this, QStringLiteral("曲线图像打印"), PreviewMode::Blocking);
}

void CurvePage::showWidth(bool wide, const QString& hint) {
    m_widthButton->setIcon(chartToolIcon(wide ? ChartTool::Narrow : ChartTool::Widen));
    m_widthButton->setToolTip(hint);
}

}  // namespace springtest
