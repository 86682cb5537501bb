#include "results/BatchSummary.h"
#include "results/PdfReports.h"
#include "storage/Database.h"
#include "storage/Schemes.h"
#include "storage/TestOperator.h"
#include "support/BatchMaker.h"
#include "support/PdfText.h"
#include "support/TempAppDir.h"

#include <QtTest>

using namespace springtest;
using namespace springtest::testing;

namespace {

// Two points with load limits, stiffness limits 9 … 11 N/mm.
QString makeLimitedBatch(const TempAppDir& dir) {
    StandardScheme s;
    s.scheme_name = QStringLiteral("压簧A-01");
    s.scheme_style = QStringLiteral("0");
    s.scheme_sum = QStringLiteral("2");
    s.points[0] = {QStringLiteral("50"), QStringLiteral("110"), QStringLiteral("90")};
    s.points[1] = {QStringLiteral("45"), QStringLiteral("160"), QStringLiteral("140")};
    s.scheme_gangdu_max = QStringLiteral("11");
    s.scheme_gangdu_min = QStringLiteral("9");
    s.scheme_yb = true;
    return makeBatch(dir, s);
}

StoredTest test(int serial, const QString& result1, const QString& stiffness1 = QStringLiteral("10.00")) {
    return {serial,
            {{"result1", result1},
             {"result2", "150.00"},
             {"gangdu1", stiffness1},
             {"gangdu2", "10.00"},
             {"height", "59.90"},
             {"yb_height", "29.98"},
             {"date", QStringLiteral("2024-05-06 10:%1:00").arg(serial % 60, 2, 10, QLatin1Char('0'))}},
            {}};
}

ReportContext context() {
    ReportContext c;
    c.lab = {QStringLiteral("华东弹簧检测中心"), QString()};
    c.machine = QStringLiteral("微机控制弹簧拉压测试系统");
    c.card = QStringLiteral("RX720");
    return c;
}

}  // namespace

class TestBatchSummary : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void linesAndStatistics();
    void longBatchRunsOverPages();
    void refusals_data();
    void refusals();
};

void TestBatchSummary::initTestCase() {
    if (!havePdfReader())
        QSKIP("pdftotext/pdfinfo (poppler-utils) are not installed: scripts/install-deps.sh");
}

void TestBatchSummary::linesAndStatistics() {
    TempAppDir dir;
    const QString batch = makeLimitedBatch(dir);
    QVERIFY(storeTests(batch, {test(1, "100.00"), test(2, "89.00"), test(3, "104.00", "11.50")}));
    {
        Database db(batch);
        QVERIFY(storeTestOperator(db, 2, QStringLiteral("张工")));
    }
    QString error;
    const auto summary = readBatchSummary(batch, context(), &error);
    QVERIFY2(summary, qPrintable(error));
    QCOMPARE(summary->tests.size(), 3);
    QCOMPARE(summary->tests[1].failed, 1);
    QCOMPARE(summary->tests[1].judged, 4);
    QCOMPARE(summary->tests[2].verdict, QStringLiteral("不合格"));
    // Two points and two stiffnesses on the forward stroke, the spring and the solid height.
    QCOMPARE(summary->statistics.size(), 6);
    QCOMPARE(summary->statistics.first().statistics.n, 3);

    const ExportOutcome out = saveBatchSummaryPdf({dir.path(), {}, nullptr}, batch, context());
    QCOMPARE(out.message, QString());
    QVERIFY(out.savedPath.endsWith(QStringLiteral(".pdf")));
    QCOMPARE(pdfPageCount(out.savedPath), 1);
    const QString text = pdfText(out.savedPath);
    const QString missing = firstMissingInOrder(
        text,
        {"批次汇总报告", "华东弹簧检测中心", "方案 Scheme 压簧A-01 批次 Batch B1",
         "试验数 Tests 3 合格/不合格 1 / 2", "试验时间 Tested 2024-05-06 10:01:00 ... 2024-05-06 10:03:00",
         "项目 单位 n 平均值 标准差 最小值 最大值 极差 上限 下限 Cp Cpk 合格 强 弱", "结果1 进 N 3 97.667",
         "序号 试验时间 操作员", "1 2024-05-06 10:01:00 — 59.90 29.98 0/4 合格",
         "2 2024-05-06 10:02:00 张工 59.90 29.98 1/4 不合格",
         "3 2024-05-06 10:03:00 — 59.90 29.98 1/4 不合格", "检验 Tested by"});
    QVERIFY2(missing.isEmpty(),
             qPrintable(QStringLiteral("'%1' not found in order in:\n%2").arg(missing, text)));
}

// Every test has its line, the tables' titles start each page again, and the signatures come last.
void TestBatchSummary::longBatchRunsOverPages() {
    TempAppDir dir;
    const QString batch = makeLimitedBatch(dir);
    QList<StoredTest> tests;
    for (int serial = 1; serial <= 150; ++serial) tests << test(serial, "100.00");
    QVERIFY(storeTests(batch, tests));
    const ExportOutcome out = saveBatchSummaryPdf({dir.path(), {}, nullptr}, batch, context());
    QCOMPARE(out.message, QString());
    const int pages = pdfPageCount(out.savedPath);
    QVERIFY2(pages >= 3, qPrintable(QString::number(pages)));
    const QString text = pdfText(out.savedPath);
    QStringList lines;
    for (int serial = 1; serial <= 150; ++serial) lines << QStringLiteral("\n%1 2024-05-06").arg(serial);
    lines << QStringLiteral("检验 Tested by");
    const QString missing = firstMissingInOrder(text, lines);
    QVERIFY2(missing.isEmpty(), qPrintable(missing));
    QCOMPARE(text.count(QStringLiteral("序号 试验时间 操作员")), pages);
}

void TestBatchSummary::refusals_data() {
    QTest::addColumn<QString>("batch");  // "" the batch without tests
    QTest::addColumn<QString>("detail");
    QTest::newRow("no tests") << ""
                              << "该方案无测试记录!!";
    QTest::newRow("no such file") << "nothing.mdb"
                                  << "does not exist";
}

void TestBatchSummary::refusals() {
    QFETCH(QString, batch);
    QFETCH(QString, detail);
    TempAppDir dir;
    const QString path = batch.isEmpty() ? makeLimitedBatch(dir) : dir.file(batch);
    const ExportOutcome out = saveBatchSummaryPdf({dir.path(), {}, nullptr}, path, context());
    QCOMPARE(out.message, QStringLiteral("PDF报表生成失败!!"));
    QVERIFY2(out.detail.contains(detail), qPrintable(out.detail));
    QVERIFY(out.savedPath.isEmpty());
    QVERIFY(!QDir(dir.file("report")).exists() || QDir(dir.file("report")).isEmpty());
}

QTEST_MAIN(TestBatchSummary)
#include "tst_batch_summary.moc"
