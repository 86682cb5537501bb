#include "windows/browser/TF_dp_gbth.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QShowEvent>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/OperatorTexts.h"
#include "platform/Prompts.h"
#include "results/LeafTestRecord.h"
#include "results/ReportExport.h"
#include "results/Ttest_result_gbth.h"
#include "storage/Batch.h"
#include "storage/BatchFileRefusal.h"
#include "windows/browser/ResultChartView.h"
#include "windows/browser/TFcurve_area.h"
#include "windows/common/ResultGrids.h"
#include "windows/common/WindowTexts.h"
#include "windows/console/PlotPicture.h"

namespace springtest {

namespace {

const QString kTraversalTool = QStringLiteral("曲线编历");
const QString kRecordCommand = QStringLiteral("报表打印");
// This browser reads leaf-spring batches, from where every window and command keeps them.
const QString kBatchFolder = QDir::cleanPath(batchFolder(BatchKind::LeafSpring));

AxisScale scaleOf(const AxisRange& range) {
    return {range.min, range.max, range.step};
}
AxisRange rangeOf(const AxisScale& scale) {
    return {scale.minimum, scale.maximum, scale.step};
}

}  // namespace

TF_dp_gbth::TF_dp_gbth(QString applicationFolder, QString loadUnits, SpreadsheetOpener& opener,
                       QWidget* parent)
    : QDialog(parent),
      m_applicationFolder(std::move(applicationFolder)),
      m_loadUnits(std::move(loadUnits)),
      m_opener(opener) {
    setObjectName(QStringLiteral("TF_dp_gbth"));
    setWindowTitle(kResultBrowserTitle);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    for (ChartSeriesData& s : m_idleChart.series) s.visible = false;
    m_idleChart.bottomTitle = QStringLiteral(" 变形(mm)");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 4);
    layout->setSpacing(2);
    buildMenus();

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(buildGrids());
    splitter->addWidget(buildChartPanel());
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 5);
    layout->addWidget(splitter, 1);

    fillGrids();
    resize(1100, 780);
}

TF_dp_gbth::~TF_dp_gbth() = default;

void TF_dp_gbth::buildMenus() {
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("bsSkinMainMenu1"));
    layout()->setMenuBar(bar);
    const auto item = [this](QMenu* menu, const char* name, const QString& caption,
                             void (TF_dp_gbth::*command)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, command);
        return action;
    };

    QMenu* file = bar->addMenu(kFileMenu);
    item(file, "N1", kOpenFileCommand, &TF_dp_gbth::openBatch);
    item(file, "N2", kDeleteFileCommand, &TF_dp_gbth::deleteBatchFile);
    QMenu* report = bar->addMenu(QStringLiteral("报表"));
    item(report, "N14", kRecordCommand, &TF_dp_gbth::exportRecord);

    m_resultMenu = new QMenu(this);
    m_resultMenu->setObjectName(QStringLiteral("bsSkinPopupMenu1"));
    item(m_resultMenu, "N6", QStringLiteral("删除数据"), &TF_dp_gbth::deleteCurrent);
    item(m_resultMenu, "N7", QStringLiteral("全部删除"), &TF_dp_gbth::deleteAll);
    m_resultMenu->addSeparator();
    item(m_resultMenu, "N10", kRecordCommand, &TF_dp_gbth::exportRecord);
    item(m_resultMenu, "N15", QStringLiteral("采集数据点导出"), &TF_dp_gbth::exportPoints);

    m_chartMenu = new QMenu(this);
    m_chartMenu->setObjectName(QStringLiteral("bsSkinPopupMenu2"));
    item(m_chartMenu, "N8", QStringLiteral("取点"), &TF_dp_gbth::pickPoint);
    item(m_chartMenu, "N13", QStringLiteral("清除"), &TF_dp_gbth::clearPicked);
}

QWidget* TF_dp_gbth::buildGrids() {
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("bsSkinPageControl1"));
    m_resultGrid = makeResultGrid(QStringLiteral("bsSkinDBGrid1"), true, tabs);
    m_schemeGrid = makeResultGrid(QStringLiteral("bsSkinDBGrid2"), false, tabs);
    tabs->addTab(m_resultGrid, QStringLiteral("试验结果"));
    tabs->addTab(m_schemeGrid, QStringLiteral("试验信息"));
    tabs->setCurrentIndex(0);
    m_resultGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_resultGrid, &QWidget::customContextMenuRequested, this, &TF_dp_gbth::resultGridMenu);
    connect(m_resultGrid, &QTableWidget::cellDoubleClicked, this, &TF_dp_gbth::replayCurrent);
    return tabs;
}

QToolButton* TF_dp_gbth::addTool(QWidget* bar, const QString& name, const QString& hint,
                                 void (TF_dp_gbth::*command)()) {
    auto* button = new QToolButton(bar);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setText(hint);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(button, &QToolButton::clicked, this, command);
    bar->layout()->addWidget(button);
    return button;
}

QWidget* TF_dp_gbth::buildChartPanel() {
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
    addTool(tools, QStringLiteral("bsSkinSpeedButton1"), kZoomInTool, &TF_dp_gbth::zoomIn);
    addTool(tools, QStringLiteral("bsSkinSpeedButton2"), kZoomOutTool, &TF_dp_gbth::zoomOut);
    addTool(tools, QStringLiteral("bsSkinSpeedButton6"), kStretchYTool, &TF_dp_gbth::raiseLeftMaximum);
    addTool(tools, QStringLiteral("bsSkinSpeedButton7"), kShrinkYTool, &TF_dp_gbth::lowerLeftMaximum);
    addTool(tools, QStringLiteral("bsSkinSpeedButton8"), kShrinkXTool, &TF_dp_gbth::lowerBottomMaximum);
    addTool(tools, QStringLiteral("bsSkinSpeedButton9"), kStretchXTool, &TF_dp_gbth::raiseBottomMaximum);
    addTool(tools, QStringLiteral("bsSkinSpeedButton4"), QStringLiteral("曲线范围设置调节"),
            &TF_dp_gbth::openCurveArea);
    m_traversalButton =
        addTool(tools, QStringLiteral("bsSkinSpeedButton5"), kTraversalTool, &TF_dp_gbth::toggleTraversal);
    m_traversalButton->setCheckable(true);
    addTool(tools, QStringLiteral("bsSkinSpeedButton3"), QStringLiteral("复制曲线"), &TF_dp_gbth::copyCurve);
    addTool(tools, QStringLiteral("bsSkinSpeedButton13"), kSaveCurveTool, &TF_dp_gbth::saveCurve);
    addTool(tools, QStringLiteral("bsSkinSpeedButton10"), QStringLiteral("曲线打印"),
            &TF_dp_gbth::printCurve);
    toolRow->addStretch(1);

    m_chartView = new ResultChartView(panel);
    m_chartView->setMinimumHeight(260);
    connect(m_chartView->selectionRect(), &QCPSelectionRect::accepted, this,
            [this](const QRect& dragged, QMouseEvent*) { chartRectangle(dragged); });
    connect(m_chartView, &QCustomPlot::mouseMove, this, &TF_dp_gbth::chartMouseMove);

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

void TF_dp_gbth::showEvent(QShowEvent* event) {
    if (event->spontaneous()) {
        QDialog::showEvent(event);
        return;
    }
    m_steps = readAxisSteps(m_applicationFolder);
    m_idleChart.leftTitle = kLoadName + QLatin1Char('(') + m_loadUnits + QLatin1Char(')');
    if (m_result) m_result->chart().leftTitle = m_idleChart.leftTitle;
    redraw();
    QDialog::showEvent(event);
}

const ResultChart& TF_dp_gbth::chart() const {
    return m_result ? m_result->chart() : m_idleChart;
}
ResultChart& TF_dp_gbth::currentChart() {
    return m_result ? m_result->chart() : m_idleChart;
}

void TF_dp_gbth::redraw() {
    m_chartView->draw(currentChart());
}
void TF_dp_gbth::redrawAxes() {
    m_chartView->drawAxes(currentChart());
}

void TF_dp_gbth::setResult(std::unique_ptr<Ttest_result_gbth> result) {
    const ResultChart shown = currentChart();
    m_result = std::move(result);
    ResultChart& now = currentChart();
    if (!m_result) {
        for (ChartSeriesData& s : m_idleChart.series) {
            s.clear();
            s.visible = false;
        }
    }
    now.bottom = shown.bottom;
    now.left = shown.left;
    now.bottomTitle = shown.bottomTitle;
    now.leftTitle = shown.leftTitle;
    m_zoomUndo.forget();
    m_traversalButton->setChecked(false);
    m_chartView->setPopupMenu(nullptr);
    fillGrids();
    redraw();
}

void TF_dp_gbth::fillGrids() {
    const Ttest_result_gbth* r = m_result.get();
    fillResultGrid(*m_resultGrid, Ttest_result_gbth::resultTitles(),
                   r ? static_cast<int>(r->results().size()) : 0,
                   [r](int row, int column) { return r->resultText(row, column); });
    fillResultGrid(*m_schemeGrid, Ttest_result_gbth::schemeTitles(),
                   r ? static_cast<int>(r->scheme().size()) : 0,
                   [r](int row, int column) { return r->schemeText(row, column); });
    for (int c = 0; c < m_resultGrid->columnCount(); ++c)
        m_resultGrid->setColumnHidden(c, Ttest_result_gbth::resultColumnHidden(c));
    for (int c = 0; c < m_schemeGrid->columnCount(); ++c)
        m_schemeGrid->setColumnHidden(c, Ttest_result_gbth::schemeColumnHidden(c));
    if (m_resultGrid->rowCount() > 0) placeCurrentRow(*m_resultGrid, 0);
    if (m_schemeGrid->rowCount() > 0) placeCurrentRow(*m_schemeGrid, 0);
}

int TF_dp_gbth::currentResultRow() const {
    return std::max(0, m_resultGrid->currentRow());
}

void TF_dp_gbth::openBatch() {
    const QString folder = QDir(m_applicationFolder).filePath(kBatchFolder);
    QDir().mkpath(folder);
    const QString file = prompts().openFile(kOpenDatabaseTitle, folder, kBatchFileFilter);
    if (file.isEmpty()) return;
    if (!QFileInfo(file).isFile()) {
        prompts().message(kFileMissing);
        return;
    }
    setResult(nullptr);
    Ttest_result_gbth::OpenOutcome opened = Ttest_result_gbth::open(file);
    if (!opened.result) {
        prompts().message(opened.message);
        return;
    }
    opened.result->chart().leftTitle = m_idleChart.leftTitle;
    setResult(std::move(opened.result));
}

void TF_dp_gbth::deleteBatchFile() {
    const QString folder = QDir(m_applicationFolder).filePath(kBatchFolder);
    const QString file = prompts().openFile(kDeleteDatabaseTitle, folder, kBatchFileFilter);
    if (file.isEmpty()) return;
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

void TF_dp_gbth::resultGridMenu(const QPoint& at) {
    if (m_result) m_resultMenu->popup(m_resultGrid->viewport()->mapToGlobal(at));
}

void TF_dp_gbth::replayCurrent() {
    if (!m_result) return;
    const QString message = m_result->ShowCurve(currentResultRow());
    if (message.isEmpty()) m_zoomUndo.forget();
    redraw();
    if (!message.isEmpty()) prompts().message(message);
}

void TF_dp_gbth::deleteCurrent() {
    if (!m_result) return;
    const int row = currentResultRow();
    const QString message = m_result->DeleteCurrent(row);
    fillGrids();
    const int rows = m_resultGrid->rowCount();
    if (rows > 0) placeCurrentRow(*m_resultGrid, std::min(row, rows - 1));
    redraw();
    if (!message.isEmpty()) prompts().message(message);
}

void TF_dp_gbth::deleteAll() {
    if (!m_result) return;
    if (m_result->results().isEmpty()) {
        prompts().message(m_result->DeleteAll());
        return;
    }
    if (!prompts().question(QStringLiteral("确定要全部删除？"), kPromptCaption, PromptIcon::Stop)) return;
    const QString message = m_result->DeleteAll();
    if (!message.isEmpty()) {
        prompts().message(message);
        return;
    }
    prompts().message(QStringLiteral("记录删除成功!"));
    setResult(nullptr);
}

void TF_dp_gbth::showOutcome(const ExportOutcome& outcome) {
    if (outcome.message.isEmpty()) return;
    if (!outcome.detail.isEmpty()) qWarning("%s", qUtf8Printable(outcome.detail));
    prompts().message(outcome.message);
}

void TF_dp_gbth::exportRecord() {
    if (!m_result) return;
    // The picture goes to the clipboard as well, as "复制曲线" puts it there.
    QApplication::clipboard()->setPixmap(m_chartView->picture());
    // The record has room for the curve above its table of points: the chart as shown, drawn to that size.
    const QByteArray picture =
        ResultChartView::renderPng(m_result->chart(), QSize(kRecordPictureWidth_px, kRecordPictureHeight_px));
    showOutcome(m_result->ExportRecord({m_applicationFolder, kRecordTemplate, &m_opener}, currentResultRow(),
                                       picture));
}

void TF_dp_gbth::exportPoints() {
    if (!m_result) return;
    showOutcome(m_result->ExportPoints({m_applicationFolder, QStringLiteral("report.xltx"), &m_opener},
                                       m_result->resultText(currentResultRow(), 0)));
}

void TF_dp_gbth::rememberRangesBeforeZoom() {
    m_zoomUndo.remember(scaleOf(currentChart().bottom), scaleOf(currentChart().left));
}

void TF_dp_gbth::zoomIn() {
    rememberRangesBeforeZoom();
    zoomAxisIn(currentChart().bottom);
    zoomAxisIn(currentChart().left);
    redrawAxes();
}

void TF_dp_gbth::zoomOut() {
    rememberRangesBeforeZoom();
    zoomAxisOut(currentChart().bottom);
    zoomAxisOut(currentChart().left);
    redrawAxes();
}

void TF_dp_gbth::raiseLeftMaximum() {
    raiseAxisMaximum(currentChart().left, m_steps.y);
    redrawAxes();
}

void TF_dp_gbth::lowerLeftMaximum() {
    lowerAxisMaximum(currentChart().left, m_steps.y);
    redrawAxes();
}

void TF_dp_gbth::raiseBottomMaximum() {
    raiseAxisMaximum(currentChart().bottom, m_steps.x);
    redrawAxes();
}

void TF_dp_gbth::lowerBottomMaximum() {
    lowerAxisMaximum(currentChart().bottom, m_steps.x);
    redrawAxes();
}

void TF_dp_gbth::chartRectangle(const QRect& dragged) {
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

void TF_dp_gbth::chartMouseMove(QMouseEvent* event) {
    const double x = m_chartView->xAxis->pixelToCoord(event->position().x());
    const double y = m_chartView->yAxis->pixelToCoord(event->position().y());
    if (m_result && m_result->traversing()) {
        m_result->TrackCursor(m_result->schemeStyle(), x, y);
        m_chartView->drawSeries(currentChart(), ResultChart::Traversal);
    }
    m_readout->setText(kCurveReadoutPrefix + QString::number(x, 'f', 2) + QStringLiteral(" Y:") +
                       QString::number(y, 'f', 2));
}

void TF_dp_gbth::openCurveArea() {
    TFcurve_area window(m_applicationFolder, currentChart(), m_steps, this);
    window.exec();
    redrawAxes();
}

void TF_dp_gbth::toggleTraversal() {
    if (!m_result) {
        m_traversalButton->setChecked(false);
        return;
    }
    m_result->ToggleTraversal();
    m_traversalButton->setChecked(m_result->traversalShown());
    m_chartView->setPopupMenu(m_result->traversalShown() ? m_chartMenu : nullptr);
    m_chartView->drawSeries(currentChart(), ResultChart::Traversal);
    m_chartView->drawSeries(currentChart(), ResultChart::Picked);
}

void TF_dp_gbth::pickPoint() {
    if (!m_result) return;
    m_result->PickPoint();
    m_chartView->drawSeries(currentChart(), ResultChart::Picked);
}

// Unlike the picking, which only adds, clearing is the operator's one way to start the picked values over.
void TF_dp_gbth::clearPicked() {
    if (!m_result) return;
    m_result->ClearPicked();
    m_chartView->drawSeries(currentChart(), ResultChart::Picked);
}

void TF_dp_gbth::copyCurve() {
    QApplication::clipboard()->setPixmap(m_chartView->picture());
}

void TF_dp_gbth::saveCurve() {
    saveChartBitmap(*m_chartView, m_applicationFolder);
}

void TF_dp_gbth::printCurve() {
    previewChartPrint(*m_chartView, this, QStringLiteral("曲线打印"), PreviewMode::Beside);
}

}  // namespace springtest
