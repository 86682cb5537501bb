#include "windows/console/TF_chart.h"

#include "measurement/TDisplacement.h"
#include "measurement/Tload.h"
#include "windows/common/WindowTexts.h"
#include "windows/console/ConsoleContext.h"
#include "windows/console/CurvePage.h"

#include <qcustomplot.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace springtest {

namespace {

const QString kWidenHint = QStringLiteral("曲线窗口放大");
const QString kNarrowHint = QStringLiteral("曲线窗口缩小");
constexpr int kDefaultHeight_px = 470;

QString channelTitle(const TPassage& channel) {
    return channel.Name() + QStringLiteral("  (") + channel.Units() + QLatin1Char(')');
}

// The component names of each chart's page: the test's chart keeps the names it has always had, the path's
// page numbers its toolbar buttons on from 2.
CurvePage::Names pageNames(int number) {
    const auto names = [](std::initializer_list<int> numbers) {
        std::array<QString, 9> tools;
        int i = 0;
        for (int n : numbers) tools[static_cast<size_t>(i++)] = QStringLiteral("bsSkinSpeedButton%1").arg(n);
        return tools;
    };
    if (number == 1)
        return {QStringLiteral("Chart1"), QStringLiteral("bsSkinToolBar1"), QStringLiteral("bsSkinLabel8"),
                names({10, 11, 15, 16, 17, 18, 19, 20, 1})};
    return {QStringLiteral("Chart%1").arg(number), QStringLiteral("bsSkinToolBar%1").arg(number),
            QStringLiteral("CHART_SHOW%1").arg(number), names({2, 3, 4, 5, 6, 7, 8, 9, 12})};
}

}  // namespace

TF_chart::TF_chart(ConsoleContext& ctx, QWidget* parent) : TF_chart(ctx, Charts::Test, parent) {}

TF_chart::TF_chart(ConsoleContext& ctx, Charts charts, QWidget* parent) : QWidget(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("TF_chart"));
    setWindowTitle(kCurveWindowCaption);

    m_title = new QLabel(kCurveWindowCaption, this);
    m_title->setObjectName(QStringLiteral("bsSkinLabel7"));
    QFont titleFont = m_title->font();
    titleFont.setBold(true);
    m_title->setFont(titleFont);

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

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 0);
    layout->setSpacing(2);
    if (charts == Charts::Test) {
        CurvePage* page = addPage(1, true, this);
        page->topRow()->insertWidget(0, m_title);
        page->topRow()->insertSpacing(1, 12);
        layout->addWidget(page, 1);
    } else {
        auto* tabs = new QTabWidget(this);
        tabs->setObjectName(QStringLiteral("bsSkinPageControl1"));
        const QString captions[] = {QStringLiteral("性能测试曲线"), QStringLiteral("X轴-Y轴曲线")};
        for (int number = 1; number <= 2; ++number) {
            auto* sheet = new QWidget(tabs);
            sheet->setObjectName(QStringLiteral("bsSkinTabSheet%1").arg(number));
            auto* sheetLayout = new QVBoxLayout(sheet);
            sheetLayout->setContentsMargins(0, 2, 0, 0);
            sheetLayout->addWidget(addPage(number, false, sheet));
            tabs->addTab(sheet, captions[number - 1]);
        }
        // The selected tab in bold, the others underlined, as on the lateral control panel.
        tabs->setStyleSheet(
            QStringLiteral("QTabBar::tab { padding: 3px 8px; color: black; "
                           "text-decoration: underline; }"
                           "QTabBar::tab:selected { font-weight: bold; "
                           "text-decoration: none; }"));
        auto* titleRow = new QHBoxLayout;
        titleRow->setContentsMargins(6, 0, 6, 0);
        titleRow->addWidget(m_title);
        titleRow->addStretch(1);
        layout->addLayout(titleRow);
        layout->addWidget(tabs, 1);
    }
    layout->addWidget(m_statusBar);

    setFixedWidth(kNarrowWidth_px);
    resize(kNarrowWidth_px, kDefaultHeight_px);

    m_drawTimer = new QTimer(this);
    m_drawTimer->setInterval(kDrawInterval_ms);
    connect(m_drawTimer, &QTimer::timeout, this, &TF_chart::drawPendingCurve);
    m_drawTimer->start();
}

TF_chart::~TF_chart() = default;

CurvePage* TF_chart::addPage(int number, bool characteristicCurve, QWidget* parent) {
    QList<CurvePage::SeriesLook> looks = {{QStringLiteral("Series1"), QStringLiteral("进程"), Qt::red},
                                          {QStringLiteral("Series2"), QStringLiteral("回程"), Qt::black}};
    if (characteristicCurve)
        looks.append({QStringLiteral("Series3"), QStringLiteral("特征曲线"), Qt::darkGreen});
    auto* page = new CurvePage(pageNames(number), looks, m_ctx.applicationFolder, parent);
    connect(page, &CurvePage::widthToggleRequested, this, &TF_chart::toggleWidth);
    m_pages.push_back(page);
    return page;
}

CurvePage* TF_chart::curvePage(int number) const {
    if (number < 1 || number > static_cast<int>(m_pages.size())) return nullptr;
    return m_pages[static_cast<size_t>(number - 1)];
}

QCustomPlot* TF_chart::chart() const {
    return m_pages.front()->chart();
}

QCPCurve* TF_chart::series(int index) const {
    return m_pages.front()->series(index);
}

AxisScale TF_chart::bottomAxis() const {
    return m_pages.front()->bottomAxis();
}
AxisScale TF_chart::leftAxis() const {
    return m_pages.front()->leftAxis();
}
void TF_chart::setBottomAxis(const AxisScale& scale) {
    m_pages.front()->setBottomAxis(scale);
}
void TF_chart::setLeftAxis(const AxisScale& scale) {
    m_pages.front()->setLeftAxis(scale);
}

void TF_chart::drawPendingCurve() {
    LiveCurveSink::Batch batch = m_sink.take();
    if (batch.isEmpty()) return;
    CurvePage* page = m_pages.front();
    if (batch.cleared) page->startCurve({}, {});
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
        page->addPoints(i, xs, loads);
    }
    // The feed widens the maxima only; where the operator moved a minimum, it stays.
    if (batch.axes)
        page->widenTo(batch.axes->bottomMax, batch.axes->bottomStep, batch.axes->leftMax,
                      batch.axes->leftStep);
}

void TF_chart::zoomIn() {
    m_pages.front()->zoomIn();
}
void TF_chart::zoomOut() {
    m_pages.front()->zoomOut();
}
void TF_chart::stretchLeftAxis() {
    m_pages.front()->stretchLeftAxis();
}
void TF_chart::shrinkLeftAxis() {
    m_pages.front()->shrinkLeftAxis();
}
void TF_chart::stretchBottomAxis() {
    m_pages.front()->stretchBottomAxis();
}
void TF_chart::shrinkBottomAxis() {
    m_pages.front()->shrinkBottomAxis();
}
void TF_chart::zoomToRectangle(const QRect& pixels) {
    m_pages.front()->zoomToRectangle(pixels);
}
void TF_chart::undoZoom() {
    m_pages.front()->undoZoom();
}
void TF_chart::savePicture() {
    m_pages.front()->savePicture();
}
void TF_chart::printPreview() {
    m_pages.front()->printPreview();
}

void TF_chart::toggleWidth() {
    // One state for the window, whichever page's button asked.
    m_wide = !m_wide;
    for (CurvePage* page : m_pages) page->showWidth(m_wide, m_wide ? kNarrowHint : kWidenHint);
    setFixedWidth(m_wide ? kWideWidth_px : kNarrowWidth_px);
}

void TF_chart::showEvent(QShowEvent* event) {
    if (QCPCurve* characteristic = series(2)) {
        characteristic->setVisible(false);
        characteristic->removeFromLegend();
    }
    for (CurvePage* page : m_pages) page->chart()->setBackground(palette().color(QPalette::Button));
    const CardSlot& card = m_ctx.cards.cards[0];
    QCustomPlot* plot = chart();
    if (card.load) plot->yAxis->setLabel(channelTitle(*card.load));
    if (card.displacement) plot->xAxis->setLabel(channelTitle(*card.displacement));
    plot->replot(QCustomPlot::rpQueuedReplot);
    QWidget::showEvent(event);
}

bool TF_chart::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_statusPanel3 && event->type() == QEvent::Enter)
        m_statusPanel3->setToolTip(m_statusPanel3->text());
    return QWidget::eventFilter(watched, event);
}

}  // namespace springtest
