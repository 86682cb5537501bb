#include "windows/browser/CurveBrowser.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "platform/OperatorTexts.h"
#include "platform/Prompts.h"
#include "results/BrowsedBatch.h"
#include "results/ReportExport.h"
#include "storage/BatchFileRefusal.h"
#include "windows/browser/ResultChartView.h"
#include "windows/browser/TFcurve_area.h"
#include "windows/common/ResultGrids.h"
#include "windows/common/WindowTexts.h"
#include "windows/console/ChartToolIcons.h"
#include "windows/console/PlotPicture.h"

namespace springtest {

namespace {

AxisScale scaleOf(const AxisRange& range) {
    return {range.min, range.max, range.step};
}
AxisRange rangeOf(const AxisScale& scale) {
    return {scale.minimum, scale.maximum, scale.step};
}

std::optional<ChartTool> toolIcon(const QString& name) {
    static const QHash<QString, ChartTool> icons{{QStringLiteral("bsSkinSpeedButton1"), ChartTool::ZoomIn},
                                                 {QStringLiteral("bsSkinSpeedButton2"), ChartTool::ZoomOut},
                                                 {QStringLiteral("bsSkinSpeedButton6"), ChartTool::StretchY},
                                                 {QStringLiteral("bsSkinSpeedButton7"), ChartTool::ShrinkY},
                                                 {QStringLiteral("bsSkinSpeedButton8"), ChartTool::ShrinkX},
                                                 {QStringLiteral("bsSkinSpeedButton9"), ChartTool::StretchX},
                                                 {QStringLiteral("bsSkinSpeedButton10"), ChartTool::Print},
                                                 {QStringLiteral("bsSkinSpeedButton13"), ChartTool::Save}};
    const auto found = icons.constFind(name);
    if (found == icons.constEnd()) return std::nullopt;
    return *found;
}

}  // namespace

CurveBrowser::CurveBrowser(QString applicationFolder, QString loadUnits, BatchKind kind,
                           SpreadsheetOpener& opener, QWidget* parent)
    : QDialog(parent),
      m_applicationFolder(std::move(applicationFolder)),
      m_loadUnits(std::move(loadUnits)),
      m_opener(opener),
      m_batchFolder(QDir::cleanPath(batchFolder(kind))) {
    setWindowTitle(kResultBrowserTitle);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    for (ChartSeriesData& s : m_idleChart.series) s.visible = false;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 4);
    layout->setSpacing(2);
}

CurveBrowser::~CurveBrowser() = default;

// ---------------------------------------------------------------------------------------------------------
// Building

void CurveBrowser::layOutGridsAndChart(ToolBarLook look) {
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(buildGrids());
    splitter->addWidget(placeChartPanel(buildChartPanel(look)));
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 5);
    static_cast<QVBoxLayout*>(layout())->addWidget(splitter, 1);
    resize(1100, 780);
}

QWidget* CurveBrowser::buildGrids() {
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("bsSkinPageControl1"));
    m_resultGrid = makeResultGrid(QStringLiteral("bsSkinDBGrid1"), true, tabs);
    m_schemeGrid = makeResultGrid(QStringLiteral("bsSkinDBGrid2"), false, tabs);
    tabs->addTab(m_resultGrid, QStringLiteral("试验结果"));
    tabs->addTab(m_schemeGrid, QStringLiteral("试验信息"));
    tabs->setCurrentIndex(0);

    m_resultGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_resultGrid, &QWidget::customContextMenuRequested, this, &CurveBrowser::resultGridMenu);
    connect(m_resultGrid, &QTableWidget::cellDoubleClicked, this, &CurveBrowser::replayCurrent);
    return tabs;
}

QToolButton* CurveBrowser::addTool(QWidget* bar, const QString& name, const QString& hint, ToolBarLook look,
                                   void (CurveBrowser::*command)()) {
    auto* button = new QToolButton(bar);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setText(hint);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    if (look == ToolBarLook::IconsInGroups) {
        button->setIconSize(QSize(20, 20));
        if (const auto icon = toolIcon(name)) {
            button->setIcon(chartToolIcon(*icon));
            button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        }
    }
    connect(button, &QToolButton::clicked, this, command);
    bar->layout()->addWidget(button);
    return button;
}

QWidget* CurveBrowser::buildChartPanel(ToolBarLook look) {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("bsSkinPanel1"));

    auto* caption = new QLabel(kCurveWindowCaption, panel);
    caption->setObjectName(QStringLiteral("bsSkinLabel1"));
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    m_readout = new QLabel(panel);
    m_readout->setObjectName(QStringLiteral("bsSkinLabel2"));
    m_readout->setMinimumWidth(220);

    auto* tools = new QWidget(panel);
    tools->setObjectName(QStringLiteral("bsSkinToolBar1"));
    auto* toolRow = new QHBoxLayout(tools);
    toolRow->setContentsMargins(0, 0, 0, 0);
    toolRow->setSpacing(1);
    const auto separator = [tools, toolRow, look] {
        if (look != ToolBarLook::IconsInGroups) return;
        auto* line = new QFrame(tools);
        line->setFrameShape(QFrame::VLine);
        line->setFrameShadow(QFrame::Sunken);
        toolRow->addWidget(line);
    };
    const auto tool = [this, tools, look](const char* name, const QString& hint,
                                          void (CurveBrowser::*command)()) {
        return addTool(tools, QString::fromLatin1(name), hint, look, command);
    };
    tool("bsSkinSpeedButton1", kZoomInTool, &CurveBrowser::zoomIn);
    tool("bsSkinSpeedButton2", kZoomOutTool, &CurveBrowser::zoomOut);
    separator();
    tool("bsSkinSpeedButton6", kStretchYTool, &CurveBrowser::raiseLeftMaximum);
    tool("bsSkinSpeedButton7", kShrinkYTool, &CurveBrowser::lowerLeftMaximum);
    tool("bsSkinSpeedButton8", kShrinkXTool, &CurveBrowser::lowerBottomMaximum);
    tool("bsSkinSpeedButton9", kStretchXTool, &CurveBrowser::raiseBottomMaximum);
    tool("bsSkinSpeedButton4", QStringLiteral("曲线范围设置调节"), &CurveBrowser::openCurveArea);
    separator();
    m_traversalButton =
        tool("bsSkinSpeedButton5", QStringLiteral("曲线编历"), &CurveBrowser::toggleTraversal);
    separator();
    tool("bsSkinSpeedButton3", QStringLiteral("复制曲线"), &CurveBrowser::copyCurve);
    tool("bsSkinSpeedButton13", kSaveCurveTool, &CurveBrowser::saveCurve);
    tool("bsSkinSpeedButton10", QStringLiteral("曲线打印"), &CurveBrowser::printCurve);
    toolRow->addStretch(1);

    m_chartView = new ResultChartView(panel);
    m_chartView->setMinimumHeight(260);
    connect(m_chartView->selectionRect(), &QCPSelectionRect::accepted, this,
            [this](const QRect& dragged, QMouseEvent*) { chartRectangle(dragged); });
    connect(m_chartView, &QCustomPlot::mouseMove, this, &CurveBrowser::chartMouseMove);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(4, 2, 4, 0);
    top->addWidget(caption);
    top->addStretch(1);
    top->addWidget(m_readout);

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(top);
    layout->addWidget(tools);
    layout->addWidget(m_chartView, 1);
    return panel;
}

// ---------------------------------------------------------------------------------------------------------
// Showing

const ResultChart& CurveBrowser::chart() const {
    return m_batch ? m_batch->chart() : m_idleChart;
}
ResultChart& CurveBrowser::currentChart() {
    return m_batch ? m_batch->chart() : m_idleChart;
}

void CurveBrowser::readChartSettings() {
    m_steps = readAxisSteps(m_applicationFolder);
    m_idleChart.leftTitle = kLoadName + QLatin1Char('(') + m_loadUnits + QLatin1Char(')');
    if (m_batch) m_batch->chart().leftTitle = m_idleChart.leftTitle;
}

void CurveBrowser::showBatch(BrowsedBatch* batch, const ResultChart& shown) {
    m_batch = batch;
    if (!m_batch) {
        for (ChartSeriesData& s : m_idleChart.series) {
            s.clear();
            s.visible = false;
        }
    }
    // What stays on the chart from one batch to the next: the axes and the titles; the series are the
    // batch's.
    ResultChart& now = currentChart();
    now.bottom = shown.bottom;
    now.left = shown.left;
    now.title = shown.title;
    now.bottomTitle = shown.bottomTitle;
    now.leftTitle = shown.leftTitle;
    m_zoomUndo.forget();
    m_chartView->setPopupMenu(nullptr);
}

void CurveBrowser::redraw() {
    m_chartView->draw(currentChart());
}
void CurveBrowser::redrawAxes() {
    m_chartView->drawAxes(currentChart());
}

int CurveBrowser::currentResultRow() const {
    return std::max(0, m_resultGrid->currentRow());
}

void CurveBrowser::resultGridMenu(const QPoint& at) {
    if (m_batch) m_resultMenu->popup(m_resultGrid->viewport()->mapToGlobal(at));
}

// ---------------------------------------------------------------------------------------------------------
// Batches and results

void CurveBrowser::replayCurrent() {
    if (!m_batch) return;
    // A full-rate curve is drawn as the chart's pixel columns show it, not point by point.
    m_batch->setCurveColumns(m_chartView->width());
    const QString message = m_batch->ShowCurve(currentResultRow());
    // A new curve comes with axes of its own; a test without samples leaves the curve, and its zooms, as
    // they were.
    if (message.isEmpty()) m_zoomUndo.forget();
    redraw();
    if (!message.isEmpty()) prompts().message(message);
    if (message.isEmpty() && !m_batch->curveNotice().isEmpty()) prompts().message(m_batch->curveNotice());
}

void CurveBrowser::deleteCurrent() {
    if (!m_batch) return;
    const int row = currentResultRow();
    const QString message = m_batch->DeleteCurrent(row);
    fillGrids();
    const int rows = m_resultGrid->rowCount();
    if (rows > 0) placeCurrentRow(*m_resultGrid, std::min(row, rows - 1));
    // The replayed curve may have gone with its test, or moved to a new serial.
    redraw();
    if (!message.isEmpty()) prompts().message(message);
}

void CurveBrowser::deleteAll() {
    if (!m_batch) return;
    if (m_batch->results().isEmpty()) {
        prompts().message(m_batch->DeleteAll());  // "无测试记录！！"
        return;
    }
    if (!prompts().question(QStringLiteral("确定要全部删除？"), kPromptCaption, PromptIcon::Stop)) return;
    const QString message = m_batch->DeleteAll();
    if (!message.isEmpty()) {
        prompts().message(message);
        return;
    }
    prompts().message(QStringLiteral("记录删除成功!"));
    // The batch must be opened again before anything else is done with it.
    closeBatch();
}

QString CurveBrowser::chooseBatchToOpen() {
    const QString folder = QDir(m_applicationFolder).filePath(m_batchFolder);
    QDir().mkpath(folder);
    const QString file = prompts().openFile(kOpenDatabaseTitle, folder, kBatchFileFilter);
    if (file.isEmpty()) return {};  // cancelled
    if (!QFileInfo(file).isFile()) {
        prompts().message(kFileMissing);
        return {};
    }
    return file;
}

void CurveBrowser::deleteBatchFile() {
    const QString folder = QDir(m_applicationFolder).filePath(m_batchFolder);
    const QString file = prompts().openFile(kDeleteDatabaseTitle, folder, kBatchFileFilter);
    if (file.isEmpty()) return;  // cancelled
    const QString refusal = batchFileRefusal(file, BatchFileUse::Delete);
    if (!refusal.isEmpty()) {
        prompts().message(refusal);
        return;
    }
    if (!prompts().question(kDeleteFolderQuestion + QDir::toNativeSeparators(file))) return;
    if (!QFile::remove(file) || QFileInfo::exists(file)) {
        prompts().message(kFileDeleteError);
        return;
    }
    prompts().message(QStringLiteral("文件删除成功!!"));
}

void CurveBrowser::showOutcome(const ExportOutcome& outcome) {
    if (outcome.message.isEmpty()) return;
    // The operator gets the system's words; why it failed goes to the log.
    if (!outcome.detail.isEmpty()) qWarning("%s", qUtf8Printable(outcome.detail));
    prompts().message(outcome.message);
}

// ---------------------------------------------------------------------------------------------------------
// The chart

void CurveBrowser::rememberRangesBeforeZoom() {
    m_zoomUndo.remember(scaleOf(currentChart().bottom), scaleOf(currentChart().left));
}

void CurveBrowser::zoomIn() {
    rememberRangesBeforeZoom();
    zoomAxisIn(currentChart().bottom);
    zoomAxisIn(currentChart().left);
    redrawAxes();
}

void CurveBrowser::zoomOut() {
    rememberRangesBeforeZoom();
    zoomAxisOut(currentChart().bottom);
    zoomAxisOut(currentChart().left);
    redrawAxes();
}

void CurveBrowser::raiseLeftMaximum() {
    raiseAxisMaximum(currentChart().left, m_steps.y);
    redrawAxes();
}

void CurveBrowser::lowerLeftMaximum() {
    lowerAxisMaximum(currentChart().left, m_steps.y);
    redrawAxes();
}

void CurveBrowser::raiseBottomMaximum() {
    raiseAxisMaximum(currentChart().bottom, m_steps.x);
    redrawAxes();
}

void CurveBrowser::lowerBottomMaximum() {
    lowerAxisMaximum(currentChart().bottom, m_steps.x);
    redrawAxes();
}

void CurveBrowser::chartRectangle(const QRect& dragged) {
    const DraggedRectangle rectangle = readDraggedRectangle(*m_chartView, dragged);
    if (rectangle.meaning == DraggedRectangle::Meaning::Zoom) {
        rememberRangesBeforeZoom();
        currentChart().bottom = rangeOf(rectangle.bottom);
        currentChart().left = rangeOf(rectangle.left);
    } else if (rectangle.meaning == DraggedRectangle::Meaning::Undo) {
        const auto before = m_zoomUndo.take();
        if (!before) return;
        currentChart().bottom = rangeOf(before->first);
        currentChart().left = rangeOf(before->second);
    } else {
        return;
    }
    redrawAxes();
}

void CurveBrowser::chartMouseMove(QMouseEvent* event) {
    const double x = m_chartView->xAxis->pixelToCoord(event->position().x());
    const double y = m_chartView->yAxis->pixelToCoord(event->position().y());
    if (m_batch && m_batch->traversing()) {
        m_batch->TrackCursor(m_batch->schemeStyle(), x, y);
        m_chartView->drawSeries(currentChart(), ResultChart::Traversal);
    }
    m_readout->setText(kCurveReadoutPrefix + QString::number(x, 'f', 2) + QStringLiteral(" Y:") +
                       QString::number(y, 'f', 2));
}

void CurveBrowser::openCurveArea() {
    TFcurve_area window(m_applicationFolder, currentChart(), m_steps, this);
    window.exec();
    redrawAxes();
}

void CurveBrowser::copyCurve() {
    QApplication::clipboard()->setPixmap(m_chartView->picture());
}

void CurveBrowser::saveCurve() {
    saveChartBitmap(*m_chartView, m_applicationFolder);
}

}  // namespace springtest
