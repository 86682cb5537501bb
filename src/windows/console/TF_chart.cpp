#include "windows/console/TF_chart.h"

#include "measurement/TDisplacement.h"
#include "measurement/Tload.h"
#include "platform/OperatorTexts.h"
#include "windows/common/WindowTexts.h"
#include "windows/console/ConsoleContext.h"
#include "windows/console/PlotPicture.h"
#include "windows/console/PlotScale.h"

#include <qcustomplot.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace springtest {

namespace {

const QString kWidenHint = QStringLiteral("曲线窗口放大");
const QString kNarrowHint = QStringLiteral("曲线窗口缩小");
constexpr int kDefaultHeight_px = 470;

QString channelTitle(const TPassage& channel) {
    return channel.Name() + QStringLiteral("  (") + channel.Units() + QLatin1Char(')');
}

}  // namespace

TF_chart::TF_chart(ConsoleContext& ctx, QWidget* parent) : QWidget(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("TF_chart"));
    setWindowTitle(kCurveWindowCaption);

    m_title = new QLabel(kCurveWindowCaption, this);
    m_title->setObjectName(QStringLiteral("bsSkinLabel7"));
    QFont titleFont = m_title->font();
    titleFont.setBold(true);
    m_title->setFont(titleFont);

    m_readout = new QLabel(this);
    m_readout->setObjectName(QStringLiteral("bsSkinLabel8"));
    m_readout->setMinimumWidth(230);

    buildChart();
    buildToolBar();

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("bsSkinStatusBar1"));
    m_statusBar->setSizeGripEnabled(false);
    m_statusPanel1 = new QLabel(QStringLiteral("批次文件:"), m_statusBar);
    m_statusPanel1->setObjectName(QStringLiteral("bsSkinStatusPanel1"));
    m_statusPanel3 = new QLabel(m_statusBar);
    m_statusPanel3->setObjectName(QStringLiteral("bsSkinStatusPanel3"));
    // A long batch path is cut off rather than widening the window; its hint shows it whole.
    m_statusPanel3->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_statusPanel3->installEventFilter(this);
    m_statusBar->addWidget(m_statusPanel1);
    m_statusBar->addWidget(m_statusPanel3, 1);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(6, 0, 6, 0);
    top->addWidget(m_title);
    top->addSpacing(12);
    top->addWidget(m_toolBar);
    top->addStretch(1);
    top->addWidget(m_readout);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 0);
    layout->setSpacing(2);
    layout->addLayout(top);
    layout->addWidget(m_chart, 1);
    layout->addWidget(m_statusBar);

    setFixedWidth(kNarrowWidth_px);
    resize(kNarrowWidth_px, kDefaultHeight_px);

    m_drawTimer = new QTimer(this);
    m_drawTimer->setInterval(kDrawInterval_ms);
    connect(m_drawTimer, &QTimer::timeout, this, &TF_chart::drawPendingCurve);
    m_drawTimer->start();
}

TF_chart::~TF_chart() = default;

void TF_chart::buildChart() {
    m_chart = new QCustomPlot(this);
    m_chart->setObjectName(QStringLiteral("Chart1"));
    m_chart->setMinimumHeight(200);

    struct SeriesLook {
        const char* name;
        QString title;
        QColor colour;
    };
    const SeriesLook looks[LiveCurveSink::kSeries] = {{"Series1", QStringLiteral("进程"), Qt::red},
                                                      {"Series2", QStringLiteral("回程"), Qt::black},
                                                      {"Series3", QStringLiteral("特征曲线"), Qt::darkGreen}};
    for (const SeriesLook& look : looks) {
        // A curve keeps its points in arrival order: the return stroke runs back over the forward one.
        auto* curve = new QCPCurve(m_chart->xAxis, m_chart->yAxis);
        curve->setObjectName(QString::fromLatin1(look.name));
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
    connect(m_chart->selectionRect(), &QCPSelectionRect::accepted, this, &TF_chart::onRectangle);
    connect(m_chart, &QCustomPlot::mouseMove, this, &TF_chart::updateReadout);
    showAxes();
}

QToolButton* TF_chart::addTool(const QString& name, const QString& hint, ChartTool icon,
                               void (TF_chart::*command)()) {
    auto* button = new QToolButton(m_toolBar);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setIcon(chartToolIcon(icon));
    button->setAutoRaise(true);
    connect(button, &QToolButton::clicked, this, command);
    m_toolBar->addWidget(button);
    return button;
}

void TF_chart::buildToolBar() {
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("bsSkinToolBar1"));
    m_toolBar->setIconSize(QSize(24, 24));
    addTool(QStringLiteral("bsSkinSpeedButton10"), kZoomInTool, ChartTool::ZoomIn, &TF_chart::zoomIn);
    addTool(QStringLiteral("bsSkinSpeedButton11"), kZoomOutTool, ChartTool::ZoomOut, &TF_chart::zoomOut);
    m_toolBar->addSeparator();
    addTool(QStringLiteral("bsSkinSpeedButton15"), kStretchYTool, ChartTool::StretchY,
            &TF_chart::stretchLeftAxis);
    addTool(QStringLiteral("bsSkinSpeedButton16"), kShrinkYTool, ChartTool::ShrinkY,
            &TF_chart::shrinkLeftAxis);
    addTool(QStringLiteral("bsSkinSpeedButton17"), kShrinkXTool, ChartTool::ShrinkX,
            &TF_chart::shrinkBottomAxis);
    addTool(QStringLiteral("bsSkinSpeedButton18"), kStretchXTool, ChartTool::StretchX,
            &TF_chart::stretchBottomAxis);
    m_toolBar->addSeparator();
    addTool(QStringLiteral("bsSkinSpeedButton19"), kSaveCurveTool, ChartTool::Save, &TF_chart::savePicture);
    addTool(QStringLiteral("bsSkinSpeedButton20"), QStringLiteral("曲线图像打印"), ChartTool::Print,
            &TF_chart::printPreview);
    m_toolBar->addSeparator();
    m_widthButton = addTool(QStringLiteral("bsSkinSpeedButton1"), QStringLiteral("窗口放大"),
                            ChartTool::Widen, &TF_chart::toggleWidth);
}

QCPCurve* TF_chart::series(int index) const {
    return qobject_cast<QCPCurve*>(m_chart->plottable(index));
}

void TF_chart::setBottomAxis(const AxisScale& scale) {
    m_bottom = scale;
    showAxes();
}

void TF_chart::setLeftAxis(const AxisScale& scale) {
    m_left = scale;
    showAxes();
}

void TF_chart::showAxes() {
    showAxisScale(m_chart->xAxis, m_bottom);
    showAxisScale(m_chart->yAxis, m_left);
    m_chart->replot(QCustomPlot::rpQueuedReplot);
}

void TF_chart::drawPendingCurve() {
    LiveCurveSink::Batch batch = m_sink.take();
    if (batch.isEmpty()) return;
    if (batch.cleared) {
        for (int i = 0; i < LiveCurveSink::kSeries; ++i) series(i)->data()->clear();
        m_bottom = {};
        m_left = {};
        m_zoomUndo.forget();
    }
    for (int i = 0; i < LiveCurveSink::kSeries; ++i) {
        const auto& points = batch.series[static_cast<size_t>(i)];
        if (points.empty()) continue;
        QVector<double> xs, loads;
        xs.reserve(static_cast<qsizetype>(points.size()));
        loads.reserve(static_cast<qsizetype>(points.size()));
        for (const LiveCurveSink::Point& p : points) {
            xs << p.x;
            loads << p.load;
        }
        series(i)->addData(xs, loads);
    }
    if (batch.axes) {
        // The feed widens the maxima only; where the operator moved a minimum, it stays.
        m_bottom.maximum = batch.axes->bottomMax;
        m_bottom.step = batch.axes->bottomStep;
        m_left.maximum = batch.axes->leftMax;
        m_left.step = batch.axes->leftStep;
    }
    showAxes();
}

void TF_chart::zoomIn() {
    m_zoomUndo.remember(m_bottom, m_left);
    m_bottom = zoomedIn(m_bottom);
    m_left = zoomedIn(m_left);
    showAxes();
}

void TF_chart::zoomOut() {
    m_zoomUndo.remember(m_bottom, m_left);
    m_bottom = zoomedOut(m_bottom);
    m_left = zoomedOut(m_left);
    showAxes();
}

void TF_chart::stretchLeftAxis() {
    setLeftAxis(stretched(m_left));
}
void TF_chart::shrinkLeftAxis() {
    setLeftAxis(shrunk(m_left));
}
void TF_chart::stretchBottomAxis() {
    setBottomAxis(stretched(m_bottom));
}
void TF_chart::shrinkBottomAxis() {
    setBottomAxis(shrunk(m_bottom));
}

void TF_chart::onRectangle(const QRect& rect, QMouseEvent*) {
    const DraggedRectangle dragged = readDraggedRectangle(*m_chart, rect);
    if (dragged.meaning == DraggedRectangle::Meaning::Undo)
        undoZoom();
    else if (dragged.meaning == DraggedRectangle::Meaning::Zoom)
        zoomToRectangle(rect.normalized());
}

void TF_chart::zoomToRectangle(const QRect& pixels) {
    const DraggedRectangle dragged = readDraggedRectangle(*m_chart, pixels);
    if (dragged.meaning != DraggedRectangle::Meaning::Zoom) return;
    m_zoomUndo.remember(m_bottom, m_left);
    m_bottom = dragged.bottom;
    m_left = dragged.left;
    showAxes();
}

void TF_chart::undoZoom() {
    const auto before = m_zoomUndo.take();
    if (!before) return;
    m_bottom = before->first;
    m_left = before->second;
    showAxes();
}

void TF_chart::updateReadout(QMouseEvent* event) {
    const double x = m_chart->xAxis->pixelToCoord(event->position().x());
    const double y = m_chart->yAxis->pixelToCoord(event->position().y());
    m_readout->setText(kCurveReadoutPrefix + QString::number(x, 'f', 3) + QStringLiteral(" Y:") +
                       QString::number(y, 'f', 3));
}

void TF_chart::savePicture() {
    saveChartBitmap(*m_chart, m_ctx.applicationFolder);
}

void TF_chart::printPreview() {
    previewChartPrint(*m_chart, this, QStringLiteral("曲线图像打印"), PreviewMode::Blocking);
}

void TF_chart::toggleWidth() {
    m_wide = !m_wide;
    m_widthButton->setIcon(chartToolIcon(m_wide ? ChartTool::Narrow : ChartTool::Widen));
    m_widthButton->setToolTip(m_wide ? kNarrowHint : kWidenHint);
    setFixedWidth(m_wide ? kWideWidth_px : kNarrowWidth_px);
}

void TF_chart::showEvent(QShowEvent* event) {
    series(2)->setVisible(false);
    series(2)->removeFromLegend();
    m_chart->setBackground(palette().color(QPalette::Button));
    const CardSlot& card = m_ctx.cards.cards[0];
    if (card.load) m_chart->yAxis->setLabel(channelTitle(*card.load));
    if (card.displacement) m_chart->xAxis->setLabel(channelTitle(*card.displacement));
    m_chart->replot(QCustomPlot::rpQueuedReplot);
    QWidget::showEvent(event);
}

bool TF_chart::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_statusPanel3 && event->type() == QEvent::Enter)
        m_statusPanel3->setToolTip(m_statusPanel3->text());
    return QWidget::eventFilter(watched, event);
}

}  // namespace springtest
