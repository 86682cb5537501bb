#include "windows/browser/TF_dp.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPrinterInfo>
#include <QShowEvent>
#include <QTableWidget>
#include <QToolButton>
#include <algorithm>

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
#include "storage/Schema.h"
#include "windows/browser/BatchStatisticsWindow.h"
#include "windows/browser/ResultChartView.h"
#include "windows/browser/TF_reportnameset.h"
#include "windows/common/ResultGrids.h"
#include "windows/common/WindowTexts.h"
#include "windows/console/PlotPicture.h"

namespace springtest {

namespace {

const QString kStartTraversal = QStringLiteral("曲线编历");
const QString kEndTraversal = QStringLiteral("编历结束");
const QString kCertificateCommand = QStringLiteral("试验证书(PDF)");

}  // namespace

TF_dp::TF_dp(QString applicationFolder, QString loadUnits, QString displacementUnits,
             SpreadsheetOpener& opener, QWidget* parent)
    : CurveBrowser(std::move(applicationFolder), std::move(loadUnits), BatchKind::Standard, opener, parent),
      m_displacementUnits(std::move(displacementUnits)) {
    setObjectName(QStringLiteral("TF_dp"));
    buildMenus();
    layOutGridsAndChart(ToolBarLook::IconsInGroups);
    fillGrids();
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

// ---------------------------------------------------------------------------------------------------------
// Showing

void TF_dp::showEvent(QShowEvent* event) {
    // Coming back from the task bar is no new showing: the curve stays as it is.
    if (event->spontaneous()) {
        QDialog::showEvent(event);
        return;
    }
    readChartSettings();
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

void TF_dp::setResult(std::unique_ptr<Ttest_result> result) {
    const ResultChart shown = chart();
    m_result = std::move(result);
    showBatch(m_result.get(), shown);
    fillGrids();
    redraw();
}

void TF_dp::closeBatch() {
    setResult(nullptr);
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

int TF_dp::currentSchemeStyle() const {
    const int row = std::max(0, m_schemeGrid->currentRow());
    if (row >= m_result->scheme().size()) return m_result->schemeStyle();
    return m_result->scheme()[row].toInt(QStringLiteral("scheme_style"));
}

// ---------------------------------------------------------------------------------------------------------
// Batches and results

void TF_dp::openBatch() {
    const QString file = chooseBatchToOpen();
    if (file.isEmpty()) return;
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

void TF_dp::openReportNames() {
    TF_reportnameset window(m_applicationFolder, this);
    window.exec();
}

// ---------------------------------------------------------------------------------------------------------
// Exports

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
