#include "windows/browser/TF_dp.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHash>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPrinterInfo>
#include <QShowEvent>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "platform/OperatorTexts.h"
#include "platform/Prompts.h"
#include "results/CsvText.h"
#include "results/PdfReports.h"
#include "results/ReportExport.h"
#include "results/ReportNames.h"
#include "results/ResultsCsv.h"
#include "results/Ttest_result.h"
#include "session/MachineReportContext.h"
#include "storage/Batch.h"
#include "storage/BatchFileRefusal.h"
#include "storage/Schema.h"
#include "windows/browser/BatchStatisticsWindow.h"
#include "windows/browser/ResultChartView.h"
#include "windows/browser/TF_reportnameset.h"
#include "windows/browser/TFcurve_area.h"
#include "windows/common/ResultGrids.h"
#include "windows/common/WindowTexts.h"
#include "windows/console/ChartToolIcons.h"
#include "windows/console/PlotPicture.h"

namespace springtest {

namespace {

const QString kStartTraversal = QStringLiteral("曲线编历");
const QString kEndTraversal = QStringLiteral("编历结束");
const QString kCertificateCommand = QStringLiteral("试验证书(PDF)");
// This browser reads standard batches, from where every window and command keeps them.
const QString kBatchFolder = QDir::cleanPath(batchFolder(BatchKind::Standard));

AxisScale scaleOf(const AxisRange& range) {
    return {range.min, range.max, range.step};
}
AxisRange rangeOf(const AxisScale& scale) {
    return {scale.minimum, scale.maximum, scale.step};
}

// What stays on the chart from one batch to the next: the axes and the titles; the series are the batch's.
void carryFrame(const ResultChart& from, ResultChart& to) {
    to.bottom = from.bottom;
    to.left = from.left;
    to.title = from.title;
    to.bottomTitle = from.bottomTitle;
    to.leftTitle = from.leftTitle;
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

TF_dp::TF_dp(QString applicationFolder, QString loadUnits, QString displacementUnits,
             SpreadsheetOpener& opener, QWidget* parent)
    : QDialog(parent),
      m_applicationFolder(std::move(applicationFolder)),
      m_loadUnits(std::move(loadUnits)),
      m_displacementUnits(std::move(displacementUnits)),
      m_opener(opener) {
    setObjectName(QStringLiteral("TF_dp"));
    setWindowTitle(kResultBrowserTitle);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    for (ChartSeriesData& s : m_idleChart.series) s.visible = false;

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

TF_dp::~TF_dp() = default;

// ---------------------------------------------------------------------------------------------------------
// Building

void TF_dp::buildMenus() {
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("bsSkinMainMenu1"));
    layout()->setMenuBar(bar);
    const auto item = [this](QMenu* menu, const char* name, const QString& caption,
                             void (TF_dp::*command)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        if (command) connect(action, &QAction::triggered, this, command);
        return action;
    };

    QMenu* file = bar->addMenu(kFileMenu);
    item(file, "N1", kOpenFileCommand, &TF_dp::openBatch);
    item(file, "N2", kDeleteFileCommand, &TF_dp::deleteBatchFile);

    QMenu* report = bar->addMenu(QStringLiteral("报表"));
    item(report, "N21", kReportNamesTitle, &TF_dp::openReportNames);
    report->addSeparator();
    item(report, "N5", QStringLiteral("选择打印"), &TF_dp::exportSelected);
    item(report, "N4", QStringLiteral("批量打印"), &TF_dp::exportAll);
    m_reportMenu = report->addMenu(QStringLiteral("报表打印"));
    m_reportMenu->setObjectName(QStringLiteral("N14Menu"));
    m_reportMenu->menuAction()->setObjectName(QStringLiteral("N14"));
    report->addSeparator();
    item(report, "NStatistics", QStringLiteral("批次统计"), &TF_dp::showStatistics);
    item(report, "NResultsCsv", QStringLiteral("试验结果导出CSV"), &TF_dp::exportResultsCsv);
    item(report, "NCurveCsv", QStringLiteral("采集数据导出CSV"), &TF_dp::exportCurveCsv);
    report->addSeparator();
    item(report, "NCertificatePdf", kCertificateCommand, &TF_dp::exportCertificate);
    item(report, "NSummaryPdf", QStringLiteral("批次汇总(PDF)"), &TF_dp::exportBatchSummary);

    m_resultMenu = new QMenu(this);
    m_resultMenu->setObjectName(QStringLiteral("bsSkinPopupMenu1"));
    item(m_resultMenu, "N6", QStringLiteral("删除数据"), &TF_dp::deleteCurrent);
    item(m_resultMenu, "N7", QStringLiteral("全部删除"), &TF_dp::deleteAll);
    m_resultMenu->addSeparator();
    item(m_resultMenu, "N9", QStringLiteral("批量打印"), &TF_dp::exportAll);
    // Only the named reports under "报表打印" export; a single test has no report of its own.
    item(m_resultMenu, "N10", QStringLiteral("单个打印"), nullptr);
    item(m_resultMenu, "N15", QStringLiteral("采集数据导出"), &TF_dp::exportPoints);
    item(m_resultMenu, "N15Csv", QStringLiteral("采集数据导出CSV"), &TF_dp::exportCurveCsv);
    item(m_resultMenu, "N10Pdf", kCertificateCommand, &TF_dp::exportCertificate);

    m_chartMenu = new QMenu(this);
    m_chartMenu->setObjectName(QStringLiteral("bsSkinPopupMenu2"));
    item(m_chartMenu, "N8", QStringLiteral("取点"), &TF_dp::pickPoint);
    item(m_chartMenu, "N13", QStringLiteral("清除"), &TF_dp::clearPicked);
    item(m_chartMenu, "N19", QStringLiteral("显示测试点"), &TF_dp::showTestPoints);
}

QWidget* TF_dp::buildGrids() {
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("bsSkinPageControl1"));
    m_resultGrid = makeResultGrid(QStringLiteral("bsSkinDBGrid1"), true, tabs);
    m_schemeGrid = makeResultGrid(QStringLiteral("bsSkinDBGrid2"), false, tabs);
    tabs->addTab(m_resultGrid, QStringLiteral("试验结果"));
    tabs->addTab(m_schemeGrid, QStringLiteral("试验信息"));
    tabs->setCurrentIndex(0);

    m_resultGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_resultGrid, &QWidget::customContextMenuRequested, this, &TF_dp::resultGridMenu);
    connect(m_resultGrid, &QTableWidget::cellDoubleClicked, this, &TF_dp::replayCurrent);
    return tabs;
}

QToolButton* TF_dp::addTool(QWidget* bar, const QString& name, const QString& hint,
                            void (TF_dp::*command)()) {
    auto* button = new QToolButton(bar);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setText(hint);
    button->setAutoRaise(true);
    button->setIconSize(QSize(20, 20));
    if (const auto icon = toolIcon(name)) {
        button->setIcon(chartToolIcon(*icon));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    } else {
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    }
    connect(button, &QToolButton::clicked, this, command);
    bar->layout()->addWidget(button);
    return button;
}

QWidget* TF_dp::buildChartPanel() {
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
    const auto separator = [tools, toolRow] {
        auto* line = new QFrame(tools);
        line->setFrameShape(QFrame::VLine);
        line->setFrameShadow(QFrame::Sunken);
        toolRow->addWidget(line);
    };
    addTool(tools, QStringLiteral("bsSkinSpeedButton1"), kZoomInTool, &TF_dp::zoomIn);
    addTool(tools, QStringLiteral("bsSkinSpeedButton2"), kZoomOutTool, &TF_dp::zoomOut);
    separator();
    addTool(tools, QStringLiteral("bsSkinSpeedButton6"), kStretchYTool, &TF_dp::raiseLeftMaximum);
    addTool(tools, QStringLiteral("bsSkinSpeedButton7"), kShrinkYTool, &TF_dp::lowerLeftMaximum);
    addTool(tools, QStringLiteral("bsSkinSpeedButton8"), kShrinkXTool, &TF_dp::lowerBottomMaximum);
    addTool(tools, QStringLiteral("bsSkinSpeedButton9"), kStretchXTool, &TF_dp::raiseBottomMaximum);
    addTool(tools, QStringLiteral("bsSkinSpeedButton4"), QStringLiteral("曲线范围设置调节"),
            &TF_dp::openCurveArea);
    separator();
    m_traversalButton =
        addTool(tools, QStringLiteral("bsSkinSpeedButton5"), kStartTraversal, &TF_dp::toggleTraversal);
    separator();
    addTool(tools, QStringLiteral("bsSkinSpeedButton3"), QStringLiteral("复制曲线"), &TF_dp::copyCurve);
    addTool(tools, QStringLiteral("bsSkinSpeedButton13"), kSaveCurveTool, &TF_dp::saveCurve);
    addTool(tools, QStringLiteral("bsSkinSpeedButton10"), QStringLiteral("曲线打印"), &TF_dp::printCurve);
    toolRow->addStretch(1);

    m_chartView = new ResultChartView(panel);
    m_chartView->setMinimumHeight(260);
    connect(m_chartView->selectionRect(), &QCPSelectionRect::accepted, this,
            [this](const QRect& dragged, QMouseEvent*) { chartRectangle(dragged); });
    connect(m_chartView, &QCustomPlot::mouseMove, this, &TF_dp::chartMouseMove);

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

void TF_dp::showEvent(QShowEvent* event) {
    // Coming back from the task bar is no new showing: the curve stays as it is.
    if (event->spontaneous()) {
        QDialog::showEvent(event);
        return;
    }
    m_steps = readAxisSteps(m_applicationFolder);
    m_idleChart.leftTitle = kLoadName + QLatin1Char('(') + m_loadUnits + QLatin1Char(')');
    if (m_result) m_result->chart().leftTitle = m_idleChart.leftTitle;
    for (ChartSeriesData& s : currentChart().series) s.visible = false;
    buildReportEntries();
    redraw();
    QDialog::showEvent(event);
}

void TF_dp::buildReportEntries() {
    m_reportMenu->clear();
    // Without a readable scheme database there are simply no named reports to offer.
    for (const QString& name : reportNames(schemeDatabasePath(m_applicationFolder))) {
        QAction* entry = m_reportMenu->addAction(name);
        connect(entry, &QAction::triggered, this, [this, name] { exportReport(name); });
    }
}

const ResultChart& TF_dp::chart() const {
    return m_result ? m_result->chart() : m_idleChart;
}
ResultChart& TF_dp::currentChart() {
    return m_result ? m_result->chart() : m_idleChart;
}

void TF_dp::redraw() {
    m_chartView->draw(currentChart());
}
void TF_dp::redrawAxes() {
    m_chartView->drawAxes(currentChart());
}

void TF_dp::setResult(std::unique_ptr<Ttest_result> result) {
    const ResultChart shown = currentChart();
    m_result = std::move(result);
    if (!m_result) {
        for (ChartSeriesData& s : m_idleChart.series) {
            s.clear();
            s.visible = false;
        }
    }
    carryFrame(shown, currentChart());
    m_zoomUndo.forget();
    m_chartView->setPopupMenu(nullptr);
    fillGrids();
    redraw();
}

void TF_dp::fillGrids() {
    const Ttest_result* r = m_result.get();
    fillResultGrid(*m_resultGrid, Ttest_result::gridTitles(), r ? static_cast<int>(r->results().size()) : 0,
                   [r](int row, int column) { return r->gridText(row, column); });
    fillResultGrid(*m_schemeGrid, Ttest_result::schemeTitles(), r ? static_cast<int>(r->scheme().size()) : 0,
                   [r](int row, int column) { return r->schemeText(row, column); });
    // The first rows are current, not selected: "选择打印" takes only what the operator selects.
    if (m_resultGrid->rowCount() > 0) placeCurrentRow(*m_resultGrid, 0);
    if (m_schemeGrid->rowCount() > 0) placeCurrentRow(*m_schemeGrid, 0);
}

int TF_dp::currentResultRow() const {
    return std::max(0, m_resultGrid->currentRow());
}

int TF_dp::currentSchemeStyle() const {
    const int row = std::max(0, m_schemeGrid->currentRow());
    if (row >= m_result->scheme().size()) return m_result->schemeStyle();
    return m_result->scheme()[row].toInt(QStringLiteral("scheme_style"));
}

// ---------------------------------------------------------------------------------------------------------
// Batches and results

void TF_dp::openBatch() {
    const QString folder = QDir(m_applicationFolder).filePath(kBatchFolder);
    QDir().mkpath(folder);
    const QString file = prompts().openFile(kOpenDatabaseTitle, folder, kBatchFileFilter);
    if (file.isEmpty()) return;  // cancelled
    if (!QFileInfo(file).isFile()) {
        prompts().message(kFileMissing);
        return;
    }
    // The batch shown so far goes first, whatever becomes of this one.
    setResult(nullptr);
    Ttest_result::OpenOutcome opened = Ttest_result::open(file);
    if (!opened.result) {
        prompts().message(opened.message);
        return;
    }
    setResult(std::move(opened.result));
    if (!opened.notice.isEmpty()) prompts().message(opened.notice);
}

void TF_dp::deleteBatchFile() {
    const QString folder = QDir(m_applicationFolder).filePath(kBatchFolder);
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

void TF_dp::resultGridMenu(const QPoint& at) {
    if (m_result) m_resultMenu->popup(m_resultGrid->viewport()->mapToGlobal(at));
}

void TF_dp::replayCurrent() {
    if (!m_result) return;
    const QString message = m_result->ShowCurve(currentResultRow());
    // A new curve comes with axes of its own; a test without samples leaves the curve, and its zooms, as
    // they were.
    if (message.isEmpty()) m_zoomUndo.forget();
    redraw();
    if (!message.isEmpty()) prompts().message(message);
}

void TF_dp::deleteCurrent() {
    if (!m_result) return;
    const int row = currentResultRow();
    const QString message = m_result->DeleteCurrent(row);
    fillGrids();
    const int rows = m_resultGrid->rowCount();
    if (rows > 0) placeCurrentRow(*m_resultGrid, std::min(row, rows - 1));
    // The replayed curve may have gone with its test, or moved to a new serial.
    redraw();
    if (!message.isEmpty()) prompts().message(message);
}

void TF_dp::deleteAll() {
    if (!m_result) return;
    if (m_result->results().isEmpty()) {
        prompts().message(m_result->DeleteAll());  // "无测试记录！！"
        return;
    }
    if (!prompts().question(QStringLiteral("确定要全部删除？"), kPromptCaption, PromptIcon::Stop)) return;
    const QString message = m_result->DeleteAll();
    if (!message.isEmpty()) {
        prompts().message(message);
        return;
    }
    prompts().message(QStringLiteral("记录删除成功!"));
    // The batch must be opened again before anything else is done with it.
    setResult(nullptr);
}

void TF_dp::openReportNames() {
    TF_reportnameset window(m_applicationFolder, this);
    window.exec();
}

// ---------------------------------------------------------------------------------------------------------
// Exports

void TF_dp::showOutcome(const ExportOutcome& outcome) {
    if (outcome.message.isEmpty()) return;
    // The operator gets the system's words; why it failed goes to the log.
    if (!outcome.detail.isEmpty()) qWarning("%s", qUtf8Printable(outcome.detail));
    prompts().message(outcome.message);
}

void TF_dp::exportSelected() {
    if (!m_result) return;
    QList<int> rows;
    for (const QModelIndex& index : m_resultGrid->selectionModel()->selectedRows()) rows << index.row();
    std::sort(rows.begin(), rows.end());
    showOutcome(
        m_result->ExportSelected({m_applicationFolder, QStringLiteral("report.xltx"), &m_opener}, rows));
}

void TF_dp::exportAll() {
    if (!m_result) return;
    showOutcome(m_result->ExportAll({m_applicationFolder, QStringLiteral("report.xltx"), &m_opener}));
}

void TF_dp::exportReport(const QString& reportName) {
    if (!m_result) return;
    // The picture goes to the clipboard as well, as "复制曲线" puts it there.
    const QPixmap picture = m_chartView->picture();
    QApplication::clipboard()->setPixmap(picture);
    // The report describes the test whose curve it shows; before any replay, the first.
    // The report's own picture shows the curve, not what only the window shows around it.
    showOutcome(m_result->ExportReport(
        {m_applicationFolder, QStringLiteral("report.xltx"), &m_opener, m_loadUnits, m_displacementUnits},
        reportName, ResultChartView::renderPng(reportPicture(m_result->chart()), m_chartView->size()),
        m_result->replayedRow().value_or(0)));
}

void TF_dp::exportPoints() {
    if (!m_result) return;
    showOutcome(m_result->ExportPoints({m_applicationFolder, QStringLiteral("report.xltx"), &m_opener},
                                       m_result->resultText(currentResultRow(), 0)));
}

void TF_dp::showStatistics() {
    if (!m_result) return;
    BatchStatisticsWindow window(
        QFileInfo(m_result->path()).completeBaseName(),
        standardBatchStatistics(m_result->results(), m_result->scheme(), {m_loadUnits, m_displacementUnits}),
        this);
    window.exec();
}

void TF_dp::exportResultsCsv() {
    if (!m_result) return;
    showOutcome(saveCsvReport(
        resultsCsvRows(m_result->results(), m_result->scheme(), {m_loadUnits, m_displacementUnits}),
        csvSeparatorFor(QLocale()), {m_applicationFolder, QString(), &m_opener},
        QFileInfo(m_result->path()).completeBaseName() + QStringLiteral("_结果")));
}

void TF_dp::exportCurveCsv() {
    if (!m_result) return;
    const int serial = m_result->resultText(currentResultRow(), 0).toInt();
    Database batch(m_result->path(), Database::OpenMode::ExistingMaybeReadOnly);
    QString error;
    const auto rows = curveCsvRows(batch, serial, {m_loadUnits, m_displacementUnits}, error);
    if (!rows) return showOutcome(exportFailed(error));
    showOutcome(saveCsvReport(*rows, csvSeparatorFor(QLocale()), {m_applicationFolder, QString(), &m_opener},
                              QFileInfo(m_result->path()).completeBaseName() + QStringLiteral("_采集数据_") +
                                  QString::number(serial)));
}

// ---------------------------------------------------------------------------------------------------------
// The chart

void TF_dp::rememberRangesBeforeZoom() {
    m_zoomUndo.remember(scaleOf(currentChart().bottom), scaleOf(currentChart().left));
}

void TF_dp::zoomIn() {
    rememberRangesBeforeZoom();
    zoomAxisIn(currentChart().bottom);
    zoomAxisIn(currentChart().left);
    redrawAxes();
}

void TF_dp::zoomOut() {
    rememberRangesBeforeZoom();
    zoomAxisOut(currentChart().bottom);
    zoomAxisOut(currentChart().left);
    redrawAxes();
}

void TF_dp::raiseLeftMaximum() {
    raiseAxisMaximum(currentChart().left, m_steps.y);
    redrawAxes();
}

void TF_dp::lowerLeftMaximum() {
    lowerAxisMaximum(currentChart().left, m_steps.y);
    redrawAxes();
}

void TF_dp::raiseBottomMaximum() {
    raiseAxisMaximum(currentChart().bottom, m_steps.x);
    redrawAxes();
}

void TF_dp::lowerBottomMaximum() {
    lowerAxisMaximum(currentChart().bottom, m_steps.x);
    redrawAxes();
}

void TF_dp::chartRectangle(const QRect& dragged) {
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

void TF_dp::chartMouseMove(QMouseEvent* event) {
    const double x = m_chartView->xAxis->pixelToCoord(event->position().x());
    const double y = m_chartView->yAxis->pixelToCoord(event->position().y());
    if (m_result && m_result->traversing()) {
        m_result->TrackCursor(m_result->schemeStyle(), x, y);
        m_chartView->drawSeries(currentChart(), ResultChart::Traversal);
    }
    m_readout->setText(kCurveReadoutPrefix + QString::number(x, 'f', 2) + QStringLiteral(" Y:") +
                       QString::number(y, 'f', 2));
}

void TF_dp::openCurveArea() {
    TFcurve_area window(m_applicationFolder, currentChart(), m_steps, this);
    window.exec();
    redrawAxes();
}

void TF_dp::toggleTraversal() {
    if (!m_result) return;
    if (m_traversalButton->toolTip() == kStartTraversal) {
        m_result->StartTraversal();
        m_traversalButton->setToolTip(kEndTraversal);
    } else {
        m_result->EndTraversal();
        m_traversalButton->setToolTip(kStartTraversal);
    }
    m_traversalButton->setText(m_traversalButton->toolTip());
    m_chartView->setPopupMenu(m_result->traversing() ? m_chartMenu : nullptr);
    m_chartView->drawSeries(currentChart(), ResultChart::Traversal);
    m_chartView->drawSeries(currentChart(), ResultChart::Picked);
}

void TF_dp::pickPoint() {
    if (!m_result) return;
    m_result->PickPoint(currentSchemeStyle());
    m_chartView->drawSeries(currentChart(), ResultChart::Picked);
}

void TF_dp::clearPicked() {
    if (!m_result) return;
    m_result->ClearPicked();
    m_chartView->drawSeries(currentChart(), ResultChart::Picked);
}

void TF_dp::showTestPoints() {
    if (!m_result) return;
    m_result->ShowTestPoints(currentSchemeStyle(), m_result->testPointCount(), currentResultRow(),
                             m_displacementUnits, m_loadUnits);
    m_chartView->drawSeries(currentChart(), ResultChart::Picked);
}

void TF_dp::copyCurve() {
    QApplication::clipboard()->setPixmap(m_chartView->picture());
}

void TF_dp::saveCurve() {
    saveChartBitmap(*m_chartView, m_applicationFolder);
}

void TF_dp::printCurve() {
    // Without a printer the report the operator wanted on paper is offered as a PDF to print elsewhere.
    if (m_result && QPrinterInfo::availablePrinterNames().isEmpty()) {
        if (prompts().question(QStringLiteral("没有安装打印机,无法进行打印!!\n是否生成当前试验的PDF证书?"),
                               kPromptCaption, PromptIcon::Question))
            exportCertificate();
        return;
    }
    previewChartPrint(*m_chartView, this, QStringLiteral("曲线打印"), PreviewMode::Beside);
}

void TF_dp::exportCertificate() {
    if (!m_result) return;
    const int serial = m_result->results().value(currentResultRow()).toInt(QStringLiteral("xuhao"));
    showOutcome(saveCertificatePdf({m_applicationFolder, QString(), &m_opener}, m_result->path(), serial,
                                   machineReportContext(m_applicationFolder)));
}

void TF_dp::exportBatchSummary() {
    if (!m_result) return;
    showOutcome(saveBatchSummaryPdf({m_applicationFolder, QString(), &m_opener}, m_result->path(),
                                    machineReportContext(m_applicationFolder)));
}

}  // namespace springtest
