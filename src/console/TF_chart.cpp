#include "console/TF_chart.h"

#include "console/ConsoleContext.h"
#include "measurement/TDisplacement.h"
#include "measurement/Tload.h"
#include "platform/Prompts.h"

#include <qcustomplot.h>

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace springtest {

namespace {

const QString kCaption = QStringLiteral("曲线显示窗口");
const QString kWidenHint = QStringLiteral("曲线窗口放大");
const QString kNarrowHint = QStringLiteral("曲线窗口缩小");
const QString kPictureFolder = QStringLiteral("picture");
const QString kSaveTitle = QStringLiteral("保存图片");
const QString kSaveFilter = QStringLiteral("图片(*.bmp)|*.bmp");
const QString kOverwrite = QStringLiteral("该文件名已经存在，是否覆盖?");
const QString kSaved = QStringLiteral("保存图片完成!!");
const QString kSaveFailed = QStringLiteral("保存图片失败!!");
const QString kNoPrinter = QStringLiteral("没有安装打印机,无法进行打印!!");
constexpr int kDefaultHeight_px = 470;
// A rectangle smaller than this is a click, not a zoom.
constexpr int kMinRectangle_px = 4;

// Tick labels with at most three decimals and no trailing zeros: a tenth of an odd maximum would otherwise
// print six digits.
class StepTicker : public QCPAxisTickerFixed {
protected:
    QString getTickLabel(double tick, const QLocale&, QChar, int) override {
        QString text = QString::number(std::round(tick * 1000.0) / 1000.0, 'f', 3);
        while (text.endsWith(QLatin1Char('0'))) text.chop(1);
        if (text.endsWith(QLatin1Char('.'))) text.chop(1);
        return text == QLatin1String("-0") ? QStringLiteral("0") : text;
    }
};

// Shows an axis as the operator set it. A test that has just started has a 0 .. 0 axis, which the chart
// cannot show; it gets a unit range until the first points widen it. A step that would crowd the axis with
// labels is replaced by a tenth of the range.
void showScale(QCPAxis* axis, const AxisScale& scale) {
    const double low = scale.minimum;
    const double high = scale.maximum > scale.minimum ? scale.maximum : scale.minimum + 1.0;
    axis->setRange(low, high);
    double step = scale.step;
    if (!(step > 0.0) || (high - low) / step > 100.0) step = (high - low) / 10.0;
    if (auto ticker = qSharedPointerDynamicCast<QCPAxisTickerFixed>(axis->ticker())) ticker->setTickStep(step);
}

QString channelTitle(const TPassage& channel) {
    return channel.Name() + QStringLiteral("  (") + channel.Units() + QLatin1Char(')');
}

}  // namespace

TF_chart::TF_chart(ConsoleContext& ctx, QWidget* parent) : QWidget(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("TF_chart"));
    setWindowTitle(kCaption);

    m_title = new QLabel(kCaption, this);
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
    m_chart->yAxis->setLabel(QStringLiteral("负荷"));
    for (QCPAxis* axis : {m_chart->xAxis, m_chart->yAxis}) axis->setTicker(QSharedPointer<StepTicker>::create());
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

QToolButton* TF_chart::addTool(const QString& name, const QString& hint, ChartTool icon, void (TF_chart::*command)()) {
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
    addTool(QStringLiteral("bsSkinSpeedButton10"), QStringLiteral("曲线放大"), ChartTool::ZoomIn, &TF_chart::zoomIn);
    addTool(QStringLiteral("bsSkinSpeedButton11"), QStringLiteral("曲线缩小"), ChartTool::ZoomOut, &TF_chart::zoomOut);
    m_toolBar->addSeparator();
    addTool(QStringLiteral("bsSkinSpeedButton15"), QStringLiteral("Y轴增大"), ChartTool::StretchY,
            &TF_chart::stretchLeftAxis);
    addTool(QStringLiteral("bsSkinSpeedButton16"), QStringLiteral("Y轴减小"), ChartTool::ShrinkY,
            &TF_chart::shrinkLeftAxis);
    addTool(QStringLiteral("bsSkinSpeedButton17"), QStringLiteral("X轴减小"), ChartTool::ShrinkX,
            &TF_chart::shrinkBottomAxis);
    addTool(QStringLiteral("bsSkinSpeedButton18"), QStringLiteral("X轴增大"), ChartTool::StretchX,
            &TF_chart::stretchBottomAxis);
    m_toolBar->addSeparator();
    addTool(QStringLiteral("bsSkinSpeedButton19"), QStringLiteral("保存曲线图像"), ChartTool::Save,
            &TF_chart::savePicture);
    addTool(QStringLiteral("bsSkinSpeedButton20"), QStringLiteral("曲线图像打印"), ChartTool::Print,
            &TF_chart::printPreview);
    m_toolBar->addSeparator();
    m_widthButton = addTool(QStringLiteral("bsSkinSpeedButton1"), QStringLiteral("窗口放大"), ChartTool::Widen,
                            &TF_chart::toggleWidth);
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
    showScale(m_chart->xAxis, m_bottom);
    showScale(m_chart->yAxis, m_left);
    m_chart->replot(QCustomPlot::rpQueuedReplot);
}

void TF_chart::drawPendingCurve() {
    LiveCurveSink::Batch batch = m_sink.take();
    if (batch.isEmpty()) return;
    if (batch.cleared) {
        for (int i = 0; i < LiveCurveSink::kSeries; ++i) series(i)->data()->clear();
        m_bottom = {};
        m_left = {};
        m_beforeZoom.reset();
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
    m_bottom = zoomedIn(m_bottom);
    m_left = zoomedIn(m_left);
    showAxes();
}

void TF_chart::zoomOut() {
    m_bottom = zoomedOut(m_bottom);
    m_left = zoomedOut(m_left);
    showAxes();
}

void TF_chart::stretchLeftAxis() { setLeftAxis(stretched(m_left)); }
void TF_chart::shrinkLeftAxis() { setLeftAxis(shrunk(m_left)); }
void TF_chart::stretchBottomAxis() { setBottomAxis(stretched(m_bottom)); }
void TF_chart::shrinkBottomAxis() { setBottomAxis(shrunk(m_bottom)); }

void TF_chart::onRectangle(const QRect& rect, QMouseEvent*) {
    // The rectangle runs from where the button went down to where it came up.
    if (rect.right() < rect.left()) {
        undoZoom();
        return;
    }
    zoomToRectangle(rect.normalized());
}

void TF_chart::zoomToRectangle(const QRect& pixels) {
    if (pixels.width() < kMinRectangle_px || pixels.height() < kMinRectangle_px) return;
    if (!m_beforeZoom) m_beforeZoom = std::make_pair(m_bottom, m_left);
    const double x1 = m_chart->xAxis->pixelToCoord(pixels.left());
    const double x2 = m_chart->xAxis->pixelToCoord(pixels.right());
    const double y1 = m_chart->yAxis->pixelToCoord(pixels.top());
    const double y2 = m_chart->yAxis->pixelToCoord(pixels.bottom());
    m_bottom = withTenthStep(std::min(x1, x2), std::max(x1, x2));
    m_left = withTenthStep(std::min(y1, y2), std::max(y1, y2));
    showAxes();
}

void TF_chart::undoZoom() {
    if (!m_beforeZoom) return;
    m_bottom = withTenthStep(m_beforeZoom->first.minimum, m_beforeZoom->first.maximum);
    m_left = withTenthStep(m_beforeZoom->second.minimum, m_beforeZoom->second.maximum);
    m_beforeZoom.reset();
    showAxes();
}

void TF_chart::updateReadout(QMouseEvent* event) {
    const double x = m_chart->xAxis->pixelToCoord(event->position().x());
    const double y = m_chart->yAxis->pixelToCoord(event->position().y());
    m_readout->setText(QStringLiteral("曲线坐标:X:") + QString::number(x, 'f', 3) + QStringLiteral(" Y:") +
                       QString::number(y, 'f', 3));
}

void TF_chart::savePicture() {
    const QString folder = QDir(m_ctx.applicationFolder).filePath(kPictureFolder);
    if (!QDir().mkpath(folder)) {
        prompts().message(kSaveFailed);
        return;
    }
    QString file = prompts().saveFile(kSaveTitle, folder, kSaveFilter);
    if (file.isEmpty()) return;
    if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".bmp");
    if (QFileInfo::exists(file) && !prompts().question(kOverwrite, QStringLiteral("提示"), PromptIcon::Stop)) return;
    if (!m_chart->saveBmp(file)) {
        prompts().message(kSaveFailed);
        return;
    }
    prompts().message(kSaved);
}

void TF_chart::printPreview() {
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        prompts().message(kNoPrinter);
        return;
    }
    QPrintPreviewDialog preview(this);
    preview.setWindowTitle(QStringLiteral("曲线图像打印"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, &TF_chart::renderForPrint);
    preview.exec();
}

void TF_chart::renderForPrint(QPrinter* printer) {
    QCPPainter painter(printer);
    const QRectF page = printer->pageLayout().paintRectPixels(printer->resolution());
    const int width = m_chart->width();
    const int height = m_chart->height();
    const double scale = std::min(page.width() / width, page.height() / height);
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    painter.scale(scale, scale);
    m_chart->toPainter(&painter, width, height);
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
    if (watched == m_statusPanel3 && event->type() == QEvent::Enter) m_statusPanel3->setToolTip(m_statusPanel3->text());
    return QWidget::eventFilter(watched, event);
}

}  // namespace springtest
