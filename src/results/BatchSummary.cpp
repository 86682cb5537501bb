#include "results/BatchSummary.h"

#include "platform/OperatorTexts.h"
#include "results/StatisticsTable.h"
#include "storage/TestOperator.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMap>

namespace springtest {

namespace {

constexpr double kTable_pt = 7.5;

SummaryLine lineOf(const TestCertificate& judged, const QString& operatorName) {
    SummaryLine line;
    line.serial = judged.serial;
    line.testedAt = judged.testedAt;
    line.operatorName = operatorName;
    line.height = judged.height;
    line.solidHeight = judged.solidHeight;
    for (const QList<JudgedValue>* list : {&judged.points, &judged.stiffness}) {
        for (const JudgedValue& v : *list) {
            if (v.verdict.isEmpty()) continue;
            ++line.judged;
            if (v.verdict == failText()) ++line.failed;
        }
    }
    line.verdict = judged.verdict;
    return line;
}

void drawSummary(PdfPage& page, const BatchSummary& summary) {
    drawReportHeading(page, QStringLiteral("批次汇总报告  Batch summary"), summary.context.lab);
    int passed = 0, failed = 0;
    for (const SummaryLine& t : summary.tests) {
        if (t.verdict == passText()) ++passed;
        if (t.verdict == failText()) ++failed;
    }
    const std::vector<double> pairs{0, 28, 100, 132};
    page.row({QStringLiteral("设备 Machine"), textOrDash(summary.context.machine),
              QStringLiteral("采集卡 Card"), textOrDash(summary.context.card)},
             pairs);
    page.row({QStringLiteral("方案 Scheme"), textOrDash(summary.scheme), QStringLiteral("批次 Batch"),
              textOrDash(summary.batch)},
             pairs);
    page.row({QStringLiteral("试验数 Tests"), QString::number(summary.tests.size()),
              QStringLiteral("合格/不合格"), QStringLiteral("%1 / %2").arg(passed).arg(failed)},
             pairs);
    if (!summary.tests.isEmpty())
        page.row({QStringLiteral("试验时间 Tested"),
                  summary.tests.first().testedAt + QStringLiteral("  …  ") + summary.tests.last().testedAt},
                 pairs);
    page.row({QStringLiteral("出具时间 Issued"),
              QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))},
             pairs);
    page.newLine(0.6);
    page.rule();

    page.newLine();
    page.text(QStringLiteral("统计 Statistics"), 0, true);
    const std::vector<double> statistics{0, 19, 30, 38, 53, 68, 82, 96, 108, 120, 132, 143, 154, 162, 170};
    page.row(statisticsTitles(), statistics, true, kTable_pt);
    for (const QuantityRow& row : summary.statistics) {
        if (page.ensureRoom(page.lineHeight_mm() * 2))
            page.row(statisticsTitles(), statistics, true, kTable_pt);
        page.row(statisticsTexts(row), statistics, false, kTable_pt);
    }

    page.newLine();
    page.ensureRoom(page.lineHeight_mm() * 4);
    page.newLine();
    page.text(QStringLiteral("试验 Tests"), 0, true);
    const QStringList titles{QStringLiteral("序号"),
                             QStringLiteral("试验时间"),
                             QStringLiteral("操作员"),
                             QStringLiteral("弹簧高度(%1)").arg(summary.context.units.displacement),
                             QStringLiteral("压并高度(%1)").arg(summary.context.units.displacement),
                             QStringLiteral("超差/判定项"),
                             QStringLiteral("判定")};
    const std::vector<double> columns{0, 14, 50, 86, 112, 138, 162};
    page.row(titles, columns, true, kTable_pt);
    for (const SummaryLine& t : summary.tests) {
        if (page.ensureRoom(page.lineHeight_mm() * 2)) page.row(titles, columns, true, kTable_pt);
        page.row({QString::number(t.serial), textOrDash(t.testedAt), textOrDash(t.operatorName),
                  textOrDash(t.height), textOrDash(t.solidHeight),
                  QStringLiteral("%1/%2").arg(t.failed).arg(t.judged), t.verdict},
                 columns, false, kTable_pt);
    }
    page.ensureRoom(page.lineHeight_mm() * 4);
    page.signatureLines({QStringLiteral("检验 Tested by"), QStringLiteral("审核 Checked by"),
                         QStringLiteral("批准 Approved by")});
}

}  // namespace

std::optional<BatchSummary> readBatchSummary(const QString& batchPath, const ReportContext& context,
                                             QString* error) {
    const auto fail = [error](const QString& why) -> std::optional<BatchSummary> {
        if (error) *error = why;
        return std::nullopt;
    };
    if (!QFileInfo(batchPath).isFile())
        return fail(QStringLiteral("the batch %1 does not exist").arg(QDir::toNativeSeparators(batchPath)));
    Database db(batchPath, Database::OpenMode::ExistingMaybeReadOnly);
    if (!db.isOpen()) return fail(withReason(kFileReadError, db.lastError()));
    const auto scheme = db.select(QStringLiteral("select * from test_information"));
    const auto rows = db.select(QStringLiteral("select * from test_result order by xuhao, rowid"));
    const auto operators = readTestOperators(db);
    if (!scheme || !rows || !operators) return fail(withReason(kFileReadError, db.lastError()));
    if (scheme->isEmpty()) return fail(QStringLiteral("the batch holds no scheme"));
    if (rows->isEmpty()) return fail(QStringLiteral("该方案无测试记录!!"));

    BatchSummary summary;
    summary.context = context;
    summary.scheme = scheme->first().text(QStringLiteral("scheme_name"));
    summary.batch = QFileInfo(batchPath).completeBaseName();
    for (const QuantityRow& row : standardBatchStatistics(*rows, *scheme, context.units))
        if (row.statistics.n > 0) summary.statistics << row;
    QMap<int, QList<DbRow>> tests;
    for (const DbRow& row : *rows) tests[row.toInt(QStringLiteral("xuhao"))] << row;
    for (auto it = tests.cbegin(); it != tests.cend(); ++it)
        summary.tests << lineOf(judgeTest(scheme->first(), it.value(), context), operators->value(it.key()));
    return summary;
}

QByteArray batchSummaryPdf(const BatchSummary& summary, QString* error) {
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setResolution(600);
        writer.setTitle(QStringLiteral("批次汇总报告 %1").arg(summary.batch));
        writer.setCreator(QStringLiteral("springtest"));
        PdfPage page(writer);
        if (!page.isActive()) {
            if (error) *error = QStringLiteral("the summary could not be drawn");
            return {};
        }
        drawSummary(page, summary);
    }
    return pdf.data();
}

}  // namespace springtest
