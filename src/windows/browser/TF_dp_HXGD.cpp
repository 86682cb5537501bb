#include "windows/browser/TF_dp_HXGD.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPrinterInfo>
#include <QShowEvent>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <optional>

#include "measurement/ChannelConfig.h"
#include "platform/OperatorTexts.h"
#include "platform/ProfileFile.h"
#include "platform/Prompts.h"
#include "results/CsvText.h"
#include "results/LateralReport.h"
#include "results/PdfReports.h"
#include "results/ResultsCsv.h"
#include "results/StandardQuantities.h"
#include "results/Ttest_result_HXGD.h"
#include "session/MachineReportContext.h"
#include "storage/Batch.h"
#include "windows/browser/BatchStatisticsWindow.h"
#include "windows/browser/ResultChartView.h"
#include "windows/common/ResultGrids.h"
#include "windows/common/WindowTexts.h"
#include "windows/console/ChartToolIcons.h"
#include "windows/console/PlotPicture.h"

namespace springtest {

namespace {

const QString kStartTraversal = QStringLiteral("曲线编历");
const QString kEndTraversal = QStringLiteral("编历结束");
const QString kReportCommand = QStringLiteral("报表打印");

// The lateral drive (card 1) carries the Y sensor, card 3 is the X sensor.
constexpr int kYCard = 1;
constexpr int kXCard = 3;

// An axis title from a sideways sensor's displacement channel: its letter, its name and its unit, as the
// channel's settings give them.
QString sensorAxisTitle(const QString& applicationFolder, int card, const QString& letter) {
    const ProfileSnapshot ini = ProfileFile(channelConfigFile(applicationFolder, card)).snapshot();
    const QString name = ini.readString(QStringLiteral("Displacement"), QStringLiteral("Name"), QString());
    const QString units =
        ini.readString(QStringLiteral("Displacement"), QStringLiteral("Units"), QStringLiteral("mm"));
    return letter + QStringLiteral("  ") + name + QStringLiteral("  (") + units + QLatin1Char(')');
}

AxisScale scaleOf(const AxisRange& range) {
    return {range.min, range.max, range.step};
}
AxisRange rangeOf(const AxisScale& scale) {
    return {scale.minimum, scale.maximum, scale.step};
}

}  // namespace

TF_dp_HXGD::TF_dp_HXGD(QString applicationFolder, QString loadUnits, SpreadsheetOpener& opener,
                       QWidget* parent)
    : CurveBrowser(std::move(applicationFolder), std::move(loadUnits), BatchKind::Lateral, opener, parent) {
    setObjectName(QStringLiteral("TF_dp_HXGD"));
    for (ChartSeriesData& s : m_idlePathChart.series) s.visible = false;
    buildMenus();
    layOutGridsAndChart(ToolBarLook::IconsInGroups);
    // Curve traversal is reached from the load curve's tool bar; the curve area window not at all.
    if (auto* area = findChild<QToolButton*>(QStringLiteral("bsSkinSpeedButton4"))) area->hide();
    if (auto* readout = findChild<QLabel*>(QStringLiteral("bsSkinLabel2")))
        readout->setObjectName(QStringLiteral("chart_show1"));
    fillGrids();
}

TF_dp_HXGD::~TF_dp_HXGD() = default;

// ---------------------------------------------------------------------------------------------------------
// Building

void TF_dp_HXGD::buildMenus() {
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("bsSkinMainMenu1"));
    layout()->setMenuBar(bar);
    const auto item = [this](QMenu* menu, const char* name, const QString& caption,
                             void (TF_dp_HXGD::*command)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, command);
        return action;
    };

    QMenu* file = bar->addMenu(kFileMenu);
    item(file, "N1", kOpenFileCommand, &TF_dp_HXGD::openBatch);
    item(file, "N2", kDeleteFileCommand, &TF_dp_HXGD::deleteBatchFile);
    QMenu* report = bar->addMenu(QStringLiteral("报表"));
    item(report, "N14", kReportCommand, &TF_dp_HXGD::exportReport);
    report->addSeparator();
    item(report, "NStatistics", QStringLiteral("批次统计"), &TF_dp_HXGD::showStatistics);
    item(report, "NResultsCsv", QStringLiteral("试验结果导出CSV"), &TF_dp_HXGD::exportResultsCsv);
    report->addSeparator();
    item(report, "NCertificatePdf", QStringLiteral("试验证书(PDF)"), &TF_dp_HXGD::exportCertificate);
    item(report, "NSummaryPdf", QStringLiteral("批次汇总(PDF)"), &TF_dp_HXGD::exportBatchSummary);

    m_resultMenu = new QMenu(this);
    m_resultMenu->setObjectName(QStringLiteral("bsSkinPopupMenu1"));
    item(m_resultMenu, "N6", QStringLiteral("删除数据"), &TF_dp_HXGD::deleteCurrent);
    item(m_resultMenu, "N7", QStringLiteral("全部删除"), &TF_dp_HXGD::deleteAll);
    m_resultMenu->addSeparator();
    item(m_resultMenu, "N10", kReportCommand, &TF_dp_HXGD::exportReport);
    item(m_resultMenu, "N15", QStringLiteral("采集数据导出"), &TF_dp_HXGD::exportPoints);

    m_chartMenu = new QMenu(this);
    m_chartMenu->setObjectName(QStringLiteral("bsSkinPopupMenu2"));
    item(m_chartMenu, "N8", QStringLiteral("取点"), &TF_dp_HXGD::pickPoint);
    item(m_chartMenu, "N13", QStringLiteral("清除"), &TF_dp_HXGD::clearPicked);
}

QWidget* TF_dp_HXGD::placeChartPanel(QWidget* panel) {
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("bsSkinPageControl2"));
    m_pages->addTab(panel, QStringLiteral("性能测试曲线"));
    m_pages->addTab(buildPathPanel(), QStringLiteral("X轴-Y轴曲线"));
    return m_pages;
}

QWidget* TF_dp_HXGD::buildPathPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("bsSkinPanel2"));
    m_pathReadout = new QLabel(panel);
    m_pathReadout->setObjectName(QStringLiteral("chart_show2"));
    m_pathReadout->setMinimumWidth(220);

    auto* tools = new QWidget(panel);
    tools->setObjectName(QStringLiteral("bsSkinToolBar2"));
    auto* row = new QHBoxLayout(tools);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    // Drawn as the load chart's tool bar is: the icon beside the caption where the tool has one.
    const auto tool = [this, tools, row](const char* name, const QString& hint, void (TF_dp_HXGD::*command)(),
                                         std::optional<ChartTool> icon = std::nullopt) {
        auto* button = new QToolButton(tools);
        button->setObjectName(QString::fromLatin1(name));
        button->setToolTip(hint);
        button->setText(hint);
        button->setAutoRaise(true);
        button->setProperty("tag", 2);
        if (icon) {
            button->setIconSize(QSize(20, 20));
            button->setIcon(chartToolIcon(*icon));
            button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        }
        connect(button, &QToolButton::clicked, this, command);
        row->addWidget(button);
    };
    tool("bsSkinSpeedButton11", kZoomInTool, &TF_dp_HXGD::pathZoomIn, ChartTool::ZoomIn);
    tool("bsSkinSpeedButton12", kZoomOutTool, &TF_dp_HXGD::pathZoomOut, ChartTool::ZoomOut);
    tool("bsSkinSpeedButton17", kStretchYTool, &TF_dp_HXGD::raisePathLeftMaximum, ChartTool::StretchY);
    tool("bsSkinSpeedButton18", kShrinkYTool, &TF_dp_HXGD::lowerPathLeftMaximum, ChartTool::ShrinkY);
    tool("bsSkinSpeedButton19", kShrinkXTool, &TF_dp_HXGD::lowerPathBottomMaximum, ChartTool::ShrinkX);
    tool("bsSkinSpeedButton20", kStretchXTool, &TF_dp_HXGD::raisePathBottomMaximum, ChartTool::StretchX);
    // Copying hands on the load curve, whichever tab it is asked from: the picture the report pastes.
    tool("bsSkinSpeedButton14", QStringLiteral("复制曲线"), &TF_dp_HXGD::copyCurve);
    tool("bsSkinSpeedButton22", kSaveCurveTool, &TF_dp_HXGD::savePath, ChartTool::Save);
    tool("bsSkinSpeedButton21", QStringLiteral("曲线打印"), &TF_dp_HXGD::printPath, ChartTool::Print);
    row->addStretch(1);

    m_pathView = new ResultChartView(panel);
    m_pathView->setObjectName(QStringLiteral("Chart2"));
    m_pathView->setMinimumHeight(260);
    connect(m_pathView->selectionRect(), &QCPSelectionRect::accepted, this,
            [this](const QRect& dragged, QMouseEvent*) { pathRectangle(dragged); });
    connect(m_pathView, &QCustomPlot::mouseMove, this, &TF_dp_HXGD::pathMouseMove);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(4, 2, 4, 0);
    top->addStretch(1);
    top->addWidget(m_pathReadout);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(top);
    layout->addWidget(tools);
    layout->addWidget(m_pathView, 1);
    return panel;
}

// ---------------------------------------------------------------------------------------------------------
// Showing

void TF_dp_HXGD::showEvent(QShowEvent* event) {
    if (event->spontaneous()) {
        QDialog::showEvent(event);
        return;
    }
    readChartSettings();
    m_idlePathChart.leftTitle = sensorAxisTitle(m_applicationFolder, kYCard, QStringLiteral("Y"));
    m_idlePathChart.bottomTitle = sensorAxisTitle(m_applicationFolder, kXCard, QStringLiteral("X"));
    if (m_result) {
        m_result->pathChart().leftTitle = m_idlePathChart.leftTitle;
        m_result->pathChart().bottomTitle = m_idlePathChart.bottomTitle;
    }
    redraw();
    QDialog::showEvent(event);
}

const ResultChart& TF_dp_HXGD::pathChart() const {
    return m_result ? m_result->pathChart() : m_idlePathChart;
}
ResultChart& TF_dp_HXGD::currentPathChart() {
    return m_result ? m_result->pathChart() : m_idlePathChart;
}

void TF_dp_HXGD::redraw() {
    CurveBrowser::redraw();
    redrawPath();
}

void TF_dp_HXGD::redrawPath() {
    m_pathView->draw(currentPathChart());
}

void TF_dp_HXGD::setResult(std::unique_ptr<Ttest_result_HXGD> result) {
    const ResultChart shown = chart();
    const ResultChart shownPath = pathChart();
    m_result = std::move(result);
    showBatch(m_result.get(), shown);
    ResultChart& path = currentPathChart();
    if (!m_result) {
        for (ChartSeriesData& s : path.series) {
            s.clear();
            s.visible = false;
        }
    }
    path.bottom = shownPath.bottom;
    path.left = shownPath.left;
    path.title = shownPath.title;
    path.bottomTitle = shownPath.bottomTitle;
    path.leftTitle = shownPath.leftTitle;
    m_pathZoomUndo.forget();
    fillGrids();
    redraw();
}

void TF_dp_HXGD::closeBatch() {
    setResult(nullptr);
}

void TF_dp_HXGD::fillGrids() {
    const Ttest_result_HXGD* r = m_result.get();
    fillResultGrid(*m_resultGrid, Ttest_result_HXGD::resultTitles(),
                   r ? static_cast<int>(r->results().size()) : 0,
                   [r](int row, int column) { return r->resultText(row, column); });
    fillResultGrid(*m_schemeGrid, Ttest_result_HXGD::schemeTitles(),
                   r ? static_cast<int>(r->scheme().size()) : 0,
                   [r](int row, int column) { return r->schemeText(row, column); });
    if (m_resultGrid->rowCount() > 0) placeCurrentRow(*m_resultGrid, 0);
    if (m_schemeGrid->rowCount() > 0) placeCurrentRow(*m_schemeGrid, 0);
}

// ---------------------------------------------------------------------------------------------------------
// Batches, results and exports

void TF_dp_HXGD::openBatch() {
    const QString file = chooseBatchToOpen();
    if (file.isEmpty()) return;
    setResult(nullptr);
    Ttest_result_HXGD::OpenOutcome opened = Ttest_result_HXGD::open(file);
    if (!opened.result) {
        prompts().message(opened.message);
        return;
    }
    setResult(std::move(opened.result));
}

void TF_dp_HXGD::exportReport() {
    if (!m_result) return;
    // The picture goes to the clipboard as well, as "复制曲线" puts it there.
    QApplication::clipboard()->setPixmap(m_chartView->picture());
    const QByteArray picture = ResultChartView::renderPng(
        reportPicture(m_result->chart()), QSize(kLateralPictureWidth_px, kLateralPictureHeight_px));
    ExportRequest request{m_applicationFolder, kLateralReportTemplate, &m_opener};
    const BatchUnits units = configuredBatchUnits(m_applicationFolder);
    request.loadUnits = units.load;
    request.displacementUnits = units.displacement;
    showOutcome(m_result->ExportReport(request, currentResultRow(), picture));
}

void TF_dp_HXGD::exportPoints() {
    if (!m_result) return;
    showOutcome(m_result->ExportPoints({m_applicationFolder, QStringLiteral("report.xltx"), &m_opener},
                                       m_result->resultText(currentResultRow(), 0)));
}

void TF_dp_HXGD::showStatistics() {
    if (!m_result) return;
    BatchStatisticsWindow window(QFileInfo(m_result->path()).completeBaseName(),
                                 standardBatchStatistics(m_result->results(), m_result->scheme(),
                                                         configuredBatchUnits(m_applicationFolder)),
                                 this);
    window.exec();
}

void TF_dp_HXGD::exportResultsCsv() {
    if (!m_result) return;
    showOutcome(saveCsvReport(m_result->resultsCsvRows(), csvSeparatorFor(QLocale()),
                              {m_applicationFolder, QString(), &m_opener},
                              QFileInfo(m_result->path()).completeBaseName() + QStringLiteral("_结果")));
}

void TF_dp_HXGD::exportCertificate() {
    if (!m_result) return;
    const int serial = m_result->results().value(currentResultRow()).toInt(QStringLiteral("xuhao"));
    showOutcome(saveCertificatePdf({m_applicationFolder, QString(), &m_opener}, m_result->path(), serial,
                                   machineReportContext(m_applicationFolder)));
}

void TF_dp_HXGD::exportBatchSummary() {
    if (!m_result) return;
    showOutcome(saveBatchSummaryPdf({m_applicationFolder, QString(), &m_opener}, m_result->path(),
                                    machineReportContext(m_applicationFolder)));
}

// ---------------------------------------------------------------------------------------------------------
// The load curve

void TF_dp_HXGD::toggleTraversal() {
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

void TF_dp_HXGD::pickPoint() {
    if (!m_result) return;
    m_result->PickPoint(m_result->schemeStyle());
    m_chartView->drawSeries(currentChart(), ResultChart::Picked);
}

void TF_dp_HXGD::clearPicked() {
    if (!m_result) return;
    m_result->ClearPicked();
    m_chartView->drawSeries(currentChart(), ResultChart::Picked);
}

void TF_dp_HXGD::printCurve() {
    // Without a printer the report the operator wanted on paper is offered as a PDF to print elsewhere.
    if (m_result && QPrinterInfo::availablePrinterNames().isEmpty()) {
        if (prompts().question(QStringLiteral("没有安装打印机,无法进行打印!!\n是否生成当前试验的PDF证书?"),
                               kPromptCaption, PromptIcon::Question))
            exportCertificate();
        return;
    }
    previewChartPrint(*m_chartView, this, QStringLiteral("曲线打印"), PreviewMode::Beside);
}

// ---------------------------------------------------------------------------------------------------------
// The X–Y chart: its tools act on it alone, with the browser's axis steps.

void TF_dp_HXGD::rememberPathRangesBeforeZoom() {
    m_pathZoomUndo.remember(scaleOf(currentPathChart().bottom), scaleOf(currentPathChart().left));
}

void TF_dp_HXGD::pathZoomIn() {
    rememberPathRangesBeforeZoom();
    zoomAxisIn(currentPathChart().bottom);
    zoomAxisIn(currentPathChart().left);
    m_pathView->drawAxes(currentPathChart());
}

void TF_dp_HXGD::pathZoomOut() {
    rememberPathRangesBeforeZoom();
    zoomAxisOut(currentPathChart().bottom);
    zoomAxisOut(currentPathChart().left);
    m_pathView->drawAxes(currentPathChart());
}

void TF_dp_HXGD::raisePathLeftMaximum() {
    raiseAxisMaximum(currentPathChart().left, m_steps.y);
    m_pathView->drawAxes(currentPathChart());
}

void TF_dp_HXGD::lowerPathLeftMaximum() {
    lowerAxisMaximum(currentPathChart().left, m_steps.y);
    m_pathView->drawAxes(currentPathChart());
}

void TF_dp_HXGD::raisePathBottomMaximum() {
    raiseAxisMaximum(currentPathChart().bottom, m_steps.x);
    m_pathView->drawAxes(currentPathChart());
}

void TF_dp_HXGD::lowerPathBottomMaximum() {
    lowerAxisMaximum(currentPathChart().bottom, m_steps.x);
    m_pathView->drawAxes(currentPathChart());
}

void TF_dp_HXGD::printPath() {
    previewChartPrint(*m_pathView, this, QStringLiteral("曲线打印"), PreviewMode::Beside);
}

void TF_dp_HXGD::savePath() {
    saveChartBitmap(*m_pathView, m_applicationFolder);
}

void TF_dp_HXGD::pathRectangle(const QRect& dragged) {
    const DraggedRectangle rectangle = readDraggedRectangle(*m_pathView, dragged);
    if (rectangle.meaning == DraggedRectangle::Meaning::Zoom) {
        rememberPathRangesBeforeZoom();
        currentPathChart().bottom = rangeOf(rectangle.bottom);
        currentPathChart().left = rangeOf(rectangle.left);
    } else if (rectangle.meaning == DraggedRectangle::Meaning::Undo) {
        const auto before = m_pathZoomUndo.take();
        if (!before) return;
        currentPathChart().bottom = rangeOf(before->first);
        currentPathChart().left = rangeOf(before->second);
    } else {
        return;
    }
    m_pathView->drawAxes(currentPathChart());
}

void TF_dp_HXGD::pathMouseMove(QMouseEvent* event) {
    // The marker lives on the load curve: it follows the mouse as the load chart reads the position.
    if (m_result && m_result->traversing()) {
        m_result->TrackCursor(m_result->schemeStyle(),
                              m_chartView->xAxis->pixelToCoord(event->position().x()),
                              m_chartView->yAxis->pixelToCoord(event->position().y()));
        m_chartView->drawSeries(currentChart(), ResultChart::Traversal);
    }
    const double x = m_pathView->xAxis->pixelToCoord(event->position().x());
    const double y = m_pathView->yAxis->pixelToCoord(event->position().y());
    m_pathReadout->setText(kCurveReadoutPrefix + QString::number(x, 'f', 2) + QStringLiteral(" Y:") +
                           QString::number(y, 'f', 2));
}

}  // namespace springtest
