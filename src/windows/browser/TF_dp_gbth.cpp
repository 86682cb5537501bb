#include "windows/browser/TF_dp_gbth.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QShowEvent>
#include <QTableWidget>
#include <QToolButton>
#include <algorithm>

#include "platform/OperatorTexts.h"
#include "platform/Prompts.h"
#include "results/LeafTestRecord.h"
#include "results/ReportExport.h"
#include "results/Ttest_result_gbth.h"
#include "storage/Batch.h"
#include "windows/browser/ResultChartView.h"
#include "windows/common/ResultGrids.h"
#include "windows/common/WindowTexts.h"
#include "windows/console/PlotPicture.h"

namespace springtest {

namespace {

const QString kRecordCommand = QStringLiteral("报表打印");

}  // namespace

TF_dp_gbth::TF_dp_gbth(QString applicationFolder, QString loadUnits, SpreadsheetOpener& opener,
                       QWidget* parent)
    : CurveBrowser(std::move(applicationFolder), std::move(loadUnits), BatchKind::LeafSpring, opener,
                   parent) {
    setObjectName(QStringLiteral("TF_dp_gbth"));
    m_idleChart.bottomTitle = QStringLiteral(" 变形(mm)");
    buildMenus();
    layOutGridsAndChart(ToolBarLook::Captions);
    // The traversal is on or off, and the button shows which.
    m_traversalButton->setCheckable(true);
    fillGrids();
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

void TF_dp_gbth::showEvent(QShowEvent* event) {
    if (event->spontaneous()) {
        QDialog::showEvent(event);
        return;
    }
    readChartSettings();
    redraw();
    QDialog::showEvent(event);
}

void TF_dp_gbth::setResult(std::unique_ptr<Ttest_result_gbth> result) {
    const ResultChart shown = chart();
    m_result = std::move(result);
    showBatch(m_result.get(), shown);
    m_traversalButton->setChecked(false);
    fillGrids();
    redraw();
}

void TF_dp_gbth::closeBatch() {
    setResult(nullptr);
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

void TF_dp_gbth::openBatch() {
    const QString file = chooseBatchToOpen();
    if (file.isEmpty()) return;
    setResult(nullptr);
    Ttest_result_gbth::OpenOutcome opened = Ttest_result_gbth::open(file);
    if (!opened.result) {
        prompts().message(opened.message);
        return;
    }
    opened.result->chart().leftTitle = m_idleChart.leftTitle;
    setResult(std::move(opened.result));
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

void TF_dp_gbth::printCurve() {
    previewChartPrint(*m_chartView, this, QStringLiteral("曲线打印"), PreviewMode::Beside);
}

}  // namespace springtest
